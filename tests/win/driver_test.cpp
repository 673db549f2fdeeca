#include "win/DriverTargetLaunch.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include "win/Wide.h"

namespace teshmar::driver {
namespace {

using namespace testing;

TEST(DriverCommandLine, ArgumentsArriveUnchanged) {
  const std::vector<std::string> cases[] = {
      {"plain"},
      {"two words", ""},
      {"quote\"inside", "trailing\\", "back\\slash"},
      {"ends with slashes\\\\", "\\\\\"mixed\\\""},
      {"中文 参数", "\t"},
  };
  for (const auto& args : cases) {
    const std::wstring line = win::Widen(BuildCommandLine("C:\\p q\\prog.exe", args));
    int count = 0;
    wchar_t** parsed = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(parsed, nullptr);
    std::vector<std::string> back;
    for (int i = 1; i < count; ++i) back.push_back(win::Narrow(parsed[i]));
    EXPECT_EQ(win::Narrow(parsed[0]), "C:\\p q\\prog.exe");
    LocalFree(parsed);
    EXPECT_EQ(back, args) << win::Narrow(line);
  }
}

TEST(DriverProcess, MissingProgramIsAnError) {
  EXPECT_THROW(Launch({"Z:\\no\\such\\program.exe", {}, "", SW_SHOWNORMAL}), DriverError);
  EXPECT_THROW(WaitProcessExit(0xFFFFFFF0u, 0), DriverError);
}

TEST(DriverProcess, DestructorKillsARunningProcess) {
  HANDLE watch = nullptr;
  {
    Target t = LaunchTarget("将被结束");
    ASSERT_TRUE(t.process.Running());
    watch = OpenProcess(SYNCHRONIZE, FALSE, t.process.Id());
    ASSERT_NE(watch, nullptr);
  }
  EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
  CloseHandle(watch);
}

TEST(DriverWindows, FindsWindowsByCaptionClassAndProcess) {
  Target t = LaunchTarget("查找窗口");
  const DWORD pid = t.process.Id();
  EXPECT_EQ(ProcessOfWindow(t.window), pid);
  EXPECT_EQ(ClassName(t.window), "TeshmarDriverTarget");
  EXPECT_EQ(WindowText(t.window), "查找窗口");

  struct Case {
    WindowQuery query;
    bool found;
  };
  const Case cases[] = {
      {{"查找窗口", "", 0, false}, true},
      {{"", "TeshmarDriverTarget", pid, false}, true},
      {{"查找窗口", "TeshmarDriverTarget", pid, false}, true},
      {{"查找", "", pid, false}, false},  // captions match whole
      {{"查找窗口", "Edit", pid, false}, false},
      {{"查找窗口", "", pid + 4, false}, false},
  };
  for (const auto& c : cases) {
    const auto found = FindWindows(c.query);
    EXPECT_EQ(std::find(found.begin(), found.end(), t.window) != found.end(), c.found)
        << c.query.caption << " / " << c.query.className;
  }
  const auto own = WindowsOfProcess(pid, false);
  EXPECT_EQ(own, std::vector<HWND>{t.window});
  EXPECT_EQ(WaitForWindow({"没有这个窗口", "", 0, true}, 200), nullptr);
}

// Windows whose threads answer no message, in this process and in another: a wait for a window
// still ends by its time-out, and finds them when they match.
TEST(DriverWindows, AWaitEndsByItsTimeOutWhateverTheWindowsDo) {
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread hung([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"挂起的窗口", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    SetEvent(created);
    WaitForSingleObject(release, INFINITE);
    DestroyWindow(window);
  });
  WaitForSingleObject(created, INFINITE);
  Target other = LaunchTarget("挂起的目标");
  ASSERT_TRUE(Post(other.window, kHang));
  Sleep(200);

  struct Case {
    WindowQuery query;
    bool found;
  } cases[] = {
      {{"没有这个窗口", "", 0, true}, false},
      {{"挂起的窗口", "", 0, true}, true},
      {{"挂起的目标", "", other.process.Id(), true}, true},
  };
  for (const auto& c : cases) {
    std::atomic<bool> done = false;
    HWND found = nullptr;
    std::string text;
    // On a thread of its own, so that a wait that hangs fails here instead of stalling the suite.
    std::thread waiter([&] {
      found = WaitForWindow(c.query, 500);
      if (found) text = WindowText(found, 500);
      done = true;
    });
    const bool ended = Eventually([&] { return done.load(); });
    if (!ended) SetEvent(release);  // lets a stuck waiter go, so the test can end
    waiter.join();
    EXPECT_TRUE(ended) << c.query.caption;
    EXPECT_EQ(found != nullptr, c.found) << c.query.caption;
    if (c.found) {
      EXPECT_EQ(text, c.query.caption);
    }
  }
  SetEvent(release);
  hung.join();
  CloseHandle(created);
  CloseHandle(release);
}

TEST(DriverWindows, ReadsChildControls) {
  Target t = LaunchTarget("控件");
  struct Expected {
    int id;
    std::string className;
    std::string text;
    bool visible;
    bool enabled;
  };
  const Expected expected[] = {
      {101, "Button", "结束", true, true},
      {102, "Static", "你好，驱动", true, true},
      {103, "Edit", "可以编辑", true, true},
      {104, "Button", "&Disabled", true, false},
      {105, "Static", "hidden", false, true},
  };
  const auto controls = ChildControls(t.window);
  ASSERT_EQ(controls.size(), std::size(expected));
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& c = controls[i];
    EXPECT_EQ(c.id, expected[i].id);
    EXPECT_EQ(c.parent, t.window);
    EXPECT_EQ(c.className, expected[i].className) << c.id;
    EXPECT_EQ(c.text, expected[i].text) << c.id;
    EXPECT_EQ(c.visible, expected[i].visible) << c.id;
    EXPECT_EQ(c.enabled, expected[i].enabled) << c.id;
  }
  EXPECT_EQ(controls[0].parentRect.left, 20);
  EXPECT_EQ(controls[0].parentRect.top, 20);
  EXPECT_EQ(controls[0].parentRect.right, 120);
  EXPECT_EQ(controls[0].parentRect.bottom, 50);
  EXPECT_EQ(controls[0].screenRect.right - controls[0].screenRect.left, 100);
}

TEST(DriverInput, PressingTheEndButtonEndsWithTheAskedExitCode) {
  struct Case {
    bool byId;
    Delivery how;
    DWORD exitCode;
  };
  const Case cases[] = {{true, Delivery::Post, 7}, {false, Delivery::Post, 9}, {false, Delivery::Send, 0}};
  for (const auto& c : cases) {
    Target t = LaunchTarget("按钮", {"--exit-code", std::to_string(c.exitCode)});
    EXPECT_FALSE(PressButton(t.window, 999));
    EXPECT_FALSE(PressButton(t.window, "没有"));
    ASSERT_TRUE(c.byId ? PressButton(t.window, 101, c.how) : PressButton(t.window, "结束", c.how));
    EXPECT_EQ(t.process.WaitExit(kWaitMs), c.exitCode);
  }
}

TEST(DriverInput, AnswersAMessageBox) {
  for (const auto& [button, exitCode] : {std::pair{IDOK, 101u}, std::pair{IDCANCEL, 102u}}) {
    Target t = LaunchTarget("对话");
    ASSERT_TRUE(Post(t.window, kAskMessage));
    const HWND box = WaitForWindow({"", "#32770", t.process.Id(), false}, kWaitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), "提示");
    EXPECT_EQ(MessageBoxText(box), "要继续吗？");
    EXPECT_NE(FindControl(box, IDOK), nullptr);
    EXPECT_NE(FindControl(box, IDCANCEL), nullptr);
    ASSERT_TRUE(PressButton(box, button));
    EXPECT_EQ(t.process.WaitExit(kWaitMs), exitCode);
  }
}

