#include <windows.h>

#include <stdexcept>

#include "tools/scripted_db/RecordFile.h"
#include "win/Wide.h"

namespace teshmar {

namespace {
class WinRecordFile : public IRecordSink {
 public:
  explicit WinRecordFile(HANDLE file) : file_(file) {}
  ~WinRecordFile() override { CloseHandle(file_); }
  WinRecordFile(const WinRecordFile&) = delete;
  WinRecordFile& operator=(const WinRecordFile&) = delete;

  void WriteLine(std::string_view line) override {
    std::string bytes(line);
    bytes += '\n';
    // Opened for appending only: each WriteFile lands whole at the end, even with two writers.
    DWORD written = 0;
    WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

 private:
  HANDLE file_;
};
}  // namespace

std::unique_ptr<IRecordSink> OpenRecordFile(const std::string& path) {
  // Shared for reading, writing and deleting, so a test can read it while the console runs and
  // remove its directory afterwards.
  HANDLE file =
      CreateFileW(win::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot open the record file " + path + " (error " + std::to_string(GetLastError()) + ")");
  return std::make_unique<WinRecordFile>(file);
}

}  // namespace teshmar
