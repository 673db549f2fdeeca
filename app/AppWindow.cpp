#include "app/AppWindow.h"

namespace teshmar::app {
namespace {
HWND mainWindow = nullptr;
}  // namespace

void SetMainWindow(HWND window) { mainWindow = window; }

HWND MainWindow() { return mainWindow && IsWindow(mainWindow) ? mainWindow : nullptr; }

}  // namespace teshmar::app
