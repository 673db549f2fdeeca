#include <windows.h>

#include <cstdio>

#include "e2e/ConsoleFixture.h"
#include "e2e/TimerTicks.h"
#include "win/Wide.h"

namespace teshmar::e2e {
namespace {

using namespace driver;

constexpr UINT kWmTrayIcon = 1280;
constexpr UINT kWmRestoreApp = 5120;
constexpr UINT kTrayId = 100;

TEST_F(ConsoleTest, StartsWithItsMainWindowAndWritesTheVersionBesideItself) {
  const std::string before =
      "; links kept by hand\r\n[Item1]\r\nServername=10.0.0.1\r\nDatabase=Store01\r\n\r\n[Quorvan]\r\nRefreshMinutes=15\r\n"
      "[Other]\r\nKey = value \r\n";
  ProgramPath();
  sandbox_.WriteFile("Quorvan.ini", before);
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main), "Teshmar");
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, 863);
  EXPECT_EQ(client.bottom, 543);
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  // No message box: the short date format is already right.
  EXPECT_TRUE(FindWindows({"", "#32770", console.Id(), false}).empty());
  ASSERT_TRUE(WaitUntil([&] { return sandbox_.ReadFile("Quorvan.ini") != before; }));
  EXPECT_EQ(sandbox_.ReadFile("Quorvan.ini"),
            "; links kept by hand\r\n[Item1]\r\nServername=10.0.0.1\r\nDatabase=Store01\r\n\r\n[Quorvan]\r\n"
            "RefreshMinutes=15\r\nversion=140120\r\n[Other]\r\nKey = value \r\n");
  EXPECT_FALSE(sandbox_.Exists("cwd\\Quorvan.ini"));
  EXPECT_TRUE(console.Running());
}

TEST_F(ConsoleTest, ASecondLaunchSaysSoAndLeavesTheFirstAlone) {
  Process first;
  HWND main = StartShown(first);
  ASSERT_NE(main, nullptr);

  Process second = Start();
  HWND box = WaitMessageBox(second);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "提示");
  EXPECT_EQ(MessageBoxText(box), "Teshmar已经运行");
  EXPECT_TRUE(FindWindows({"", "TMainForm", second.Id(), true}).empty());
  ScreenshotWhenDrawn("second-launch.png", [&](const RgbImage& screen) {
    return HasText(screen, FindControl(box, 0xFFFF)) && MainPageDrawn(screen, main);
  });
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(second.WaitExit(kWait), std::optional<DWORD>(0));
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(ConsoleTest, AWrongShortDateFormatIsRewrittenAndTheRunEndsByItself) {
  SetRegistryFormat(L"sShortDate", L"YYYY-MM-DD");
  SetRegistryFormat(L"sLongDate", L"dddd, MMMM d, yyyy");
  SetRegistryFormat(L"sTimeFormat", L"h:mm:ss tt");
  Process console = Start();
  HWND box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "提示");
  EXPECT_EQ(MessageBoxText(box), "初始化系统变量,请重新启动程序！");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_EQ(RegistryFormat(L"sShortDate"), "yyyy-MM-dd");
  EXPECT_EQ(RegistryFormat(L"sLongDate"), "yyyy'年'M'月'd'日'");
  EXPECT_EQ(RegistryFormat(L"sTimeFormat"), "HH:mm:ss");
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));

  // The next start finds the right format and runs.
  Process again = Start();
  HWND main = WaitMainWindow(again);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(WaitFirstShow(main));
  EXPECT_TRUE(FindWindows({"", "#32770", again.Id(), false}).empty());
}

TEST_F(ConsoleTest, MinimiseGoesToTheTrayAndTheIconBringsItBack) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(TrayIconExists(main, kTrayId));

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(PostMinimise(main));
    ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId) && !HasTaskbarButton(main); }));
    // A single left click does nothing.
    Post(main, kWmTrayIcon, kTrayId, WM_LBUTTONDOWN);
    Post(main, kWmTrayIcon, kTrayId, WM_LBUTTONUP);
    Sleep(300);
    EXPECT_FALSE(HasTaskbarButton(main));
    // A double click restores the window and takes the icon away.
    Post(main, kWmTrayIcon, kTrayId, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(main) && !IsIconic(main) && !TrayIconExists(main, kTrayId); }));
  }
}

