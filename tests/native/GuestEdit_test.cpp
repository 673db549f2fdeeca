#include "customer/GuestEdit.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <set>

#include "links/db/ConnString.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using testing::FakeDatabase;
using testing::FakeEntryLinks;
using testing::FakeMessageBoxes;

const std::string kBaseMarker = "select * from  sysobjects  where name='Base' ";
const std::string kBaseRows = "select * from Base ";

// A list in memory that keeps what is stored with its entries; every call noted in the journal.
class FakeEntryList : public IEntryList {
 public:
  explicit FakeEntryList(std::vector<std::string>& journal) : journal_(journal) {}
  EntryListRead ReadEntries() override {
    journal_.push_back("read");
    EntryListRead read;
    if (broken) {
      read.status = EntryListRead::Status::Unreadable;
      read.error = *broken;
      return read;
    }
    read.status = EntryListRead::Status::Ok;
    read.entries = entries;
    return read;
  }
  bool StoreCustomer(int entryNo, const std::string& name, const std::string& addr) override {
    journal_.push_back("store " + std::to_string(entryNo) + " " + name + " " + addr);
    if (refused.count(entryNo)) return false;
    entries.at(static_cast<size_t>(entryNo - 1)).name = name;
    entries.at(static_cast<size_t>(entryNo - 1)).addr = addr;
    return true;
  }

  std::vector<Entry> entries;
  std::set<int> refused;
  std::optional<std::string> broken;  // the file's fault when it cannot be read

 private:
  std::vector<std::string>& journal_;
};

class QuietHost : public IEntryGridHost {
 public:
  void ShowMessageWindow(const std::string& text) override { said.push_back("message " + text); }
  void ShowProgressWindow(const std::string&, bool, bool, bool, unsigned) override {}
  void HideProgressWindow() override {}
  bool RunLinkDialog(int, DatabaseKind, std::string&) override { return false; }
  bool Timer3Enabled() override { return true; }
  void StopRefreshTimers() override {}
  void RequestQuit() override { said.push_back("quit"); }
  std::vector<std::string> said;
};

LinkSettings Link(int entryNo) {
  LinkSettings link;
  link.serverName = "10.0.0." + std::to_string(entryNo);
  link.database = "Db" + std::to_string(entryNo);
  link.loginName = "sa";
  link.password = "pw";
  return link;
}

class GuestEditTest : public ::testing::Test {
 protected:
  GuestEditTest() { boxes.journal = &journal; }

  // Entries with these kind codes, each linked to a database of its own, the list in the grid.
  void Entries(std::vector<std::string> kinds) {
    for (size_t i = 0; i < kinds.size(); ++i) {
      const int no = static_cast<int>(i) + 1;
      list.entries.push_back({std::to_string(no), " 店" + std::to_string(no) + " ",
                              "广东省,东莞市,,路" + std::to_string(no), kinds[i]});
      links.links[no] = Link(no);
    }
    ASSERT_TRUE(entryGrid.ReadEntryList());
    journal.clear();
  }
  std::string Cs(int entryNo) { return EntryConnString(links, entryNo); }
  // Every entry's database is a store database whose Base holds a row.
  void StoreDatabases() {
    for (const auto& [entryNo, link] : links.links) {
      db.AnswerOn(Cs(entryNo), kBaseMarker, {{{"name", "Base"}}});
      db.AnswerOn(Cs(entryNo), kBaseRows, {{{"Name", "old"}, {"Addr", "old"}}});
    }
  }
  std::vector<std::string> Executed() const {
    std::vector<std::string> out;
    for (const std::string& line : db.log())
      if (line.rfind("execute ", 0) == 0) out.push_back(line);
    return out;
  }
  void ExpectClosed() {
    EXPECT_FALSE(entryGrid.ADOConn().IsOpen());
    EXPECT_EQ(db.OpenConnections(), 0);
    EXPECT_EQ(db.OpenQueries(), 0);
  }

  std::vector<std::string> journal;
  StringGrid grid{EntryGridLogic::kColCount};
  QuietHost host;
  FakeEntryList list{journal};
  FakeEntryLinks links;
  FakeDatabase db;
  FakeMessageBoxes boxes;
  EntryGridLogic entryGrid{grid, host, list, links, db, boxes};
  // The dialog: notes what it was given and whether ADOConn was open, then answers as told.
  std::optional<std::pair<std::string, std::string>> answer;
  GuestEdit guest{grid, entryGrid, list, links, boxes, [this](std::string& name, std::string& addr, int mode) {
                    journal.push_back("dialog " + name + " " + addr + " mode " + std::to_string(mode) +
                                      (entryGrid.ADOConn().IsOpen() ? " open" : " closed"));
                    if (!answer) return false;
                    name = answer->first;
                    addr = answer->second;
                    return true;
                  }};
};

