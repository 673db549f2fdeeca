#pragma once
#include <windows.h>

namespace teshmar::driver {

// Whether the notification area holds the icon (window, id). Asks the shell to modify the icon
// while changing nothing (NIM_MODIFY with uFlags 0): the shell agrees only for an icon it has.
// Checked under Wine 8 with the prefix's virtual desktop, across processes: false before NIM_ADD,
// true after it, false again after NIM_DELETE, false for another id of the same window.
bool TrayIconExists(HWND window, UINT id);

}  // namespace teshmar::driver
