#include "links/grid/EntryGridLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <stdexcept>

#include "links/db/ConnString.h"
#include "links/files/EntriesFile.h"
#include "links/db/ParallelChecks.h"
#include "links/files/SettingsFile.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"
#include "support/GridWorld.h"
#include "support/MemoryFileOps.h"

namespace teshmar {
namespace {

using testing::FakeDatabase;
using testing::FakeEntryLinks;
using testing::FakeMessageBoxes;
using testing::FakeEntryList;
using testing::FakeHost;
using testing::Link;
using testing::MakeEntry;
using testing::RefreshWorld;

class EntryGridLogicTest : public ::testing::Test {
 protected:
  EntryGridLogicTest() : logic(grid, host, list, links, db, boxes) {}

  // Entry n's stored link answers: its marker table is there (or not), or the server refuses.
  enum class Answer { Passes, WrongKind, Unreachable, NoLink, MarkerRefused };
  void Script(int entryNo, Answer answer, DatabaseKind kind = DatabaseKind::Store) {
    if (answer == Answer::NoLink) {
      links.links.erase(entryNo);
      return;
    }
    links.links[entryNo] = Link("10.0.0." + std::to_string(entryNo), "Db" + std::to_string(entryNo));
    const std::string cs = EntryConnString(links, entryNo);
    if (answer == Answer::Passes) db.AnswerOn(cs, MarkerQuery(kind), {{{"name", "Base"}}});
    if (answer == Answer::Unreachable) db.RefuseConnection(cs);
    if (answer == Answer::MarkerRefused) db.RefuseOn(cs, MarkerQuery(kind));
  }

  std::vector<std::string> Column(int col) const {
    std::vector<std::string> cells;
    for (int row = 0; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
    return cells;
  }

  StringGrid grid{EntryGridLogic::kColCount};
  FakeHost host;
  FakeEntryList list;
  FakeEntryLinks links;
  FakeDatabase db;
  FakeMessageBoxes boxes;
  EntryGridLogic logic;
};

TEST_F(EntryGridLogicTest, HeadingsAndRowsFromTheList) {
  logic.SetGridHeadings();
  Entry odd{"007", "东城店", "广东省,东莞市,,东城路", "1"};
  list.Set({MakeEntry(1), odd});
  links.links[7] = Link("10.0.0.7", "Store07");
  links.links[2] = Link("10.0.0.2", "ShouldNotShow");
  grid.SetRowCount(3);
  grid.SetCell(EntryGridLogic::kStateCol, 2, "连接");  // a state word from an earlier refresh

  ASSERT_TRUE(logic.ReadEntryList());
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"序号", "1", "7"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"客户名称", "店1", "东城店"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"客户地址", "广东省,东莞市,,路1", "广东省,东莞市,,东城路"}));
  // "007" takes the link of Item7, not of its position.
  EXPECT_EQ(Column(3), (std::vector<std::string>{"连接数据库(名)", "", "Store07"}));
  EXPECT_EQ(Column(4), (std::vector<std::string>{"连接状态", "", "连接"}));
  EXPECT_TRUE(host.log.empty());
}

TEST_F(EntryGridLogicTest, ListsThatCannotBeShownEndTheProgram) {
  struct Case {
    const char* name;
    EntryListRead read;
    std::string message;
  };
  EntryListRead unreadable;
  unreadable.status = EntryListRead::Status::Unreadable;
  unreadable.error = "注册项列表文件 C:\\Entries.ini 无法读取：缺少[Entry2]";
  EntryListRead badNumber;
  badNumber.status = EntryListRead::Status::Ok;
  badNumber.entries = {MakeEntry(1), Entry{"2a", "x", "y", "1"}};
  const Case cases[] = {
      {"unreadable", unreadable, unreadable.error},
      {"number not whole", badNumber, "注册项列表第2行的序号\"2a\"不是整数，无法显示注册项！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost caseHost;
    list.read = c.read;
    EntryGridLogic caseLogic(grid, caseHost, list, links, db, boxes);
    EXPECT_FALSE(caseLogic.ReadEntryList());
    EXPECT_EQ(caseHost.log, (std::vector<std::string>{"stop timers", "message " + c.message, "quit"}));
  }
}

TEST_F(EntryGridLogicTest, MissingListIsEmpty) {
  list.read.status = EntryListRead::Status::Missing;
  logic.SetGridHeadings();
  ASSERT_TRUE(logic.ReadEntryList());
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_FALSE(logic.RefreshLinkStates(0, true));
  logic.WarnUnlinkedEntries();
  EXPECT_TRUE(host.log.empty());  // nothing checked, shown or warned
  EXPECT_TRUE(db.connectionStrings().empty());
  logic.RgInfoDblClick();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "请选择需连接数据库的注册项！");
  EXPECT_EQ(boxes.shown[0].caption, "Teshmar");
}

