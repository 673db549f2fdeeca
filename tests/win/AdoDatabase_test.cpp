#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "links/AdoDatabase.h"
#include "links/ConnString.h"
#include "links/LinkCheck.h"
#include "support/FakeMessageBoxes.h"
#include "support/ProcessFigures.h"

namespace teshmar {
namespace {

// SQLOLEDB is not installed under Wine, and nothing listens on these addresses: every open fails.
const std::string kStoreLink = BuildConnString("127.0.0.1", "1433", "Shop", "sa", "pw", 1);

class AdoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(AdoTest, UnreachableLinkFailsWithTheConnectText) {
  auto database = CreateAdoDatabase();
  testing::FakeMessageBoxes boxes;
  const std::string strings[] = {
      kStoreLink,
      BuildConnString("127.0.0.1", "1433", "ERP", "sa", "", 2),
      BuildBrowseConnString("127.0.0.1", "1433", "sa", "pw", 1),
      BuildConnString("10.0.0.9", "1433", "Shop", "sa", "x;Data Source=127.0.0.1", 1),
      "",
      "garbage without keys",
  };
  for (const std::string& cs : strings) {
    for (DatabaseKind kind : {DatabaseKind::Store, DatabaseKind::Erp}) {
      LinkCheckResult result = CheckLink(*database, boxes, 13, cs, kind);
      EXPECT_FALSE(result.ok) << cs;
      EXPECT_EQ(result.error, "注册项[13]连接数据库出错!") << cs;
    }
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AdoTest, FailedOpenCarriesTheProviderTextAndLeavesTheConnectionClosed) {
  auto database = CreateAdoDatabase();
  auto connection = database->CreateConnection();
  try {
    connection->Open(kStoreLink);
    FAIL() << "opened a link that cannot be reached";
  } catch (const DatabaseError& error) {
    std::printf("provider text: %s\n", error.what());
    EXPECT_STRNE(error.what(), "");
  }
  EXPECT_FALSE(connection->IsOpen());
  EXPECT_EQ(connection->ConnectionString(), kStoreLink);
  connection->Close();  // harmless when closed

  auto query = connection->CreateQuery();
  EXPECT_THROW(query->Open("select name from  sysobjects  where name='Base' "), DatabaseError);
  EXPECT_FALSE(query->IsOpen());
  EXPECT_THROW(query->Execute("update Base set Name=''"), DatabaseError);
  EXPECT_THROW(query->RowCount(), DatabaseError);
  EXPECT_THROW(query->Field("name"), DatabaseError);
  query->Close();
}

TEST_F(AdoTest, AThousandFailedChecksLeaveHandlesAndMemoryFlat) {
  auto database = CreateAdoDatabase();
  testing::FakeMessageBoxes boxes;
  auto check = [&] { return CheckLink(*database, boxes, 1, kStoreLink, DatabaseKind::Store); };
  for (int i = 0; i < 50; ++i) check();  // the first checks load ADO and its helpers for good
  const auto before = testing::ProcessFigures::Measure();
  int failures = 0;
  for (int i = 0; i < 1000; ++i) failures += check().ok ? 0 : 1;
  const auto after = testing::ProcessFigures::Measure();

  testing::ProcessFigures::Print("1000 failed checks", before, after);
  EXPECT_EQ(failures, 1000);
  EXPECT_TRUE(boxes.shown.empty());
  // A leaked handle per check would show as a thousand handles; one leaked ADO connection object
  // per check adds about 400 KB here, while sound checks add nothing.
  ASSERT_GT(before.liveHandles, 0u);
  ASSERT_GT(before.privateBytes, 0u);
  EXPECT_LE(after.handleCount, before.handleCount + 16);
  EXPECT_LE(after.liveHandles, before.liveHandles + 16);
  EXPECT_LE(static_cast<long long>(after.privateBytes), static_cast<long long>(before.privateBytes) + 256 * 1024);
}

}  // namespace
}  // namespace teshmar
