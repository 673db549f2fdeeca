#include <windows.h>

#include <algorithm>

#include "links/FileOps.h"
#include "win/Wide.h"

namespace teshmar {

namespace {

class WinFileOps : public IFileOps {
 public:
  FileRead Read(const std::string& path) override {
    HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
      return {missing ? FileRead::Status::Missing : FileRead::Status::Unreadable, {}};
    }
    FileRead result{FileRead::Status::Ok, {}};
    char buffer[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
        result = {FileRead::Status::Unreadable, {}};
        break;
      }
      if (got == 0) break;
      result.bytes.append(buffer, got);
    }
    CloseHandle(file);
    return result;
  }

  bool WriteNew(const std::string& path, const std::string& bytes) override {
    HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
      DWORD wrote = 0;
      ok = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
      done += wrote;
    }
    ok = ok && FlushFileBuffers(file);
    return CloseHandle(file) && ok;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    // Windows refuses to replace a read-only file; say so on every platform layer alike.
    DWORD attributes = GetFileAttributesW(win::Widen(to).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return MoveFileExW(win::Widen(from).c_str(), win::Widen(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  void Remove(const std::string& path) override { DeleteFileW(win::Widen(path).c_str()); }
};

}  // namespace

IFileOps& PlatformFileOps() {
  static WinFileOps ops;
  return ops;
}

}  // namespace teshmar
