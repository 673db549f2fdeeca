#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "links/db/ConnString.h"
#include "links/db/LinkCheck.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using ::testing::ElementsAre;

const std::string kStoreMarker = "select name from  sysobjects  where name='Base' ";
const std::string kErpMarker = "select name from  sysobjects  where name='ALL_REGISTER' ";
const std::string kCs = "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;Initial Catalog=Shop;"
                        "Data Source=127.0.0.1,1433";

TEST(DatabaseKindTest, KindCodeAndMarkerQueries) {
  EXPECT_EQ(KindOfCode("2"), DatabaseKind::Erp);
  EXPECT_EQ(KindOfCode("21"), DatabaseKind::Erp);
  EXPECT_EQ(KindOfCode("1"), DatabaseKind::Store);
  EXPECT_EQ(KindOfCode("12"), DatabaseKind::Store);
  EXPECT_EQ(KindOfCode(""), DatabaseKind::Store);
  EXPECT_EQ(KindOfCode(" 2"), DatabaseKind::Store);
  EXPECT_EQ(static_cast<int>(DatabaseKind::Store), 1);
  EXPECT_EQ(static_cast<int>(DatabaseKind::Erp), 2);
  EXPECT_EQ(MarkerQuery(DatabaseKind::Store), kStoreMarker);
  EXPECT_EQ(MarkerQuery(DatabaseKind::Erp), kErpMarker);
}

enum class Server { Unreachable, MarkerRefused, NoMarkerRow, MarkerFound };

struct CheckCase {
  Server server;
  DatabaseKind kind;
  int entryNo;
  bool ok;
  std::string error;
  bool messageBox;
};

class CheckLinkTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckLinkTest, AnswersAndReleasesEverything) {
  const CheckCase& c = GetParam();
  const std::string marker = MarkerQuery(c.kind);
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  switch (c.server) {
    case Server::Unreachable: db.RefuseConnection(kCs); break;
    case Server::MarkerRefused: db.Refuse(marker); break;
    case Server::NoMarkerRow: db.Answer(marker, {}); break;
    case Server::MarkerFound: db.Answer(marker, {{{"name", c.kind == DatabaseKind::Erp ? "ALL_REGISTER" : "Base"}}}); break;
  }

  LinkCheckResult result = CheckLink(db, boxes, c.entryNo, kCs, c.kind);

  EXPECT_EQ(result.ok, c.ok);
  EXPECT_EQ(result.error, c.error);
  EXPECT_THAT(db.connectionStrings(), ElementsAre(kCs));
  if (c.server == Server::Unreachable) {
    EXPECT_TRUE(db.statements().empty());
  } else {
    EXPECT_THAT(db.statements(), ElementsAre(marker));
  }
  ASSERT_EQ(boxes.shown.size(), c.messageBox ? 1u : 0u);
  if (c.messageBox) {
    EXPECT_EQ(boxes.shown[0].text, "无法在ＳＱＬ服务器上查询数据？\r" + marker);
  }
  EXPECT_TRUE(db.AllReleased()) << "connections open " << db.OpenConnections() << ", queries open " << db.OpenQueries();
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CheckLinkTest,
    ::testing::Values(
        CheckCase{Server::Unreachable, DatabaseKind::Store, 1, false, "注册项[1]连接数据库出错!", false},
        CheckCase{Server::Unreachable, DatabaseKind::Erp, 12, false, "注册项[12]连接数据库出错!", false},
        CheckCase{Server::MarkerRefused, DatabaseKind::Store, 4, false, "注册项[4]连接数据库非正确的门店库!", true},
        CheckCase{Server::MarkerRefused, DatabaseKind::Erp, 12, false, "注册项[12]连接数据库非正确的ERP库!", true},
        CheckCase{Server::NoMarkerRow, DatabaseKind::Store, 12, false, "注册项[12]连接数据库非正确的门店库!", false},
        CheckCase{Server::NoMarkerRow, DatabaseKind::Erp, 2, false, "注册项[2]连接数据库非正确的ERP库!", false},
        CheckCase{Server::MarkerFound, DatabaseKind::Store, 4, true, "", false},
        CheckCase{Server::MarkerFound, DatabaseKind::Erp, 12, true, "", false}));

TEST(CheckLinkTest, AStoreDatabaseIsNoErpDatabase) {
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  db.Answer(kStoreMarker, {{{"name", "Base"}}});
  EXPECT_TRUE(CheckLink(db, boxes, 4, kCs, DatabaseKind::Store).ok);
  EXPECT_EQ(CheckLink(db, boxes, 4, kCs, DatabaseKind::Erp).error, "注册项[4]连接数据库非正确的ERP库!");
  EXPECT_TRUE(db.AllReleased());
}

TEST(CheckEntryLinkTest, WithoutAUsableLinkFailsSilently) {
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  testing::FakeEntryLinks links;
  links.links[2] = LinkSettings{"10.0.0.1", "1433", "Shop", "sa", "", 3};  // a type without a string

  for (int entryNo : {1, 2}) {
    LinkCheckResult result = CheckEntryLink(db, boxes, links, entryNo, DatabaseKind::Store);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "");
  }
  EXPECT_TRUE(db.connectionStrings().empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(CheckEntryLinkTest, ChecksTheStoredLink) {
  testing::FakeDatabase db;
  testing::FakeMessageBoxes boxes;
  testing::FakeEntryLinks links;
  links.links[7] = LinkSettings{"10.0.0.1", "1433", "ERP", "sa", "pw", 1};
  const std::string cs = EntryConnString(links, 7);
  db.AnswerOn(cs, kErpMarker, {{{"name", "ALL_REGISTER"}}});

  EXPECT_TRUE(CheckEntryLink(db, boxes, links, 7, DatabaseKind::Erp).ok);
  EXPECT_THAT(db.connectionStrings(), ElementsAre(cs));

  db.RefuseConnection(cs);
  EXPECT_EQ(CheckEntryLink(db, boxes, links, 7, DatabaseKind::Erp).error, "注册项[7]连接数据库出错!");
  EXPECT_TRUE(db.AllReleased());
}

}  // namespace
}  // namespace teshmar
