#pragma once
#include <windows.h>

namespace teshmar::win {

// Runs `window` modally, as the console's dialogs need it:
// - every other visible, enabled top-level window of this thread is disabled (and only those are enabled
//   again afterwards, so a window that was already disabled by an outer modal run stays disabled);
// - the window is shown and activated if it is not visible yet;
// - a nested GetMessage / IsDialogMessage / DispatchMessage loop runs, so Tab, Enter and mnemonics
//   work among the window's children and window timers keep firing;
// - the loop ends when EndModal(window, result) is called, when the window is destroyed (result 0),
//   or when WM_QUIT arrives (result 0; the quit is posted again after the other windows are enabled,
//   so the outer loop ends too).
// On the way out the other windows are enabled again before the window is hidden, so activation
// returns to them. RunModal does NOT destroy the window: the caller destroys it.
// Returns the result given to EndModal. A window already running modally returns 0 at once.
int RunModal(HWND window);

// Ends the modal run of `window` with `result`; false when `window` is not running modally.
bool EndModal(HWND window, int result);

// Whether `window` is inside RunModal.
bool IsRunningModal(HWND window);

// The window of the innermost RunModal on this thread; nullptr when none runs.
HWND InnermostModalWindow();

}  // namespace teshmar::win
