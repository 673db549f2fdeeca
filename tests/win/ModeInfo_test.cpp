// The customer dialog itself under Wine.
#include "customer/ModeInfoForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/AppWindow.h"
#include "support/FakeMessageBoxes.h"
#include "win/Wide.h"
#include "WinTestSupport.h"

namespace teshmar {
namespace {

using namespace modeinfo_form;
using test::TimerScript;

HWND DialogWindow() {
  HWND dialog = FindWindowW(kClassName, nullptr);
  return dialog && IsWindowVisible(dialog) ? dialog : nullptr;
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return win::Narrow(text);
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(win::Narrow(text));
  }
  return items;
}

// Picks an item of a combo box with the keyboard, as the operator does: the box announces the pick.
void PickByKeys(HWND combo, const std::string& item) {
  const LRESULT at = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(win::Widen(item).c_str()));
  ASSERT_NE(at, CB_ERR) << item;
  // Select the item before it, then move one down, so the box sends CBN_SELCHANGE itself.
  SendMessageW(combo, CB_SETCURSEL, at > 0 ? at - 1 : 1, 0);
  HWND edit = GetWindow(combo, GW_CHILD);
  SetFocus(edit);
  const WPARAM key = at > 0 ? VK_DOWN : VK_UP;
  PostMessageW(edit, WM_KEYDOWN, key, 1);
  PostMessageW(edit, WM_KEYUP, key, 0xC0000001);
}

// Types text into a box character by character.
void Type(HWND box, const std::wstring& text) {
  HWND target = GetWindow(box, GW_CHILD) ? GetWindow(box, GW_CHILD) : box;
  SetFocus(target);
  for (wchar_t c : text) PostMessageW(target, WM_CHAR, c, 1);
}

struct OwnerWindow {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 20, 863, 543, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  OwnerWindow() { app::SetMainWindow(hwnd); }
  ~OwnerWindow() {
    app::SetMainWindow(nullptr);
    DestroyWindow(hwnd);
  }
};

struct DialogRun {
  bool result = false;
  bool leftOpen = false;
  bool referredWhileOpen = false;
  std::string name;
  std::string address;
};

// Runs the dialog; `steps` run one per timer tick once it is on the screen. A dialog still open
// after the last step is cancelled, and `leftOpen` says so.
DialogRun RunDialog(HWND owner, IMessageBoxes& boxes, std::string name, std::string address, int mode,
                    std::vector<std::function<void(HWND)>> steps) {
  DialogRun run;
  run.name = std::move(name);
  run.address = std::move(address);
  size_t next = 0;
  TimerScript script(60, [&] {
    HWND dialog = DialogWindow();
    if (!dialog) return true;
    run.referredWhileOpen = ModeInfoFrm != nullptr;
    if (next < steps.size()) {
      steps[next++](dialog);
      return true;
    }
    run.leftOpen = true;
    SendMessageW(Item(dialog, kButton2), BM_CLICK, 0, 0);
    return false;
  });
  run.result = EditGuest(owner, boxes, run.name, run.address, mode);
  return run;
}

class ModeInfoDialogTest : public ::testing::Test {
 protected:
  OwnerWindow owner;
  testing::FakeMessageBoxes boxes;
};

