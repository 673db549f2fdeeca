// The command-line driver, run as a separate program against the target window.
#include <gtest/gtest.h>

#include "win/DriverTargetLaunch.h"

namespace teshmar::driver {
namespace {

using namespace testing;

DWORD RunCli(std::vector<std::string> args) {
  Process cli = Launch({UnixToWinePath(TESHMAR_DRIVER_CLI), args, "", SW_HIDE});
  return cli.WaitExit(kWaitMs).value_or(9999);
}

TEST(DriverCli, DrivesTheTargetWindow) {
  Target t = LaunchTarget("命令行", {"--exit-code", "11"});
  const std::string pid = std::to_string(t.process.Id());
  char hwnd[32];
  std::snprintf(hwnd, sizeof hwnd, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(t.window)));

  struct Case {
    std::vector<std::string> args;
    DWORD exit;
  };
  const Case cases[] = {
      {{"wait-window", "--caption", "命令行", "--pid", pid}, 0},
      {{"wait-window", "--caption", "没有", "--timeout", "100"}, 1},
      {{"texts", "--hwnd", hwnd}, 0},
      {{"visible", "--hwnd", hwnd}, 0},
      {{"tray-icon", "--hwnd", hwnd, "--id", "100"}, 1},
      {{"send", "--hwnd", hwnd, "--msg", std::to_string(kAddTray)}, 0},
      {{"tray-icon", "--hwnd", hwnd, "--id", "100"}, 0},
      {{"post", "--hwnd", hwnd, "--msg", std::to_string(kSetCaption), "--wparam", "3"}, 0},
      {{"wait-window", "--caption", "收到3", "--pid", pid}, 0},
      {{"screenshot", "--hwnd", hwnd, "--out", UnixToWinePath(TESHMAR_SCREENSHOT_DIR "/driver-cli.png")}, 0},
      {{"press", "--hwnd", hwnd, "--button", "没有"}, 1},
      {{"press", "--hwnd", hwnd, "--wrong"}, 2},
      {{"send", "--hwnd", hwnd, "--msg", "twelve"}, 2},
      {{"no-such-command", "--hwnd", hwnd}, 2},
      {{"press", "--hwnd", hwnd, "--button", "结束"}, 0},
      {{"wait-exit", "--pid", pid}, 0},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const auto& a : c.args) line += a + " ";
    EXPECT_EQ(RunCli(c.args), c.exit) << line;
  }
  EXPECT_EQ(t.process.WaitExit(0), 11u);
}

TEST(DriverCli, WaitsForAHungWindowEndAndPrintIt) {
  Target t = LaunchTarget("命令行 挂起");
  ASSERT_TRUE(Post(t.window, kHang));
  Sleep(200);
  const std::string pid = std::to_string(t.process.Id());
  EXPECT_EQ(RunCli({"wait-window", "--caption", "命令行 挂起", "--pid", pid, "--timeout", "1000"}), 0u);
  EXPECT_EQ(RunCli({"wait-window", "--caption", "没有", "--pid", pid, "--timeout", "1000"}), 1u);
  EXPECT_EQ(RunCli({"texts", "--caption", "命令行 挂起", "--timeout", "1000"}), 0u);
}

TEST(DriverCli, LaunchesADetachedProgramWithItsOwnArguments) {
  ASSERT_EQ(RunCli({"launch", TargetPath(), "--dir", "C:\\", "--show", "1", "--", "--caption", "命令行 启动",
                    "--exit-code", "13"}),
            0u);
  const HWND window = WaitForWindow({"命令行 启动", "", 0, false}, kWaitMs);
  ASSERT_NE(window, nullptr);
  const DWORD pid = ProcessOfWindow(window);
  Process owned(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid), pid);
  ASSERT_NE(owned.Handle(), nullptr);
  EXPECT_EQ(RunCli({"press", "--caption", "命令行 启动", "--id", "101"}), 0u);
  EXPECT_EQ(owned.WaitExit(kWaitMs), 13u);
}

}  // namespace
}  // namespace teshmar::driver