TEST(DatabaseLayoutTest, FirstTwoKindsDecide) {
  struct Case {
    std::vector<std::string> kinds;
    DatabaseLayout layout;
  };
  const Case cases[] = {
      {{}, DatabaseLayout::StoreLayout},
      {{"1"}, DatabaseLayout::StoreLayout},
      {{"2"}, DatabaseLayout::ErpLayout},
      {{"21"}, DatabaseLayout::ErpLayout},
      {{""}, DatabaseLayout::StoreLayout},
      {{"1", "2"}, DatabaseLayout::StoreErpLayout},
      {{"1", "1"}, DatabaseLayout::StoreLayout},
      {{"2", "2"}, DatabaseLayout::ErpLayout},
      {{"2", "1"}, DatabaseLayout::StoreLayout},
      {{"", "2"}, DatabaseLayout::StoreLayout},
      {{"3", "2"}, DatabaseLayout::StoreLayout},
      {{"1", "2", "1"}, DatabaseLayout::StoreErpLayout},
      {{"2", "2", "1"}, DatabaseLayout::ErpLayout},
      {{"1", "1", "2"}, DatabaseLayout::StoreLayout},
  };
  for (const Case& c : cases) {
    std::vector<Entry> entries;
    for (const auto& kind : c.kinds) entries.push_back(Entry{"1", "", "", kind});
    EXPECT_EQ(LayoutOfEntries(entries), c.layout) << ::testing::PrintToString(c.kinds);
  }
}

TEST_F(EntryGridLogicTest, RefreshOfEveryEntryRecordsEachOutcome) {
  // Entry 5 was connected by an earlier refresh; a silent failure keeps that.
  list.Set({MakeEntry(1), MakeEntry(2), MakeEntry(3), MakeEntry(4), MakeEntry(5), MakeEntry(6, "2")});
  ASSERT_TRUE(logic.ReadEntryList());
  Script(5, Answer::Passes);
  logic.RefreshLinkStates(0, false);
  ASSERT_TRUE(logic.Connected(5));
  host.log.clear();

  Script(1, Answer::Passes);
  Script(2, Answer::Unreachable);
  Script(3, Answer::WrongKind);
  Script(4, Answer::NoLink);
  Script(5, Answer::NoLink);
  Script(6, Answer::WrongKind, DatabaseKind::Erp);
  EXPECT_FALSE(logic.RefreshLinkStates(0, true));

  EXPECT_EQ(host.log, (std::vector<std::string>{
                          "progress 正在检查数据库连接，请稍候… 110 15786112",
                          "hide progress",
                          "message \r\n注册项[2]连接数据库出错!\r\n注册项[3]连接数据库非正确的门店库!"
                          "\r\n注册项[6]连接数据库非正确的ERP库!",
                      }));
  const bool expected[] = {true, false, false, false, true, false};
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(logic.Connected(i), expected[i - 1]) << i;
  logic.ShowLinkStates(0, 0);
  EXPECT_EQ(Column(4), (std::vector<std::string>{"", "连接", "断开", "断开", "断开", "连接", "断开"}));
  EXPECT_EQ(db.OpenConnections(), 0);
  EXPECT_EQ(db.OpenQueries(), 0);
}

TEST_F(EntryGridLogicTest, RefusedMarkerQueryShowsItsBoxAndCountsAsWrongKind) {
  list.Set({MakeEntry(1), MakeEntry(2)});
  ASSERT_TRUE(logic.ReadEntryList());
  Script(1, Answer::MarkerRefused);
  Script(2, Answer::MarkerRefused);
  logic.RefreshLinkStates(0, false);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(host.log, (std::vector<std::string>{"message \r\n注册项[1]连接数据库非正确的门店库!"
                                                "\r\n注册项[2]连接数据库非正确的门店库!"}));
}