TEST_F(ConsoleTest, RestoreMessageFromAnotherProcessKeepsTheTrayIcon) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId) && !HasTaskbarButton(main); }));
  // The icon drawn in the notification area's rightmost slot, on the area's plain background.
  ScreenshotWhenDrawn("tray.png", [&](const RgbImage& screen) {
    HWND tray = TrayWindow();
    if (!tray) return false;
    POINT centre = TraySlotPoint(tray, 0);
    ClientToScreen(tray, &centre);
    const RECT slot{centre.x - 8, centre.y - 8, centre.x + 8, centre.y + 8};
    const COLORREF background = PixelAt(screen, centre.x - 200, centre.y);
    return CountColour(screen, slot, background) < 16 * 16 / 2;
  });
  ASSERT_TRUE(Post(main, kWmRestoreApp));
  ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(main) && !IsIconic(main); }));
  EXPECT_TRUE(TrayIconExists(main, kTrayId));
}

TEST_F(ConsoleTest, AMinimisedLaunchGoesStraightToTheTrayAndShowsWhenRestored) {
  Process console = Start(SW_SHOWMINNOACTIVE);
  HWND main = WaitMainWindow(console, true);
  ASSERT_NE(main, nullptr);
  // The icon is added just before the taskbar button goes.
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId); }));
  EXPECT_TRUE(WaitUntil([&] { return !HasTaskbarButton(main); }));
  Sleep(500);
  EXPECT_FALSE(HasTaskbarButton(main));
  EXPECT_FALSE(sandbox_.Exists("Quorvan.ini")) << "the first show runs only once the window is visible";
  ASSERT_TRUE(Post(main, kWmRestoreApp));
  ASSERT_TRUE(WaitFirstShow(main));
  EXPECT_TRUE(WaitUntil([&] { return sandbox_.Exists("Quorvan.ini"); }));
}

TEST_F(ConsoleTest, TheTrayMenuCloseEndsAtOnce) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId); }));
  // A right click opens the menu at the mouse: "主界面", a separator, "关闭".
  Post(main, kWmTrayIcon, kTrayId, WM_RBUTTONDOWN);
  HWND menu = WaitForWindow({"", "#32768", console.Id(), false}, kWait);
  ASSERT_NE(menu, nullptr);
  ScreenshotWhenDrawn("tray-menu.png", [&](const RgbImage& screen) { return HasText(screen, menu); });
  // From no selection, Up selects the last item, "关闭".
  Post(menu, WM_KEYDOWN, VK_UP, 0);
  Post(menu, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));
  EXPECT_TRUE(FindWindows({"", "#32770", console.Id(), false}).empty());
}

TEST_F(ConsoleTest, TheCloseButtonAsksAndCancelKeepsTheConsoleRunning) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  ScreenshotWhenDrawn("main-basic.png", [&](const RgbImage& screen) { return MainPageDrawn(screen, main); });

  ASSERT_TRUE(PressButton(main, "关闭"));
  HWND box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "");
  EXPECT_EQ(MessageBoxText(box), "关闭Teshmar后将无法刷新注册项信息，是否继续？");
  EXPECT_NE(FindControl(box, IDCANCEL), nullptr);
  ScreenshotWhenDrawn("close-question.png",
                      [&](const RgbImage& screen) { return HasText(screen, FindControl(box, 0xFFFF)); });
  ASSERT_TRUE(PressButton(box, IDCANCEL));
  ASSERT_TRUE(WaitForNoWindow({"", "#32770", console.Id(), false}, kWait));
  Sleep(300);
  EXPECT_TRUE(console.Running());

  ASSERT_TRUE(PressButton(main, "关闭"));
  box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(PressButton(box, IDOK));
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));
}

TEST_F(ConsoleTest, TheVersionPageShowsOneVersionLineAndNeedsNoUpdate) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  HWND tabs = nullptr;
  for (const auto& control : ChildControls(main)) {
    if (control.className == "TRzPageControl") tabs = control.hwnd;
  }
  ASSERT_NE(tabs, nullptr);
  // The second tab, "在线更新", lies right of the first.
  SendWithTimeout(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 8));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(VersionMemo(main)); }));
  EXPECT_EQ(WindowText(VersionMemo(main)), "Quorvan程序版本号: 【140120】");
  ScreenshotWhenDrawn("main-version.png", [&](const RgbImage& screen) {
    HWND memo = VersionMemo(main);
    const RECT m = ScreenRect(memo);
    return HasText(screen, memo) && CountColour(screen, m, RGB(255, 255, 255)) > (m.right - m.left) * (m.bottom - m.top) / 2;
  });
  ASSERT_TRUE(PressButton(main, "在线更新"));
  HWND box = WaitMessageBox(console);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Teshmar");
  EXPECT_EQ(MessageBoxText(box), "暂不需要更新!");
  PressButton(box, IDOK);
}

HWND Grid(HWND main) {
  for (const auto& control : ChildControls(main)) {
    if (control.className == "TStringGrid") return control.hwnd;
  }
  return nullptr;
}

