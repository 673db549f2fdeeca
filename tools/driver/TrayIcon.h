#pragma once
#include <windows.h>

#include <string>

namespace teshmar::driver {

// Whether the notification area holds the icon (window, id). Asks the shell to modify the icon
// while changing nothing (NIM_MODIFY with uFlags 0): the shell agrees only for an icon it has.
// Checked under Wine 8 with the prefix's virtual desktop, across processes: false before NIM_ADD,
// true after it, false again after NIM_DELETE, false for another id of the same window.
bool TrayIconExists(HWND window, UINT id);

// The notification area of Wine's own desktop shell (explorer's "Shell_TrayWnd" along the bottom of
// the virtual desktop), as a person uses it: the icons stand in small-icon-sized slots from the
// right end, slot 0 rightmost, and the shell relays the mouse messages it gets over an icon to the
// icon's window with the icon's callback message. Wine 8 only; nullptr / false / empty elsewhere.
HWND TrayWindow();
// The centre of an icon slot in the notification area's client coordinates.
POINT TraySlotPoint(HWND tray, int slot);
// Posts a mouse message (WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, ...) to the notification area over the slot.
bool PostToTraySlot(int slot, UINT mouseMessage);
// Moves the mouse over the slot and reads the tip the shell then shows; empty when none shows in time.
std::string TraySlotTip(int slot, DWORD timeoutMs);

}  // namespace teshmar::driver
