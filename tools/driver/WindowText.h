#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace teshmar::driver {

// A window's text by WM_GETTEXT sent with a timeout, so it works across processes and a hung
// target cannot block the driver (falls back to GetWindowTextW when the target does not answer).
std::string WindowText(HWND window, DWORD timeoutMs = 2000);
std::string ClassName(HWND window);
std::wstring ClassNameW(HWND window);

struct ControlInfo {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  std::string className;
  std::string text;
  int id = 0;  // control id (GetDlgCtrlID); a message box's text is the static with id 0xFFFF
  bool visible = false;  // IsWindowVisible: itself and all its parents shown
  bool enabled = false;
  RECT screenRect{};  // GetWindowRect
  RECT parentRect{};  // the same rectangle in the parent's client coordinates
};

ControlInfo Describe(HWND window);
// Every descendant of `window` (children, their children, ...), in the order EnumChildWindows gives.
std::vector<ControlInfo> ChildControls(HWND window);
// The first descendant with this control id; nullptr if none.
HWND FindControl(HWND window, int id);
// The message text of a message box (the static with id 0xFFFF); empty when there is none.
std::string MessageBoxText(HWND box);

}  // namespace teshmar::driver
