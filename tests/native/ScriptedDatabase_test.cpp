#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "customer/CustomerRecord.h"
#include "links/db/ConnString.h"
#include "links/db/LinkCheck.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"
#include "tools/scripted_db/ConnStringParser.h"
#include "tools/scripted_db/ScriptedDatabase.h"
#include "tools/scripted_db/ScriptedSql.h"

namespace teshmar {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Lines = std::vector<std::string>;

const std::string kServerMissing = "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server does not exist or access denied.";
// The listing statement exactly as the link dialog sends it (written out here, not taken from the tool).
const std::string kListing =
    "USE master  SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases where DB_NAME(dbid) not in  "
    "('master','tempdb','model','msdb','pubs','Northwind') ORDER BY dbid ";
const std::string kStoreMarker = "select name from  sysobjects  where name='Base' ";
const std::string kErpMarker = "select name from  sysobjects  where name='ALL_REGISTER' ";
const std::string kBaseExists = "select * from  sysobjects  where name='Base' ";
const std::string kBaseRows = "select * from Base ";

// Lines kept in memory, as the record file would hold them.
class MemoryRecord : public IRecordSink {
 public:
  explicit MemoryRecord(std::shared_ptr<Lines> lines, std::shared_ptr<std::mutex> guard)
      : lines_(std::move(lines)), guard_(std::move(guard)) {}
  void WriteLine(std::string_view line) override {
    std::lock_guard<std::mutex> lock(*guard_);
    lines_->emplace_back(line);
  }

