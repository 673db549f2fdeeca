#include "links/dialog/DBLink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Cp936.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using C = DBLinkControl;

// Written out again here, byte for byte, rather than taken from the code under test.
const std::string kListing =
    "USE master  SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases where DB_NAME(dbid) not in  "
    "('master','tempdb','model','msdb','pubs','Northwind') ORDER BY dbid ";
const std::string kStoreMarker = "select name from  sysobjects  where name='Base' ";
const std::string kErpMarker = "select name from  sysobjects  where name='ALL_REGISTER' ";

std::string LoginCs(const std::string& server, const std::string& port, const std::string& db,
                    const std::string& login, const std::string& password) {
  return "Provider=SQLOLEDB.1;Password=" + password + ";Persist Security Info=True;User ID=" + login +
         ";Initial Catalog=" + db + ";Data Source=" + server + "," + port;
}
std::string IntegratedCs(const std::string& server, const std::string& db, const std::string& login) {
  return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;User ID=" + login +
         ";Initial Catalog=" + db + ";Data Source=" + server;
}
std::string LoginBrowseCs(const std::string& server, const std::string& port, const std::string& login,
                          const std::string& password) {
  return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + login + ";Password=" + password +
         ";Data Source=" + server + "," + port +
         ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
         "Workstation ID=QUELM;Use Encryption for Data=False;Tag with column collation when possible=False";
}

const char* Name(C control) {
  switch (control) {
    case C::CBServerIP: return "CBServerIP";
    case C::CheckBox1: return "CheckBox1";
    case C::PortEd: return "PortEd";
    case C::CheckBox2: return "CheckBox2";
    case C::LogID: return "LogID";
    case C::LogPwd: return "LogPwd";
    case C::RzLabel4: return "RzLabel4";
    case C::CBDateDB: return "CBDateDB";
  }
  return "?";
}

// The dialog's window as the logic sees it, in its design state; notes what it is told.
class FakeView : public IDBLinkView {
 public:
  explicit FakeView(std::vector<std::string>& journal) : journal_(journal) {
    texts[C::PortEd] = "1433";
    texts[C::RzLabel4] = "库名：";
    enabled[C::PortEd] = false;
  }

  std::string Text(C control) override { return texts[control]; }
  void SetText(C control, const std::string& text) override {
    texts[control] = text;
    journal_.push_back(std::string("text ") + Name(control) + "=" + text);
  }
  bool Checked(C control) override { return checked[control]; }
  void Enable(C control, bool on) override { enabled[control] = on; }
  void Focus(C control) override {
    focus = control;
    journal_.push_back(std::string("focus ") + Name(control));
  }
  void SetDatabaseItems(const std::vector<std::string>& names) override {
    items = names;
    journal_.push_back("items");
  }
  void SelectFirstDatabase() override {
    ASSERT_FALSE(items.empty());
    texts[C::CBDateDB] = items.front();
    journal_.push_back("select first");
  }
  void Repaint() override {
    ++repaints;
    journal_.push_back("repaint");
  }
  void EndDialog(DBLinkResult r) override {
    result = r;
    journal_.push_back(r == DBLinkResult::OK ? "end OK" : "end Cancel");
  }
  void BeginWait() override {
    ++waitDepth;
    journal_.push_back("wait+");
  }
  void EndWait() override {
    --waitDepth;
    journal_.push_back("wait-");
  }

  std::map<C, std::string> texts;
  std::map<C, bool> checked;
  std::map<C, bool> enabled{{C::CBServerIP, true}};
  std::vector<std::string> items;
  std::optional<C> focus;
  std::optional<DBLinkResult> result;
  int repaints = 0;
  int waitDepth = 0;

 private:
  std::vector<std::string>& journal_;
};

// Connections that note the wait cursor's depth whenever they open, and a database that can
// fail to make a connection at all (the provider not installed).
class ProbedDatabase : public IDatabase {
 public:
  ProbedDatabase(IDatabase& inner, std::function<void()> onOpen) : inner_(inner), onOpen_(std::move(onOpen)) {}
  bool failCreate = false;

  std::unique_ptr<IConnection> CreateConnection() override {
    if (failCreate) throw std::runtime_error("Class not registered");
    return std::make_unique<Connection>(inner_.CreateConnection(), onOpen_);
  }