TEST_F(ModeInfoDialogTest, OpensTheAddressInTheFormsLayout) {
  struct Seen {
    std::string caption, name, province, city, county, street;
    std::vector<std::string> labels;
    std::vector<std::string> cities, counties, provinces;
    RECT window{};
    std::vector<RECT> places;
    std::vector<int> tabOrder;
    std::vector<LONG> comboStyles;
    bool focusOnName = false;
    LONG buttonStyle = 0;
  } seen;
  const int placed[] = {kLabel3, kGuestEd, kLabel4, kLabel1, kCBProvince, kLabel2, kCBCity,
                        kLabel5, kCBArea,  kLabel6, kAddrEd, kButton1,    kButton2};
  DialogRun run = RunDialog(owner.hwnd, boxes, "东城店", "广东省,东莞市,,东城路", 1, {[&](HWND d) {
    seen.caption = TextOf(d);
    seen.name = TextOf(Item(d, kGuestEd));
    seen.province = TextOf(Item(d, kCBProvince));
    seen.city = TextOf(Item(d, kCBCity));
    seen.county = TextOf(Item(d, kCBArea));
    seen.street = TextOf(Item(d, kAddrEd));
    for (int id : {kLabel3, kLabel4, kLabel1, kLabel2, kLabel5, kLabel6, kButton1, kButton2})
      seen.labels.push_back(TextOf(Item(d, id)));
    seen.provinces = ComboItems(Item(d, kCBProvince));
    seen.cities = ComboItems(Item(d, kCBCity));
    seen.counties = ComboItems(Item(d, kCBArea));
    GetWindowRect(d, &seen.window);
    for (int id : placed) {
      RECT r;
      GetWindowRect(Item(d, id), &r);
      MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
      seen.places.push_back(r);
    }
    HWND at = Item(d, kGuestEd);
    for (int i = 0; i < 7; ++i) {
      seen.tabOrder.push_back(GetDlgCtrlID(at));
      at = GetNextDlgTabItem(d, at, FALSE);
    }
    for (int id : {kCBProvince, kCBCity, kCBArea}) seen.comboStyles.push_back(GetWindowLongW(Item(d, id), GWL_STYLE));
    seen.focusOnName = GetFocus() == Item(d, kGuestEd);
    seen.buttonStyle = GetWindowLongW(Item(d, kButton1), GWL_STYLE);
  }});
  EXPECT_TRUE(run.leftOpen);
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(run.referredWhileOpen);
  EXPECT_EQ(ModeInfoFrm, nullptr) << "no reference once destroyed";
  EXPECT_EQ(FindWindowW(kClassName, nullptr), nullptr);
  EXPECT_EQ(run.name, "东城店") << "cancelled: unchanged";
  EXPECT_EQ(run.address, "广东省,东莞市,,东城路");

  EXPECT_EQ(seen.caption, "修改客户信息");
  EXPECT_EQ(seen.name, "东城店");
  EXPECT_EQ(seen.province, "广东省");
  EXPECT_EQ(seen.city, "东莞市");
  EXPECT_EQ(seen.county, "");
  EXPECT_EQ(seen.street, "东城路");
  EXPECT_EQ(seen.labels,
            (std::vector<std::string>{"客户名称：", "客户地址：", "省：", "市:", "县(区):", "街道：", "保存", "取消"}));
  ASSERT_EQ(seen.provinces.size(), 34u);
  EXPECT_EQ(seen.provinces.front(), "北京市");
  EXPECT_NE(std::find(seen.cities.begin(), seen.cities.end(), "东莞市"), seen.cities.end());
  EXPECT_TRUE(seen.counties.empty());
  EXPECT_EQ(seen.window.right - seen.window.left, 533);
  EXPECT_EQ(seen.window.bottom - seen.window.top, 296);
  EXPECT_NEAR((seen.window.left + seen.window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  // Left and top of each control, and the sizes the layout fixes.
  const POINT at[] = {{16, 14}, {111, 41}, {16, 73}, {84, 98}, {112, 99}, {215, 98}, {243, 99},
                      {345, 98}, {397, 99}, {68, 138}, {112, 137}, {352, 208}, {432, 208}};
  ASSERT_EQ(seen.places.size(), std::size(at));
  for (size_t i = 0; i < std::size(at); ++i) {
    EXPECT_EQ(seen.places[i].left, at[i].x) << "control " << placed[i];
    EXPECT_EQ(seen.places[i].top, at[i].y) << "control " << placed[i];
  }
  auto size = [](const RECT& r) { return std::pair{r.right - r.left, r.bottom - r.top}; };
  EXPECT_EQ(size(seen.places[1]), (std::pair<long, long>{388, 24}));
  EXPECT_EQ(size(seen.places[10]), (std::pair<long, long>{385, 24}));
  EXPECT_EQ(size(seen.places[11]), (std::pair<long, long>{75, 41}));
  EXPECT_EQ(size(seen.places[12]), (std::pair<long, long>{73, 41}));
  EXPECT_EQ(seen.places[4].right - seen.places[4].left, 97);
  EXPECT_EQ(seen.places[6].right - seen.places[6].left, 97);
  EXPECT_EQ(seen.places[8].right - seen.places[8].left, 100);
  EXPECT_EQ(seen.tabOrder, (std::vector<int>{kGuestEd, kAddrEd, kCBProvince, kCBCity, kCBArea, kButton1, kButton2}));
  for (LONG style : seen.comboStyles) {
    EXPECT_EQ(style & 3, CBS_DROPDOWN) << "editable";
    EXPECT_FALSE(style & CBS_SORT);
  }
  EXPECT_TRUE(seen.focusOnName);
  EXPECT_NE(seen.buttonStyle & BS_TYPEMASK, static_cast<LONG>(BS_DEFPUSHBUTTON));
}

TEST_F(ModeInfoDialogTest, PickingAProvinceListsItsCitiesAndEmptiesTheCounty) {
  std::vector<std::string> cities, counties;
  std::string city, county;
  DialogRun run = RunDialog(owner.hwnd, boxes, "店", "广东省,东莞市,莞城区,东城路", 1,
                            {[&](HWND d) { PickByKeys(Item(d, kCBProvince), "北京市"); },
                             [&](HWND d) {
                               cities = ComboItems(Item(d, kCBCity));
                               city = TextOf(Item(d, kCBCity));
                               county = TextOf(Item(d, kCBArea));
                               PickByKeys(Item(d, kCBCity), "北京辖县");
                             },
                             [&](HWND d) {
                               counties = ComboItems(Item(d, kCBArea));
                               PickByKeys(Item(d, kCBArea), "延庆县");
                             },
                             [&](HWND d) { SendMessageW(Item(d, kButton1), BM_CLICK, 0, 0); }});
  EXPECT_EQ(cities, (std::vector<std::string>{"北京辖区", "北京辖县"}));
  EXPECT_EQ(city, "");
  EXPECT_EQ(county, "");
  EXPECT_EQ(counties, (std::vector<std::string>{"密云县", "延庆县"}));
  EXPECT_FALSE(run.leftOpen);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.address, "北京市,北京辖县,延庆县,东城路");
}

TEST_F(ModeInfoDialogTest, TypedNameAndProvinceAreSaved) {
  DialogRun run = RunDialog(owner.hwnd, boxes, "", "旧路", 1,
                            {[](HWND d) { Type(Item(d, kGuestEd), L" 新店 "); },
                             [](HWND d) { Type(Item(d, kCBProvince), L"天津市"); },
                             [](HWND d) { PickByKeys(Item(d, kCBCity), "天津辖县"); },
                             [](HWND d) { PickByKeys(Item(d, kCBArea), "蓟　县"); },
                             [](HWND d) { SendMessageW(Item(d, kButton1), BM_CLICK, 0, 0); }});
  EXPECT_FALSE(run.leftOpen);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(run.name, "新店");
  EXPECT_EQ(run.address, "天津市,天津辖县,蓟　县,旧路");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModeInfoDialogTest, ModeTwoKeepsTheDialogOpenWithAMessage) {
  bool stillThere = false;
  DialogRun run = RunDialog(owner.hwnd, boxes, "", "广东省,东莞市,,东城路", 2,
                            {[](HWND d) { SendMessageW(Item(d, kButton1), BM_CLICK, 0, 0); },
                             [&](HWND d) { stillThere = IsWindowVisible(d) != FALSE; }});
  EXPECT_TRUE(stillThere);
  EXPECT_TRUE(run.leftOpen);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "客户名称不能为空!");
}

