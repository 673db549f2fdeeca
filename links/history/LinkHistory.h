#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace teshmar {

// The history file's few operations. None of them raises an error.
class IHistoryFile {
 public:
  virtual ~IHistoryFile() = default;
  // The file's size and up to tailBytes of its last bytes; size 0 when it does not exist. False
  // when it exists but cannot be read now.
  virtual bool Inspect(uint64_t& size, std::string& tail, size_t tailBytes) = 0;
  // Appends the bytes at the end in one write, creating the file when it is missing.
  virtual bool Append(const std::string& bytes) = 0;
  // Renames the file to the older history's name, replacing that one.
  virtual bool Rotate() = 0;
};

// The local time with seconds and its offset from UTC, e.g. "2026-03-01T03:20:05+08:00".
class IHistoryClock {
 public:
  virtual ~IHistoryClock() = default;
  virtual std::string Now() = 0;
};

// "YYYY-MM-DDThh:mm:ss+hh:mm" from a local time and its offset east of UTC in minutes.
std::string FormatHistoryTime(int year, int month, int day, int hour, int minute, int second, int offsetMinutes);

// The most bytes of a field a history line holds: far beyond any customer name or error text a
// server gives (a few hundred), and small enough that a line never comes near the file's limit.
constexpr size_t kMaxFieldBytes = 4096;

// One field list as a CSV line: every field quoted, quotes doubled, ended by CR LF. A field longer
// than kMaxFieldBytes is cut and ends in "…"; control characters are written as blanks; a field
// beginning with "=", "+", "-" or "@" gets a leading "'", as spreadsheets expect of text.
std::string CsvLine(const std::vector<std::string>& fields);

// The records of a history file's bytes, heading and byte-order mark left out. A last line that
// has no line end (a write cut off by a crash) and a line that does not hold the five fields of a
// record are not records.
std::vector<std::vector<std::string>> ReadHistoryRecords(const std::string& bytes);

// The history of the links' ups and downs, `LinkHistory.csv` beside the program: UTF-8 with a
// byte-order mark, one CSV line per change of an entry's link state and one when the console
// starts and ends. Lines are only ever appended; a file cut off in the middle of a line by a crash
// is ended before the next line, so that line stays the only damaged one. Past kLimit bytes the
// file becomes `LinkHistory.1.csv` and a new one begins. A history that cannot be written is
// skipped without a word: it never disturbs the console.
class LinkHistory {
 public:
  static constexpr uint64_t kLimit = 1024 * 1024;
  static constexpr const char* kFileName = "LinkHistory.csv";
  static constexpr const char* kOlderFileName = "LinkHistory.1.csv";
  static constexpr const char* kStarted = "控制台启动";
  static constexpr const char* kEnded = "控制台退出";

  LinkHistory(IHistoryFile& file, IHistoryClock& clock) : file_(file), clock_(clock) {}

  void NoteStart();
  void NoteEnd();
  struct StateNote {
    int entryNo = 0;
    std::string customerName;
    bool connected = false;
    std::string error;
  };
  // An entry's state after its check. A line only when it is the first state known for that
  // number or differs from the last one noted; a change that could not be written is tried again
  // at the next check.
  void NoteState(int entryNo, const std::string& customerName, bool connected, const std::string& error);
  // The states of one refresh, in order, as NoteState would note them one by one, in one append
  // flushed once (two when the file must begin anew on the way).
  void NoteStates(const std::vector<StateNote>& notes);

 private:
  // Appends the records; answers how many of them, from the first, reached the file.
  size_t Write(const std::vector<std::vector<std::string>>& records);

  IHistoryFile& file_;
  IHistoryClock& clock_;
  std::map<int, bool> last_;
};

// The history file at that path (UTF-8), its older one beside it, on the platform's file system.
class PlatformHistoryFile : public IHistoryFile {
 public:
  explicit PlatformHistoryFile(std::string path);
  bool Inspect(uint64_t& size, std::string& tail, size_t tailBytes) override;
  bool Append(const std::string& bytes) override;
  bool Rotate() override;

  const std::string& Path() const { return path_; }
  const std::string& OlderPath() const { return olderPath_; }
  // The history's path beside the program whose full path is given.
  static std::string PathBesideProgram(const std::string& programPath);

 private:
  std::string path_;
  std::string olderPath_;
};

// The machine's local time.
class PlatformHistoryClock : public IHistoryClock {
 public:
  std::string Now() override;
};

}  // namespace teshmar