TEST_F(EntryGridLogicTest, SingleRecheck) {
  struct Case {
    Answer answer;
    bool before;
    bool result;
    bool after;
    std::string message;
  };
  const Case cases[] = {
      {Answer::Passes, false, true, true, ""},
      {Answer::Unreachable, true, false, false, "\r\n注册项[2]连接数据库出错!连接数据库出错!"},
      {Answer::WrongKind, true, false, false, "\r\n注册项[2]连接数据库非正确的门店库!连接数据库出错!"},
      {Answer::NoLink, true, false, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    db = FakeDatabase();
    list.Set({MakeEntry(1), MakeEntry(2)});
    ASSERT_TRUE(logic.ReadEntryList());
    Script(2, c.before ? Answer::Passes : Answer::Unreachable);
    logic.RefreshLinkStates(0, false);
    ASSERT_EQ(logic.Connected(2), c.before);
    host.log.clear();
    db = FakeDatabase();
    Script(2, c.answer);
    EXPECT_EQ(logic.RefreshLinkStates(2, true), c.result);
    EXPECT_EQ(logic.Connected(2), c.after);
    EXPECT_EQ(host.log, (std::vector<std::string>{"progress 正在检查数据库连接，请稍候… 110 15786112", "hide progress",
                                                  "message " + c.message}));
  }
}

TEST_F(EntryGridLogicTest, ShowLinkStatesOfOneRow) {
  list.Set({MakeEntry(1), MakeEntry(2)});
  ASSERT_TRUE(logic.ReadEntryList());
  Script(2, Answer::Passes);
  logic.RefreshLinkStates(0, false);
  logic.ShowLinkStates(2, 1);  // entry 2's state written into row 1, as asked
  EXPECT_EQ(Column(4), (std::vector<std::string>{"", "连接", ""}));
  logic.ShowLinkStates(1, 2);
  EXPECT_EQ(Column(4), (std::vector<std::string>{"", "连接", "断开"}));
}

TEST_F(EntryGridLogicTest, MissingLinkWarning) {
  struct Case {
    std::vector<std::string> kinds;
    std::string databaseCell;  // row 1's database cell as the grid holds it
    bool warns;
  };
  const Case cases[] = {
      {{"1"}, "", true},
      {{"1"}, "   ", true},
      {{"1"}, "   <双击>", true},
      {{"1"}, "店双击库", true},
      {{"1"}, "Store01", false},
      {{"1", "2"}, "", true},
      {{"2"}, "", false},
      {{"2", "2"}, "   <双击>", false},
      {{"2", "1"}, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.databaseCell);
    std::vector<Entry> entries;
    for (size_t i = 0; i < c.kinds.size(); ++i) entries.push_back(MakeEntry(static_cast<int>(i + 1), c.kinds[i]));
    list.Set(entries);
    ASSERT_TRUE(logic.ReadEntryList());
    grid.SetCell(EntryGridLogic::kDatabaseCol, 1, c.databaseCell);
    grid.SetCell(EntryGridLogic::kDatabaseCol, 2, "");  // later rows never count
    host.log.clear();
    logic.Timer4Timer();
    if (c.warns) {
      EXPECT_EQ(host.log, (std::vector<std::string>{"message 注册项[1]未连接数据库!"}));
    } else {
      EXPECT_TRUE(host.log.empty() || host.log == std::vector<std::string>{"message "});
    }
  }
}

TEST_F(EntryGridLogicTest, DoubleClickPaths) {
  list.Set({MakeEntry(1), MakeEntry(2, "2")});
  Script(2, Answer::Unreachable, DatabaseKind::Erp);
  ASSERT_TRUE(logic.ReadEntryList());
  logic.RefreshLinkStates(0, false);
  logic.ShowLinkStates(0, 0);
  host.log.clear();

  // Cancel: no check, the row unchanged.
  grid.SetRow(2);
  host.dialogResult.reset();
  logic.RgInfoDblClick();
  EXPECT_EQ(host.log, (std::vector<std::string>{"dialog 2 kind 2"}));
  EXPECT_EQ(grid.Cell(3, 2), "Db2");
  EXPECT_EQ(grid.Cell(4, 2), "断开");
  EXPECT_TRUE(db.connectionStrings().size() == 1u);  // no re-check after Cancel

  // OK with a re-check that passes: the saved name and "连接".
  host.log.clear();
  host.dialogResult = "ErpMain";
  host.onDialog = [&] {
    links.links[2] = Link("10.0.0.22", "ErpMain");
    db.AnswerOn(EntryConnString(links, 2), MarkerQuery(DatabaseKind::Erp), {{{"name", "ALL_REGISTER"}}});
  };
  logic.RgInfoDblClick();
  EXPECT_EQ(host.log, (std::vector<std::string>{"dialog 2 kind 2", "progress 正在检查数据库连接，请稍候… 110 15786112",
                                                "hide progress", "message "}));
  EXPECT_EQ(grid.Cell(3, 2), "ErpMain");
  EXPECT_EQ(grid.Cell(4, 2), "连接");

  // OK with a re-check that fails: the row keeps its database cell and shows "断开" at once.
  host.log.clear();
  host.dialogResult = "Other";
  host.onDialog = [&] { db.RefuseEveryConnection(); };
  logic.RgInfoDblClick();
  EXPECT_EQ(host.log.back(), "message \r\n注册项[2]连接数据库出错!连接数据库出错!");
  EXPECT_EQ(grid.Cell(3, 2), "ErpMain");
  EXPECT_EQ(grid.Cell(4, 2), "断开");
  EXPECT_TRUE(boxes.shown.empty());
}

// A periodic refresh read a shorter list while the dialog was open.
TEST_F(EntryGridLogicTest, ALinkSavedForAnEntryThatIsGoneIsNotChecked) {
  list.Set({MakeEntry(1), MakeEntry(2), MakeEntry(3, "2")});
  logic.SetGridHeadings();
  ASSERT_TRUE(logic.ReadEntryList());
  grid.SetRow(3);
  host.dialogResult = "ErpMain";
  host.onDialog = [&] {
    links.links[3] = Link("10.0.0.3", "ErpMain");  // the dialog saved it
    list.Set({MakeEntry(1), MakeEntry(2)});
    logic.Timer3Timer();
    host.log.clear();
  };
  logic.RgInfoDblClick();
  EXPECT_EQ(host.log, (std::vector<std::string>{"message 注册项[3]已不在注册项列表中：连接已保存，但未检查!"}));
  EXPECT_TRUE(db.connectionStrings().empty());
  EXPECT_EQ(links.links.count(3), 1u) << "the saved link is kept";
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST_F(EntryGridLogicTest, PeriodicRefresh) {
  list.Set({MakeEntry(1), MakeEntry(2)});
  logic.SetGridHeadings();
  ASSERT_TRUE(logic.ReadEntryList());
  Script(1, Answer::Passes);
  Script(2, Answer::Unreachable);

  logic.Timer3Timer();
  EXPECT_EQ(Column(4), (std::vector<std::string>{"连接状态", "连接", "断开"}));
  EXPECT_EQ(host.log, (std::vector<std::string>{"message \r\n注册项[2]连接数据库出错!"}));  // no progress window

  // A list that cannot be read now: the previous rows and states stay, the message window says
  // what is wrong once for each fault, and the console goes on.
  host.log.clear();
  list.read.status = EntryListRead::Status::Unreadable;
  list.read.error = "bad";
  logic.Timer3Timer();
  logic.Timer3Timer();
  EXPECT_EQ(host.log, (std::vector<std::string>{"message bad"}));
  list.read.error = "worse";
  logic.Timer3Timer();
  logic.Timer3Timer();
  EXPECT_EQ(host.log, (std::vector<std::string>{"message bad", "message worse"}));
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_TRUE(logic.Connected(1));
  // The customer dialog's re-read of the same list: not told again, and nothing ends.
  EXPECT_FALSE(logic.ReadEntryListAgain());
  EXPECT_EQ(host.log.size(), 2u);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "quit"), 0);

  // A longer list: new rows, every state read afresh; with Timer3 off nothing is checked.
  list.Set({MakeEntry(1), MakeEntry(2), MakeEntry(3)});
  host.timer3 = false;
  const size_t attempts = db.connectionStrings().size();
  logic.Timer3Timer();
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_FALSE(logic.Connected(1));
  EXPECT_EQ(db.connectionStrings().size(), attempts);
  EXPECT_EQ(Column(4), (std::vector<std::string>{"连接状态", "连接", "断开", ""}));
  // After a good read, the same fault is news again.
  host.log.clear();
  list.read.status = EntryListRead::Status::Unreadable;
  list.read.error = "bad";
  logic.Timer3Timer();
  EXPECT_EQ(host.log, (std::vector<std::string>{"message bad"}));
}