TEST_F(GuestEditTest, NoEntriesDoesNothing) {
  ASSERT_TRUE(entryGrid.ReadEntryList());
  journal.clear();
  guest.BtnGuestClick();
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(db.log().empty());
}

TEST_F(GuestEditTest, EmptyFirstNumberCellDoesNothing) {
  Entries({"1"});
  grid.SetCell(EntryGridLogic::kNumberCol, 1, "  ");
  guest.BtnGuestClick();
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(db.log().empty());
}

struct NoConnectionCase {
  const char* label;
  bool linked;
  bool reachable;
};
void PrintTo(const NoConnectionCase& c, std::ostream* out) { *out << c.label; }

class GuestEditNoConnectionTest : public GuestEditTest, public ::testing::WithParamInterface<NoConnectionCase> {};

TEST_P(GuestEditNoConnectionTest, SaysSoAndOpensNoDialog) {
  Entries({"1", "1"});
  if (!GetParam().linked) links.links.erase(2);
  if (!GetParam().reachable) db.RefuseConnection(Cs(2));
  grid.SetRow(2);
  guest.BtnGuestClick();
  EXPECT_EQ(journal, std::vector<std::string>{"box 数据库连接失败！"});
  EXPECT_EQ(boxes.shown.at(0).caption, "Teshmar");
  ExpectClosed();
}