 private:
  std::shared_ptr<Lines> lines_;
  std::shared_ptr<std::mutex> guard_;
};

// A scripted database made from script text, with its record in memory.
struct Scripted {
  explicit Scripted(const std::string& script)
      : db(ParseDbScript(script), std::make_unique<MemoryRecord>(lines, guard)) {}
  Lines Record() {
    std::lock_guard<std::mutex> lock(*guard);
    return *lines;
  }
  std::shared_ptr<Lines> lines = std::make_shared<Lines>();
  std::shared_ptr<std::mutex> guard = std::make_shared<std::mutex>();
  ScriptedDatabase db;
};

std::string Cs(const std::string& server, const std::string& port, const std::string& database,
               const std::string& login = "sa", const std::string& password = "secret", int connType = 1) {
  return BuildConnString(server, port, database, login, password, connType);
}

// The error text of opening a connection; empty when it opened.
std::string ConnectError(IConnection& connection, const std::string& cs) {
  try {
    connection.Open(cs);
    return {};
  } catch (const DatabaseError& error) {
    return error.what();
  }
}

// Every row of a statement's result, each row's columns joined by "|".
Lines Rows(IConnection& connection, const std::string& sql, const Lines& columns) {
  std::unique_ptr<IQuery> query = connection.CreateQuery();
  query->Open(sql);
  Lines rows;
  for (; !query->Eof(); query->Next()) {
    std::string row;
    for (size_t i = 0; i < columns.size(); ++i) row += (i ? "|" : "") + query->Field(columns[i]);
    rows.push_back(row);
  }
  EXPECT_EQ(query->RowCount(), static_cast<long>(rows.size()));
  return rows;
}

std::string ScriptErrorOf(const std::string& script) {
  try {
    ParseDbScript(script);
    return "no error";
  } catch (const ScriptError& error) {
    return error.what();
  }
}

// --- The script ---

TEST(DbScriptTest, ReadsServersDatabasesTablesRowsAndRefusals) {
  DbScript script = ParseDbScript(
      "\xEF\xBB\xBF# a comment\r\n"
      "delay 50\r\n"
      "refuse-prefix \"drop \" Cannot drop.\r\n"
      "\r\n"
      "server 10.0.0.1\r\n"
      "  delay 1200\r\n"
      "  refuse-login guest\r\n"
      "  refuse-login sa \"old pass\"\r\n"
      "  refuse \"select 1\"\r\n"
      "  database 东城店库\r\n"
      "    table Base Name Addr\r\n"
      "      row Name=\"东城 \"\"旗舰\"\" 店\" Addr=\r\n"
      "      row Addr=东城路 Name=x=y\r\n"
      "    refuse \"select * from Base \" Invalid object name 'Base'.\r\n"
      "  database master\r\n"
      "    table ALL_REGISTER\r\n"
      "server host2,1444\n"
      "  refuse-connect Timeout expired\n"
      "  refuse-integrated\n");

  EXPECT_EQ(script.unknownServerDelayMs, 50);
  ASSERT_EQ(script.refusals.size(), 1u);
  EXPECT_TRUE(script.refusals[0].prefix);
  EXPECT_EQ(script.refusals[0].text, "drop ");
  EXPECT_EQ(script.refusals[0].error, "Cannot drop.");
  ASSERT_EQ(script.servers.size(), 2u);

  const ScriptServer& first = script.servers[0];
  EXPECT_EQ(first.host, "10.0.0.1");
  EXPECT_EQ(first.port, std::nullopt);
  EXPECT_EQ(first.delayMs, 1200);
  EXPECT_FALSE(first.connectRefusal);
  ASSERT_EQ(first.loginRefusals.size(), 2u);
  EXPECT_EQ(first.loginRefusals[0].login, "guest");
  EXPECT_EQ(first.loginRefusals[0].password, std::nullopt);
  EXPECT_EQ(first.loginRefusals[1].password, "old pass");
  ASSERT_EQ(first.refusals.size(), 1u);
  EXPECT_EQ(first.refusals[0].text, "select 1");
  EXPECT_EQ(first.refusals[0].error, "The server refused the statement.");
  // The four system databases come first; a named one is kept in script order after them.
  ASSERT_EQ(first.databases.size(), 5u);
  EXPECT_EQ(first.databases[0].name, "master");
  EXPECT_EQ(first.databases[0].id, 1);
  ASSERT_EQ(first.databases[0].tables.size(), 1u);
  EXPECT_EQ(first.databases[0].tables[0].name, "ALL_REGISTER");
  EXPECT_EQ(first.databases[4].name, "东城店库");
  EXPECT_EQ(first.databases[4].id, 5);
  const ScriptTable& base = first.databases[4].tables.at(0);
  EXPECT_THAT(base.columns, ElementsAre("Name", "Addr"));
  ASSERT_EQ(base.rows.size(), 2u);
  EXPECT_EQ(base.rows[0], (ScriptRow{{"Name", "东城 \"旗舰\" 店"}, {"Addr", ""}}));
  EXPECT_EQ(base.rows[1], (ScriptRow{{"Addr", "东城路"}, {"Name", "x=y"}}));
  ASSERT_EQ(first.databases[4].refusals.size(), 1u);
  EXPECT_EQ(first.databases[4].refusals[0].text, "select * from Base ");
  EXPECT_EQ(first.databases[4].refusals[0].error, "Invalid object name 'Base'.");

  const ScriptServer& second = script.servers[1];
  EXPECT_EQ(second.host, "host2");
  EXPECT_EQ(second.port, 1444);
  EXPECT_EQ(second.connectRefusal, "Timeout expired");
  EXPECT_TRUE(second.refuseIntegrated);
}

TEST(DbScriptTest, AnEmptyScriptNamesNoServer) {
  for (const char* text : {"", "\n\n", "# only a comment\r\n", "\xEF\xBB\xBF"}) {
    DbScript script = ParseDbScript(text);
    EXPECT_TRUE(script.servers.empty()) << text;
  }
}

TEST(DbScriptTest, ABadLineIsNamedWithWhatIsWrong) {
  struct Case {
    std::string script;
    std::string error;
  } cases[] = {
      {"tabel Base", "line 1: unknown keyword 'tabel'"},
      {"# header\r\n\r\nserver a\r\n  bogus 1", "line 4: unknown keyword 'bogus'"},
      {"database Shop", "line 1: 'database' belongs to a server: write a 'server' line first"},
      {"server a\n  table Base", "line 2: 'table' belongs to a database: write a 'database' line first"},
      {"server a\n  database S\n  row Name=x", "line 3: 'row' belongs to a table: write a 'table' line first"},
      {"refuse-login sa", "line 1: 'refuse-login' belongs to a server: write a 'server' line first"},
      {"server a\n  database S\n  delay 5",
       "line 3: 'delay' belongs to the server: write it before the server's first database"},
      {"server a\n  database S\n  refuse-connect",
       "line 3: 'refuse-connect' belongs to the server: write it before the server's first database"},
      {"server", "line 1: 'server' takes one value"},
      {"server a b", "line 1: 'server' takes one value"},
      {"server ,1433", "line 1: the server has no name"},
      {"server a,abc", "line 1: the port 'abc' is not a whole number from 1 to 65535"},
      {"server a,0", "line 1: the port '0' is not a whole number from 1 to 65535"},
      {"server a,", "line 1: the port '' is not a whole number from 1 to 65535"},
      {"server a\nserver A", "line 2: server 'A' is named twice"},
      {"server a,1433\nserver a,1433", "line 2: server 'a,1433' is named twice"},
      {"delay -1", "line 1: the delay '-1' is not a whole number from 0 to 600000"},
      {"delay 1.5", "line 1: the delay '1.5' is not a whole number from 0 to 600000"},
      {"delay", "line 1: 'delay' takes one value"},
      {"server a\n  refuse-integrated now", "line 2: 'refuse-integrated' takes no value"},
      {"server a\n  refuse-login",
       "line 2: 'refuse-login' takes a login and, if only one password is refused, that password"},
      {"server a\n  database S\n  database s", "line 3: database 's' is named twice on this server"},
      {"server a\n  database S\n  table Base\n  table base", "line 4: table 'base' is named twice in this database"},
      {"server a\n  database S\n  table Base Name name", "line 3: column 'name' is named twice"},
      {"server a\n  database S\n  table Base Name\n  row Phone=1", "line 4: table 'Base' has no column 'Phone'"},
      {"server a\n  database S\n  table Base\n  row Name", "line 4: 'Name' is not column=value"},
      {"server a\n  database S\n  table Base\n  row =x", "line 4: '=x' is not column=value"},
      {"server a\n  database S\n  table Base\n  row Name=1 NAME=2", "line 4: column 'NAME' is given twice"},
      {"refuse \"select", "line 1: a quote is not closed"},
      {"refuse", "line 1: 'refuse' takes the statement in double quotes, then the error text"},
      {"refuse-prefix \"\" error", "line 1: 'refuse-prefix' takes the statement in double quotes, then the error text"},
  };
  for (const Case& c : cases) EXPECT_EQ(ScriptErrorOf(c.script), c.error) << c.script;
}

// The example of the format's description answers as the description says.
TEST(DbScriptTest, TheDocumentedExampleAnswersAsDescribed) {
  std::ifstream in(TESHMAR_SCRIPTED_README, std::ios::binary);
  const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const size_t start = readme.find("```\n", readme.find("## Example"));
  ASSERT_NE(start, std::string::npos) << "no example in " << TESHMAR_SCRIPTED_README;
  const size_t end = readme.find("```", start + 4);
  ASSERT_NE(end, std::string::npos);
  Scripted scripted(readme.substr(start + 4, end - start - 4));
  std::vector<int> waits;
  scripted.db.SetWait([&](int ms) { waits.push_back(ms); });
  testing::FakeMessageBoxes boxes;

  EXPECT_TRUE(CheckLink(scripted.db, boxes, 1, Cs("192.168.1.20", "1433", "东城店库"), DatabaseKind::Store).ok);
  EXPECT_TRUE(CheckLink(scripted.db, boxes, 2, Cs("192.168.1.20", "1433", "南城店库"), DatabaseKind::Store).ok);
  EXPECT_TRUE(CheckLink(scripted.db, boxes, 3, Cs("192.168.1.20", "1433", "ERP"), DatabaseKind::Erp).ok);
  EXPECT_TRUE(CheckLink(scripted.db, boxes, 4, Cs("192.168.1.30", "1444", "西城店库"), DatabaseKind::Store).ok);
  EXPECT_FALSE(CheckLink(scripted.db, boxes, 5, Cs("192.168.1.30", "1433", "西城店库"), DatabaseKind::Store).ok);
  EXPECT_FALSE(CheckLink(scripted.db, boxes, 6, Cs("192.168.1.40", "1433", "x"), DatabaseKind::Store).ok);
  EXPECT_FALSE(
      CheckLink(scripted.db, boxes, 7, Cs("192.168.1.20", "1433", "ERP", "sa", "oldpass"), DatabaseKind::Erp).ok);
  EXPECT_THAT(waits, ElementsAre(2000, 200, 2000));
  EXPECT_TRUE(boxes.shown.empty());

  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  connection->Open(BuildBrowseConnString("192.168.1.20", "1433", "sa", "", 1));
  EXPECT_THAT(Rows(*connection, kListing, {"DB_NAME"}), ElementsAre("东城店库", "南城店库", "ERP"));
  EXPECT_THROW(connection->CreateQuery()->Open("select 1"), DatabaseError);

  testing::FakeEntryLinks links;
  links.links[1] = LinkSettings{"192.168.1.20", "1433", "东城店库", "sa", "", 1};
  links.links[2] = LinkSettings{"192.168.1.20", "1433", "南城店库", "sa", "", 1};
  WriteBaseRecord(*connection, links, 1, "东城新店", "广东省,东莞市,,新路");
  WriteBaseRecord(*connection, links, 2, "南城店", "广东省,东莞市,,南路");
  const Lines record = scripted.Record();
  EXPECT_EQ(std::count(record.begin(), record.end(), "execute Update Base set Name='东城新店',Addr='新路' "), 1);
  EXPECT_EQ(std::count(record.begin(), record.end(), "execute refused Update Base set Name='南城店',Addr='南路' "),
            1);
  connection->Open(EntryConnString(links, 2));
  EXPECT_THAT(Rows(*connection, kBaseRows, {"Name", "Addr"}), ElementsAre("南城店|南城路"));
}

// --- Connection strings ---

TEST(ScriptedConnStringTest, ReadsWhatTheConsoleBuilds) {
  struct Case {
    std::string text;
    std::optional<ConnStringPairs> pairs;
  } cases[] = {
      {Cs("10.0.0.1", "1433", "Shop"),
       ConnStringPairs{{"Provider", "SQLOLEDB.1"}, {"Password", "secret"}, {"Persist Security Info", "True"},
                       {"User ID", "sa"}, {"Initial Catalog", "Shop"}, {"Data Source", "10.0.0.1,1433"}}},
      {Cs("10.0.0.1", "1433", "Shop", "sa", "x;Data Source=10.0.0.9"),
       ConnStringPairs{{"Provider", "SQLOLEDB.1"}, {"Password", "x;Data Source=10.0.0.9"},
                       {"Persist Security Info", "True"}, {"User ID", "sa"}, {"Initial Catalog", "Shop"},
                       {"Data Source", "10.0.0.1,1433"}}},
      {" Key = a b ;; Other='it''s' ", ConnStringPairs{{"Key", "a b"}, {"Other", "it's"}}},
      {"", ConnStringPairs{}},
      {"Password=\"open", std::nullopt},
      {"Password=\"a\"b", std::nullopt},
      {"junk;Key=1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseConnString(c.text), c.pairs) << c.text;

  ConnStringPairs pairs{{"Data Source", "a"}, {"server", "b"}, {"User ID", "sa"}};
  EXPECT_EQ(ConnStringKey(pairs, {"Data Source", "Server"}), "b");
  EXPECT_EQ(ConnStringKey(pairs, {"user id"}), "sa");
  EXPECT_EQ(ConnStringKey(pairs, {"Password"}), std::nullopt);
}

// --- Connecting ---

const char* const kServers =
    "server 10.0.0.1\n"
    "  refuse-login guest\n"
    "  refuse-login sa wrong\n"
    "  database Shop\n"
    "server 10.0.0.2,1444\n"
    "  database Shop\n"
    "server 10.0.0.2,1433\n"
    "  database Other\n"
    "server 10.0.0.3\n"
    "  refuse-connect\n"
    "server 10.0.0.4\n"
    "  refuse-connect Timeout expired\n"
    "server StoreHost\n"
    "  refuse-integrated\n"
    "  database Shop\n";

struct ConnectCase {
  std::string cs;
  std::string error;  // empty: it connects
};

void PrintTo(const ConnectCase& c, std::ostream* os) { *os << c.cs; }

class ScriptedConnectTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ScriptedConnectTest, AcceptsOrRefusesAsTheScriptSays) {
  const ConnectCase& c = GetParam();
  Scripted scripted(kServers);
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();

  EXPECT_EQ(ConnectError(*connection, c.cs), c.error);
  EXPECT_EQ(connection->IsOpen(), c.error.empty());
  EXPECT_EQ(connection->ConnectionString(), c.cs);
  EXPECT_THAT(scripted.Record(), ElementsAre((c.error.empty() ? "connect " : "connect refused ") + c.cs));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ScriptedConnectTest,
    ::testing::Values(
        ConnectCase{Cs("10.0.0.1", "1433", "Shop"), ""},
        ConnectCase{Cs("10.0.0.1", "2000", "shop"), ""},  // any port; the catalog's letter case does not matter
        ConnectCase{Cs("10.0.0.1", "1433", "Shop", "sa", "right"), ""},
        ConnectCase{Cs("10.0.0.1", "1433", "Shop", "guest", "any"), "Login failed for user 'guest'."},
        ConnectCase{Cs("10.0.0.1", "1433", "Shop", "SA", "wrong"), "Login failed for user 'SA'."},
        ConnectCase{Cs("10.0.0.1", "1433", "Shop", "", ""), "Login failed for user ''."},
        ConnectCase{Cs("10.0.0.1", "1433", "Missing"),
                    "Cannot open database \"Missing\" requested by the login. The login failed."},
        ConnectCase{Cs("10.0.0.1", "1433", "master"), ""},  // every server has the system databases
        ConnectCase{BuildBrowseConnString("10.0.0.1", "1433", "sa", "secret", 1), ""},
        ConnectCase{Cs("10.0.0.2", "1444", "Shop"), ""},
        ConnectCase{Cs("10.0.0.2", "1433", "Shop"),  // another instance on the default port
                    "Cannot open database \"Shop\" requested by the login. The login failed."},
        ConnectCase{"Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Other;Data Source=10.0.0.2", ""},
        ConnectCase{Cs("10.0.0.2", "", "Other"), ""},  // an empty port is the default one
        ConnectCase{Cs("10.0.0.2", "1555", "Shop"), kServerMissing},
        ConnectCase{Cs("10.0.0.2", "14x", "Shop"), kServerMissing},
        ConnectCase{Cs("10.0.0.9", "1433", "Shop"), kServerMissing},
        ConnectCase{Cs("10.0.0.3", "1433", "Shop"), kServerMissing},
        ConnectCase{Cs("10.0.0.4", "1433", "Shop"), "Timeout expired"},
        ConnectCase{Cs("storehost", "1433", "Shop"), ""},
        ConnectCase{Cs("StoreHost", "1433", "Shop", "me", "", 2),
                    "Login failed for user '(null)'. Reason: Not associated with a trusted SQL Server connection."},
        ConnectCase{Cs("10.0.0.1", "1433", "Shop", "me", "", 2), ""},
        ConnectCase{BuildBrowseConnString("10.0.0.1", "", "", "", 2), ""},
        ConnectCase{"", "[Microsoft][ODBC Driver Manager] Data source name not found and no default driver specified"},
        ConnectCase{"Provider=MSDASQL;Data Source=10.0.0.1",
                    "Provider cannot be found. It may not be properly installed."},
        ConnectCase{"Provider=SQLOLEDB.1;Password=\"open", "The connection string cannot be read."}));

TEST(ScriptedDatabaseTest, WithoutAScriptEveryServerRefuses) {
  Scripted scripted("");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  EXPECT_EQ(ConnectError(*connection, Cs("127.0.0.1", "1433", "Shop")), kServerMissing);
  EXPECT_FALSE(connection->IsOpen());
}

TEST(ScriptedDatabaseTest, AQueryOfAClosedConnectionIsRefusedAndRecorded) {
  Scripted scripted("server 10.0.0.1\n  database Shop\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  std::unique_ptr<IQuery> query = connection->CreateQuery();
  EXPECT_THROW(query->Open("select 1"), DatabaseError);
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  query->Open("select 1");
  connection->Close();
  EXPECT_THROW(query->Execute("delete from Base"), DatabaseError);
  // A query may outlive its connection and then fails to open.
  connection.reset();
  EXPECT_THROW(query->Open("select 1"), DatabaseError);
  EXPECT_THAT(scripted.Record(),
              ElementsAre("open refused select 1", "connect " + Cs("10.0.0.1", "1433", "Shop"), "open select 1",
                          "execute refused delete from Base", "open refused select 1"));
}

// --- Statements ---

const char* const kStores =
    "server 10.0.0.1\n"
    "  database Shop\n"
    "    table base\n"
    "  database Erp\n"
    "    table ALL_REGISTER\n"
    "  database Empty\n"
    "  database Refusing\n"
    "    table Base\n"
    "    refuse \"select name from  sysobjects  where name='Base' \" Permission denied.\n";

struct CheckCase {
  std::string server;
  std::string database;
  DatabaseKind kind;
  bool ok;
  std::string error;
  Lines statements;  // recorded after the connect line
  bool messageBox;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.server << " " << c.database << " kind " << int(c.kind); }

class ScriptedCheckLinkTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(ScriptedCheckLinkTest, TheRealCheckFindsTheMarkerTables) {
  const CheckCase& c = GetParam();
  Scripted scripted(kStores);
  testing::FakeMessageBoxes boxes;
  const std::string cs = Cs(c.server, "1433", c.database);

  LinkCheckResult result = CheckLink(scripted.db, boxes, 3, cs, c.kind);

  EXPECT_EQ(result.ok, c.ok);
  EXPECT_EQ(result.error, c.error);
  Lines expected{(c.statements.empty() ? "connect refused " : "connect ") + cs};
  expected.insert(expected.end(), c.statements.begin(), c.statements.end());
  EXPECT_EQ(scripted.Record(), expected);
  EXPECT_EQ(boxes.shown.size(), c.messageBox ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ScriptedCheckLinkTest,
    ::testing::Values(
        CheckCase{"10.0.0.1", "Shop", DatabaseKind::Store, true, "", {"open " + kStoreMarker}, false},
        CheckCase{"10.0.0.1", "Erp", DatabaseKind::Erp, true, "", {"open " + kErpMarker}, false},
        CheckCase{"10.0.0.1", "Erp", DatabaseKind::Store, false, "注册项[3]连接数据库非正确的门店库!",
                  {"open " + kStoreMarker}, false},
        CheckCase{"10.0.0.1", "Shop", DatabaseKind::Erp, false, "注册项[3]连接数据库非正确的ERP库!",
                  {"open " + kErpMarker}, false},
        CheckCase{"10.0.0.1", "Empty", DatabaseKind::Store, false, "注册项[3]连接数据库非正确的门店库!",
                  {"open " + kStoreMarker}, false},
        CheckCase{"10.0.0.1", "Refusing", DatabaseKind::Store, false, "注册项[3]连接数据库非正确的门店库!",
                  {"open refused " + kStoreMarker}, true},
        CheckCase{"10.0.0.7", "Shop", DatabaseKind::Store, false, "注册项[3]连接数据库出错!", {}, false},
        CheckCase{"10.0.0.1", "Gone", DatabaseKind::Store, false, "注册项[3]连接数据库出错!", {}, false}));

TEST(ScriptedDatabaseTest, TheMarkerQueryAnswersTheObjectsName) {
  Scripted scripted(kStores);
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  EXPECT_THAT(Rows(*connection, kStoreMarker, {"name"}), ElementsAre("base"));
  EXPECT_THAT(Rows(*connection, kBaseExists, {"NAME", "xtype"}), ElementsAre("base|U"));
  EXPECT_THAT(Rows(*connection, kErpMarker, {"name"}), ElementsAre());
}

TEST(ScriptedDatabaseTest, TheListingGivesTheServersDatabasesInIdOrderWithoutTheExcludedOnes) {
  Scripted scripted(
      "server 10.0.0.1\n"
      "  database Shop2\n"
      "  database pubs\n"
      "  database 东城店库\n"
      "  database NORTHWIND\n"
      "  database msdb\n"
      "  database Erp\n"
      "server 10.0.0.2\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  const std::string browse = BuildBrowseConnString("10.0.0.1", "1433", "sa", "", 1);
  connection->Open(browse);
  EXPECT_THAT(Rows(*connection, kListing, {"dbid", "DB_NAME"}), ElementsAre("5|Shop2", "7|东城店库", "9|Erp"));

  // A server without databases of its own lists none.
  connection->Open(BuildBrowseConnString("10.0.0.2", "1433", "sa", "", 1));
  EXPECT_THAT(Rows(*connection, kListing, {"DB_NAME"}), ElementsAre());
  EXPECT_THAT(scripted.Record(),
              ElementsAre("connect " + browse, "open " + kListing,
                          "connect " + BuildBrowseConnString("10.0.0.2", "1433", "sa", "", 1), "open " + kListing));
}

TEST(ScriptedDatabaseTest, RefusalsByExactTextOrPrefixFromTheNarrowestScope) {
  Scripted scripted(
      "refuse-prefix \"delete\" Everywhere.\n"
      "refuse \"select 1\" Global one.\n"
      "server 10.0.0.1\n"
      "  refuse \"select 1\" Server one.\n"
      "  refuse-prefix \"Update Base\"\n"
      "  database Shop\n"
      "    table Base\n"
      "    refuse \"select 1\" Database one.\n"
      "  database Other\n"
      "server 10.0.0.2\n"
      "  database Shop\n");
  struct Case {
    std::string server, database, sql, error;
  } cases[] = {
      {"10.0.0.1", "Shop", "select 1", "Database one."},
      {"10.0.0.1", "Other", "select 1", "Server one."},
      {"10.0.0.2", "Shop", "select 1", "Global one."},
      {"10.0.0.2", "Shop", "select 1 ", ""},  // exact text: one more blank is another statement
      {"10.0.0.2", "Shop", "delete from Base", "Everywhere."},
      {"10.0.0.1", "Shop", "Update Base set Name='x',Addr='y' ", "The server refused the statement."},
      {"10.0.0.1", "Shop", "update Base set Name='x' ", ""},  // the prefix is compared byte for byte
  };
  for (const Case& c : cases) {
    std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
    connection->Open(Cs(c.server, "1433", c.database));
    std::unique_ptr<IQuery> query = connection->CreateQuery();
    for (bool execute : {false, true}) {
      std::string error;
      try {
        execute ? query->Execute(c.sql) : query->Open(c.sql);
      } catch (const DatabaseError& e) {
        error = e.what();
      }
      EXPECT_EQ(error, c.error) << c.sql << (execute ? " (execute)" : " (open)");
    }
  }
}

TEST(ScriptedDatabaseTest, UnknownStatementsAnswerNoRowsAndSucceed) {
  Scripted scripted("server 10.0.0.1\n  database Shop\n    table Base\n      row Name=a\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  std::unique_ptr<IQuery> query = connection->CreateQuery();
  const Lines unknown = {"exec sp_who", "select * from Base where Name='a'", "select 'unclosed",
                         "USE master SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases ORDER BY dbid"};
  for (const std::string& sql : unknown) {
    query->Open(sql);
    EXPECT_TRUE(query->IsOpen());
    EXPECT_TRUE(query->Eof()) << sql;
    EXPECT_EQ(query->RowCount(), 0) << sql;
    EXPECT_THROW(query->Field("Name"), DatabaseError);
    query->Execute(sql);
  }
  query->Close();
  EXPECT_FALSE(query->IsOpen());
  EXPECT_THROW(query->RowCount(), DatabaseError);
  Lines expected{"connect " + Cs("10.0.0.1", "1433", "Shop")};
  for (const std::string& sql : unknown) {
    expected.push_back("open " + sql);
    expected.push_back("execute " + sql);
  }
  EXPECT_EQ(scripted.Record(), expected);
  // The table is as the script wrote it.
  EXPECT_THAT(Rows(*connection, kBaseRows, {"Name"}), ElementsAre("a"));
}

TEST(ScriptedDatabaseTest, TablesWithFixedColumnsRefuseUnknownOnesAndMissingTablesAreNamed) {
  Scripted scripted("server 10.0.0.1\n  database Shop\n    table Base Name Addr\n  database Erp\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  std::unique_ptr<IQuery> query = connection->CreateQuery();
  struct Case {
    std::string database, sql, error;
  } cases[] = {
      {"Shop", "Update Base set Name='x',Phone='1' ", "Invalid column name 'Phone'."},
      {"Shop", "Insert into Base (Name,Phone) values('x','1')", "Invalid column name 'Phone'."},
      {"Shop", "Insert into Base (Name,Addr) values('x')",
       "The number of values in the VALUES clause must match the number of columns specified in the INSERT statement."},
      {"Shop", "select Phone from Base", "Invalid column name 'Phone'."},
      {"Erp", kBaseRows, "Invalid object name 'Base'."},
      {"Erp", "Update Base set Name='x',Addr='y' ", "Invalid object name 'Base'."},
      {"Erp", "Insert into Base (Name,Addr) values('x','y')", "Invalid object name 'Base'."},
      {"Erp", "use Nowhere", "Database 'Nowhere' does not exist. Make sure that the name is entered correctly."},
  };
  for (const Case& c : cases) {
    connection->Open(Cs("10.0.0.1", "1433", c.database));
    std::string error;
    try {
      query->Execute(c.sql);
    } catch (const DatabaseError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error) << c.sql;
  }
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  EXPECT_THAT(Rows(*connection, kBaseRows, {"Name"}), ElementsAre());
}

TEST(ScriptedDatabaseTest, UseAndTheListingMoveTheConnectionToAnotherDatabase) {
  Scripted scripted(
      "server 10.0.0.1\n  database Shop\n    table Base\n  database master\n    table MasterOnly\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  EXPECT_THAT(Rows(*connection, kBaseExists, {"name"}), ElementsAre("Base"));
  Rows(*connection, kListing, {"DB_NAME"});
  EXPECT_THAT(Rows(*connection, kBaseExists, {"name"}), ElementsAre());
  EXPECT_THAT(Rows(*connection, "select name from sysobjects", {"name"}), ElementsAre("MasterOnly"));
  connection->CreateQuery()->Execute("USE shop");
  EXPECT_THAT(Rows(*connection, kBaseExists, {"name"}), ElementsAre("Base"));
}

// --- The customer record against it ---

const char* const kCustomerServers =
    "server 10.0.0.1\n"
    "  database Empty\n"
    "    table Base Name Addr Phone\n"
    "  database Three\n"
    "    table Base\n"
    "      row Name=甲 Addr=一路 Phone=1\n"
    "      row Name=乙 Addr=二路\n"
    "      row Name=丙 Addr=三路\n"
    "  database Erp\n"
    "    table ALL_REGISTER\n"
    "  database NoWrite\n"
    "    table Base\n"
    "      row Name=旧 Addr=旧路\n"
    "    refuse-prefix \"Update Base\" The UPDATE permission was denied on the object 'Base'.\n"
    "  database NoRead\n"
    "    table Base\n"
    "    refuse \"select * from Base \" The SELECT permission was denied on the object 'Base'.\n";

struct RecordCase {
  std::string server;
  std::string database;
  std::string name;
  std::string address;
  Lines statements;  // recorded after the connect line
  std::string error;  // the error that reaches the caller
  Lines baseAfter;    // Name|Addr of every row afterwards (Erp: none)
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.server << " " << c.database << " " << c.address; }

class ScriptedCustomerRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ScriptedCustomerRecordTest, WriteBaseRecordSendsTheExactStatements) {
  const RecordCase& c = GetParam();
  Scripted scripted(kCustomerServers);
  testing::FakeEntryLinks links;
  links.links[2] = LinkSettings{c.server, "1433", c.database, "sa", "secret", 1};
  const std::string cs = EntryConnString(links, 2);
  std::unique_ptr<IConnection> shared = scripted.db.CreateConnection();

  std::string error;
  try {
    WriteBaseRecord(*shared, links, 2, c.name, c.address);
  } catch (const DatabaseError& e) {
    error = e.what();
  }

  EXPECT_EQ(error, c.error);
  EXPECT_FALSE(shared->IsOpen());
  EXPECT_EQ(shared->ConnectionString(), cs);
  Lines expected{(c.statements.empty() ? "connect refused " : "connect ") + cs};
  expected.insert(expected.end(), c.statements.begin(), c.statements.end());
  EXPECT_EQ(scripted.Record(), expected);
  if (!c.statements.empty() && c.database != "NoRead" && c.database != "Erp") {
    shared->Open(cs);
    EXPECT_EQ(Rows(*shared, kBaseRows, {"Name", "Addr"}), c.baseAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Databases, ScriptedCustomerRecordTest,
    ::testing::Values(
        RecordCase{"10.0.0.1", "Empty", "东城店", "广东省,东莞市,,东城路",
                   {"open " + kBaseExists, "open " + kBaseRows,
                    "execute Insert into Base (Name,Addr) values('东城店','东城路')"},
                   "",
                   {"东城店|东城路"}},
        RecordCase{"10.0.0.1", "Three", "O'Brien", "广东省,广州市,天河区,天河路1号",
                   {"open " + kBaseExists, "open " + kBaseRows,
                    "execute Update Base set Name='O''Brien',Addr='天河路1号' "},
                   "",
                   {"O'Brien|天河路1号", "O'Brien|天河路1号", "O'Brien|天河路1号"}},
        RecordCase{"10.0.0.1", "Three", "", "广东省,广州市,天河区,",
                   {"open " + kBaseExists, "open " + kBaseRows, "execute Update Base set Name='',Addr='' "},
                   "",
                   {"|", "|", "|"}},
        RecordCase{"10.0.0.1", "Erp", "店", "a,b,c,d", {"open " + kBaseExists}, "", {}},
        RecordCase{"10.0.0.1", "NoWrite", "新", "a,b,c,新路",
                   {"open " + kBaseExists, "open " + kBaseRows,
                    "execute refused Update Base set Name='新',Addr='新路' "},
                   "",
                   {"旧|旧路"}},
        RecordCase{"10.0.0.1", "NoRead", "新", "a,b,c,d", {"open " + kBaseExists, "open refused " + kBaseRows},
                   "The SELECT permission was denied on the object 'Base'.", {}},
        RecordCase{"10.0.0.8", "Empty", "新", "a,b,c,d", {}, "", {}}));

TEST(ScriptedDatabaseTest, AnInsertedRowIsUpdatedByTheNextWrite) {
  Scripted scripted(kCustomerServers);
  testing::FakeEntryLinks links;
  links.links[1] = LinkSettings{"10.0.0.1", "1433", "Empty", "sa", "secret", 1};
  std::unique_ptr<IConnection> shared = scripted.db.CreateConnection();
  WriteBaseRecord(*shared, links, 1, "一", "a,b,c,一路");
  WriteBaseRecord(*shared, links, 1, "二", "a,b,c,二路");
  const Lines record = scripted.Record();
  ASSERT_EQ(record.size(), 8u);
  EXPECT_EQ(record[3], "execute Insert into Base (Name,Addr) values('一','一路')");
  EXPECT_EQ(record[7], "execute Update Base set Name='二',Addr='二路' ");
  shared->Open(EntryConnString(links, 1));
  EXPECT_THAT(Rows(*shared, kBaseRows, {"Name", "Addr", "Phone"}), ElementsAre("二|二路|"));
}

// --- Delays ---

TEST(ScriptedDatabaseTest, EveryAttemptWaitsTheServersDelayBeforeItsAnswer) {
  Scripted scripted(
      "delay 70\n"
      "server 10.0.0.1\n  delay 2000\n  database Shop\n"
      "server 10.0.0.2\n  delay 3000\n  refuse-connect\n"
      "server 10.0.0.3\n  database Shop\n");
  std::vector<int> waits;
  scripted.db.SetWait([&](int ms) { waits.push_back(ms); });
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  for (const char* server : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.9"})
    ConnectError(*connection, Cs(server, "1433", "Shop"));
  ConnectError(*connection, Cs("10.0.0.1", "1433", "Missing"));  // refused after the wait, as a real server does
  EXPECT_THAT(waits, ElementsAre(2000, 3000, 70, 2000));
}

TEST(ScriptedDatabaseTest, ADelayedConnectHoldsOnlyItsOwnThread) {
  Scripted scripted("server slow\n  delay 5000\n  database Shop\nserver fast\n  database Shop\n");
  std::promise<void> entered, release;
  std::shared_future<void> released = release.get_future().share();
  scripted.db.SetWait([&](int) {
    entered.set_value();
    released.wait();
  });
  std::unique_ptr<IConnection> slowConnection = scripted.db.CreateConnection();
  std::thread slow([&] { slowConnection->Open(Cs("slow", "1433", "Shop")); });
  entered.get_future().wait();

  // While the slow server keeps its caller waiting, another thread connects and queries. (The
  // bound only keeps a broken lock from hanging the test; the record below is the judgement.)
  std::unique_ptr<IConnection> fast = scripted.db.CreateConnection();
  std::future<void> fastDone = std::async(std::launch::async, [&] {
    fast->Open(Cs("fast", "1433", "Shop"));
    fast->CreateQuery()->Open(kStoreMarker);
  });
  fastDone.wait_for(std::chrono::seconds(20));
  release.set_value();
  slow.join();
  fastDone.get();
  EXPECT_TRUE(slowConnection->IsOpen());
  EXPECT_THAT(scripted.Record(), ElementsAre("connect " + Cs("fast", "1433", "Shop"), "open " + kStoreMarker,
                                             "connect " + Cs("slow", "1433", "Shop")));
}

TEST(ScriptedDatabaseTest, TheRealWaitLastsAtLeastTheDelay) {
  Scripted scripted("server 10.0.0.1\n  delay 150\n  database Shop\n");
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  const auto start = std::chrono::steady_clock::now();
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
}

// --- Threads ---

TEST(ScriptedDatabaseTest, SeveralThreadsConnectCheckAndWriteAtOnce) {
  Scripted scripted(
      "server 10.0.0.1\n  delay 1\n  database Shop\n    table Base\n"
      "server 10.0.0.2\n  refuse-connect\n");
  constexpr int kThreads = 8;
  constexpr int kRounds = 40;
  std::atomic<int> passed{0}, failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      testing::FakeMessageBoxes boxes;
      for (int round = 0; round < kRounds; ++round) {
        const bool reachable = (t + round) % 2 == 0;
        const std::string cs = Cs(reachable ? "10.0.0.1" : "10.0.0.2", "1433", "Shop");
        LinkCheckResult result = CheckLink(scripted.db, boxes, t + 1, cs, DatabaseKind::Store);
        (result.ok ? passed : failed)++;
        std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
        connection->Open(Cs("10.0.0.1", "1433", "Shop"));
        connection->CreateQuery()->Execute("Insert into Base (Name,Addr) values('" + std::to_string(t) + "','" +
                                           std::to_string(round) + "')");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(passed, kThreads * kRounds / 2);
  EXPECT_EQ(failed, kThreads * kRounds / 2);
  // Every event is one whole line (a check's connect, the marker query when it connected, then
  // the writer's connect and insert), and every insert landed.
  const Lines record = scripted.Record();
  EXPECT_EQ(record.size(), static_cast<size_t>(kThreads * kRounds + kThreads * kRounds / 2 + kThreads * kRounds * 2));
  for (const std::string& line : record)
    EXPECT_TRUE(line.starts_with("connect ") || line.starts_with("open ") || line.starts_with("execute ")) << line;
  std::unique_ptr<IConnection> connection = scripted.db.CreateConnection();
  connection->Open(Cs("10.0.0.1", "1433", "Shop"));
  EXPECT_EQ(Rows(*connection, kBaseRows, {"Name"}).size(), static_cast<size_t>(kThreads * kRounds));
}

// --- The record file and loading ---

class ScriptedFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    dir_ = std::filesystem::temp_directory_path() /
           std::filesystem::u8path("teshmar-scripted-" + std::to_string(std::random_device()()) + "-" +
                                   unit.current_test_info()->name() + "-测试");
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path File(const std::string& name) const { return dir_ / std::filesystem::u8path(name); }
  // The file's path in UTF-8, as the program passes paths around.
  std::string Path(const std::string& name) const {
    const std::u8string path = File(name).u8string();
    return std::string(path.begin(), path.end());
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::filesystem::path dir_;
};

TEST_F(ScriptedFilesTest, TheRecordFileGetsOneLinePerEventAppendedAtOnce) {
  Write("script.txt", "server 10.0.0.1\n  database 东城店库\n    table Base\n");
  Write("record.txt", "earlier run\n");
  std::unique_ptr<IDatabase> db = LoadScriptedDatabase(Path("script.txt"), Path("record.txt"));
  std::unique_ptr<IConnection> connection = db->CreateConnection();
  const std::string cs = Cs("10.0.0.1", "1433", "东城店库");
  connection->Open(cs);
  EXPECT_EQ(Read("record.txt"), "earlier run\nconnect " + cs + "\n");  // there before anything is released

  std::unique_ptr<IQuery> query = connection->CreateQuery();
  query->Open(kStoreMarker);
  query->Execute("Update Base set Name='a\r\nb',Addr='c\\d' ");
  EXPECT_THROW(connection->Open(Cs("10.0.0.5", "1433", "x")), DatabaseError);
  EXPECT_EQ(Read("record.txt"), "earlier run\nconnect " + cs + "\nopen " + kStoreMarker +
                                    "\nexecute Update Base set Name='a\\r\\nb',Addr='c\\d' \n"
                                    "connect refused " +
                                    Cs("10.0.0.5", "1433", "x") + "\n");
}

TEST_F(ScriptedFilesTest, AMissingScriptMeansEveryServerRefuses) {
  std::unique_ptr<IDatabase> db = LoadScriptedDatabase(Path("none.txt"), Path("record.txt"));
  std::unique_ptr<IConnection> connection = db->CreateConnection();
  EXPECT_EQ(ConnectError(*connection, Cs("127.0.0.1", "1433", "Shop")), kServerMissing);
  EXPECT_EQ(Read("record.txt"), "connect refused " + Cs("127.0.0.1", "1433", "Shop") + "\n");
}

TEST_F(ScriptedFilesTest, ABadScriptRefusesEveryConnectionNamingTheLine) {
  Write("script.txt", "server 10.0.0.1\n  database Shop\n    tabel Base\n");
  std::unique_ptr<IDatabase> db = LoadScriptedDatabase(Path("script.txt"), Path("record.txt"));
  std::unique_ptr<IConnection> connection = db->CreateConnection();
  const std::string problem = Path("script.txt") + ": line 3: unknown keyword 'tabel'";
  EXPECT_EQ(ConnectError(*connection, Cs("10.0.0.1", "1433", "Shop")), problem);
  EXPECT_EQ(Read("record.txt"), "error " + problem + "\nconnect refused " + Cs("10.0.0.1", "1433", "Shop") + "\n");
}

TEST_F(ScriptedFilesTest, ARecordThatCannotBeOpenedRefusesEveryConnection) {
  Write("script.txt", "server 10.0.0.1\n  database Shop\n");
  std::unique_ptr<IDatabase> db = LoadScriptedDatabase(Path("script.txt"), Path("no-such-dir/record.txt"));
  std::unique_ptr<IConnection> connection = db->CreateConnection();
  EXPECT_THAT(ConnectError(*connection, Cs("10.0.0.1", "1433", "Shop")),
              HasSubstr("cannot open the record file " + Path("no-such-dir/record.txt")));
}

TEST_F(ScriptedFilesTest, AnUnreadableScriptIsNamed) {
  std::filesystem::create_directories(dir_ / "a-directory");
  std::unique_ptr<IDatabase> db = LoadScriptedDatabase(Path("a-directory"), Path("record.txt"));
  EXPECT_EQ(ConnectError(*db->CreateConnection(), Cs("10.0.0.1", "1433", "Shop")),
            "cannot read the script " + Path("a-directory"));
}

}  // namespace
}  // namespace teshmar
