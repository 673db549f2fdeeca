#pragma once
#include <windows.h>

#include "app/Startup.h"
#include "common/MessageBoxes.h"

namespace teshmar::app {

// The window that a box "owned by the application" belongs to: the innermost modal window while
// one runs (whatever window is active), else the thread's active window of this process, else
// the main window.
HWND ApplicationBoxOwner();

// Message boxes through MessageBoxW, owned by ApplicationBoxOwner or by nobody.
class WinMessageBoxes : public IMessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned flags, MessageBoxOwner owner) override;
};

// The user default locale's formats, read into a 100-character buffer.
class WinLocaleFormats : public ILocaleFormats {
 public:
  std::optional<std::string> Read(unsigned lcType) override;
  void Write(unsigned lcType, const std::string& value) override;
};

// The named mutex; the handle is never closed by a running instance, so the system frees
// the mutex when the process ends, also after a crash.
class WinNamedMutex : public INamedMutex {
 public:
  Outcome Create(const std::string& name) override;
  void Close() override;

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace teshmar::app
