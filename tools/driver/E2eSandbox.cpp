#include "tools/driver/E2eSandbox.h"

#include <windows.h>

#include <atomic>

#include "tools/driver/DriverError.h"
#include "tools/driver/FileBytes.h"
#include "win/Wide.h"

namespace teshmar::driver {
namespace {

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void MakeParents(const std::string& file) {
  for (auto at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1)) {
    CreateDirectoryW(win::Widen(file.substr(0, at)).c_str(), nullptr);
  }
}

bool DeleteTreeOnce(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  bool ok = true;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = dir + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ok = DeleteTreeOnce(path) && ok;
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = DeleteFileW(path.c_str()) && ok;
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryW(dir.c_str()) && ok;
}

}  // namespace

std::string UnixToWinePath(std::string_view path) {
  std::string out = path.starts_with('/') ? "Z:" + std::string(path) : std::string(path);
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

bool DeleteTree(const std::string& dir) {
  const std::wstring wide = win::Widen(dir);
  // A program that just ended may hold its image file for a moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (DeleteTreeOnce(wide) || GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

E2eSandbox::E2eSandbox(std::string_view prefix) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD len = GetTempPathW(MAX_PATH + 1, temp);
  if (len == 0 || len > MAX_PATH) ThrowLastError("GetTempPathW");
  static std::atomic<unsigned> counter{0};
  std::string base = win::Narrow(std::wstring_view(temp, len));
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string dir = base + "\\" + std::string(prefix) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
    if (CreateDirectoryW(win::Widen(dir).c_str(), nullptr)) {
      dir_ = dir;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError("cannot create " + dir);
  }
  throw DriverError("no fresh directory name under " + base);
}

E2eSandbox::~E2eSandbox() { DeleteTree(dir_); }

std::string E2eSandbox::Path(std::string_view name) const { return dir_ + "\\" + UnixToWinePath(name); }

std::string E2eSandbox::CopyIn(const std::string& source, std::string_view name) {
  const std::string target = Path(name.empty() ? FileNameOf(source) : std::string(name));
  MakeParents(target);
  if (!CopyFileW(win::Widen(source).c_str(), win::Widen(target).c_str(), FALSE)) {
    ThrowLastError("cannot copy " + source + " to " + target);
  }
  return target;
}

std::string E2eSandbox::WriteFile(std::string_view name, std::string_view bytes) {
  const std::string path = Path(name);
  MakeParents(path);
  WriteFileBytes(path, bytes);
  return path;
}

std::string E2eSandbox::ReadFile(std::string_view name) const { return ReadFileBytes(Path(name)); }

bool E2eSandbox::Exists(std::string_view name) const {
  return GetFileAttributesW(win::Widen(Path(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace teshmar::driver
