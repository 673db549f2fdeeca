#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "links/db/ConnString.h"
#include "support/ConnStringParser.h"
#include "support/FakeEntryLinks.h"

namespace teshmar {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(BuildConnStringTest, SqlServerLoginForm) {
  EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "Shop01", "sa", "secret", 1),
            "Provider=SQLOLEDB.1;Password=secret;Persist Security Info=True;User ID=sa;Initial Catalog=Shop01;"
            "Data Source=10.1.2.3,1433");
  EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "Shop01", "sa", "", 1),
            "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;Initial Catalog=Shop01;"
            "Data Source=10.1.2.3,1433");
}

TEST(BuildConnStringTest, IntegratedSecurityFormHasNoPortNorPassword) {
  EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "Shop01", "operator", "secret", 2),
            "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;User ID=operator;"
            "Initial Catalog=Shop01;Data Source=10.1.2.3");
}

TEST(BuildConnStringTest, EmptyWithoutDatabaseOrForOtherTypes) {
  for (int type : {1, 2, 3, 0, -1}) EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "", "sa", "pw", type), "") << type;
  EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "Shop01", "sa", "pw", 3), "");
  EXPECT_EQ(BuildConnString("10.1.2.3", "1433", "Shop01", "sa", "pw", 0), "");
}

TEST(BuildConnStringTest, ChineseDatabaseNameIsInsertedVerbatim) {
  EXPECT_EQ(BuildConnString("127.0.0.1", "1433", "门店库", "sa", "", 1),
            "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;Initial Catalog=门店库;"
            "Data Source=127.0.0.1,1433");
}

TEST(BuildBrowseConnStringTest, SqlServerLoginFormForEveryTypeButTwo) {
  const std::string expected =
      "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=pw;Data Source=10.0.0.5,1433;"
      "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
      "Workstation ID=QUELM;Use Encryption for Data=False;Tag with column collation when possible=False";
  for (int type : {1, 3, 0}) EXPECT_EQ(BuildBrowseConnString("10.0.0.5", "1433", "sa", "pw", type), expected) << type;
  EXPECT_EQ(BuildBrowseConnString("", "", "", "", 1),
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=;Password=;Data Source=,;"
            "Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
            "Workstation ID=QUELM;Use Encryption for Data=False;Tag with column collation when possible=False");
}

TEST(BuildBrowseConnStringTest, IntegratedSecurityForm) {
  EXPECT_EQ(BuildBrowseConnString("10.0.0.5", "1433", "sa", "pw", 2),
            "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=10.0.0.5");
}

TEST(EntryConnStringTest, BuildsFromTheStoredLink) {
  testing::FakeEntryLinks links;
  EXPECT_EQ(EntryConnString(links, 1), "");  // defaults: no database
  links.links[12] = LinkSettings{"192.168.0.9", "2433", "ERP", "erp", "x", 1};
  EXPECT_EQ(EntryConnString(links, 12),
            "Provider=SQLOLEDB.1;Password=x;Persist Security Info=True;User ID=erp;Initial Catalog=ERP;"
            "Data Source=192.168.0.9,2433");
  links.links[3] = LinkSettings{"192.168.0.9", "2433", "ERP", "erp", "x", 3};
  EXPECT_EQ(EntryConnString(links, 3), "");
}

// Values that would break the string are quoted; every other value is left exactly as it is.
TEST(ConnStringValueTest, QuotesOnlyWhatWouldBreakTheString) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", ""},
      {"plain", "plain"},
      {"inner blank", "inner blank"},
      {"a=b", "a=b"},
      {"口令", "口令"},
      {"a;b", "\"a;b\""},
      {" lead", "\" lead\""},
      {"trail ", "\"trail \""},
      {"\ttab", "\"\ttab\""},
      {"it's", "\"it's\""},
      {"say \"hi\"", "'say \"hi\"'"},
      {"both ' and \"", "\"both ' and \"\"\""},
      {"\"", "'\"'"},
      {";", "\";\""},
      {"=abc", "\"=abc\""},  // "Password==abc" would read as a key "Password=abc"
      {"=", "\"=\""},
      {"==", "\"==\""},
      {"a=", "a="},
  };
  for (const auto& [value, quoted] : cases) EXPECT_EQ(ConnStringValue(value), quoted) << value;
}

TEST(ConnStringValueTest, TheReaderTakesADoubledEqualsSignIntoTheKey) {
  EXPECT_EQ(testing::ParseConnString("Pass==word=x;User ID=sa"), (Pairs{{"Pass=word", "x"}, {"User ID", "sa"}}));
  // So an unquoted password "=abc" would swallow the next key.
  EXPECT_EQ(testing::ParseConnString("Password==abc;User ID=sa"), std::nullopt);
}

TEST(ConnStringValueTest, HostileValuesStayInTheirKey) {
  const std::string hostile = "x;Data Source=10.0.0.9";
  auto pairs = testing::ParseConnString(BuildConnString("10.1.2.3", "1433", "Shop", "sa", hostile, 1));
  ASSERT_TRUE(pairs);
  EXPECT_EQ(*pairs, (Pairs{{"Provider", "SQLOLEDB.1"},
                           {"Password", hostile},
                           {"Persist Security Info", "True"},
                           {"User ID", "sa"},
                           {"Initial Catalog", "Shop"},
                           {"Data Source", "10.1.2.3,1433"}}));

  const std::vector<std::string> values = {"a;b", " pad ", "it's", "\"q\"", "'\";'\"", "\"\"", "=;=", "; Password=1", "=abc", "==", "=", "= x"};
  for (const std::string& v : values) {
    auto built = testing::ParseConnString(BuildConnString(v, v, v, v, v, 1));
    ASSERT_TRUE(built) << v;
    ASSERT_EQ(built->size(), 6u) << v;
    EXPECT_EQ((*built)[1].second, v);
    EXPECT_EQ((*built)[3].second, v);
    EXPECT_EQ((*built)[4].second, v);
    EXPECT_EQ((*built)[5].second, v + "," + v);

    auto browse = testing::ParseConnString(BuildBrowseConnString(v, v, v, v, 1));
    ASSERT_TRUE(browse) << v;
    ASSERT_EQ(browse->size(), 11u) << v;
    EXPECT_EQ((*browse)[2].second, v);
    EXPECT_EQ((*browse)[3].second, v);
    EXPECT_EQ((*browse)[4].second, v + "," + v);

    auto integrated = testing::ParseConnString(BuildBrowseConnString(v, v, v, v, 2));
    ASSERT_TRUE(integrated) << v;
    ASSERT_EQ(integrated->size(), 4u) << v;
    EXPECT_EQ(integrated->back().second, v);
  }
}

}  // namespace
}  // namespace teshmar
