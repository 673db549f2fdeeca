#include "tools/driver/DriverError.h"

#include <windows.h>

#include "win/Wide.h"

namespace teshmar::driver {

void ThrowLastError(std::string_view what) {
  const DWORD code = GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD len = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string reason = len ? win::Narrow(std::wstring_view(buffer, len)) : std::string();
  if (buffer) LocalFree(buffer);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  throw DriverError(std::string(what) + ": error " + std::to_string(code) + (reason.empty() ? "" : " (" + reason + ")"));
}

}  // namespace teshmar::driver