TEST_F(EntryGridLogicTest, OpenEntryConnection) {
  list.Set({MakeEntry(1), MakeEntry(2)});
  ASSERT_TRUE(logic.ReadEntryList());
  EXPECT_FALSE(logic.OpenEntryConnection(1));  // no link: ADOConn left as it was
  EXPECT_TRUE(db.connectionStrings().empty());
  Script(1, Answer::Passes);
  ASSERT_TRUE(logic.OpenEntryConnection(1));
  EXPECT_TRUE(logic.ADOConn().IsOpen());
  EXPECT_EQ(logic.ADOConn().ConnectionString(), EntryConnString(links, 1));
  Script(2, Answer::Unreachable);
  EXPECT_FALSE(logic.OpenEntryConnection(2));
  EXPECT_FALSE(logic.ADOConn().IsOpen());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(host.log.empty());
}


// --- A refresh whose checks run side by side ---

// Every check's connection closed and released; the grid's own ADOConn is made only when used.
bool NothingLeftOver(const FakeDatabase& db) { return db.AllReleased(); }

struct RefreshSeen {
  std::vector<bool> states;
  std::vector<std::string> log;  // the host's calls and the boxes, in order
  double seconds = 0;
};

// Every entry passes first (so a silent failure has a state to keep), then the mix is checked.
RefreshSeen RunMix(const std::string& mix, const std::vector<int>& slow, int slowMs, ICheckRunner* runner) {
  RefreshWorld world(mix.size());
  if (runner) world.logic.SetCheckRunner(*runner);
  std::vector<std::string> journal;
  world.boxes.journal = &journal;
  EXPECT_TRUE(world.logic.ReadEntryList());
  for (size_t i = 1; i <= mix.size(); ++i) world.Script(static_cast<int>(i), 'P', 0);
  world.logic.RefreshLinkStates(0, false);
  world.db = FakeDatabase();
  world.host.log.clear();
  for (size_t i = 1; i <= mix.size(); ++i) {
    const bool isSlow = std::find(slow.begin(), slow.end(), static_cast<int>(i)) != slow.end();
    world.Script(static_cast<int>(i), mix[i - 1], isSlow ? slowMs : 0);
  }
  world.host.log.swap(journal);  // boxes and host calls share one journal from here on
  world.boxes.journal = &world.host.log;
  const auto start = std::chrono::steady_clock::now();
  world.logic.RefreshLinkStates(0, true);
  RefreshSeen seen;
  seen.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  seen.states = world.States();
  seen.log = world.host.log;
  EXPECT_TRUE(world.db.AllReleased()) << mix;
  return seen;
}

