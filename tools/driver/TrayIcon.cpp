#include "tools/driver/TrayIcon.h"

#include <shellapi.h>

namespace teshmar::driver {

bool TrayIconExists(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace teshmar::driver
