#include "tools/driver/TrayIcon.h"

#include <shellapi.h>

#include "tools/driver/WindowFind.h"
#include "tools/driver/WindowInput.h"
#include "tools/driver/WindowText.h"

namespace teshmar::driver {

bool TrayIconExists(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

HWND TrayWindow() {
  const auto found = FindWindows({"", "Shell_TrayWnd", 0, false});
  return found.empty() ? nullptr : found.front();
}

POINT TraySlotPoint(HWND tray, int slot) {
  RECT client{};
  GetClientRect(tray, &client);
  const int cx = GetSystemMetrics(SM_CXSMICON) + 4;  // the shell's slot: the small icon and a border of 2
  const int cy = GetSystemMetrics(SM_CYSMICON) + 4;
  return POINT{client.right - cx * slot - cx / 2, (client.bottom - cy) / 2 + cy / 2};
}

bool PostToTraySlot(int slot, UINT mouseMessage) {
  HWND tray = TrayWindow();
  if (!tray) return false;
  const POINT at = TraySlotPoint(tray, slot);
  const WPARAM keys = mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == WM_LBUTTONDOWN ? MK_LBUTTON
                      : mouseMessage == WM_RBUTTONDOWN                                ? MK_RBUTTON
                                                                                       : 0;
  return Post(tray, mouseMessage, keys, MAKELPARAM(at.x, at.y));
}

std::string TraySlotTip(int slot, DWORD timeoutMs) {
  HWND tray = TrayWindow();
  if (!tray) return {};
  POINT at = TraySlotPoint(tray, slot);
  const POINT client = at;
  ClientToScreen(tray, &at);
  const DWORD shell = ProcessOfWindow(tray);
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    // The shell hands the move on to the icon's tooltip, which shows once the mouse has rested there
    // for the initial delay; every further move would start that delay again.
    SetCursorPos(at.x, at.y);
    Post(tray, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
    for (int i = 0; i < 20; ++i) {
      Sleep(100);
      for (HWND tip : FindWindows({"", "tooltips_class32", shell, false})) {
        const std::string text = WindowText(tip);
        if (!text.empty()) return text;
      }
    }
  } while (GetTickCount64() < end);
  return {};
}

}  // namespace teshmar::driver