TEST_F(ConsoleTest, EveryLaunchStateButTheMinimisedOnesShowsTheWindowNormally) {
  for (int state : {SW_HIDE, SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_SHOWNA}) {
    SCOPED_TRACE(state);
    Process console = Start(state);
    HWND main = WaitMainWindow(console, true);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(WaitFirstShow(main));
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_FALSE(IsIconic(main));
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 863);
    EXPECT_EQ(client.bottom, 543);
    EXPECT_FALSE(TrayIconExists(main, kTrayId));
    if (state == SW_SHOWMAXIMIZED) {
      ScreenshotWhenDrawn("launch-maximised.png", [&](const RgbImage& screen) { return MainPageDrawn(screen, main); });
    }
    console.Kill();
  }
}

TEST_F(ConsoleTest, TheFocusIsKeptAcrossRestoreAndDeactivation) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  HWND grid = Grid(main);
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main) == grid; }));

  // From the tray the grid comes back with the focus.
  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId) && !HasTaskbarButton(main); }));
  Post(main, kWmTrayIcon, kTrayId, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(main) && !IsIconic(main); }));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main) == grid; })) << ClassName(FocusedWindow(main));

  // Tab moves on to another control; that control keeps the focus when another window takes
  // the activation and gives it back.
  ASSERT_TRUE(BringToForeground(main));
  ASSERT_TRUE(TypeKeys({VK_TAB}));
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main) != grid && FocusedWindow(main) != nullptr; }));
  HWND moved = FocusedWindow(main);
  ASSERT_NE(moved, main);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(BringToForeground(other));
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main) != moved; }));
  ASSERT_TRUE(BringToForeground(main));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main) == moved; })) << ClassName(FocusedWindow(main));
  DestroyWindow(other);

  // So does a minimise to the tray and a restore.
  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId) && !HasTaskbarButton(main); }));
  Post(main, kWmTrayIcon, kTrayId, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(main) && !IsIconic(main); }));
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main) == moved; })) << ClassName(FocusedWindow(main));
}

TEST_F(ConsoleTest, AltF4LeavesTheConsoleOpenButALogOffEndsIt) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(BringToForeground(main));
  ASSERT_TRUE(TypeKeys({VK_MENU, VK_F4}));
  // The taskbar's "Close window" asks the same way.
  ASSERT_TRUE(Post(main, WM_SYSCOMMAND, SC_CLOSE, 0));
  Sleep(1000);
  ASSERT_TRUE(console.Running());
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(SendWithTimeout(main, WM_NULL).has_value());

  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId); }));
  EXPECT_EQ(SendWithTimeout(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), std::optional<LRESULT>(TRUE));
  SendWithTimeout(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));
  EXPECT_FALSE(TrayIconExists(main, kTrayId));
}

TEST_F(ConsoleTest, CtrlTabTurnsThePages) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  HWND memo = VersionMemo(main);
  HWND grid = Grid(main);
  ASSERT_TRUE(memo && grid);
  ASSERT_TRUE(BringToForeground(main));
  ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(main) == grid; }));
  ASSERT_TRUE(TypeKeys({VK_CONTROL, VK_TAB}));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(memo) && !IsWindowVisible(grid); }));
  // The focus leaves the hidden grid for the new page.
  EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(main) && IsWindowVisible(FocusedWindow(main)); }));
  ScreenshotWhenDrawn("main-ctrl-tab.png", [&](const RgbImage& screen) { return HasText(screen, memo); });
  ASSERT_TRUE(TypeKeys({VK_CONTROL, VK_SHIFT, VK_TAB}));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(memo) && IsWindowVisible(grid); }));
  // Twice forward wraps round to the first page.
  ASSERT_TRUE(TypeKeys({VK_CONTROL, VK_TAB}));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(memo); }));
  ASSERT_TRUE(TypeKeys({VK_CONTROL, VK_TAB}));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(grid) && !IsWindowVisible(memo); }));
}

int CountBlack(const RgbImage& image, int left, int top, int right, int bottom) {
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) count += PixelAt(image, x, y) == RGB(0, 0, 0) ? 1 : 0;
  }
  return count;
}