// What the operator must see of a refresh with the progress window, worked out from the mix alone.
RefreshSeen ExpectedOf(const std::string& mix) {
  const std::string marker = MarkerQuery(DatabaseKind::Store);
  RefreshSeen expected;
  expected.log.push_back("progress 正在检查数据库连接，请稍候… 110 15786112");
  std::string text;
  for (size_t i = 0; i < mix.size(); ++i) {
    const std::string entry = "注册项[" + std::to_string(i + 1) + "]";
    const char outcome = mix[i];
    if (outcome == 'R') expected.log.push_back("box 无法在ＳＱＬ服务器上查询数据？\r" + marker);
    if (outcome == 'U') text += "\r\n" + entry + "连接数据库出错!";
    if (outcome == 'W' || outcome == 'R') text += "\r\n" + entry + "连接数据库非正确的门店库!";
    expected.states.push_back(outcome == 'P' || outcome == 'N' || outcome == 'X');  // silent failures keep "connected"
  }
  expected.log.push_back("hide progress");
  expected.log.push_back("message " + text);
  return expected;
}

TEST(ParallelRefreshTest, SameStatesTextAndBoxesAsOneByOne) {
  const std::vector<int> slow{2, 5, 9, 14, 20};
  const char* mixes[] = {
      "PUWNRPUWNRPUWNRPUWNR",  // every outcome, slow ones among each
      "PPPPUPPPPUPPPPUPPPPU",  // the slow ones are the unreachable ones and passes
      "RRRRRRRRRRRRRRRRRRRR",  // twenty boxes, kept in entry order
      "XUXPNXWRXPUXNRXWPXUX",  // checks that raise between the others
  };
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  for (const char* mix : mixes) {
    SCOPED_TRACE(mix);
    const RefreshSeen oneByOne = RunMix(mix, slow, 0, nullptr);
    const RefreshSeen sideBySide = RunMix(mix, slow, 2000, &runner);
    std::printf("[ figures ] mix %s: side by side %.2f s with five checks of 2 s\n", mix, sideBySide.seconds);
    const RefreshSeen expected = ExpectedOf(mix);
    EXPECT_EQ(sideBySide.log, expected.log);
    EXPECT_EQ(sideBySide.states, expected.states);
    EXPECT_EQ(oneByOne.log, expected.log);
    EXPECT_EQ(oneByOne.states, expected.states);
  }
}