TEST(DriverInput, SendsAndPostsMessages) {
  Target t = LaunchTarget("消息");
  EXPECT_EQ(SendWithTimeout(t.window, kDouble, 21), 42);
  ASSERT_TRUE(Post(t.window, kSetCaption, 7));
  EXPECT_NE(WaitForWindow({"收到7", "", t.process.Id(), false}, kWaitMs), nullptr);
  EXPECT_FALSE(Post(nullptr, kSetCaption, 1));
  EXPECT_FALSE(SendWithTimeout(reinterpret_cast<HWND>(INT_PTR{0x7FFF0}), kDouble, 1, 0, 200).has_value());
}

TEST(DriverTray, IconCheckFollowsAddAndDeleteOfAnotherProcess) {
  Target t = LaunchTarget("托盘");
  EXPECT_FALSE(TrayIconExists(t.window, kTrayId));
  ASSERT_TRUE(SendWithTimeout(t.window, kAddTray).has_value());
  EXPECT_TRUE(TrayIconExists(t.window, kTrayId));
  EXPECT_FALSE(TrayIconExists(t.window, kTrayId + 1));
  EXPECT_TRUE(TrayIconExists(t.window, kTrayId)) << "the check itself must leave the icon in place";
  ASSERT_TRUE(SendWithTimeout(t.window, kRemoveTray).has_value());
  EXPECT_FALSE(TrayIconExists(t.window, kTrayId));
}

TEST(DriverTray, MinimiseToTrayAndRestoreFromOutside) {
  Target t = LaunchTarget("最小化");
  ASSERT_TRUE(HasTaskbarButton(t.window));
  ASSERT_TRUE(PostMinimise(t.window));
  EXPECT_TRUE(Eventually([&] { return !HasTaskbarButton(t.window); }));
  EXPECT_TRUE(Eventually([&] { return TrayIconExists(t.window, kTrayId); }));
  ASSERT_TRUE(Post(t.window, kRestoreApp));
  EXPECT_TRUE(Eventually([&] { return HasTaskbarButton(t.window); }));
  EXPECT_FALSE(IsIconic(t.window));
  EXPECT_TRUE(TrayIconExists(t.window, kTrayId));
}

