#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

#include "links/files/FileOps.h"

namespace teshmar {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class PosixFileOps : public IFileOps {
 public:
  FileRead Read(const std::string& path) override {
    FileRead result;
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
      result.status = errno == ENOENT ? FileRead::Status::Missing : FileRead::Status::Unreadable;
      return result;
    }
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        ::close(fd);
        return {FileRead::Status::Unreadable, {}};
      }
      if (n == 0) break;
      result.bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    result.status = FileRead::Status::Ok;
    return result;
  }

  NewFileResult WriteNew(const std::string& path, const std::string& bytes) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return errno == EACCES || errno == EPERM ? NewFileResult::NotCreated : NewFileResult::Failed;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok ? NewFileResult::Written : NewFileResult::Failed;
  }

  ReplaceResult Replace(const std::string& from, const std::string& to) override {
    // A read-only settings file is refused as it is on Windows.
    struct stat st;
    if (::stat(to.c_str(), &st) == 0 && ::access(to.c_str(), W_OK) != 0) return ReplaceResult::Refused;
    if (std::rename(from.c_str(), to.c_str()) == 0) return ReplaceResult::Replaced;
    return errno == EBUSY || errno == ETXTBSY ? ReplaceResult::Busy : ReplaceResult::Refused;
  }

  bool WriteInPlace(const std::string& path, const std::string& bytes) override {
    int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && static_cast<off_t>(bytes.size()) > st.st_size) {
      int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
      // File systems without reservation write as they can.
      ok = reserved == 0 || reserved == EINVAL || reserved == EOPNOTSUPP;
    }
    ok = ok && WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }

  std::vector<DirectoryFile> ListFiles(const std::string& directory) override {
    std::vector<DirectoryFile> files;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return files;
    const time_t now = std::time(nullptr);
    while (dirent* entry = ::readdir(dir)) {
      struct stat st;
      std::string path = directory + "/" + entry->d_name;
      if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      long long age = static_cast<long long>(now - st.st_mtime);
      files.push_back({entry->d_name, age < 0 ? 0 : age});
    }
    ::closedir(dir);
    return files;
  }

  unsigned long CurrentProcessId() override { return static_cast<unsigned long>(::getpid()); }

  bool ProcessRunning(unsigned long processId) override {
    if (processId == 0 || processId > static_cast<unsigned long>(INT_MAX)) return false;
    return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
  }

  void Pause(int milliseconds) override {
    timespec span{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (::nanosleep(&span, &span) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

IFileOps& PlatformFileOps() {
  static PosixFileOps ops;
  return ops;
}

}  // namespace teshmar
