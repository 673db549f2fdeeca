#include <windows.h>

#include <algorithm>

#include "links/files/FileOps.h"
#include "win/Wide.h"

namespace teshmar {

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote != chunk) return false;
    done += wrote;
  }
  return true;
}

bool SetSize(HANDLE file, unsigned long long size) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

long long SecondsSince(const FILETIME& then) {
  FILETIME nowTime;
  GetSystemTimeAsFileTime(&nowTime);
  ULARGE_INTEGER now{{nowTime.dwLowDateTime, nowTime.dwHighDateTime}};
  ULARGE_INTEGER before{{then.dwLowDateTime, then.dwHighDateTime}};
  if (now.QuadPart <= before.QuadPart) return 0;
  return static_cast<long long>((now.QuadPart - before.QuadPart) / 10000000ull);
}

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

  NewFileResult WriteNew(const std::string& path, const std::string& bytes) override {
    HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      return GetLastError() == ERROR_ACCESS_DENIED ? NewFileResult::NotCreated : NewFileResult::Failed;
    }
    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    return ok ? NewFileResult::Written : NewFileResult::Failed;
  }

  ReplaceResult Replace(const std::string& from, const std::string& to) override {
    // Windows refuses to replace a read-only file; say so on every platform layer alike.
    DWORD attributes = GetFileAttributesW(win::Widen(to).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ReplaceResult::Refused;
    if (MoveFileExW(win::Widen(from).c_str(), win::Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return ReplaceResult::Replaced;
    }
    switch (GetLastError()) {
      case ERROR_SHARING_VIOLATION:
      case ERROR_LOCK_VIOLATION:
      case ERROR_ACCESS_DENIED:  // also what a file opened without delete sharing answers
        return ReplaceResult::Busy;
      default:
        return ReplaceResult::Refused;
    }
  }

  bool WriteInPlace(const std::string& path, const std::string& bytes) override {
    HANDLE file = CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok && static_cast<unsigned long long>(size.QuadPart) < bytes.size()) ok = SetSize(file, bytes.size());
    LARGE_INTEGER start{};
    ok = ok && SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, bytes) && SetSize(file, bytes.size()) &&
         FlushFileBuffers(file);
    return CloseHandle(file) && ok;
  }

  void Remove(const std::string& path) override { DeleteFileW(win::Widen(path).c_str()); }

  std::vector<DirectoryFile> ListFiles(const std::string& directory) override {
    std::vector<DirectoryFile> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(win::Widen(directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      files.push_back({win::Narrow(data.cFileName), SecondsSince(data.ftLastWriteTime)});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
  }

  unsigned long CurrentProcessId() override { return GetCurrentProcessId(); }

  bool ProcessRunning(unsigned long processId) override {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    // Access denied: a process of another user, running.
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
  }

  void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
};

}  // namespace

IFileOps& PlatformFileOps() {
  static WinFileOps ops;
  return ops;
}

}  // namespace teshmar
