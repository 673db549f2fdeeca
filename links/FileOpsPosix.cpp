#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "links/FileOps.h"

namespace teshmar {

namespace {

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

  bool WriteNew(const std::string& path, const std::string& bytes) override {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) {
        ::close(fd);
        return false;
      }
      done += static_cast<size_t>(n);
    }
    bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    // A read-only settings file is refused as it is on Windows.
    struct stat st;
    if (::stat(to.c_str(), &st) == 0 && ::access(to.c_str(), W_OK) != 0) return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }
};

}  // namespace

IFileOps& PlatformFileOps() {
  static PosixFileOps ops;
  return ops;
}

}  // namespace teshmar