TEST(DriverTray, LaunchWithAMinimisedShowStateGoesStraightToTheTray) {
  Target t = LaunchTarget("最小化启动", {}, SW_SHOWMINNOACTIVE);
  EXPECT_TRUE(Eventually([&] { return TrayIconExists(t.window, kTrayId); }));
  EXPECT_FALSE(HasTaskbarButton(t.window));
  EXPECT_TRUE(IsIconic(t.window));
  EXPECT_TRUE(FindWindows({"最小化启动", "", t.process.Id(), false}).empty());
}

std::string ScreenshotPath(const std::string& name) {
  return UnixToWinePath(std::string(TESHMAR_SCREENSHOT_DIR) + "/" + name);
}

TEST(DriverScreen, CapturesThePaintedWindow) {
  Target t = LaunchTarget("截图");
  RECT client{};
  GetClientRect(t.window, &client);
  POINT inside{client.right - 20, client.bottom - 20};  // clear of the controls
  ClientToScreen(t.window, &inside);
  EXPECT_TRUE(Eventually([&] { return ScreenPixel(inside.x, inside.y) == RGB(10, 160, 90); }))
      << std::hex << ScreenPixel(inside.x, inside.y);

  RECT frame{};
  GetWindowRect(t.window, &frame);
  const RgbImage shot = CaptureWindow(t.window);
  EXPECT_EQ(shot.width, frame.right - frame.left);
  EXPECT_EQ(shot.height, frame.bottom - frame.top);
  EXPECT_EQ(PixelAt(shot, inside.x - frame.left, inside.y - frame.top), RGB(10, 160, 90));

  const RgbImage screen = CaptureScreen();
  EXPECT_EQ(screen.width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screen.height, GetSystemMetrics(SM_CYSCREEN));
  for (const auto& [name, image] : {std::pair{"driver-window.png", &shot}, std::pair{"driver-screen.png", &screen}}) {
    SavePng(*image, ScreenshotPath(name));
    const std::string png = ReadFileBytes(ScreenshotPath(name));
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<unsigned char>(png[18]) * 256 + static_cast<unsigned char>(png[19]), image->width);
  }
  EXPECT_THROW(CaptureRect(RECT{-50, -50, -10, -10}), DriverError);
  EXPECT_THROW(SavePng(shot, ScreenshotPath("no-such-folder/x.png")), DriverError);
}

TEST(DriverSandbox, HoldsFilesAndVanishesAfterwards) {
  std::string dir;
  {
    E2eSandbox box;
    dir = box.Dir();
    EXPECT_NE(GetFileAttributesW(win::Widen(dir).c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string ini = "[Item1]\r\nServername=\xB7\xFE\xCE\xF1\xC6\xF7\r\n";  // GBK bytes stay as given
    box.WriteFile("Quorvan.ini", ini);
    box.WriteFile("sub/dir/empty.txt", "");
    EXPECT_EQ(box.ReadFile("Quorvan.ini"), ini);
    EXPECT_EQ(box.ReadFile("sub\\dir\\empty.txt"), "");
    EXPECT_FALSE(box.Exists("missing.txt"));
    EXPECT_THROW(box.ReadFile("missing.txt"), DriverError);

    const std::string copy = box.CopyIn(TargetPath(), "Copy.exe");
    EXPECT_EQ(copy, box.Path("Copy.exe"));
    EXPECT_EQ(box.CopyIn(TargetPath()), box.Path("driver_target.exe"));
    Process p = Launch({copy, {"--caption", "沙箱", "--exit-code", "5"}, box.Dir(), SW_SHOWNORMAL});
    const HWND w = WaitForWindow({"沙箱", "", p.Id(), false}, kWaitMs);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PressButton(w, 101));
    EXPECT_EQ(p.WaitExit(kWaitMs), 5u);
    EXPECT_THROW(box.CopyIn(box.Path("missing.exe")), DriverError);
    E2eSandbox other;
    EXPECT_NE(other.Dir(), box.Dir());
  }
  EXPECT_EQ(GetFileAttributesW(win::Widen(dir).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DriverSandbox, UnixPathsBecomeWinePaths) {
  const std::pair<std::string, std::string> cases[] = {
      {"/work/main/build/x.exe", "Z:\\work\\main\\build\\x.exe"},
      {"/", "Z:\\"},
      {"C:\\already\\windows", "C:\\already\\windows"},
      {"relative/file.ini", "relative\\file.ini"},
      {"", ""},
  };
  for (const auto& [unix, wine] : cases) EXPECT_EQ(UnixToWinePath(unix), wine) << unix;
}

}  // namespace
}  // namespace teshmar::driver
