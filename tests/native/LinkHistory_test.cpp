#include "links/history/LinkHistory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace teshmar {
namespace {

namespace fs = std::filesystem;
using Record = std::vector<std::string>;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeading = "\"时间\",\"序号\",\"客户名称\",\"状态\",\"错误信息\"\r\n";

// A history file in memory that can also refuse, be unreadable or raise.
class MemoryHistoryFile : public IHistoryFile {
 public:
  bool Inspect(uint64_t& size, std::string& tail, size_t tailBytes) override {
    if (raise) throw std::runtime_error("raised");
    if (!readable) return false;
    size = bytes.size();
    tail = bytes.substr(bytes.size() - std::min(bytes.size(), tailBytes));
    return true;
  }
  bool Append(const std::string& more) override {
    if (raise) throw std::runtime_error("raised");
    ++appends;
    if (!writable || (refuseAppend > 0 && appends == refuseAppend)) return false;
    bytes += more;
    return true;
  }
  bool Rotate() override {
    ++rotations;
    if (!writable) return false;
    older = bytes;
    bytes.clear();
    return true;
  }
  std::string bytes;
  std::string older;
  int rotations = 0;
  int appends = 0;
  int refuseAppend = 0;  // the n-th append is refused
  bool readable = true;
  bool writable = true;
  bool raise = false;
};

class StepClock : public IHistoryClock {
 public:
  std::string Now() override { return FormatHistoryTime(2026, 3, 1, 3, 20, seconds++ % 60, 480); }
  int seconds = 0;
};

TEST(LinkHistoryTest, TimeWithSecondsAndOffset) {
  EXPECT_EQ(FormatHistoryTime(2026, 3, 1, 3, 20, 5, 480), "2026-03-01T03:20:05+08:00");
  EXPECT_EQ(FormatHistoryTime(2026, 12, 31, 23, 59, 59, -210), "2026-12-31T23:59:59-03:30");
  EXPECT_EQ(FormatHistoryTime(2027, 1, 9, 0, 0, 0, 0), "2027-01-09T00:00:00+00:00");
}

TEST(LinkHistoryTest, FieldsQuotedAndOneLinePerRecord) {
  EXPECT_EQ(CsvLine({"a", "", "东城 \"旗舰\", 店", "x\r\ny"}), "\"a\",\"\",\"东城 \"\"旗舰\"\", 店\",\"x  y\"\r\n");
  const std::string bytes = kBom + kHeading + CsvLine({"t", "1", "东城 \"旗舰\", 店", "断开", "e,1"});
  EXPECT_EQ(ReadHistoryRecords(bytes), (std::vector<Record>{{"t", "1", "东城 \"旗舰\", 店", "断开", "e,1"}}));
}

TEST(LinkHistoryTest, FieldsASpreadsheetWouldMisreadAreWrittenAsText) {
  struct Case {
    std::string field, written;
  } cases[] = {
      {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"\"x\"\")"},
      {"+86 店", "'+86 店"},
      {"-东城店", "'-东城店"},
      {"@店", "'@店"},
      {"东城=店", "东城=店"},
      {std::string("a\tb\0c\x7f" "d\x01", 8), "a b c d "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(CsvLine({c.field}), "\"" + c.written + "\"\r\n");
  }
}

// A broken list with a name of a megabyte: one line of a bounded size, cut between two characters,
// so the file renews itself at most once and keeps every earlier line in the older file.
TEST(LinkHistoryTest, AHugeFieldIsCutAndNeverEmptiesTheHistory) {
  std::string huge;
  while (huge.size() < 1024 * 1024) huge += "东城店";
  const std::string line = CsvLine({"t", "1", huge, "断开", huge});
  EXPECT_LT(line.size(), 3 * kMaxFieldBytes);
  const Record record = ReadHistoryRecords(kBom + kHeading + line).at(0);
  EXPECT_EQ(record[2].size(), kMaxFieldBytes - kMaxFieldBytes % 3 + std::string("…").size());
  EXPECT_EQ(record[2].substr(record[2].size() - 6), "店…");

  MemoryHistoryFile file;
  StepClock clock;
  LinkHistory history(file, clock);
  history.NoteStart();
  while (file.bytes.size() + 2 * kMaxFieldBytes < LinkHistory::kLimit) history.NoteStart();
  const size_t before = ReadHistoryRecords(file.bytes).size();
  history.NoteStates({{1, huge, false, huge}, {2, huge, false, huge}, {3, huge, false, huge}});
  EXPECT_LE(file.rotations, 1);
  EXPECT_EQ(ReadHistoryRecords(file.older).size() + ReadHistoryRecords(file.bytes).size(), before + 3);
  EXPECT_LE(file.bytes.size(), LinkHistory::kLimit);
}

TEST(LinkHistoryTest, StartChangesAndEnd) {
  MemoryHistoryFile file;
  StepClock clock;
  LinkHistory history(file, clock);
  history.NoteStart();
  history.NoteState(1, "店1", false, "注册项[1]连接数据库出错!");
  history.NoteState(1, "店1", false, "注册项[1]连接数据库出错!");  // no change
  history.NoteState(2, "店2", true, "");
  history.NoteState(1, "店1", true, "");
  history.NoteState(2, "店2", true, "");
  history.NoteEnd();

  EXPECT_EQ(file.bytes.rfind(kBom + kHeading, 0), 0u);  // once, at the start
  EXPECT_EQ(file.bytes.find(kHeading, kBom.size() + 1), std::string::npos);
  EXPECT_EQ(ReadHistoryRecords(file.bytes), (std::vector<Record>{
                                                {"2026-03-01T03:20:00+08:00", "", "", "控制台启动", ""},
                                                {"2026-03-01T03:20:01+08:00", "1", "店1", "断开", "注册项[1]连接数据库出错!"},
                                                {"2026-03-01T03:20:02+08:00", "2", "店2", "连接", ""},
                                                {"2026-03-01T03:20:03+08:00", "1", "店1", "连接", ""},
                                                {"2026-03-01T03:20:04+08:00", "", "", "控制台退出", ""},
                                            }));
}

TEST(LinkHistoryTest, RotatesPastTheLimit) {
  MemoryHistoryFile file;
  StepClock clock;
  LinkHistory history(file, clock);
  history.NoteStart();
  const std::string line = CsvLine({"2026-03-01T03:20:00+08:00", "", "", "控制台启动", ""});
  int writes = 1;
  while (file.rotations == 0) {
    history.NoteStart();
    ++writes;
    ASSERT_LE(file.bytes.size(), LinkHistory::kLimit);
  }
  // The file never passed the limit; the older one holds every line written before the new file.
  EXPECT_LE(file.older.size(), LinkHistory::kLimit);
  EXPECT_GT(file.older.size() + line.size(), LinkHistory::kLimit);
  EXPECT_EQ(ReadHistoryRecords(file.older).size(), static_cast<size_t>(writes - 1));
  EXPECT_EQ(file.bytes.rfind(kBom + kHeading, 0), 0u);
  EXPECT_EQ(ReadHistoryRecords(file.bytes).size(), 1u);
  EXPECT_EQ(file.bytes.size(), kBom.size() + kHeading.size() + line.size());

  // A rotation that fails keeps the lines coming in the same file.
  struct NoRotation : MemoryHistoryFile {
    bool Rotate() override { return false; }
  } full;
  full.bytes = file.older;
  LinkHistory later(full, clock);
  later.NoteEnd();
  EXPECT_EQ(ReadHistoryRecords(full.bytes).size(), static_cast<size_t>(writes));
}

TEST(LinkHistoryTest, AFileThatCannotBeUsedIsPassedOverQuietly) {
  struct Case {
    const char* name;
    bool readable, writable, raise;
  };
  for (const Case& c : {Case{"unreadable", false, true, false}, Case{"read-only", true, false, false},
                        Case{"raising", true, true, true}}) {
    SCOPED_TRACE(c.name);
    MemoryHistoryFile file;
    file.readable = c.readable;
    file.writable = c.writable;
    file.raise = c.raise;
    StepClock clock;
    LinkHistory history(file, clock);
    EXPECT_NO_THROW(history.NoteStart());
    EXPECT_NO_THROW(history.NoteState(1, "店1", false, "x"));
    EXPECT_NO_THROW(history.NoteEnd());
    EXPECT_TRUE(file.bytes.empty());
    // Usable again: the change that was not written is noted at the next check.
    file.readable = file.writable = true;
    file.raise = false;
    history.NoteState(1, "店1", false, "x");
    EXPECT_EQ(ReadHistoryRecords(file.bytes).size(), 1u);
  }
}

TEST(LinkHistoryTest, ALineCutOffByACrashDamagesNothingElse) {
  StepClock clock;
  const std::string whole = kBom + kHeading + CsvLine({"2026-03-01T03:19:00+08:00", "1", "店1", "连接", ""});
  const std::string last = CsvLine({"2026-03-01T03:19:30+08:00", "2", "东城 \"旗舰\" 店", "断开", "注册项[2]连接数据库出错!"});
  for (size_t cut = 0; cut <= last.size(); ++cut) {
    SCOPED_TRACE(cut);
    MemoryHistoryFile file;
    file.bytes = whole + last.substr(0, cut);
    LinkHistory history(file, clock);
    history.NoteEnd();
    EXPECT_EQ(file.bytes.rfind(whole + last.substr(0, cut), 0), 0u);  // nothing written before is touched
    std::vector<Record> records = ReadHistoryRecords(file.bytes);
    // Only a line that lost nothing but its line feed is still a record.
    const bool lastKept = cut >= last.size() - 1;
    ASSERT_EQ(records.size(), lastKept ? 3u : 2u);
    EXPECT_EQ(records.front()[3], "连接");
    if (lastKept) EXPECT_EQ(records[1][2], "东城 \"旗舰\" 店");
    EXPECT_EQ(records.back()[3], "控制台退出");
    // A reader ignores the cut line at the end of the file as well.
    EXPECT_EQ(ReadHistoryRecords(whole + last.substr(0, cut)).size(), cut == last.size() ? 2u : 1u);
  }
}

// A refresh's notes, as many as a chain has entries.
std::vector<LinkHistory::StateNote> Notes(int from, int to, bool connected) {
  std::vector<LinkHistory::StateNote> notes;
  for (int i = from; i <= to; ++i)
    notes.push_back({i, "店" + std::to_string(i), connected, connected ? "" : "注册项[" + std::to_string(i) + "]连接数据库出错!"});
  return notes;
}

TEST(LinkHistoryTest, ARefreshIsOneAppendOfItsChangesOnly) {
  MemoryHistoryFile file;
  StepClock clock;
  LinkHistory history(file, clock);
  history.NoteStates(Notes(1, 5000, true));
  EXPECT_EQ(file.appends, 1);
  history.NoteStates(Notes(1, 5000, true));  // nothing changed: not even an append
  EXPECT_EQ(file.appends, 1);
  auto mixed = Notes(1, 5000, true);
  for (int i : {7, 4000}) mixed[static_cast<size_t>(i - 1)] = Notes(i, i, false).front();
  history.NoteStates(mixed);
  EXPECT_EQ(file.appends, 2);
  std::vector<Record> records = ReadHistoryRecords(file.bytes);
  ASSERT_EQ(records.size(), 5002u);
  EXPECT_EQ(records[4999], (Record{records[4999][0], "5000", "店5000", "连接", ""}));
  EXPECT_EQ(records[5000], (Record{records[5000][0], "7", "店7", "断开", "注册项[7]连接数据库出错!"}));
  EXPECT_EQ(records[5001][1], "4000");
  EXPECT_EQ(file.bytes.find(kHeading, kBom.size() + 1), std::string::npos);  // one heading, at the start
}

TEST(LinkHistoryTest, ABatchEndsACutLineOnceAndRotatesWhereALineWouldPassTheLimit) {
  MemoryHistoryFile file;
  StepClock clock;
  const std::string cut = CsvLine({"2026-03-01T03:19:00+08:00", "1", "店1", "连接", ""}).substr(0, 20);
  file.bytes = kBom + kHeading + std::string(LinkHistory::kLimit - 3000, '#') + "\r\n" + cut;
  LinkHistory history(file, clock);
  history.NoteStates(Notes(1, 100, false));
  // What fitted went into the old file, its cut line ended first; the rest into a new one.
  EXPECT_EQ(file.rotations, 1);
  EXPECT_EQ(file.appends, 2);
  EXPECT_LE(file.older.size(), LinkHistory::kLimit);
  EXPECT_EQ(file.older.find(cut + "\",\"（此行不完整）\""), kBom.size() + kHeading.size() + LinkHistory::kLimit - 3000 + 2);
  const std::vector<Record> before = ReadHistoryRecords(file.older);
  const std::vector<Record> after = ReadHistoryRecords(file.bytes);
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(before.size() + after.size(), 100u);
  EXPECT_EQ(before.back()[1], std::to_string(before.size()));
  EXPECT_EQ(after.front()[1], std::to_string(before.size() + 1));
  EXPECT_EQ(file.bytes.rfind(kBom + kHeading, 0), 0u);

  // The second append refused: the lines it held are noted at the next check, the others not again.
  MemoryHistoryFile again;
  again.bytes = kBom + kHeading + std::string(LinkHistory::kLimit - 3000, '#') + "\r\n";
  again.refuseAppend = 2;
  LinkHistory retried(again, clock);
  retried.NoteStates(Notes(1, 100, false));
  const size_t first = ReadHistoryRecords(again.older).size();
  EXPECT_TRUE(again.bytes.empty());
  again.refuseAppend = 0;
  retried.NoteStates(Notes(1, 100, false));
  const std::vector<Record> rest = ReadHistoryRecords(again.bytes);
  ASSERT_EQ(first + rest.size(), 100u);
  EXPECT_EQ(rest.front()[1], std::to_string(first + 1));
}

// The real file beside the program, in a folder of its own.
class HistoryFileTest : public ::testing::Test {
 protected:
  HistoryFileTest() {
    dir_ = fs::temp_directory_path() / ("link_history_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~HistoryFileTest() override { fs::remove_all(dir_); }
  static std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
  fs::path dir_;
};

TEST_F(HistoryFileTest, AppendsAndRotatesOnDisk) {
  const std::string path = PlatformHistoryFile::PathBesideProgram((dir_ / "Teshmar.exe").string());
  EXPECT_EQ(path, (dir_ / "LinkHistory.csv").string());
  PlatformHistoryFile file(path);
  EXPECT_EQ(file.OlderPath(), (dir_ / "LinkHistory.1.csv").string());
  PlatformHistoryClock clock;
  LinkHistory history(file, clock);
  history.NoteStart();
  history.NoteState(3, "店3", false, "注册项[3]连接数据库出错!");
  std::vector<Record> records = ReadHistoryRecords(Contents(path));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], (Record{records[1][0], "3", "店3", "断开", "注册项[3]连接数据库出错!"}));
  EXPECT_EQ(records[0][0].size(), std::string("2026-03-01T03:20:05+08:00").size());

  { std::ofstream(dir_ / "LinkHistory.1.csv") << "older"; }
  ASSERT_TRUE(file.Rotate());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(ReadHistoryRecords(Contents(dir_ / "LinkHistory.1.csv")).size(), 2u);  // the older one replaced
  history.NoteEnd();
  EXPECT_EQ(Contents(path).rfind(kBom + kHeading, 0), 0u);
}

TEST_F(HistoryFileTest, AFolderInTheFilesPlaceIsPassedOver) {
  fs::create_directories(dir_ / "LinkHistory.csv");  // cannot be opened as a file at all
  PlatformHistoryFile file((dir_ / "LinkHistory.csv").string());
  PlatformHistoryClock clock;
  LinkHistory history(file, clock);
  EXPECT_NO_THROW(history.NoteStart());
  EXPECT_NO_THROW(history.NoteState(1, "店1", true, ""));
  EXPECT_TRUE(fs::is_directory(dir_ / "LinkHistory.csv"));
}

}  // namespace
}  // namespace teshmar
