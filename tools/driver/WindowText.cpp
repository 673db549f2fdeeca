#include "tools/driver/WindowText.h"

#include "win/Wide.h"

namespace teshmar::driver {
namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

}  // namespace

std::string WindowText(HWND window, DWORD timeoutMs) {
  constexpr UINT kFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, kFlags, timeoutMs, &length)) {
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), kFlags, timeoutMs,
                            &copied)) {
      text.resize(copied < length ? copied : length);
      return win::Narrow(text);
    }
  }
  // The stored text, read without a message, as a hung window cannot answer one.
  wchar_t buffer[1024];
  const int len = InternalGetWindowText(window, buffer, 1024);
  return win::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(len > 0 ? len : 0)));
}

std::wstring ClassNameW(HWND window) {
  wchar_t buffer[256];
  const int len = GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, static_cast<std::size_t>(len > 0 ? len : 0));
}

std::string ClassName(HWND window) { return win::Narrow(ClassNameW(window)); }

ControlInfo Describe(HWND window) {
  ControlInfo info;
  info.hwnd = window;
  info.parent = GetAncestor(window, GA_PARENT);
  info.className = ClassName(window);
  info.text = WindowText(window);
  info.id = GetDlgCtrlID(window);
  info.visible = IsWindowVisible(window) != FALSE;
  info.enabled = IsWindowEnabled(window) != FALSE;
  GetWindowRect(window, &info.screenRect);
  info.parentRect = info.screenRect;
  MapWindowPoints(HWND_DESKTOP, info.parent, reinterpret_cast<POINT*>(&info.parentRect), 2);
  return info;
}

std::vector<ControlInfo> ChildControls(HWND window) {
  std::vector<ControlInfo> controls;
  for (HWND child : Descendants(window)) controls.push_back(Describe(child));
  return controls;
}

HWND FindControl(HWND window, int id) {
  for (HWND child : Descendants(window)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

std::string MessageBoxText(HWND box) {
  HWND text = FindControl(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
}

}  // namespace teshmar::driver
