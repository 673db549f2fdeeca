// Entry grid figures under Wine, with the console built over the scripted database. Prints figures
// only; it judges nothing.
//   start-up: launch until the first show has ended (the grid has the keyboard focus), with an
//             empty list and with 50 entries that all answer at once, beside a minimal window;
//   idle:     CPU of the console with 50 entries blinking, over a given number of seconds;
//   held:     a refresh of 20 entries of which 5 take 2 s each to refuse: launch until the refresh
//             has ended (its message window appears).
// Usage: grid_bench.exe [runs] [idle seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "win/Wide.h"

namespace {

using namespace teshmar::driver;

constexpr int kRgInfoId = 1005;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000.0 / frequency.QuadPart;
}

std::string Cp936(const std::string& utf8) {
  const std::wstring wide = teshmar::win::Widen(utf8);
  int size = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// n entries; those in `slow` link to a server that takes 2 s to refuse, the others to one that answers.
void WriteFiles(E2eSandbox& sandbox, int n, const std::vector<int>& slow) {
  std::string entries = "[Entries]\r\nCount=" + std::to_string(n) + "\r\n";
  std::string links;
  for (int i = 1; i <= n; ++i) {
    entries += "[Entry" + std::to_string(i) + "]\r\nName=门店" + std::to_string(i) + "\r\nAddr=广东省,东莞市,,路" +
               std::to_string(i) + "\r\nKind=1\r\n";
    const bool isSlow = std::find(slow.begin(), slow.end(), i) != slow.end();
    links += "[Item" + std::to_string(i) + "]\r\nServername=" + (isSlow ? "127.0.0.9" : "127.0.0.1") +
             "\r\nPort=1433\r\nDatabase=Store\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
  }
  sandbox.WriteFile("Entries.ini", Cp936(entries));
  sandbox.WriteFile("Quorvan.ini", links);
  sandbox.WriteFile("ScriptedDb.txt",
                    "server 127.0.0.1\n  database Store\n    table Base\nserver 127.0.0.9\n  delay 2000\n  refuse-connect\n");
}

HWND MainOf(const Process& process, const char* className) {
  auto found = FindWindows({"", className, process.Id(), false});
  return found.empty() ? nullptr : found.front();
}

bool FocusIsOn(const Process& process, HWND target) {
  GUITHREADINFO info{sizeof info};
  DWORD thread = GetWindowThreadProcessId(target, nullptr);
  (void)process;
  return GetGUIThreadInfo(thread, &info) && info.hwndFocus == target;
}

void Close(Process& process, HWND main) {
  if (main) SendWithTimeout(main, WM_CLOSE);
  if (!process.WaitExit(5000)) process.Kill();
}

// Launch until the grid has the focus (the end of the first show); -1 after 60 s.
double TimeToFirstShowEnd(const std::string& program, const std::string& dir) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND main = nullptr;
  while (Now() - start < 60000) {
    if (!main) main = MainOf(process, "TMainForm");
    HWND grid = main ? FindControl(main, kRgInfoId) : nullptr;
    if (grid && FocusIsOn(process, grid)) break;
    Sleep(1);
  }
  const double ms = Now() - start;
  // TMainForm answers WM_CLOSE by closing; the minimal window too.
  Close(process, main);
  return ms < 60000 ? ms : -1;
}

double TimeToMinimalWindow(const std::string& program, const std::string& dir) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND main = nullptr;
  while (!(main = MainOf(process, "MinimalWindow")) && Now() - start < 60000) Sleep(1);
  const double ms = Now() - start;
  Close(process, main);
  return ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
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
    emptyTimes.push_back(TimeToFirstShowEnd(emptyConsole, empty.Dir()));
    fiftyTimes.push_back(TimeToFirstShowEnd(fiftyConsole, fifty.Dir()));
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
