// Start-up benchmark: time from launch until the first show has written the version line,
// for Teshmar.exe and for a minimal one-window program, in the same run. Prints figures only.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tools/driver/Driver.h"

namespace {

using namespace teshmar::driver;

HWND FindEdit(HWND main) {
  for (const auto& control : ChildControls(main)) {
    if (control.className == "Edit") return control.hwnd;
  }
  return nullptr;
}

double TimeToFirstShow(const std::string& program, const char* className, const std::string& dir) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  double ms = -1;
  for (;;) {
    HWND main = nullptr;
    auto found = FindWindows({"", className, process.Id(), false});
    if (!found.empty()) main = found.front();
    if (main && WindowText(FindEdit(main)).find("140120") != std::string::npos) break;
    QueryPerformanceCounter(&now);
    if ((now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart > 30000) return -1;
    Sleep(1);
  }
  QueryPerformanceCounter(&now);
  ms = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
  auto main = FindWindows({"", className, process.Id(), false});
  if (!main.empty()) SendWithTimeout(main.front(), WM_CLOSE);
  process.WaitExit(10000);
  return ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 7;
  E2eSandbox sandbox("teshmar-startup");
  const std::string console = sandbox.CopyIn(UnixToWinePath(TESHMAR_EXE), "Teshmar.exe");
  const std::string minimal = sandbox.CopyIn(UnixToWinePath(MINIMAL_EXE), "minimal.exe");
  std::vector<double> consoleTimes, minimalTimes;
  for (int i = 0; i < runs; ++i) {
    consoleTimes.push_back(TimeToFirstShow(console, "TMainForm", sandbox.Dir()));
    minimalTimes.push_back(TimeToFirstShow(minimal, "MinimalWindow", sandbox.Dir()));
  }
  for (int i = 0; i < runs; ++i) std::printf("run %d: Teshmar %.1f ms, minimal %.1f ms\n", i + 1, consoleTimes[i], minimalTimes[i]);
  const double a = Median(consoleTimes), b = Median(minimalTimes);
  std::printf("median of %d runs: Teshmar %.1f ms, minimal window %.1f ms, ratio %.2f\n", runs, a, b, a / b);
  return 0;
}