// A chain at night: a thousand sites, a quarter of them slow to answer.
TEST(ParallelRefreshTest, AThousandEntriesWithAQuarterSlowAsOneByOne) {
  std::vector<int> slow;
  for (int i = 3; i <= 1000; i += 4) slow.push_back(i);
  auto mixOf = [](const std::function<char(int)>& outcome) {
    std::string mix;
    for (int i = 1; i <= 1000; ++i) mix += outcome(i);
    return mix;
  };
  unsigned seed = 17;
  const std::string mixes[] = {
      mixOf([](int) { return 'P'; }),                                      // every site answers
      mixOf([](int i) { return i % 4 == 3 ? 'U' : 'P'; }),                 // the slow ones are closed
      mixOf([](int i) { return "PUWNRX"[i % 6]; }),                         // every outcome among the slow
      mixOf([&](int) { seed = seed * 1103515245u + 12345u; return "PPPPUUWNRX"[(seed >> 16) % 10]; }),
  };
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  for (const std::string& mix : mixes) {
    SCOPED_TRACE(mix.substr(0, 24));
    const RefreshSeen oneByOne = RunMix(mix, slow, 0, nullptr);
    const RefreshSeen sideBySide = RunMix(mix, slow, 2000, &runner);
    std::printf("[ figures ] 1000 entries, 250 of them taking 2 s: side by side %.2f s\n", sideBySide.seconds);
    const RefreshSeen expected = ExpectedOf(mix);
    EXPECT_EQ(sideBySide.log, expected.log);
    EXPECT_EQ(sideBySide.states, expected.states);
    EXPECT_EQ(oneByOne.log, expected.log);
    EXPECT_EQ(oneByOne.states, expected.states);
  }
}

TEST(ParallelRefreshTest, AtMostTheBoundAtOnce) {
  struct Case {
    size_t bound;
    int peakAtLeast;
  };
  // The console's bound lets all forty wait together; a small one holds them to itself.
  for (const Case& c : {Case{ThreadedCheckRunner::kMaxAtOnce, 17}, Case{8, 2}}) {
    SCOPED_TRACE(c.bound);
    PlainCheckThreading threading;
    ThreadedCheckRunner runner(threading, c.bound);
    RefreshWorld world(40);
    world.logic.SetCheckRunner(runner);
    ASSERT_TRUE(world.logic.ReadEntryList());
    for (int i = 1; i <= 40; ++i) world.Script(i, i % 3 == 0 ? 'U' : 'P', 300);
    world.logic.RefreshLinkStates(0, false);
    EXPECT_LE(world.db.PeakBusyConnections(), static_cast<int>(std::min<size_t>(c.bound, 40)));
    EXPECT_GE(world.db.PeakBusyConnections(), c.peakAtLeast);
    EXPECT_EQ(world.db.connectionStrings().size(), 40u);
    EXPECT_TRUE(NothingLeftOver(world.db));
    for (int i = 1; i <= 40; ++i) EXPECT_EQ(world.logic.Connected(i), i % 3 != 0) << i;
  }
}

