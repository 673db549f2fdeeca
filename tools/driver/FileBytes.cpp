#include "tools/driver/FileBytes.h"

#include <windows.h>

#include "tools/driver/DriverError.h"
#include "win/Wide.h"

namespace teshmar::driver {

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowLastError("cannot create " + path);
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  if (!ok || written != bytes.size()) ThrowLastError("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowLastError("cannot open " + path);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  if (!ok) ThrowLastError("cannot read " + path);
  return bytes;
}

}  // namespace teshmar::driver
