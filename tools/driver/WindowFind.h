#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace teshmar::driver {

// Which top-level windows to look for; an empty field matches anything.
struct WindowQuery {
  std::string caption;    // exact window text (UTF-8)
  std::string className;  // exact class name, e.g. "TMainForm" or "#32770"
  DWORD pid = 0;          // owning process; 0 for any
  bool includeHidden = false;
};

// Top-level windows matching the query, in Z order (topmost first).
std::vector<HWND> FindWindows(const WindowQuery& query);
// All top-level windows of one process.
std::vector<HWND> WindowsOfProcess(DWORD pid, bool includeHidden);
// Polls every pollMs until a matching window exists; nullptr after timeoutMs. The search sends no
// message to any window, so it ends by its time-out however the windows' threads behave.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs, DWORD pollMs = 50);
// Polls until no window matches the query any more; false after timeoutMs.
bool WaitForNoWindow(const WindowQuery& query, DWORD timeoutMs, DWORD pollMs = 50);

DWORD ProcessOfWindow(HWND window);

}  // namespace teshmar::driver
