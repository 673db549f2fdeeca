#pragma once
// Starts the driver tests' target window (driver_target.cpp) and waits for it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/driver/Driver.h"

namespace teshmar::driver::testing {

inline constexpr UINT kAskMessage = WM_APP + 1;
inline constexpr UINT kAddTray = WM_APP + 2;
inline constexpr UINT kRemoveTray = WM_APP + 3;
inline constexpr UINT kSetCaption = WM_APP + 4;
inline constexpr UINT kDouble = WM_APP + 5;
inline constexpr UINT kHang = WM_APP + 6;  // the target's thread stops for good
inline constexpr UINT kRestoreApp = 5120;
inline constexpr UINT kTrayId = 100;
inline constexpr DWORD kWaitMs = 15000;  // upper bound of every wait; never a measure of speed

inline std::string TargetPath() { return UnixToWinePath(TESHMAR_DRIVER_TARGET); }

struct Target {
  Process process;
  HWND window = nullptr;
};

// Launches the target with a caption of its own and waits for its window (hidden ones too).
inline Target LaunchTarget(const std::string& caption, std::vector<std::string> args = {},
                           int showState = SW_SHOWNORMAL) {
  args.insert(args.begin(), {"--caption", caption});
  Target t;
  t.process = Launch({TargetPath(), args, "", showState});
  WindowQuery q;
  q.caption = caption;
  q.pid = t.process.Id();
  q.includeHidden = true;
  t.window = WaitForWindow(q, kWaitMs);
  EXPECT_NE(t.window, nullptr) << "no window \"" << caption << "\"";
  // The window is found while still hidden and without its children; the target is ready only
  // once its message loop first waits.
  WaitForInputIdle(t.process.Handle(), kWaitMs);
  return t;
}

// Polls a condition; false when it did not come true within kWaitMs.
template <typename Condition>
bool Eventually(Condition condition) {
  const ULONGLONG end = GetTickCount64() + kWaitMs;
  while (!condition()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace teshmar::driver::testing
