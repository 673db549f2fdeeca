#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "links/db/AdoCom.h"
#include "links/db/AdoDatabase.h"
#include "links/db/ConnString.h"
#include "links/db/LinkCheck.h"
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

TEST(AdoErrorMessage, TheProvidersTextAloneAndTheCodeOnlyWithoutAnyText) {
  const struct {
    const char* provider;
    const char* system;
    const char* message;
  } cases[] = {
      {"[DBNETLIB][ConnectionOpen (Connect()).]SQL Server 不存在或访问被拒绝。", "",
       "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server 不存在或访问被拒绝。"},
      {"Provider cannot be found. It may not be properly installed.", "Class not registered",
       "Provider cannot be found. It may not be properly installed."},
      {"", "Class not registered", "Class not registered"},
      {"", "", "Open failed (0x80004005)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ado::ErrorMessage(c.provider, c.system, "Open", static_cast<HRESULT>(0x80004005)), c.message);
  }
}

// What a provider leaves in the error info reaches the message as it is.
TEST_F(AdoTest, AFailedCallCarriesTheErrorInfoTextAlone) {
  const struct {
    const wchar_t* description;  // nullptr: no error info at all
    HRESULT hr;
    std::string message;
  } cases[] = {
      {L"[DBNETLIB][ConnectionOpen (Connect()).]SQL Server 不存在或访问被拒绝。", E_FAIL,
       "[DBNETLIB][ConnectionOpen (Connect()).]SQL Server 不存在或访问被拒绝。"},
      {L"登录失败。", static_cast<HRESULT>(0x80040E4D), "登录失败。"},
      // Wine's ADO without SQLOLEDB: no error info and no system text for the code.
      {nullptr, static_cast<HRESULT>(0x800401F3), "Connection.Open failed (0x800401F3)"},
  };
  for (const auto& c : cases) {
    if (c.description) {
      ICreateErrorInfo* create = nullptr;
      ASSERT_EQ(CreateErrorInfo(&create), S_OK);
      create->SetDescription(const_cast<LPOLESTR>(c.description));
      IErrorInfo* info = nullptr;
      create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
      SetErrorInfo(0, info);
      info->Release();
      create->Release();
    }
    try {
      ado::Check(c.hr, "Connection.Open");
      ADD_FAILURE() << "no error";
    } catch (const DatabaseError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
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
