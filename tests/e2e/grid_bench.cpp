// Entry grid figures under Wine, with the console built over the scripted database. Prints figures
// only; it judges nothing.
//   start-up: launch until the first show has ended (the grid copies its headings; with 50
//             entries that all answer at once, row 1 its state), beside a minimal window;
//   idle:     CPU of the console with 50 entries blinking, over a given number of seconds;
//   held:     a refresh of 20 entries of which 5 take 2 s each to refuse: launch until the refresh
//             has ended (its message window appears).
// Usage: grid_bench.exe [runs] [idle seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e/BenchSupport.h"

namespace {

using namespace teshmar::bench;

double TimeToMinimalWindow(const std::string& program, const std::string& dir) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND main = nullptr;
  while (!(main = MainOf(process, "MinimalWindow")) && Now() - start < 60000) Sleep(1);
  const double ms = Now() - start;
  Close(process, main);
  return ms;
}

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  auto ms = [](FILETIME t) { return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 5;
  const int idleSeconds = argc > 2 ? std::max(5, atoi(argv[2])) : 60;

  E2eSandbox empty("teshmar-gridbench-empty");
  const std::string emptyConsole = empty.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
  const std::string minimal = empty.CopyIn(UnixToWinePath(MINIMAL_EXE), "minimal.exe");
  E2eSandbox fifty("teshmar-gridbench-50");
  const std::string fiftyConsole = fifty.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
  WriteFiles(fifty, 50, {});

  std::vector<double> emptyTimes, fiftyTimes, minimalTimes;
  for (int i = 0; i < runs; ++i) {
    emptyTimes.push_back(TimeToHeadings(emptyConsole, empty.Dir()));
    fiftyTimes.push_back(TimeToFirstStates(fiftyConsole, fifty.Dir()));
    minimalTimes.push_back(TimeToMinimalWindow(minimal, empty.Dir()));
  }
  std::printf("start-up to the end of the first show, median of %d: empty list %.1f ms, 50 entries %.1f ms, "
              "minimal window %.1f ms\n",
              runs, Median(emptyTimes), Median(fiftyTimes), Median(minimalTimes));

  {
    Process process = Launch({fiftyConsole, {}, fifty.Dir(), SW_SHOWNORMAL});
    HWND main = nullptr;
    for (int i = 0; i < 600 && !main; ++i, Sleep(50)) main = MainOf(process, "TMainForm");
    Sleep(3000);  // the first show and its refresh are over
    const double cpu0 = CpuMs(process.Handle()), wall0 = Now();
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const double cpu = CpuMs(process.Handle()) - cpu0, wall = Now() - wall0;
    if (cpu > 0) {
      std::printf("idle with 50 entries blinking: %.0f ms CPU over %.0f ms, %.2f%% of one core\n", cpu, wall,
                  100.0 * cpu / wall);
    } else {
      // Wine reports no times of another process; scripts/idle-cpu.sh reads them from /proc.
      std::printf("idle with 50 entries blinking: not reported for another process here (see scripts/idle-cpu.sh)\n");
    }
    Close(process, main);
  }

  E2eSandbox slow("teshmar-gridbench-slow");
  const std::string slowConsole = slow.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
  WriteFiles(slow, 20, {4, 8, 12, 16, 20});
  {
    const double start = Now();
    Process process = Launch({slowConsole, {}, slow.Dir(), SW_SHOWNORMAL});
    HWND message = WaitForWindow({"消息", "TFrmMsg", process.Id(), false}, 120000, 5);
    const double held = Now() - start;
    std::printf("refresh of 20 entries, 5 taking 2 s to refuse: launch to the refresh's message %.0f ms%s\n", held,
                message ? "" : " (no message window)");
    if (message) PressButton(message, IDOK);
    Sleep(500);
    Close(process, MainOf(process, "TMainForm"));
  }
  return 0;
}