 private:
  class Connection : public IConnection {
   public:
    Connection(std::unique_ptr<IConnection> inner, std::function<void()> onOpen)
        : inner_(std::move(inner)), onOpen_(std::move(onOpen)) {}
    void Open(const std::string& cs) override {
      onOpen_();
      inner_->Open(cs);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    std::string ConnectionString() const override { return inner_->ConnectionString(); }
    std::unique_ptr<IQuery> CreateQuery() override { return inner_->CreateQuery(); }

   private:
    std::unique_ptr<IConnection> inner_;
    std::function<void()> onOpen_;
  };
  IDatabase& inner_;
  std::function<void()> onOpen_;
};

// A settings store that notes its writes and can refuse them as the settings file does.
class JournalLinks : public testing::FakeEntryLinks {
 public:
  explicit JournalLinks(std::vector<std::string>& journal) : journal_(journal) {}
  std::optional<std::string> refuse;
  int writes = 0;
  void WriteEntryLink(int entryNo, const LinkSettings& link) override {
    journal_.push_back("write Item" + std::to_string(entryNo));
    if (refuse) throw std::runtime_error(*refuse);
    ++writes;
    FakeEntryLinks::WriteEntryLink(entryNo, link);
  }

 private:
  std::vector<std::string>& journal_;
};

struct Dialog {
  std::vector<std::string> journal;
  std::vector<int> waitAtConnect;
  testing::FakeDatabase fakeDb;
  FakeView view{journal};
  ProbedDatabase db{fakeDb, [this] { waitAtConnect.push_back(view.waitDepth); }};
  JournalLinks links{journal};
  testing::FakeMessageBoxes boxes;
  std::optional<DBLinkLogic> logic;

  explicit Dialog(int entryNo = 4, DatabaseKind kind = DatabaseKind::Store) {
    boxes.journal = &journal;
    logic.emplace(view, db, links, boxes);
    logic->FEntryNo = entryNo;
    logic->FKind = kind;
  }

  void Fill(const std::string& server, const std::string& port, const std::string& database,
            const std::string& login, const std::string& password) {
    view.texts[C::CBServerIP] = server;
    view.texts[C::PortEd] = port;
    view.texts[C::CBDateDB] = database;
    view.texts[C::LogID] = login;
    view.texts[C::LogPwd] = password;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes.shown) texts.push_back(box.text);
    return texts;
  }
  // Every message box is plain (OK, the application's title) and none comes under the wait cursor.
  void ExpectPlainBoxesOutsideWait() const {
    for (const auto& box : boxes.shown) {
      if (box.caption == "提示") continue;  // the statement routines' own box
      EXPECT_EQ(box.caption, "Teshmar") << box.text;
      EXPECT_EQ(box.flags, mb::kOk) << box.text;
    }
    int depth = 0;
    for (const auto& line : journal) {
      if (line == "wait+") ++depth;
      if (line == "wait-") --depth;
      // the statement routines' own box may come while the kind check runs
      if (line.rfind("box ", 0) == 0 && line.rfind("box 无法在", 0) != 0) EXPECT_EQ(depth, 0) << line;
    }
    EXPECT_EQ(depth, 0);
    for (int d : waitAtConnect) EXPECT_GT(d, 0) << "a connection opened without the wait cursor";
  }
};

// --- Showing ---

TEST(DBLinkShow, FillsTheBoxesFromTheEntrysSettings) {
  Dialog d(7, DatabaseKind::Erp);
  d.links.links[7] = LinkSettings{"10.1.2.3", "2433", "门店01", "operator", " pw ", 2};
  d.logic->FormShow();
  EXPECT_EQ(d.view.texts[C::CBServerIP], "10.1.2.3");
  EXPECT_EQ(d.view.texts[C::PortEd], "2433");
  EXPECT_EQ(d.view.texts[C::CBDateDB], "门店01");
  EXPECT_EQ(d.view.texts[C::LogID], "operator");
  EXPECT_EQ(d.view.texts[C::LogPwd], " pw ");
  EXPECT_EQ(d.view.texts[C::RzLabel4], "ERP数据库：");
  EXPECT_EQ(d.logic->FConnType, 2);
  // the check boxes keep their design state
  EXPECT_FALSE(d.view.enabled[C::PortEd]);
  EXPECT_TRUE(d.view.enabled[C::CBServerIP]);
  EXPECT_THAT(d.boxes.shown, IsEmpty());
  EXPECT_THAT(d.fakeDb.connectionStrings(), IsEmpty());
}