// The Close item of the system menu is greyed: Wine draws the caption's close button from that
// item's state, so its cross shows grey while the minimise button's bar is black.
TEST_F(ConsoleTest, TheCaptionShowsTheCloseItemGreyed) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  RECT window{}, client{};
  GetWindowRect(main, &window);
  GetClientRect(main, &client);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int frame = (width - client.right) / 2;
  const int captionBottom = height - client.bottom - frame;
  const int button = captionBottom - frame;  // the caption's buttons are about as wide as it is high
  ASSERT_GT(button, 8);
  RgbImage shot;
  int minimiseBlack = 0;
  EXPECT_TRUE(WaitUntil([&] {
    shot = CaptureWindow(main);
    minimiseBlack = CountBlack(shot, width - frame - 3 * button - 4, frame, width - frame - 2 * button, captionBottom);
    return minimiseBlack > 3;
  })) << "the caption's minimise button is drawn";
  EXPECT_EQ(CountBlack(shot, width - frame - button, frame, width - frame, captionBottom), 0) << "close drawn greyed";
  SavePng(shot, UnixToWinePath(std::string(TESHMAR_SCREENSHOT_DIR) + "/main-caption.png"));
}

// The tray record as the shell took it: the tip it shows over the icon, and the callback message
// and id it sends when the icon is double-clicked.
TEST_F(ConsoleTest, TheShellShowsTheTipAndSendsTheCallbackOfTheTrayIcon) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PostMinimise(main));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(main, kTrayId) && !HasTaskbarButton(main); }));
  ASSERT_NE(TrayWindow(), nullptr) << "Wine's notification area";
  EXPECT_EQ(TraySlotTip(0, kWait), "Teshmar");
  ScreenshotWhenDrawn("tray-tip.png", [&](const RgbImage& screen) {
    for (HWND tip : FindWindows({"", "tooltips_class32", ProcessOfWindow(TrayWindow()), false})) {
      if (HasText(screen, tip)) return true;
    }
    return false;
  });
  ASSERT_TRUE(PostToTraySlot(0, WM_LBUTTONDBLCLK));
  EXPECT_TRUE(WaitUntil([&] { return HasTaskbarButton(main) && !IsIconic(main) && !TrayIconExists(main, kTrayId); }));
}

// The timers as the console runs them, watched from inside by a message hook: Timer1 every second,
// Timer3 at the refresh interval read from the settings file (1 minute here, against a default of
// 30), Timer4 every minute. A timer never ticks early, so the first ticks of Timer3 and Timer4 come
// a minute after the first show at the soonest; that they come at all within the wait shows the
// file's interval in place of the default. Takes a little over a minute.
TEST_F(ConsoleTest, TheTimersTickAtTheirIntervalsWithTheRefreshMinutesOfTheSettingsFile) {
  ProgramPath();
  sandbox_.WriteFile("Quorvan.ini", "[Quorvan]\r\nRefreshMinutes=1\r\n");
  HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TimerTicks), kTimerTicksName);
  ASSERT_NE(map, nullptr);
  auto* ticks = static_cast<TimerTicks*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, sizeof(TimerTicks)));
  ASSERT_NE(ticks, nullptr);
  HMODULE hookModule = LoadLibraryW(win::Widen(UnixToWinePath(TESHMAR_TIMER_HOOK)).c_str());
  ASSERT_NE(hookModule, nullptr);
  auto* hookProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookModule, "TimerTickHook")));
  ASSERT_NE(hookProc, nullptr);

  Process console = Start();
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  // Hooked before the first show starts the timers, which the memo's version line announces.
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, hookProc, hookModule, GetWindowThreadProcessId(main, nullptr));
  ASSERT_NE(hook, nullptr);
  ASSERT_TRUE(WaitFirstShow(main));
  const ULONGLONG shown = GetTickCount64();

  EXPECT_TRUE(WaitUntil([&] { return ticks->count[1] >= 3; })) << "Timer1, every second";
  EXPECT_TRUE(WaitUntil([&] { return ticks->count[3] >= 1 && ticks->count[4] >= 1; }, 150000))
      << "Timer3 and Timer4 after a minute";
  auto firstAfterShow = [&](unsigned id) {
    return static_cast<long long>(ticks->first[id]) - static_cast<long long>(shown);
  };
  for (unsigned id : {1u, 3u, 4u}) {
    if (ticks->count[id]) {
      std::printf("Timer%u: %ld ticks, the first %lld ms after the first show was seen\n", id, ticks->count[id],
                  firstAfterShow(id));
    } else {
      std::printf("Timer%u: no tick\n", id);
    }
  }
  if (ticks->count[3]) {
    EXPECT_GE(firstAfterShow(3), 55000);
  }
  if (ticks->count[4]) {
    EXPECT_GE(firstAfterShow(4), 55000);
  }
  EXPECT_EQ(ticks->count[2], 0);

  UnhookWindowsHookEx(hook);
  UnmapViewOfFile(ticks);
  CloseHandle(map);
}

}  // namespace
}  // namespace teshmar::e2e
