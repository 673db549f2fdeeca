#pragma once
#include <windows.h>

namespace teshmar::win {

// Registers a window class of this module with the program's icon "MAINICON", an arrow cursor (and `background` as its class
// brush, none by default); a class that is already registered counts as success.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background = nullptr);

// The thin struct behind a window: on WM_NCCREATE the creation parameter is kept in the window's
// user data, and every call returns it (nullptr before WM_NCCREATE and after it is cleared).
template <class T>
T* WindowData(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace teshmar::win