TEST(DBLinkShow, DefaultsSaAndTheLabelOfEachKind) {
  const struct {
    DatabaseKind kind;
    const char* label;
  } cases[] = {{DatabaseKind::Store, "门店数据库："},
               {DatabaseKind::Erp, "ERP数据库："},
               {static_cast<DatabaseKind>(3), "库名："}};
  for (const auto& c : cases) {
    Dialog d(12, c.kind);
    d.logic->FormShow();
    EXPECT_EQ(d.view.texts[C::RzLabel4], c.label);
    EXPECT_EQ(d.view.texts[C::CBServerIP], "127.0.0.1");
    EXPECT_EQ(d.view.texts[C::PortEd], "1433");
    EXPECT_EQ(d.view.texts[C::CBDateDB], "");
    EXPECT_EQ(d.view.texts[C::LogID], "sa");
    EXPECT_EQ(d.view.texts[C::LogPwd], "");
    EXPECT_EQ(d.logic->FConnType, 1);
  }
}

TEST(DBLinkShow, UnreadableSettingsAreSaidWithTheirOwnText) {
  struct Unreadable : testing::FakeEntryLinks {
    LinkSettings ReadEntryLink(int) override { throw std::runtime_error("Unable to read C:\\x\\Quorvan.ini"); }
  } links;
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  std::vector<std::string> journal;
  FakeView view(journal);
  DBLinkLogic logic(view, db, links, boxes);
  logic.FEntryNo = 1;
  logic.FormShow();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Unable to read C:\\x\\Quorvan.ini");
}

// --- Check boxes ---

TEST(DBLinkCheckBoxes, ThisMachineAndThePort) {
  Dialog d;
  d.view.texts[C::CBServerIP] = "10.0.0.9";
  d.view.checked[C::CheckBox1] = true;
  d.logic->CheckBox1Click();
  EXPECT_EQ(d.view.texts[C::CBServerIP], "127.0.0.1");
  EXPECT_FALSE(d.view.enabled[C::CBServerIP]);
  d.view.checked[C::CheckBox1] = false;
  d.logic->CheckBox1Click();
  EXPECT_EQ(d.view.texts[C::CBServerIP], "127.0.0.1") << "clearing keeps the text";
  EXPECT_TRUE(d.view.enabled[C::CBServerIP]);

  d.view.texts[C::PortEd] = "2433";
  d.view.checked[C::CheckBox2] = true;
  d.logic->CheckBox2Click();
  EXPECT_TRUE(d.view.enabled[C::PortEd]);
  d.view.checked[C::CheckBox2] = false;
  d.logic->CheckBox2Click();
  EXPECT_FALSE(d.view.enabled[C::PortEd]);
  EXPECT_EQ(d.view.texts[C::PortEd], "2433");
  EXPECT_THAT(d.boxes.shown, IsEmpty());
}

// --- Saving ---

enum class Fault { None, ConnectRefused, CreateFails, NoMarker, CheckConnectRefused, WriteRefused, MarkerRefused };

struct SaveCase {
  const char* name;
  std::string server, port, database;
  int connType;
  DatabaseKind kind;
  Fault fault;
  std::vector<std::string> messages;
  std::optional<C> focus;
};

void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }

class DBLinkSaveFailure : public ::testing::TestWithParam<SaveCase> {};

TEST_P(DBLinkSaveFailure, SaysWhyKeepsTheDialogOpenAndWritesNothing) {
  const SaveCase& c = GetParam();
  Dialog d(4, c.kind);
  d.links.links[4] = LinkSettings{"10.0.0.1", "1433", "Old", "sa", "old", c.connType};
  d.logic->FormShow();
  d.Fill(c.server, c.port, c.database, " sa ", " secret ");
  const std::string port = c.port.empty() ? "1433" : c.port;
  const std::string marker = c.kind == DatabaseKind::Erp ? kErpMarker : kStoreMarker;
  d.fakeDb.Answer(marker, {{{"name", "x"}}});
  switch (c.fault) {
    case Fault::None: break;
    case Fault::ConnectRefused: d.fakeDb.RefuseEveryConnection(); break;
    case Fault::CreateFails: d.db.failCreate = true; break;
    case Fault::NoMarker: d.fakeDb.Answer(marker, {}); break;
    case Fault::MarkerRefused: d.fakeDb.Refuse(marker); break;
    case Fault::CheckConnectRefused:
      d.fakeDb.RefuseConnection(LoginCs("10.0.0.7", port, "Shop", "sa", "secret"));
      break;
    case Fault::WriteRefused: d.links.refuse = "Unable to write to C:\\Teshmar\\Quorvan.ini"; break;
  }
  d.journal.clear();

  d.logic->BtnOKClick();

  EXPECT_EQ(d.Messages(), c.messages);
  EXPECT_EQ(d.view.focus, c.focus);
  EXPECT_EQ(d.view.result, std::nullopt) << "the dialog stays open";
  EXPECT_EQ(d.links.writes, 0);
  EXPECT_EQ(d.links.links[4].database, "Old");
  EXPECT_EQ(d.logic->FDBName, "");
  d.ExpectPlainBoxesOutsideWait();
}

