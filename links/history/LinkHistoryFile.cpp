#include <string>

#include "links/history/LinkHistory.h"

#ifdef _WIN32
#include <windows.h>

#include "win/Wide.h"
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#endif

namespace teshmar {

namespace {

std::string OlderPathOf(const std::string& path) {
  const std::string suffix = ".csv";
  if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
    return path.substr(0, path.size() - suffix.size()) + ".1.csv";
  return path + ".1";
}

}  // namespace

PlatformHistoryFile::PlatformHistoryFile(std::string path) : path_(std::move(path)), olderPath_(OlderPathOf(path_)) {}

std::string PlatformHistoryFile::PathBesideProgram(const std::string& programPath) {
  const size_t slash = programPath.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
  return folder + LinkHistory::kFileName;
}

#ifdef _WIN32

bool PlatformHistoryFile::Inspect(uint64_t& size, std::string& tail, size_t tailBytes) {
  size = 0;
  tail.clear();
  HANDLE file = CreateFileW(win::Widen(path_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND;
  }
  bool ok = false;
  LARGE_INTEGER length{};
  if (GetFileSizeEx(file, &length)) {
    size = static_cast<uint64_t>(length.QuadPart);
    const uint64_t take = size < tailBytes ? size : tailBytes;
    LARGE_INTEGER from{};
    from.QuadPart = static_cast<LONGLONG>(size - take);
    tail.resize(static_cast<size_t>(take));
    DWORD read = 0;
    ok = SetFilePointerEx(file, from, nullptr, FILE_BEGIN) &&
         (take == 0 || ReadFile(file, tail.data(), static_cast<DWORD>(take), &read, nullptr));
    tail.resize(read);
  }
  CloseHandle(file);
  return ok;
}

bool PlatformHistoryFile::Append(const std::string& bytes) {
  // Others may read it meanwhile (a spreadsheet open on it), but nobody writes beside us.
  HANDLE file = CreateFileW(win::Widen(path_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(file);
  CloseHandle(file);
  return ok;
}

bool PlatformHistoryFile::Rotate() {
  return MoveFileExW(win::Widen(path_).c_str(), win::Widen(olderPath_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::string PlatformHistoryClock::Now() {
  FILETIME utc{};
  GetSystemTimeAsFileTime(&utc);
  FILETIME local{};
  SYSTEMTIME fields{};
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) {
    FileTimeToSystemTime(&utc, &fields);
    local = utc;
  }
  ULARGE_INTEGER u{}, l{};
  u.LowPart = utc.dwLowDateTime;
  u.HighPart = utc.dwHighDateTime;
  l.LowPart = local.dwLowDateTime;
  l.HighPart = local.dwHighDateTime;
  const long long offsetMinutes = (static_cast<long long>(l.QuadPart) - static_cast<long long>(u.QuadPart)) / 600000000LL;
  return FormatHistoryTime(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond,
                           static_cast<int>(offsetMinutes));
}

#else

bool PlatformHistoryFile::Inspect(uint64_t& size, std::string& tail, size_t tailBytes) {
  size = 0;
  tail.clear();
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  struct stat status {};
  bool ok = false;
  if (::fstat(fd, &status) == 0) {
    size = static_cast<uint64_t>(status.st_size);
    const uint64_t take = size < tailBytes ? size : tailBytes;
    tail.resize(static_cast<size_t>(take));
    const ssize_t got = ::pread(fd, tail.data(), tail.size(), static_cast<off_t>(size - take));
    ok = got >= 0;
    tail.resize(got > 0 ? static_cast<size_t>(got) : 0);
  }
  ::close(fd);
  return ok;
}

bool PlatformHistoryFile::Append(const std::string& bytes) {
  const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote <= 0) break;
    done += static_cast<size_t>(wrote);
  }
  const bool ok = done == bytes.size() && ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool PlatformHistoryFile::Rotate() { return std::rename(path_.c_str(), olderPath_.c_str()) == 0; }

std::string PlatformHistoryClock::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatHistoryTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec, static_cast<int>(local.tm_gmtoff / 60));
}

#endif

}  // namespace teshmar