TEST(ParallelRefreshTest, SingleRecheckRunsThroughTheRunnerToo) {
  struct CountingRunner : InlineCheckRunner {
    void RunAll(size_t count, const std::function<void(size_t)>& work) override {
      counts.push_back(count);
      InlineCheckRunner::RunAll(count, work);
    }
    std::vector<size_t> counts;
  } runner;
  RefreshWorld world(3);
  world.logic.SetCheckRunner(runner);
  ASSERT_TRUE(world.logic.ReadEntryList());
  world.Script(1, 'N', 0);
  world.Script(2, 'R', 0);
  world.Script(3, 'X', 0);
  EXPECT_FALSE(world.logic.RefreshLinkStates(2, true));
  EXPECT_FALSE(world.logic.RefreshLinkStates(3, false));
  world.logic.RefreshLinkStates(0, false);
  // Entries without a link never reach a worker.
  EXPECT_EQ(runner.counts, (std::vector<size_t>{1, 1, 2}));
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_EQ(world.boxes.shown[0].caption, "提示");
  EXPECT_EQ(world.boxes.shown[0].owner, MessageBoxOwner::Application);
  EXPECT_TRUE(NothingLeftOver(world.db));
}

// --- The history of link states noted by a refresh ---

class MemoryHistoryFile : public IHistoryFile {
 public:
  bool Inspect(uint64_t& size, std::string& tail, size_t) override {
    size = bytes.size();
    tail = bytes;
    return true;
  }
  bool Append(const std::string& more) override {
    bytes += more;
    return true;
  }
  bool Rotate() override { return false; }
  std::string bytes;
};

class FixedClock : public IHistoryClock {
 public:
  std::string Now() override { return "2026-03-01T03:20:05+08:00"; }
};

TEST(ParallelRefreshTest, HistoryNotesChangesOnly) {
  MemoryHistoryFile file;
  FixedClock clock;
  LinkHistory history(file, clock);
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  RefreshWorld world(3);
  world.logic.SetCheckRunner(runner);
  world.logic.SetLinkHistory(&history);
  ASSERT_TRUE(world.logic.ReadEntryList());
  world.Script(1, 'P', 0);
  world.Script(2, 'U', 0);
  world.Script(3, 'N', 0);
  world.logic.RefreshLinkStates(0, false);
  // A periodic refresh's results come through the message loop, once its checks have ended.
  auto periodic = [&] {
    world.logic.Timer3Timer();
    ASSERT_TRUE(threading.RunPostedUntil([&] { return !world.logic.PeriodicRefreshRunning(); }));
  };
  periodic();  // the same outcomes again: no line
  world.db = FakeDatabase();
  world.Script(1, 'U', 0);
  world.Script(2, 'P', 0);
  periodic();
  world.logic.RefreshLinkStates(1, true);  // still down: no line

  using Record = std::vector<std::string>;
  const std::string t = "2026-03-01T03:20:05+08:00";
  EXPECT_EQ(ReadHistoryRecords(file.bytes), (std::vector<Record>{
                                                {t, "1", "店1", "连接", ""},
                                                {t, "2", "店2", "断开", "注册项[2]连接数据库出错!"},
                                                {t, "3", "店3", "断开", ""},
                                                {t, "1", "店1", "断开", "注册项[1]连接数据库出错!"},
                                                {t, "2", "店2", "连接", ""},
                                            }));
}

// --- The files beside the program, read once per operation ---

// The console's own files in memory, the list and the settings of n entries that all answer.
struct FilesWorld {
  static constexpr const char* kList = "C:\\T\\Entries.ini";
  static constexpr const char* kSettings = "C:\\T\\Quorvan.ini";