const std::string kMsgServer = "请正确填写服务器IP！";
const std::string kMsgDatabase = "请选择要连接的数据库！";
const std::string kMsgConnect = "数据库连接失败！请检查账号和密码是否正确！";

INSTANTIATE_TEST_SUITE_P(
    Table, DBLinkSaveFailure,
    ::testing::Values(
        SaveCase{"EmptyServer", "", "1433", "Shop", 1, DatabaseKind::Store, Fault::None, {kMsgServer}, C::CBServerIP},
        SaveCase{"BlankServer", " \t\r\n", "1433", "Shop", 1, DatabaseKind::Store, Fault::None, {kMsgServer},
                 C::CBServerIP},
        SaveCase{"LeadingZero", "192.168.01.1", "1433", "Shop", 1, DatabaseKind::Store, Fault::None, {kMsgServer},
                 C::CBServerIP},
        SaveCase{"HostName", "localhost", "1433", "Shop", 1, DatabaseKind::Store, Fault::None, {kMsgServer},
                 C::CBServerIP},
        SaveCase{"EmptyDatabase", " 10.0.0.7 ", "1433", "", 1, DatabaseKind::Store, Fault::None, {kMsgDatabase},
                 C::CBDateDB},
        SaveCase{"BlankDatabase", "10.0.0.7", "1433", " \t ", 1, DatabaseKind::Store, Fault::None, {kMsgDatabase},
                 C::CBDateDB},
        SaveCase{"ConnectionRefused", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Store, Fault::ConnectRefused,
                 {kMsgConnect}, std::nullopt},
        SaveCase{"UnknownConnType", "10.0.0.7", "1433", "Shop", 3, DatabaseKind::Store, Fault::None, {kMsgConnect},
                 std::nullopt},
        SaveCase{"ProviderMissing", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Store, Fault::CreateFails,
                 {"数据库连接失败！请检查！"}, std::nullopt},
        SaveCase{"NotAStoreDatabase", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Store, Fault::NoMarker,
                 {"注册项[4]连接数据库非正确的门店库!"}, std::nullopt},
        SaveCase{"NotAnErpDatabase", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Erp, Fault::NoMarker,
                 {"注册项[4]连接数据库非正确的ERP库!"}, std::nullopt},
        SaveCase{"MarkerQueryRefused", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Store, Fault::MarkerRefused,
                 {"无法在ＳＱＬ服务器上查询数据？\r" + kStoreMarker, "注册项[4]连接数据库非正确的门店库!"},
                 std::nullopt},
        // integrated security connects, the login form of the kind check does not
        SaveCase{"KindCheckCannotConnect", "10.0.0.7", "", "Shop", 2, DatabaseKind::Store,
                 Fault::CheckConnectRefused, {"注册项[4]连接数据库出错!"}, std::nullopt},
        SaveCase{"WriteRefused", "10.0.0.7", "1433", "Shop", 1, DatabaseKind::Store, Fault::WriteRefused,
                 {"Unable to write to C:\\Teshmar\\Quorvan.ini"}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DBLinkSave, StepsRunInOrderAndTheFirstFailingOneEndsTheClick) {
  // Several faults at once: only the earliest step speaks, and nothing of the later steps happens.
  const struct {
    std::string server, port, database;
    Fault fault;
    std::vector<std::string> journal;
  } cases[] = {
      {"", "", "", Fault::ConnectRefused, {"box " + kMsgServer, "focus CBServerIP"}},
      {"localhost", "", "", Fault::ConnectRefused, {"box " + kMsgServer, "focus CBServerIP"}},
      {"10.0.0.7", "", "", Fault::ConnectRefused, {"box " + kMsgDatabase, "focus CBDateDB"}},
      {"10.0.0.7", "", "Shop", Fault::ConnectRefused, {"text PortEd=1433", "wait+", "wait-", "box " + kMsgConnect}},
      {"10.0.0.7", "", "Shop", Fault::NoMarker,
       {"text PortEd=1433", "wait+", "wait-", "wait+", "wait-", "box 注册项[4]连接数据库非正确的门店库!"}},
      {"10.0.0.7", "", "Shop", Fault::None,
       {"text PortEd=1433", "wait+", "wait-", "wait+", "wait-", "write Item4", "end OK"}},
  };
  for (const auto& c : cases) {
    Dialog d;
    d.Fill(c.server, c.port, c.database, "sa", "pw");
    d.fakeDb.Answer(kStoreMarker, {{{"name", "Base"}}});
    if (c.fault == Fault::ConnectRefused) d.fakeDb.RefuseEveryConnection();
    if (c.fault == Fault::NoMarker) d.fakeDb.Answer(kStoreMarker, {});
    d.logic->BtnOKClick();
    EXPECT_EQ(d.journal, c.journal) << c.server << "/" << c.database;
    if (c.journal.front().rfind("box", 0) == 0) EXPECT_THAT(d.fakeDb.connectionStrings(), IsEmpty());
  }
}

// Text the settings file cannot store (code page 936 has no "ñ" and no Hangul) is named before the
// server is asked; the dialog stays open with the input and nothing is written.
TEST(DBLinkSave, TextTheFileCannotStoreIsNamedBeforeAnythingHappens) {
  const struct {
    C box;
    std::string name;
  } cases[] = {
      {C::LogPwd, "数据库密码"}, {C::LogID, "数据库账号"}, {C::CBDateDB, "门店数据库"}, {C::PortEd, "端口"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dialog d;
    d.links.canStore = [](const std::string& text) { return Utf8ToCp936(text).has_value(); };
    d.view.texts[C::RzLabel4] = "门店数据库：";
    d.Fill("10.0.0.7", "1433", "Shop", "sa", "pw");
    d.view.texts[c.box] = c.box == C::CBDateDB ? "김밥" : "Señor1";
    d.fakeDb.Answer(kStoreMarker, {{{"name", "Base"}}});
    d.logic->BtnOKClick();
    EXPECT_EQ(d.journal, (std::vector<std::string>{"box “" + c.name + "”中有Quorvan.ini无法保存的字符，请修改！",
                                                   "focus " + std::string(c.box == C::LogPwd   ? "LogPwd"
                                                                          : c.box == C::LogID  ? "LogID"
                                                                          : c.box == C::PortEd ? "PortEd"
                                                                                               : "CBDateDB")}));
    EXPECT_THAT(d.fakeDb.connectionStrings(), IsEmpty());
    EXPECT_EQ(d.links.writes, 0);
    EXPECT_FALSE(d.view.result.has_value());
  }
}

TEST(DBLinkSave, StoresTheSixTrimmedValuesWithTheConnTypeItRead) {
  const struct {
    int connType;
    std::vector<std::string> connections;  // the test's, then the kind check's
  } cases[] = {
      {1,
       {LoginCs("10.0.0.7", "1433", "门店库", "sa", "p w"), LoginCs("10.0.0.7", "1433", "门店库", "sa", "p w")}},
      {2, {IntegratedCs("10.0.0.7", "门店库", "sa"), LoginCs("10.0.0.7", "1433", "门店库", "sa", "p w")}},
  };
  for (const auto& c : cases) {
    Dialog d(3, DatabaseKind::Store);
    d.links.links[3] = LinkSettings{"10.0.0.1", "1433", "Old", "", "", c.connType};
    d.logic->FormShow();  // an empty stored login shows "sa"
    d.view.texts[C::CBServerIP] = "\t10.0.0.7 ";
    d.view.texts[C::PortEd] = "  ";
    d.view.texts[C::CBDateDB] = " 门店库\r\n";
    d.view.texts[C::LogPwd] = "  p w \x01";
    d.fakeDb.Answer(kStoreMarker, {{{"name", "Base"}}});
    d.logic->BtnOKClick();

    EXPECT_THAT(d.boxes.shown, IsEmpty());
    EXPECT_EQ(d.view.result, DBLinkResult::OK);
    EXPECT_EQ(d.logic->FDBName, "门店库");
    EXPECT_EQ(d.view.texts[C::PortEd], "1433");
    EXPECT_EQ(d.links.writes, 1);
    EXPECT_EQ(d.links.links[3], (LinkSettings{"10.0.0.7", "1433", "门店库", "sa", "p w", c.connType}));
    EXPECT_EQ(d.fakeDb.connectionStrings(), c.connections) << c.connType;
    EXPECT_EQ(d.fakeDb.statements(), std::vector<std::string>{kStoreMarker});
    d.ExpectPlainBoxesOutsideWait();
    // ADOConnA stays open until the dialog goes; the kind check's own connection is gone already.
    EXPECT_EQ(d.fakeDb.OpenConnections(), 1);
    ASSERT_NE(d.logic->ADOConnA(), nullptr);
    EXPECT_TRUE(d.logic->ADOConnA()->IsOpen());
    d.logic.reset();
    EXPECT_TRUE(d.fakeDb.AllReleased());
  }
}

TEST(DBLinkSave, AnErpEntrySavesOnlyWithAnErpDatabase) {
  Dialog d(2, DatabaseKind::Erp);
  d.Fill("10.0.0.7", "1433", "ERP", "sa", "");
  d.fakeDb.Answer(kErpMarker, {{{"name", "ALL_REGISTER"}}});
  d.logic->BtnOKClick();
  EXPECT_THAT(d.boxes.shown, IsEmpty());
  EXPECT_EQ(d.view.result, DBLinkResult::OK);
  EXPECT_EQ(d.fakeDb.statements(), std::vector<std::string>{kErpMarker});
}

// --- The test button ---

struct TestCase {
  const char* name;
  std::string server, port, database;
  int connType;
  bool refuse;
  std::string message;
  std::optional<C> focus;
  std::vector<std::string> connections;
};

void PrintTo(const TestCase& c, std::ostream* out) { *out << c.name; }

class DBLinkTestButton : public ::testing::TestWithParam<TestCase> {};

TEST_P(DBLinkTestButton, AnswersAndFocuses) {
  const TestCase& c = GetParam();
  Dialog d;
  d.logic->FConnType = c.connType;
  d.Fill(c.server, c.port, c.database, " sa ", "pw ");
  if (c.refuse) d.fakeDb.RefuseEveryConnection();
  d.logic->RzBitBtn2Click();
  EXPECT_EQ(d.Messages(), std::vector<std::string>{c.message});
  EXPECT_EQ(d.view.focus, c.focus);
  EXPECT_EQ(d.fakeDb.connectionStrings(), c.connections);
  EXPECT_EQ(d.view.result, std::nullopt);
  EXPECT_EQ(d.view.texts[C::PortEd], c.port) << "the test never fills the port";
  EXPECT_EQ(d.links.writes, 0);
  d.ExpectPlainBoxesOutsideWait();
}

INSTANTIATE_TEST_SUITE_P(
    Table, DBLinkTestButton,
    ::testing::Values(
        TestCase{"EmptyServer", "", "1433", "Shop", 1, false, "请填写正确的服务器IP！", C::CBServerIP, {}},
        TestCase{"NamedInstance", "10.0.0.7\\SQLEXPRESS", "1433", "Shop", 1, false, "请填写正确的服务器IP！",
                 C::CBServerIP, {}},
        TestCase{"EmptyDatabase", "10.0.0.7", "1433", "  ", 1, false, "请选择数据库！", C::CBDateDB, {}},
        TestCase{"Connects", " 10.0.0.7 ", "1433", "Shop", 1, false, "数据库连接成功！", std::nullopt,
                 {LoginCs("10.0.0.7", "1433", "Shop", "sa", "pw")}},
        TestCase{"EmptyPortStaysEmpty", "10.0.0.7", "", "Shop", 1, false, "数据库连接成功！", std::nullopt,
                 {LoginCs("10.0.0.7", "", "Shop", "sa", "pw")}},
        TestCase{"Refused", "10.0.0.7", "1433", "Shop", 1, true, "数据库连接失败！", std::nullopt,
                 {LoginCs("10.0.0.7", "1433", "Shop", "sa", "pw")}},
        TestCase{"Integrated", "10.0.0.7", "1433", "Shop", 2, false, "数据库连接成功！", std::nullopt,
                 {IntegratedCs("10.0.0.7", "Shop", "sa")}},
        // no connection string for an unknown type: a failure without asking the provider
        TestCase{"UnknownConnType", "10.0.0.7", "1433", "Shop", 3, false, "数据库连接失败！", std::nullopt, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DBLinkTestButton, ProviderMissingIsSaidWithItsOwnText) {
  Dialog d;
  d.db.failCreate = true;
  d.Fill("10.0.0.7", "1433", "Shop", "sa", "");
  d.logic->RzBitBtn2Click();
  EXPECT_EQ(d.Messages(), std::vector<std::string>{"Class not registered"});
  EXPECT_EQ(d.view.waitDepth, 0);
}

TEST(DBLinkConnectTest, ReportsOnlyWhenAskedAndKeepsADOConnAOpen) {
  Dialog d;
  EXPECT_TRUE(d.logic->ConnectTest("10.0.0.7", "1433", "Shop", "sa", "", 1, false));
  EXPECT_THAT(d.boxes.shown, IsEmpty());
  EXPECT_TRUE(d.logic->ADOConnA()->IsOpen());
  // a second test closes the first connection before it opens again
  EXPECT_TRUE(d.logic->ConnectTest("10.0.0.8", "1433", "Shop", "sa", "", 1, false));
  EXPECT_EQ(d.fakeDb.OpenConnections(), 1);
  EXPECT_EQ(d.logic->ADOConnA()->ConnectionString(), LoginCs("10.0.0.8", "1433", "Shop", "sa", ""));
  d.fakeDb.RefuseEveryConnection();
  EXPECT_FALSE(d.logic->ConnectTest("10.0.0.9", "1433", "Shop", "sa", "", 1, false));
  EXPECT_THAT(d.boxes.shown, IsEmpty());
  EXPECT_FALSE(d.logic->ADOConnA()->IsOpen());
  EXPECT_EQ(d.fakeDb.OpenConnections(), 0);
}

TEST(DBLinkCancel, AfterASuccessfulTestWritesNothing) {
  Dialog d;
  d.Fill("10.0.0.7", "1433", "Shop", "sa", "pw");
  d.logic->RzBitBtn2Click();
  ASSERT_EQ(d.Messages(), std::vector<std::string>{"数据库连接成功！"});
  d.logic->BtnCancelClick();
  EXPECT_EQ(d.view.result, DBLinkResult::Cancel);
  EXPECT_EQ(d.links.writes, 0);
  EXPECT_TRUE(d.links.links.empty());
  EXPECT_EQ(d.logic->FDBName, "");
  d.logic.reset();
  EXPECT_TRUE(d.fakeDb.AllReleased()) << "ADOConnA closed with the dialog";
}

// --- The database list ---

TEST(DBLinkList, ListsTheServersDatabasesInResultOrderAndSelectsTheFirst) {
  Dialog d;
  d.Fill(" 10.0.0.7 ", "1433", "typed", "sa", "pw");
  d.fakeDb.Answer(kListing, {{{"dbid", "7"}, {"DB_NAME", "门店B"}},
                             {{"dbid", "9"}, {"DB_NAME", "Alpha"}},
                             {{"dbid", "12"}, {"DB_NAME", "门店A"}}});
  d.logic->CBDateDBDropDown();
  EXPECT_THAT(d.boxes.shown, IsEmpty());
  EXPECT_THAT(d.view.items, ElementsAre("门店B", "Alpha", "门店A"));
  EXPECT_EQ(d.view.texts[C::CBDateDB], "门店B");
  EXPECT_EQ(d.fakeDb.connectionStrings(), std::vector<std::string>{LoginBrowseCs("10.0.0.7", "1433", "sa", "pw")});
  EXPECT_EQ(d.fakeDb.statements(), std::vector<std::string>{kListing});
  d.ExpectPlainBoxesOutsideWait();
  // the connection and its query stay open until the dialog goes
  EXPECT_EQ(d.fakeDb.OpenConnections(), 1);
  EXPECT_EQ(d.fakeDb.OpenQueries(), 1);
  ASSERT_NE(d.logic->ADOConnection1(), nullptr);
  EXPECT_TRUE(d.logic->ADOConnection1()->IsOpen());

  // each drop-down asks again and rebuilds the list
  d.fakeDb.Answer(kListing, {{{"DB_NAME", "Only"}}});
  d.logic->CBDateDBDropDown();
  EXPECT_THAT(d.view.items, ElementsAre("Only"));
  EXPECT_EQ(d.view.texts[C::CBDateDB], "Only");
  EXPECT_EQ(d.fakeDb.connectionStrings().size(), 2u);
  EXPECT_EQ(d.fakeDb.OpenConnections(), 1);
  d.logic.reset();
  EXPECT_TRUE(d.fakeDb.AllReleased());
}

TEST(DBLinkList, IntegratedSecurityOnlyForConnTypeTwo) {
  const struct {
    int connType;
    std::string browse;
  } cases[] = {
      {1, LoginBrowseCs("10.0.0.7", "", "sa", "pw")},
      {2, "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=10.0.0.7"},
      {3, LoginBrowseCs("10.0.0.7", "", "sa", "pw")},
  };
  for (const auto& c : cases) {
    Dialog d;
    d.logic->FConnType = c.connType;
    d.Fill("10.0.0.7", "", "", "sa", "pw");
    d.logic->CBDateDBDropDown();
    EXPECT_EQ(d.fakeDb.connectionStrings(), std::vector<std::string>{c.browse}) << c.connType;
  }
}

TEST(DBLinkList, FailuresKeepTheOldItemsAndAnEmptyResultEmptiesTheBox) {
  enum class Then { InvalidServer, ConnectRefused, StatementRefused, RowFails, NoRows };
  const struct {
    Then then;
    std::vector<std::string> messages;
    int repaints;
    std::vector<std::string> items;
    std::string text;
  } cases[] = {
      {Then::InvalidServer, {"请填写正确的服务器IP！"}, 1, {"A", "B"}, "A"},
      {Then::ConnectRefused, {"数据库连接失败！"}, 1, {"A", "B"}, "A"},
      {Then::StatementRefused, {"SELECT permission denied on object 'sysdatabases'."}, 0, {"A", "B"}, "A"},
      {Then::RowFails, {"Item cannot be found in the collection corresponding to the requested name or ordinal."},
       0, {"A", "B"}, "A"},
      {Then::NoRows, {}, 0, {}, ""},
  };
  for (const auto& c : cases) {
    Dialog d;
    d.Fill("10.0.0.7", "1433", "", "sa", "pw");
    d.fakeDb.Answer(kListing, {{{"DB_NAME", "A"}}, {{"DB_NAME", "B"}}});
    d.logic->CBDateDBDropDown();
    ASSERT_THAT(d.view.items, ElementsAre("A", "B"));
    switch (c.then) {
      case Then::InvalidServer: d.view.texts[C::CBServerIP] = "(local)"; break;
      case Then::ConnectRefused: d.fakeDb.RefuseEveryConnection(); break;
      case Then::StatementRefused:
        d.fakeDb.Refuse(kListing, "SELECT permission denied on object 'sysdatabases'.");
        break;
      case Then::RowFails: d.fakeDb.Answer(kListing, {{{"DB_NAME", "C"}}, {{"name", "D"}}}); break;
      case Then::NoRows: d.fakeDb.Answer(kListing, {}); break;
    }
    d.fakeDb.ClearRecords();
    d.logic->CBDateDBDropDown();
    EXPECT_EQ(d.Messages(), c.messages);
    EXPECT_EQ(d.view.repaints, c.repaints);
    EXPECT_EQ(d.view.items, c.items);
    EXPECT_EQ(d.view.texts[C::CBDateDB], c.text);
    EXPECT_EQ(d.view.focus, std::nullopt);
    if (c.then == Then::InvalidServer) EXPECT_THAT(d.fakeDb.connectionStrings(), IsEmpty());
    d.ExpectPlainBoxesOutsideWait();
  }
}

// --- Addresses that are not a dotted IPv4 address ---

TEST(DBLinkServer, HostNamesAndNamedInstancesAreRefusedEverywhere) {
  for (const char* server : {"localhost", "(local)", ".", "SHOP-PC", "10.0.0.7\\SQLEXPRESS", "SHOP\\SQL2008",
                             "10.0.0.7,1433", "::1", "10.0.0.7 .1", "0.0.0.0"}) {
    Dialog save, test, list;
    for (Dialog* d : {&save, &test, &list}) d->Fill(server, "1433", "Shop", "sa", "pw");
    save.logic->BtnOKClick();
    test.logic->RzBitBtn2Click();
    list.logic->CBDateDBDropDown();
    EXPECT_EQ(save.Messages(), std::vector<std::string>{"请正确填写服务器IP！"}) << server;
    EXPECT_EQ(test.Messages(), std::vector<std::string>{"请填写正确的服务器IP！"}) << server;
    EXPECT_EQ(list.Messages(), std::vector<std::string>{"请填写正确的服务器IP！"}) << server;
    for (Dialog* d : {&save, &test, &list}) {
      EXPECT_THAT(d->fakeDb.connectionStrings(), IsEmpty()) << server;
      EXPECT_EQ(d->links.writes, 0);
    }
  }
}

}  // namespace
}  // namespace teshmar
