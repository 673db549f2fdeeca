#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "customer/CustomerRecord.h"
#include "links/db/ConnString.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"

namespace teshmar {
namespace {

using testing::FakeDatabase;
using Statements = std::vector<std::string>;

const std::string kBaseExists = "select * from  sysobjects  where name='Base' ";
const std::string kBaseRows = "select * from Base ";
const std::string kOtherConnString = "Provider=SQLOLEDB.1;Initial Catalog=other";

TEST(SplitHead, TakesTheTextBeforeTheFirstSeparator) {
  struct Case {
    std::string text, separator, head, rest;
  } cases[] = {
      {"广东省,广州市,天河区,天河路1号", ",", "广东省", "广州市,天河区,天河路1号"},
      {"广州市,天河区,天河路1号", ",", "广州市", "天河区,天河路1号"},
      {"天河区,天河路1号", ",", "天河区", "天河路1号"},
      {"天河路1号", ",", "", "天河路1号"},
      {",,东城路", ",", "", ",东城路"},
      {"广东省,", ",", "广东省", ""},
      {"", ",", "", ""},
      {"甲||乙||丙", "||", "甲", "乙||丙"},
      {"甲|乙", "||", "", "甲|乙"},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitHead(c.text, c.separator), c.head);
    EXPECT_EQ(c.text, c.rest);
  }
}

TEST(SplitCustomerAddress, ThreeHeadsThenTheStreet) {
  struct Case {
    std::string address;
    CustomerAddress pieces;
  } cases[] = {
      {"广东省,广州市,天河区,天河路,1号", {"广东省", "广州市", "天河区", "天河路,1号"}},
      {"广东省,东莞市,,东城路", {"广东省", "东莞市", "", "东城路"}},
      {"天河路1号", {"", "", "", "天河路1号"}},
      {"广东省,广州市,天河区,", {"广东省", "广州市", "天河区", ""}},
      {",,,", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    CustomerAddress got = SplitCustomerAddress(c.address);
    EXPECT_EQ(got.province, c.pieces.province) << c.address;
    EXPECT_EQ(got.city, c.pieces.city) << c.address;
    EXPECT_EQ(got.county, c.pieces.county) << c.address;
    EXPECT_EQ(got.street, c.pieces.street) << c.address;
  }
}

class WriteBaseRecordTest : public ::testing::Test {
 protected:
  // A new database and links for each case: entry 1 linked, the shared connection open on
  // another entry's database.
  void Fresh() {
    db_ = FakeDatabase();
    connection_ = db_.CreateConnection();
    links_ = testing::FakeEntryLinks();
    links_.links[1] = LinkSettings{"192.168.1.20", "1433", "store01", "sa", "secret", 1};
    entryConnString_ = EntryConnString(links_, 1);
    ASSERT_FALSE(entryConnString_.empty());
    connection_->Open(kOtherConnString);
    db_.ClearRecords();
  }

  void ScriptStoreDatabase(int baseRows) {
    db_.Answer(kBaseExists, {{{"name", "Base"}}});
    db_.Answer(kBaseRows, FakeDatabase::Rows(baseRows, {{"Name", "旧名"}, {"Addr", "旧址"}}));
  }

  // Closed, pointed at the entry when it has a usable link, and no query left behind.
  void ExpectClosedOn(const std::string& connectionString) {
    EXPECT_FALSE(connection_->IsOpen());
    EXPECT_EQ(connection_->ConnectionString(), connectionString);
    EXPECT_EQ(db_.OpenConnections(), 0);
    EXPECT_EQ(db_.OpenQueries(), 0);
    EXPECT_EQ(db_.LiveQueries(), 0);
  }

  FakeDatabase db_;
  testing::FakeEntryLinks links_;
  std::unique_ptr<IConnection> connection_;
  std::string entryConnString_;
};

TEST_F(WriteBaseRecordTest, InsertsIntoAnEmptyBaseAndUpdatesEveryRowOtherwise) {
  struct Case {
    int baseRows;
    std::string name, address, statement;
  } cases[] = {
      {0, "张三", "广东省,广州市,天河区,天河路1号", "Insert into Base (Name,Addr) values('张三','天河路1号')"},
      {3, "张三", "广东省,广州市,天河区,天河路1号", "Update Base set Name='张三',Addr='天河路1号' "},
      {1, "李四", "广东省,东莞市,,东城路", "Update Base set Name='李四',Addr='东城路' "},
      {1, "李四", "广东省,广州市,天河区,天河路,1号", "Update Base set Name='李四',Addr='天河路,1号' "},
      {1, "李四", "天河路1号", "Update Base set Name='李四',Addr='天河路1号' "},
      {1, "李四", "广东省,广州市,天河区,", "Update Base set Name='李四',Addr='' "},
      {0, "李四", "广东省,广州市,天河区,", "Insert into Base (Name,Addr) values('李四','')"},
      {0, "", "", "Insert into Base (Name,Addr) values('','')"},
      {1, " 王五 ", "广东省,广州市,天河区, 天河路 ", "Update Base set Name=' 王五 ',Addr=' 天河路 ' "},
      {1, "O'Brien", "北京市,北京辖区,东城区,King's Road", "Update Base set Name='O''Brien',Addr='King''s Road' "},
      {0, "'", "a,b,c,''", "Insert into Base (Name,Addr) values('''','''''')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " / " + c.address);
    Fresh();
    ScriptStoreDatabase(c.baseRows);
    WriteBaseRecord(*connection_, links_, 1, c.name, c.address);
    EXPECT_EQ(db_.statements(), (Statements{kBaseExists, kBaseRows, c.statement}));
    EXPECT_EQ(db_.connectionStrings(), Statements{entryConnString_});
    ExpectClosedOn(entryConnString_);
  }
}

// Each of these ends the operation quietly, with nothing written.
TEST_F(WriteBaseRecordTest, QuietFailuresWriteNothing) {
  const std::string update = "Update Base set Name='张三',Addr='天河路1号' ";
  const std::string insert = "Insert into Base (Name,Addr) values('张三','天河路1号')";
  struct Case {
    const char* what;
    void (*script)(FakeDatabase&, testing::FakeEntryLinks&, const std::string& update, const std::string& insert);
    Statements statements;
    bool pointedAtEntry;
  } cases[] = {
      {"entry without a database",
       [](FakeDatabase&, testing::FakeEntryLinks& links, const std::string&, const std::string&) {
         links.links[1].database.clear();
       },
       {}, false},
      {"entry with an unknown connection type",
       [](FakeDatabase&, testing::FakeEntryLinks& links, const std::string&, const std::string&) {
         links.links[1].connType = 3;
       },
       {}, false},
      {"unreachable server",
       [](FakeDatabase& db, testing::FakeEntryLinks&, const std::string&, const std::string&) {
         db.RefuseEveryConnection();
       },
       {}, true},
      {"database without Base",
       [](FakeDatabase& db, testing::FakeEntryLinks&, const std::string&, const std::string&) {
         db.Answer(kBaseExists, {});
       },
       {kBaseExists}, true},
      {"update refused",
       [](FakeDatabase& db, testing::FakeEntryLinks&, const std::string& update, const std::string&) {
         db.Answer(kBaseExists, {{{"name", "Base"}}});
         db.Answer(kBaseRows, {{{"Name", "x"}}});
         db.Refuse(update);
       },
       {kBaseExists, kBaseRows, update}, true},
      {"insert refused",
       [](FakeDatabase& db, testing::FakeEntryLinks&, const std::string&, const std::string& insert) {
         db.Answer(kBaseExists, {{{"name", "Base"}}});
         db.Refuse(insert);
       },
       {kBaseExists, kBaseRows, insert}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    c.script(db_, links_, update, insert);
    EXPECT_NO_THROW(WriteBaseRecord(*connection_, links_, 1, "张三", "广东省,广州市,天河区,天河路1号"));
    EXPECT_EQ(db_.statements(), c.statements);
    for (const auto& line : db_.log())
      EXPECT_FALSE(line.starts_with("execute ") && !line.starts_with("execute refused ")) << line;
    ExpectClosedOn(c.pointedAtEntry ? entryConnString_ : kOtherConnString);
  }
}

TEST_F(WriteBaseRecordTest, ARefusedReadingStatementReachesTheCallerAfterTheCleanUp) {
  for (const std::string& refused : {kBaseExists, kBaseRows}) {
    SCOPED_TRACE(refused);
    Fresh();
    db_.Answer(kBaseExists, {{{"name", "Base"}}});
    db_.Refuse(refused, "Invalid object name 'Base'.");
    try {
      WriteBaseRecord(*connection_, links_, 1, "张三", "广东省,广州市,天河区,天河路1号");
      ADD_FAILURE() << "no error reached the caller";
    } catch (const DatabaseError& e) {
      EXPECT_STREQ(e.what(), "Invalid object name 'Base'.");
    }
    EXPECT_EQ(db_.statements().back(), refused);
    ExpectClosedOn(entryConnString_);
  }
}

}  // namespace
}  // namespace teshmar
