#pragma once
// What the console's benchmarks under Wine share: a clock, the files of n scripted entries, and
// the time from launch to the end of the first show. They print figures and judge nothing.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "win/Wide.h"

namespace teshmar::bench {

using namespace driver;

constexpr int kRgInfoId = 1005;

inline double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000.0 / frequency.QuadPart;
}

inline std::string Cp936(const std::string& utf8) {
  const std::wstring wide = win::Widen(utf8);
  int size = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// n entries; those in `slow` link to a server that takes slowMs to refuse, the others to one that answers.
inline void WriteFiles(E2eSandbox& sandbox, int n, const std::vector<int>& slow, int slowMs = 2000) {
  std::string entries = "[Entries]\r\nCount=" + std::to_string(n) + "\r\n";
  std::string links;
  std::vector<bool> isSlow(static_cast<size_t>(n) + 1);
  for (int i : slow) {
    if (i >= 1 && i <= n) isSlow[static_cast<size_t>(i)] = true;
  }
  for (int i = 1; i <= n; ++i) {
    entries += "[Entry" + std::to_string(i) + "]\r\nName=门店" + std::to_string(i) + "\r\nAddr=广东省,东莞市,,路" +
               std::to_string(i) + "\r\nKind=1\r\n";
    links += "[Item" + std::to_string(i) + "]\r\nServername=" + (isSlow[static_cast<size_t>(i)] ? "127.0.0.9" : "127.0.0.1") +
             "\r\nPort=1433\r\nDatabase=Store\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
  }
  sandbox.WriteFile("Entries.ini", Cp936(entries));
  sandbox.WriteFile("Quorvan.ini", links);
  sandbox.WriteFile("ScriptedDb.txt", "server 127.0.0.1\n  database Store\n    table Base\nserver 127.0.0.9\n  delay " +
                                          std::to_string(slowMs) + "\n  refuse-connect\n");
}

inline HWND MainOf(const Process& process, const char* className) {
  auto found = FindWindows({"", className, process.Id(), false});
  return found.empty() ? nullptr : found.front();
}

inline void Close(Process& process, HWND main) {
  if (main) SendWithTimeout(main, WM_CLOSE);
  if (!process.WaitExit(5000)) process.Kill();
}

// What the grid puts on the clipboard for WM_COPY (the selected rows, at first row 1); empty while
// the console does not answer within timeoutMs.
inline std::string CopiedRows(HWND grid, UINT timeoutMs = 200) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(grid, WM_COPY, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result)) return {};
  std::string text;
  for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(5);
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = win::Narrow(chars);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// Launch until the grid copies its headings: with an empty list the first show writes them and
// ends within the same message, so its answer comes once the first show is over.
inline double TimeToHeadings(const std::string& program, const std::string& dir, double limitMs = 60000) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND main = nullptr;
  bool shown = false;
  while (!shown && Now() - start < limitMs) {
    if (!main) main = MainOf(process, "TMainForm");
    HWND grid = main ? FindControl(main, kRgInfoId) : nullptr;
    shown = grid && CopiedRows(grid).rfind("序号", 0) == 0;
    if (!shown) Sleep(1);
  }
  const double ms = Now() - start;
  Close(process, main);
  return shown ? ms : -1;
}

// Launch until row 1 shows its link state "连接" (the first show's check has ended and its states
// are shown); -1 after limitMs. For lists whose first entry answers.
inline double TimeToFirstStates(const std::string& program, const std::string& dir, double limitMs = 60000) {
  const double start = Now();
  Process process = Launch({program, {}, dir, SW_SHOWNORMAL});
  HWND main = nullptr;
  bool shown = false;
  while (!shown && Now() - start < limitMs) {
    if (!main) main = MainOf(process, "TMainForm");
    HWND grid = main ? FindControl(main, kRgInfoId) : nullptr;
    const std::string rows = grid ? CopiedRows(grid) : std::string();
    const size_t firstRow = rows.find("\r\n");
    shown = firstRow != std::string::npos && rows.find("\t连接\r\n", firstRow) != std::string::npos;
    if (!shown) Sleep(5);
  }
  const double ms = Now() - start;
  Close(process, main);
  return shown ? ms : -1;
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace teshmar::bench
