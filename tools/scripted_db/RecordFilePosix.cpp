#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/scripted_db/RecordFile.h"

namespace teshmar {

namespace {
class PosixRecordFile : public IRecordSink {
 public:
  explicit PosixRecordFile(int fd) : fd_(fd) {}
  ~PosixRecordFile() override { close(fd_); }
  PosixRecordFile(const PosixRecordFile&) = delete;
  PosixRecordFile& operator=(const PosixRecordFile&) = delete;

  void WriteLine(std::string_view line) override {
    std::string bytes(line);
    bytes += '\n';
    // One write per line: with O_APPEND two writers never split each other's lines.
    const char* at = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
      ssize_t written = write(fd_, at, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;  // a full disk loses the line; the test reading the record sees it missing
      at += written;
      left -= static_cast<size_t>(written);
    }
  }

 private:
  int fd_;
};
}  // namespace

std::unique_ptr<IRecordSink> OpenRecordFile(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot open the record file " + path + ": " + std::strerror(errno));
  return std::make_unique<PosixRecordFile>(fd);
}

}  // namespace teshmar
