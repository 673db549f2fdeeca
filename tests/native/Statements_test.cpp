#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "links/db/Statements.h"
#include "support/FakeDatabase.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using ::testing::ElementsAre;

class StatementsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection = db.CreateConnection();
    connection->Open("cs");
    query = connection->CreateQuery();
  }

  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  std::unique_ptr<IConnection> connection;
  std::unique_ptr<IQuery> query;
};

TEST_F(StatementsTest, OpenQueryClosesTheFormerResultFirst) {
  db.Answer("select a from t", {{{"a", "1"}}, {{"a", "2"}}});
  ASSERT_TRUE(OpenQuery(*query, "select a from t", boxes));
  ASSERT_TRUE(OpenQuery(*query, "select b from u", boxes));
  EXPECT_THAT(db.log(), ElementsAre("connect cs", "open select a from t", "close select a from t", "open select b from u"));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StatementsTest, RefusedQueryShowsItsMessageWithTheStatement) {
  db.Refuse("select x from nowhere");
  EXPECT_FALSE(OpenQuery(*query, "select x from nowhere", boxes));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "无法在ＳＱＬ服务器上查询数据？\rselect x from nowhere");
  EXPECT_EQ(boxes.shown[0].caption, "提示");
  EXPECT_EQ(boxes.shown[0].flags, mb::kOk);
  EXPECT_FALSE(query->IsOpen());
}

TEST_F(StatementsTest, ExecQueryRunsOrSaysItCouldNotModify) {
  EXPECT_TRUE(ExecQuery(*query, "update Base set Name='a'", boxes));
  db.Refuse("update Base set Name='b'");
  EXPECT_FALSE(ExecQuery(*query, "update Base set Name='b'", boxes));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "无法在ＳＱＬ服务器上修改数据？");
  EXPECT_EQ(boxes.shown[0].caption, "提示");
  EXPECT_EQ(boxes.shown[0].flags, mb::kOk);
  EXPECT_THAT(db.statements(), ElementsAre("update Base set Name='a'", "update Base set Name='b'"));
}

TEST_F(StatementsTest, RowCountCountsRowsAndIsZeroWhenRefused) {
  db.Answer("select name from sysdatabases", {{{"name", "master"}}, {{"name", "Shop"}}, {{"name", "ERP"}}});
  EXPECT_EQ(QueryRowCount(*query, "select name from sysdatabases", boxes), 3);
  EXPECT_EQ(QueryRowCount(*query, "select 1 where 0=1", boxes), 0);
  EXPECT_TRUE(boxes.shown.empty());
  db.Refuse("select bad");
  EXPECT_EQ(QueryRowCount(*query, "select bad", boxes), 0);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(StatementsTest, QueryOnAClosedConnectionIsARefusal) {
  connection->Close();
  EXPECT_FALSE(OpenQuery(*query, "select 1", boxes));
  EXPECT_FALSE(ExecQuery(*query, "delete from t", boxes));
  EXPECT_EQ(boxes.shown.size(), 2u);
}

}  // namespace
}  // namespace teshmar