TEST_F(ModeInfoDialogTest, EnterAndEscCloseNothing) {
  auto key = [](int id, WPARAM vk) {
    return [id, vk](HWND d) {
      HWND target = Item(d, id);
      if (GetWindow(target, GW_CHILD)) target = GetWindow(target, GW_CHILD);
      SetFocus(target);
      PostMessageW(target, WM_KEYDOWN, vk, 1);
      PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    };
  };
  std::vector<std::function<void(HWND)>> steps;
  for (int id : {kGuestEd, kAddrEd, kCBProvince, kCBCity, kCBArea}) {
    steps.push_back(key(id, VK_RETURN));
    steps.push_back(key(id, VK_ESCAPE));
  }
  for (int id : {kButton1, kButton2}) steps.push_back(key(id, VK_ESCAPE));
  bool stillThere = false;
  steps.push_back([&](HWND d) { stillThere = IsWindowVisible(d) != FALSE; });
  DialogRun run = RunDialog(owner.hwnd, boxes, "店", "广东省,东莞市,,东城路", 1, steps);
  EXPECT_TRUE(stillThere);
  EXPECT_TRUE(run.leftOpen);
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModeInfoDialogTest, TitleBarCloseIsCancel) {
  DialogRun run = RunDialog(owner.hwnd, boxes, "店", "广东省,东莞市,,东城路",
                            1, {[](HWND d) { Type(Item(d, kGuestEd), L"X"); }, [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }});
  EXPECT_FALSE(run.leftOpen);
  EXPECT_FALSE(run.result);
  EXPECT_EQ(run.name, "店");
}

TEST_F(ModeInfoDialogTest, Screenshot) {
  bool saved = false;
  COLORREF background = 0, buttonFrame = 0, buttonFace = 0, labelInk = RGB(255, 255, 255);
  RunDialog(owner.hwnd, boxes, "东城店", "广东省,东莞市,,东城路", 1,
            {[](HWND) {}, [](HWND) {}, [&](HWND d) {
               RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
               RECT rect;
               GetWindowRect(d, &rect);
               saved = test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "customer_dialog");
               POINT corner{4, 190};
               ClientToScreen(d, &corner);
               background = test::ScreenPixel(corner.x, corner.y);
               RECT button;
               GetWindowRect(Item(d, kButton2), &button);
               buttonFrame = test::ScreenPixel(button.left, button.top + 3);
               buttonFace = test::ScreenPixel(button.left + 4, button.top + 4);
               RECT label;
               GetWindowRect(Item(d, kLabel3), &label);
               for (int y = label.top; y < label.bottom; ++y) {
                 for (int x = label.left; x < label.right; ++x) {
                   const COLORREF c = test::ScreenPixel(x, y);
                   if (GetRValue(c) + GetGValue(c) + GetBValue(c) <
                       GetRValue(labelInk) + GetGValue(labelInk) + GetBValue(labelInk))
                     labelInk = c;
                 }
               }
             }});
  EXPECT_TRUE(saved);
  EXPECT_EQ(background, RGB(247, 246, 245));
  EXPECT_EQ(buttonFrame, RGB(0, 60, 116));
  EXPECT_EQ(buttonFace, RGB(244, 244, 240));
  EXPECT_LT(GetRValue(labelInk) + GetGValue(labelInk) + GetBValue(labelInk), 200);
}

}  // namespace
}  // namespace teshmar