  explicit FilesWorld(int n) {
    std::string list = "[Entries]\r\nCount=" + std::to_string(n) + "\r\n";
    std::string links = "[Quorvan]\r\nversion=140120\r\n";
    for (int i = 1; i <= n; ++i) {
      list += "[Entry" + std::to_string(i) + "]\r\nName=Store" + std::to_string(i) + "\r\nKind=1\r\n";
      links += Section(i, "Db" + std::to_string(i));
      Answer(i, "Db" + std::to_string(i));
    }
    ops.files[kList] = list;
    ops.files[kSettings] = links;
  }
  static std::string Section(int i, const std::string& database) {
    return "[Item" + std::to_string(i) + "]\r\nServername=10.0." + std::to_string(i / 256) + "." +
           std::to_string(i % 256) + "\r\nDatabase=" + database + "\r\nLogid=sa\r\nLogpass=pw\r\n";
  }
  void Answer(int i, const std::string& database) {
    const std::string server = "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256);
    db.AnswerOn(BuildConnString(server, "1433", database, "sa", "pw", 1), MarkerQuery(DatabaseKind::Store),
                {{{"name", "Base"}}});
  }
  int ListReads() { return ops.readsOf[kList]; }
  int SettingsReads() { return ops.readsOf[kSettings]; }

  testing::MemoryFileOps ops;
  SettingsFile settings{ops, kSettings};
  EntriesFile entries{ops, kList, settings};
  StringGrid grid{EntryGridLogic::kColCount};
  FakeHost host;
  FakeDatabase db;
  FakeMessageBoxes boxes;
  EntryGridLogic logic{grid, host, entries, settings, db, boxes};
};

TEST(FileReadsTest, OneReadOfEachFilePerFillAndPerRefresh) {
  for (int n : {1, 5000}) {
    SCOPED_TRACE(n);
    FilesWorld world(n);
    // The fill: the list once, the settings once (their erase above Count and the database column share it).
    ASSERT_TRUE(world.logic.ReadEntryList());
    EXPECT_EQ(world.ListReads(), 1);
    EXPECT_EQ(world.SettingsReads(), 1);
    EXPECT_EQ(world.grid.Cell(EntryGridLogic::kDatabaseCol, n), "Db" + std::to_string(n));
    // The refresh: the settings once for every entry's link.
    world.logic.RefreshLinkStates(0, false);
    EXPECT_EQ(world.ListReads(), 1);
    EXPECT_EQ(world.SettingsReads(), 2);
    EXPECT_EQ(world.db.connectionStrings().size(), static_cast<size_t>(n));
    EXPECT_TRUE(world.logic.Connected(1));
    EXPECT_TRUE(world.logic.Connected(n));
    // A periodic refresh is a fill and a refresh.
    world.logic.Timer3Timer();
    EXPECT_EQ(world.ListReads(), 2);
    EXPECT_EQ(world.SettingsReads(), 4);
    // The re-check after the link dialog reads the one entry's link, once.
    world.logic.RefreshLinkStates(n, false);
    EXPECT_EQ(world.SettingsReads(), 5);
  }
}

TEST(FileReadsTest, AHandEditBetweenTwoRefreshesIsSeenByTheSecond) {
  FilesWorld world(3);
  ASSERT_TRUE(world.logic.ReadEntryList());
  world.logic.RefreshLinkStates(0, false);
  ASSERT_TRUE(world.logic.Connected(2));

  // Entry 2 now points at a database its server does not have; entry 3 loses its link.
  std::string& file = world.ops.files[FilesWorld::kSettings];
  file.replace(file.find(FilesWorld::Section(2, "Db2")), FilesWorld::Section(2, "Db2").size(),
               FilesWorld::Section(2, "Moved"));
  file.erase(file.find(FilesWorld::Section(3, "Db3")));
  world.db.ClearRecords();
  world.host.log.clear();
  world.logic.RefreshLinkStates(0, false);
  EXPECT_EQ(world.db.connectionStrings().size(), 2u);
  EXPECT_NE(world.db.connectionStrings()[1].find("Initial Catalog=Moved"), std::string::npos);
  EXPECT_FALSE(world.logic.Connected(2));
  EXPECT_TRUE(world.logic.Connected(3));  // no link now: a silent failure keeps the state
  EXPECT_EQ(world.host.log, (std::vector<std::string>{"message \r\n注册项[2]连接数据库非正确的门店库!"}));

  // And the next fill shows it.
  world.logic.Timer3Timer();
  EXPECT_EQ(world.grid.Cell(EntryGridLogic::kDatabaseCol, 2), "Moved");
  EXPECT_EQ(world.grid.Cell(EntryGridLogic::kDatabaseCol, 3), "");
}

}  // namespace
}  // namespace teshmar
