#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace teshmar::driver {

// How a message reaches the target. Posting never blocks the driver; sending waits for the
// answer, at most the timeout, so a modal loop opened by the target cannot hang the driver.
enum class Delivery { Post, Send };

// Clicks a button of `window` (any descendant) with BM_CLICK. By control id (IDOK 1, IDCANCEL 2
// in message boxes) or by caption (compared with and without its '&' mnemonic markers).
// False when no such button exists or the message could not be delivered; with Delivery::Send
// also when the click did not return in time (e.g. it opened a modal window), so prefer Post.
bool PressButton(HWND window, int id, Delivery how = Delivery::Post, DWORD timeoutMs = 2000);
bool PressButton(HWND window, const std::string& caption, Delivery how = Delivery::Post, DWORD timeoutMs = 2000);

// SendMessageTimeoutW: the result, or nullopt when the target did not answer in time.
std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                       DWORD timeoutMs = 5000);
// False for a handle that names no window.
bool Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// What the system menu's "Minimize" does: posts WM_SYSCOMMAND SC_MINIMIZE.
bool PostMinimise(HWND window);

// Whether the window has a taskbar button: a shown top-level window has one, a hidden one does not.
bool HasTaskbarButton(HWND window);

// Presses keys as a person would, through the system's input queue (SendInput): down in the given
// order, up in the reverse order. They reach the foreground window's focus, with the key state
// (Ctrl, Shift, Alt) that real typing gives. False when the system refused the input.
bool TypeKeys(const std::vector<WORD>& virtualKeys);

// Makes `window` the foreground window; true once it is.
bool BringToForeground(HWND window, DWORD timeoutMs = 5000);

// The window that has the keyboard focus in the thread owning `window` (any process); nullptr if none.
HWND FocusedWindow(HWND window);

}  // namespace teshmar::driver
