#include "app/FormMsg.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "win/Wide.h"
#include "WinTestSupport.h"

namespace teshmar::app {
namespace {

using test::TimerScript;

std::wstring EditText(HWND edit) {
  std::wstring text(4096, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_USECRLF;
  get.codepage = 1200;
  text.resize(static_cast<size_t>(SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                               reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A top-level window of the test standing in for the console's main window.
struct OtherWindow {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ~OtherWindow() { DestroyWindow(hwnd); }
};

TEST(ShowMessageWindow, EmptyTextShowsNoWindow) {
  bool sawWindow = false;
  TimerScript script(10, [&] {
    sawWindow = sawWindow || FindWindowW(L"TFrmMsg", nullptr) != nullptr;
    return true;
  });
  ShowMessageWindow("");
  test::Pump(50);
  EXPECT_FALSE(sawWindow);
  EXPECT_EQ(FrmMsg, nullptr);
}

TEST(ShowMessageWindow, LayoutAndModality) {
  OtherWindow other;
  struct Seen {
    bool otherEnabled = true;
    bool focusOnButton = false;
    std::wstring caption, editClass;
    RECT client{}, edit{}, button{};
    int ticks = 0;
  } seen;
  TimerScript script(20, [&] {
    if (!FrmMsg || !IsWindowVisible(FrmMsg->hwnd)) return true;
    seen.otherEnabled = IsWindowEnabled(other.hwnd);
    seen.focusOnButton = GetFocus() == FrmMsg->RzBitBtn1;
    wchar_t caption[32] = {};
    GetWindowTextW(FrmMsg->hwnd, caption, 32);
    seen.caption = caption;
    seen.editClass = ClassOf(FrmMsg->MsgEd);
    GetClientRect(FrmMsg->hwnd, &seen.client);
    seen.edit = ChildRect(FrmMsg->MsgEd);
    seen.button = ChildRect(FrmMsg->RzBitBtn1);
    ++seen.ticks;  // a timer that keeps firing while the window is modal
    if (seen.ticks < 3) return true;
    PostMessageW(FrmMsg->RzBitBtn1, BM_CLICK, 0, 0);
    return false;
  });
  ShowMessageWindow("连接失败");
  EXPECT_EQ(seen.ticks, 3);
  EXPECT_FALSE(seen.otherEnabled);
  EXPECT_TRUE(IsWindowEnabled(other.hwnd)) << "enabled again afterwards";
  EXPECT_TRUE(seen.focusOnButton);
  EXPECT_EQ(seen.caption, L"消息");
  // class names compare without regard to case
  EXPECT_TRUE(lstrcmpiW(seen.editClass.c_str(), L"RICHEDIT50W") == 0 || lstrcmpiW(seen.editClass.c_str(), L"RichEdit20W") == 0)
      << win::Narrow(seen.editClass);
  EXPECT_EQ(seen.client.right, 479);
  EXPECT_EQ(seen.client.bottom, 149);
  EXPECT_EQ(seen.edit.left, 35);
  EXPECT_EQ(seen.edit.top, 20);
  EXPECT_EQ(seen.edit.right - seen.edit.left, 411);
  EXPECT_EQ(seen.edit.bottom - seen.edit.top, 55);
  EXPECT_EQ(seen.button.left, 192);
  EXPECT_EQ(seen.button.top, 96);
  EXPECT_EQ(seen.button.right - seen.button.left, 89);
  EXPECT_EQ(seen.button.bottom - seen.button.top, 41);
  EXPECT_EQ(FrmMsg, nullptr);
  EXPECT_EQ(FindWindowW(L"TFrmMsg", nullptr), nullptr);
}

TEST(ShowMessageWindow, SecondCallWhileOpenReturnsAtOnceAndKeepsTheOpenText) {
  bool secondReturned = false;
  std::wstring before, after;
  int windows = 0;
  TimerScript script(20, [&] {
    if (!FrmMsg || !IsWindowVisible(FrmMsg->hwnd)) return true;
    before = EditText(FrmMsg->MsgEd);
    ShowMessageWindow("第二条消息");
    secondReturned = true;
    after = EditText(FrmMsg->MsgEd);
    windows = test::CountThreadWindows(L"TFrmMsg");
    PostMessageW(FrmMsg->RzBitBtn1, BM_CLICK, 0, 0);
    return false;
  });
  ShowMessageWindow("第一条消息");
  EXPECT_TRUE(secondReturned);
  EXPECT_EQ(before, L"第一条消息");
  EXPECT_EQ(after, L"第一条消息");
  EXPECT_EQ(windows, 1);
  EXPECT_EQ(FrmMsg, nullptr);
}

TEST(ShowMessageWindow, CaptionCloseButtonEndsItLikeOk) {
  bool posted = false;
  TimerScript script(20, [&] {
    if (!FrmMsg || !IsWindowVisible(FrmMsg->hwnd)) return true;
    PostMessageW(FrmMsg->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    posted = true;
    return false;
  });
  ShowMessageWindow("关闭测试");
  EXPECT_TRUE(posted);
  EXPECT_EQ(FrmMsg, nullptr);
  EXPECT_EQ(FindWindowW(L"TFrmMsg", nullptr), nullptr);
}

TEST(ShowMessageWindow, TextsAreShownAsWrittenOneMessagePerCentredLine) {
  const struct {
    const char* text;
    const wchar_t* shown;
  } cases[] = {
      {"\r\n注册项[1]连接数据库出错!\r\n注册项[2]连接数据库出错!",
       L"\r\n注册项[1]连接数据库出错!\r\n注册项[2]连接数据库出错!"},
      {"{\\rtf1 \\b 粗体}", L"{\\rtf1 \\b 粗体}"},  // never taken for rich text
      {"a\r\nb\r\nc\r\nd\r\ne", L"a\r\nb\r\nc\r\nd\r\ne"},
  };
  for (const auto& c : cases) {
    std::wstring shown;
    WORD alignment = 0;
    TimerScript script(20, [&] {
      if (!FrmMsg || !IsWindowVisible(FrmMsg->hwnd)) return true;
      shown = EditText(FrmMsg->MsgEd);
      PARAFORMAT2 format{};
      format.cbSize = sizeof format;
      SendMessageW(FrmMsg->MsgEd, EM_SETSEL, 0, -1);
      SendMessageW(FrmMsg->MsgEd, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
      if (format.dwMask & PFM_ALIGNMENT) alignment = format.wAlignment;  // the same for every line
      PostMessageW(FrmMsg->RzBitBtn1, BM_CLICK, 0, 0);
      return false;
    });
    ShowMessageWindow(c.text);
    EXPECT_EQ(shown, c.shown) << c.text;
    EXPECT_EQ(alignment, PFA_CENTER) << c.text;
  }
}

TEST(ShowMessageWindow, Screenshot) {
  bool saved = false;
  bool painted = false;
  int ticks = 0;
  // The window as drawn: its colour, the text in the box, the button's face and frame.
  auto drawn = [](HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RgbImage shot = test::GrabScreen(client);
    const RECT text{35, 20, 35 + 411, 20 + 55};
    const RECT button{192, 96, 192 + 89, 96 + 41};
    const RECT corner{0, 0, 20, 15};
    return test::CountColour(shot, corner, RGB(247, 246, 245)) == 20 * 15 &&
           test::CountColour(shot, text, RGB(0, 0, 0)) > 50 &&
           test::CountColour(shot, button, RGB(244, 244, 240)) > 89 * 41 / 2 &&
           test::CountColour(shot, button, RGB(0, 60, 116)) >= 2 * (89 + 41) - 4;
  };
  TimerScript script(50, [&] {
    if (!FrmMsg || !IsWindowVisible(FrmMsg->hwnd)) return true;
    painted = drawn(FrmMsg->hwnd);
    if (!painted && ++ticks < 100) return true;  // Wine puts it on the screen a little later
    RECT rect;
    GetWindowRect(FrmMsg->hwnd, &rect);
    saved = test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "message_window");
    // and the button's hot-track highlight, as when the mouse is over it
    SendMessageW(FrmMsg->RzBitBtn1, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    UpdateWindow(FrmMsg->RzBitBtn1);
    saved = saved && test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "message_window_hot");
    PostMessageW(FrmMsg->RzBitBtn1, BM_CLICK, 0, 0);
    return false;
  });
  ShowMessageWindow("\r\n注册项[1]连接数据库出错!\r\n注册项[2]连接数据库出错!");
  EXPECT_TRUE(painted);
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace teshmar::app
