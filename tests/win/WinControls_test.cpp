#include <gtest/gtest.h>

#include <vector>

#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/Modal.h"
#include "WinTestSupport.h"

namespace teshmar::win {
namespace {

using test::TimerScript;

// A plain top-level window that forwards WM_DRAWITEM and records the commands it gets.
struct TestParent {
  static inline std::vector<std::pair<int, int>> commands;  // (id, notification)
  HWND hwnd = nullptr;

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_DRAWITEM:
        if (DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
      case WM_COMMAND:
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
      }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  explicit TestParent(int x = 100, int y = 100) {
    static const bool registered = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = Proc;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"TeshmarTestParent";
      return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    commands.clear();
    hwnd = CreateWindowExW(0, L"TeshmarTestParent", L"parent", WS_POPUP | WS_VISIBLE, x, y, 200, 120, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TestParent() { DestroyWindow(hwnd); }
};

TEST(CreatePixelFont, CharacterHeightInPixels) {
  HFONT font = CreatePixelFont(L"宋体", 16, true);
  ASSERT_NE(font, nullptr);
  LOGFONTW info{};
  GetObjectW(font, sizeof info, &info);
  EXPECT_EQ(info.lfHeight, -16);
  EXPECT_EQ(info.lfWeight, FW_BOLD);
  EXPECT_EQ(info.lfCharSet, GB2312_CHARSET);
  EXPECT_STREQ(info.lfFaceName, L"宋体");
  DeleteObject(font);
}

TEST(FlatButton, StaysARealButton) {
  TestParent parent;
  HWND button = CreateFlatButton(parent.hwnd, 42, L"确定", 10, 10, 89, 41, {});
  ASSERT_NE(button, nullptr);
  wchar_t name[16] = {};
  GetClassNameW(button, name, 16);
  EXPECT_STREQ(name, L"Button");
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_EQ(TestParent::commands.size(), 1u);
  EXPECT_EQ(TestParent::commands[0], std::make_pair(42, int{BN_CLICKED}));

  // a quick second click is a click, not a double-click notification
  TestParent::commands.clear();
  const LPARAM inside = MAKELPARAM(5, 5);
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(button, WM_LBUTTONUP, 0, inside);
  SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
  SendMessageW(button, WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(TestParent::commands,
            (std::vector<std::pair<int, int>>{{42, BN_CLICKED}, {42, BN_CLICKED}}));
}

TEST(FlatButton, PaintsFaceFrameAndHotHighlight) {
  TestParent parent(300, 300);
  FlatButtonStyle style;  // face 15791348, frame 7617536, hot 3983359
  HWND button = CreateFlatButton(parent.hwnd, 1, L"", 10, 10, 60, 30, style);
  UpdateWindow(parent.hwnd);
  POINT origin{0, 0};
  ClientToScreen(button, &origin);
  test::PumpUntil([&] { return test::ScreenPixel(origin.x + 30, origin.y + 15) == COLORREF{15791348}; });
  EXPECT_EQ(test::ScreenPixel(origin.x, origin.y + 15), COLORREF{7617536}) << "frame";
  EXPECT_EQ(test::ScreenPixel(origin.x + 1, origin.y + 15), COLORREF{15791348}) << "face next to the frame";
  EXPECT_EQ(test::ScreenPixel(origin.x + 30, origin.y + 15), COLORREF{15791348}) << "face";

  SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(IsFlatButtonHot(button));
  UpdateWindow(button);
  test::PumpUntil([&] { return test::ScreenPixel(origin.x + 1, origin.y + 15) == COLORREF{3983359}; });
  EXPECT_EQ(test::ScreenPixel(origin.x, origin.y + 15), COLORREF{7617536}) << "frame while hot";
  EXPECT_EQ(test::ScreenPixel(origin.x + 1, origin.y + 15), COLORREF{3983359}) << "highlight while hot";
  SendMessageW(button, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(IsFlatButtonHot(button));
}

// A 32 x 16 glyph: magenta (the transparent colour) around a red square, then around a grey one.
HBITMAP MakeGlyph() {
  HDC screen = GetDC(nullptr);
  HBITMAP glyph = CreateCompatibleBitmap(screen, 32, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, glyph);
  auto fill = [dc](RECT rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  };
  fill({0, 0, 32, 16}, RGB(255, 0, 255));
  fill({4, 4, 12, 12}, RGB(255, 0, 0));
  fill({20, 4, 28, 12}, RGB(128, 128, 128));
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return glyph;
}

TEST(FlatButton, GlyphNormalThenDisabledWithTheCornerTransparent) {
  TestParent parent(300, 300);
  FlatButtonStyle style;
  style.glyph = MakeGlyph();
  HWND button = CreateFlatButton(parent.hwnd, 1, L"", 10, 10, 60, 30, style);
  UpdateWindow(parent.hwnd);
  POINT glyph{22, 7};  // centred: (60 - 16) / 2, (30 - 16) / 2
  ClientToScreen(button, &glyph);
  test::PumpUntil([&] { return test::ScreenPixel(glyph.x + 8, glyph.y + 8) == RGB(255, 0, 0); });
  EXPECT_EQ(test::ScreenPixel(glyph.x + 8, glyph.y + 8), RGB(255, 0, 0));
  EXPECT_EQ(test::ScreenPixel(glyph.x + 1, glyph.y + 1), COLORREF{15791348}) << "transparent corner";
  EnableWindow(button, FALSE);
  UpdateWindow(button);
  test::PumpUntil([&] { return test::ScreenPixel(glyph.x + 8, glyph.y + 8) == RGB(128, 128, 128); });
  EXPECT_EQ(test::ScreenPixel(glyph.x + 8, glyph.y + 8), RGB(128, 128, 128));
  DestroyWindow(button);
  DeleteObject(style.glyph);
}

TEST(FlatButton, EnterPressesTheFocusedButtonInAModalRun) {
  TestParent dialog;
  CreateFlatButton(dialog.hwnd, 11, L"一", 10, 10, 60, 30, {});
  HWND second = CreateFlatButton(dialog.hwnd, 12, L"二", 80, 10, 60, 30, {});
  TimerScript script(10, [&] {
    if (GetFocus() != second) {
      SetFocus(second);
      PostMessageW(second, WM_KEYDOWN, VK_RETURN, 0);
      return true;
    }
    if (TestParent::commands.empty()) return true;
    EndModal(dialog.hwnd, 1);
    return false;
  });
  RunModal(dialog.hwnd);
  EXPECT_EQ(TestParent::commands, (std::vector<std::pair<int, int>>{{12, BN_CLICKED}}));
  // a dialog moving its default button keeps the button owner-drawn
  SendMessageW(second, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(GetWindowLongW(second, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST(FlatButton, OnlyFlatButtonsAreDrawn) {
  TestParent parent;
  HWND plain = CreateWindowW(L"BUTTON", L"x", WS_CHILD | BS_OWNERDRAW, 0, 0, 10, 10, parent.hwnd, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = plain;
  EXPECT_FALSE(DrawFlatButton(item));
  EXPECT_FALSE(SetFlatButtonStyle(plain, {}));
}

TEST(FlatButton, ASpeedButtonNeverKeepsTheFocus) {
  TestParent parent;
  FlatButtonStyle style;
  style.focusable = false;
  HWND button = CreateFlatButton(parent.hwnd, 7, L"取  消(&C)", 10, 10, 57, 22, style);
  SetFocus(parent.hwnd);
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_NE(GetFocus(), button);
  EXPECT_EQ(TestParent::commands, (std::vector<std::pair<int, int>>{{7, BN_CLICKED}}));
}

TEST(RunModal, DisablesTheOthersKeepsTimersAndReturnsTheResult) {
  TestParent other;
  TestParent alreadyDisabled(0, 0);
  EnableWindow(alreadyDisabled.hwnd, FALSE);
  TestParent dialog(200, 200);
  ShowWindow(dialog.hwnd, SW_HIDE);
  bool otherDisabledMeanwhile = false;
  bool dialogShown = false;
  int ticks = 0;
  TimerScript script(10, [&] {
    otherDisabledMeanwhile = !IsWindowEnabled(other.hwnd);
    dialogShown = IsWindowVisible(dialog.hwnd) && IsWindowEnabled(dialog.hwnd);
    EXPECT_TRUE(IsRunningModal(dialog.hwnd));
    if (++ticks < 3) return true;
    EXPECT_TRUE(EndModal(dialog.hwnd, 17));
    return false;
  });
  EXPECT_EQ(RunModal(dialog.hwnd), 17);
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(otherDisabledMeanwhile);
  EXPECT_TRUE(dialogShown);
  EXPECT_TRUE(IsWindowEnabled(other.hwnd));
  EXPECT_FALSE(IsWindowEnabled(alreadyDisabled.hwnd)) << "left as it was";
  EXPECT_TRUE(IsWindow(dialog.hwnd)) << "the caller destroys it";
  EXPECT_FALSE(IsWindowVisible(dialog.hwnd));
  EXPECT_FALSE(IsRunningModal(dialog.hwnd));
  EXPECT_FALSE(EndModal(dialog.hwnd, 1));
}

TEST(RunModal, AQuitInsideEndsItAndReachesTheOuterLoop) {
  TestParent dialog;
  TimerScript script(10, [] {
    PostQuitMessage(5);
    return false;
  });
  EXPECT_EQ(RunModal(dialog.hwnd), 0);
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 5u);
}

TEST(RunModal, ADestroyedWindowEndsIt) {
  TestParent other;
  HWND dialog = CreateWindowExW(0, L"TeshmarTestParent", L"d", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  TimerScript script(10, [dialog] {
    DestroyWindow(dialog);
    return false;
  });
  EXPECT_EQ(RunModal(dialog), 0);
  EXPECT_TRUE(IsWindowEnabled(other.hwnd));
}

}  // namespace
}  // namespace teshmar::win
