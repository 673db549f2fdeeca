#include "tools/driver/WindowFind.h"

#include "tools/driver/WindowText.h"
#include "win/Wide.h"

namespace teshmar::driver {
namespace {

struct Search {
  const WindowQuery* query;
  std::wstring caption;
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  auto& s = *reinterpret_cast<Search*>(param);
  const WindowQuery& q = *s.query;
  if (!q.includeHidden && !IsWindowVisible(window)) return TRUE;
  if (q.pid && ProcessOfWindow(window) != q.pid) return TRUE;
  if (!q.className.empty() && ClassNameW(window) != s.className) return TRUE;
  // GetWindowTextW sends WM_GETTEXT to a window of this process, which a hung thread never answers;
  // InternalGetWindowText reads the stored caption of any window without a message.
  if (!q.caption.empty()) {
    wchar_t buffer[512];
    const int len = InternalGetWindowText(window, buffer, 512);
    if (std::wstring_view(buffer, static_cast<std::size_t>(len > 0 ? len : 0)) != s.caption) return TRUE;
  }
  s.found.push_back(window);
  return TRUE;
}

}  // namespace

DWORD ProcessOfWindow(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> FindWindows(const WindowQuery& query) {
  Search s{&query, win::Widen(query.caption), win::Widen(query.className), {}};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::vector<HWND> WindowsOfProcess(DWORD pid, bool includeHidden) {
  WindowQuery q;
  q.pid = pid;
  q.includeHidden = includeHidden;
  return FindWindows(q);
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    const auto found = FindWindows(query);
    if (!found.empty()) return found.front();
    if (GetTickCount64() >= end) return nullptr;
    Sleep(pollMs);
  }
}

bool WaitForNoWindow(const WindowQuery& query, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (FindWindows(query).empty()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(pollMs);
  }
}

}  // namespace teshmar::driver
