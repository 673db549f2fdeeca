#include "app/WinServices.h"

#include "app/AppWindow.h"
#include "win/Modal.h"
#include "win/Wide.h"

namespace teshmar::app {

// A box enables its owner again when it closes. While a modal window runs, the main window is
// disabled and must stay so: the box then belongs to that window, whatever window is active (none
// of this process, when the operator switched to another program meanwhile), so that the window
// is disabled while its box waits. Otherwise it belongs to the active window of this process, as
// the framework's boxes do, and to the main window when none is active.
HWND ApplicationBoxOwner() {
  if (HWND modal = win::InnermostModalWindow()) return modal;
  HWND active = GetActiveWindow();
  DWORD process = 0;
  if (active && GetWindowThreadProcessId(active, &process) && process == GetCurrentProcessId()) return active;
  return MainWindow();
}

int WinMessageBoxes::Show(const std::string& text, const std::string& caption, unsigned flags,
                          MessageBoxOwner owner) {
  HWND parent = owner == MessageBoxOwner::Application ? ApplicationBoxOwner() : nullptr;
  return MessageBoxW(parent, win::Widen(text).c_str(), win::Widen(caption).c_str(), flags);
}

std::optional<std::string> WinLocaleFormats::Read(unsigned lcType) {
  wchar_t buffer[100] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, lcType, buffer, 100) == 0) return std::nullopt;
  return win::Narrow(buffer);
}

void WinLocaleFormats::Write(unsigned lcType, const std::string& value) {
  // The W call stores the Chinese of the long date correctly whatever the system's code page.
  SetLocaleInfoW(LOCALE_USER_DEFAULT, lcType, win::Widen(value).c_str());
}

INamedMutex::Outcome WinNamedMutex::Create(const std::string& name) {
  handle_ = CreateMutexW(nullptr, TRUE, win::Widen(name).c_str());
  if (!handle_) return Outcome::Failed;
  return GetLastError() == ERROR_ALREADY_EXISTS ? Outcome::AlreadyExists : Outcome::Created;
}

void WinNamedMutex::Close() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

}  // namespace teshmar::app