INSTANTIATE_TEST_SUITE_P(Entries, GuestEditNoConnectionTest,
                         ::testing::Values(NoConnectionCase{"NoLink", false, true},
                                           NoConnectionCase{"Unreachable", true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

struct EditCase {
  const char* label;
  std::vector<std::string> kinds;
  int row;
  bool confirmed;
  std::set<int> refused;
  std::vector<std::string> journal;   // after the dialog
  bool recordWritten;                 // into entry recordEntry's database, with `recorded`
  std::string recorded;
  int recordEntry = 1;
};
void PrintTo(const EditCase& c, std::ostream* out) { *out << c.label; }

class GuestEditFlowTest : public GuestEditTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(GuestEditFlowTest, StoresReadsAgainAndWritesTheRecord) {
  const EditCase& c = GetParam();
  Entries(c.kinds);
  StoreDatabases();
  list.refused = c.refused;
  if (c.confirmed) answer = {{"新店", "北京市,北京辖县,密云县,鼓楼街"}};
  grid.SetRow(c.row);
  guest.BtnGuestClick();

  const std::string n = std::to_string(c.row);
  std::vector<std::string> expected{"dialog 店" + n + " 广东省,东莞市,,路" + n + " mode 1 open"};
  expected.insert(expected.end(), c.journal.begin(), c.journal.end());
  EXPECT_EQ(journal, expected);
  // The dialog ran on the edited entry's connection.
  EXPECT_EQ(db.log().at(0), "connect " + Cs(c.row));
  if (c.recordWritten) {
    EXPECT_EQ(Executed(), std::vector<std::string>{"execute Update Base set Name='" + c.recorded + "' "});
    // The record was written on the connection to its entry's database.
    const auto& log = db.log();
    const auto update = std::find(log.begin(), log.end(), Executed().front());
    const auto connect = std::find(std::make_reverse_iterator(update), log.rend(), "connect " + Cs(c.recordEntry));
    EXPECT_NE(connect, log.rend()) << "the record went into another database";
  } else {
    EXPECT_TRUE(Executed().empty());
  }
  ExpectClosed();
}

std::string Stored(int entryNo) { return "store " + std::to_string(entryNo) + " 新店 北京市,北京辖县,密云县,鼓楼街"; }

INSTANTIATE_TEST_SUITE_P(
    Paths, GuestEditFlowTest,
    ::testing::Values(
        // Each store site keeps its own record: entry 3's customer never overwrites entry 1's.
        EditCase{"StoreLayoutConfirmed", {"1", "1", "1"}, 3, true, {}, {Stored(3), "read"}, true,
                 "新店',Addr='鼓楼街", 3},
        EditCase{"CancelledWritesTheGridsValues", {"1", "1"}, 2, false, {}, {"read"}, true, "店2',Addr='路2", 2},
        EditCase{"StoreErpEditingEntryTwo", {"1", "2"}, 2, true, {}, {Stored(1), Stored(2), "read"}, true,
                 "新店',Addr='鼓楼街"},
        EditCase{"StoreErpEntryOneRefused", {"1", "2"}, 2, true, {1}, {Stored(1), "box 修改客户信息失败！"}, false,
                 ""},
        EditCase{"StoreErpEntryTwoRefused", {"1", "2"}, 1, true, {2},
                 {Stored(1), Stored(2), "box 修改客户信息失败！"}, false, ""},
        EditCase{"StoreLayoutRefused", {"1"}, 1, true, {1}, {Stored(1), "box 修改客户信息失败！"}, false, ""},
        EditCase{"ErpLayoutWritesNoRecord", {"2", "2"}, 1, true, {}, {Stored(1), "read"}, false, ""},
        EditCase{"ErpLayoutCancelled", {"2"}, 1, false, {}, {"read"}, false, ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(GuestEditTest, TheStoredValuesReachTheGrid) {
  Entries({"1", "1"});
  StoreDatabases();
  answer = {{"O'Brien", "广东省,东莞市,,O'Connell 街"}};
  grid.SetRow(2);
  guest.BtnGuestClick();
  EXPECT_EQ(grid.Cell(EntryGridLogic::kNameCol, 2), "O'Brien");
  EXPECT_EQ(grid.Cell(EntryGridLogic::kAddrCol, 2), "广东省,东莞市,,O'Connell 街");
  EXPECT_EQ(Executed(), std::vector<std::string>{"execute Update Base set Name='O''Brien',Addr='O''Connell 街' "});
  ExpectClosed();
}

TEST_F(GuestEditTest, TheValuesComeFromTheGridNotTheList) {
  Entries({"1", "1"});
  StoreDatabases();
  list.entries[1].name = "列表里的名字";  // not read again before the click
  grid.SetCell(EntryGridLogic::kNameCol, 2, "\t格子里的名字 ");
  grid.SetRow(2);
  guest.BtnGuestClick();
  EXPECT_EQ(journal.at(0), "dialog 格子里的名字 广东省,东莞市,,路2 mode 1 open");
}

// The list broke on disk while the dialog was open: the rows shown stay, the message window says
// what is wrong, and the console goes on; the record is written all the same.
TEST_F(GuestEditTest, AListThatCannotBeReadAfterTheDialogIsToldAndEndsNothing) {
  Entries({"1", "1"});
  StoreDatabases();
  answer = {{"新店", "广东省,东莞市,,新路"}};
  list.broken = "注册项列表文件 C:\\T\\Entries.ini 无法读取：缺少[Entry2]";
  grid.SetRow(2);
  guest.BtnGuestClick();
  EXPECT_EQ(host.said, std::vector<std::string>{"message " + *list.broken});
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Executed(), std::vector<std::string>{"execute Update Base set Name='新店',Addr='新路' "});
  ExpectClosed();
}

TEST_F(GuestEditTest, AnErrorOfTheRecordClosesTheConnectionAndIsShown) {
  Entries({"1", "1"});
  db.AnswerOn(Cs(1), kBaseMarker, {{{"name", "Base"}}});
  db.RefuseOn(Cs(1), kBaseRows, "Invalid column name 'Addr'.");
  answer = {{"新店", ",,,街"}};
  grid.SetRow(1);
  EXPECT_THROW(guest.BtnGuestClick(), DatabaseError);
  ExpectClosed();
  EXPECT_EQ(journal.back(), "read") << "stored and read before the record";

  journal.clear();
  guest.Click();
  EXPECT_EQ(journal.back(), "box Invalid column name 'Addr'.");
  EXPECT_EQ(boxes.shown.back().caption, "Teshmar");
  ExpectClosed();
}

TEST_F(GuestEditTest, TheProviderIsWaitedForOutsideTheDialog) {
  Entries({"1", "1"});
  StoreDatabases();
  std::vector<std::string> seen;
  GuestEdit waiting{grid, entryGrid, list, links, boxes,
                    [&](std::string&, std::string&, int) {
                      seen.push_back("dialog");
                      return false;
                    },
                    [&](bool on) {
                      seen.push_back((on ? "wait after " : "done after ") +
                                     (db.log().empty() ? std::string("nothing") : db.log().back()));
                    }};
  grid.SetRow(2);
  db.ClearRecords();
  waiting.BtnGuestClick();
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], "wait after nothing");
  EXPECT_EQ(seen[1], "done after connect " + Cs(2));
  EXPECT_EQ(seen[2], "dialog");
  EXPECT_EQ(seen[3], "wait after connect " + Cs(2));
  EXPECT_EQ(seen[4], "done after disconnect " + Cs(2));
}

TEST_F(GuestEditTest, AnErrorOfTheDialogClosesTheConnection) {
  Entries({"1"});
  GuestEdit failing{grid, entryGrid, list, links, boxes,
                    [](std::string&, std::string&, int) -> bool { throw std::runtime_error("no window"); }};
  grid.SetRow(1);
  EXPECT_THROW(failing.BtnGuestClick(), std::runtime_error);
  ExpectClosed();
}

}  // namespace
}  // namespace teshmar
