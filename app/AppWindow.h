#pragma once
#include <windows.h>

namespace teshmar::app {

// The application's main window, owner of the console's auxiliary windows (message window,
// progress window). The main window sets itself when it is created and clears it (nullptr) when
// it is destroyed; while none is set, those windows have no owner.
void SetMainWindow(HWND window);
HWND MainWindow();

}  // namespace teshmar::app
