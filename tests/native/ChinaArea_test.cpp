#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/Cp936.h"
#include "customer/ChinaArea.h"

namespace teshmar {
namespace {

using Names = std::vector<std::string>;

constexpr std::string_view kIdeographicSpace = "\xe3\x80\x80";

bool IsSixDigits(std::string_view code) {
  return code.size() == 6 && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Codes are six digits (so no row is left unfilled), ascending, and never repeated.
void ExpectCodesSixDigitsAscending(const auto& table, const char* tableName) {
  std::string_view previous;
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::string_view code = table[i].code;
    EXPECT_TRUE(IsSixDigits(code)) << tableName << " row " << i << ": \"" << code << '"';
    EXPECT_LT(previous, code) << tableName << " row " << i;
    previous = code;
  }
}

TEST(ChinaArea, CodesAreSixDigitsInAscendingOrderWithoutDuplicates) {
  ExpectCodesSixDigitsAscending(ProvinceTable, "ProvinceTable");
  ExpectCodesSixDigitsAscending(CityTable, "CityTable");
  ExpectCodesSixDigitsAscending(AreaTable, "AreaTable");
}

void ExpectParentsOneLevelUp(const auto& rows, const auto& above, std::size_t keptDigits, const char* tableName) {
  std::set<std::string_view> codesAbove;
  for (const auto& row : above) codesAbove.insert(row.code);
  for (const auto& row : rows) {
    std::string expected = std::string(row.code.substr(0, keptDigits)) + std::string(6 - keptDigits, '0');
    EXPECT_EQ(row.parentCode, expected) << tableName << ' ' << row.code;
    EXPECT_TRUE(codesAbove.contains(row.parentCode)) << tableName << ' ' << row.code;
  }
}

TEST(ChinaArea, ParentCodesAreStatedAndPresentOneLevelUp) {
  ExpectParentsOneLevelUp(CityTable, ProvinceTable, 2, "CityTable");
  ExpectParentsOneLevelUp(AreaTable, CityTable, 4, "AreaTable");
}

TEST(ChinaArea, ProvinceAndCityNamesAreDistinct) {
  std::set<std::string_view> provinces, cities;
  for (const auto& row : ProvinceTable) EXPECT_TRUE(provinces.insert(row.name).second) << row.name;
  for (const auto& row : CityTable) EXPECT_TRUE(cities.insert(row.name).second) << row.name;
}

TEST(ChinaArea, EveryTextIsEncodableInCodePage936) {
  auto expectEncodable = [](std::string_view text) {
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(Utf8ToCp936(text).has_value()) << text;
  };
  for (const auto& row : ProvinceTable) expectEncodable(row.name);
  for (const auto& row : CityTable) expectEncodable(row.name);
  for (const auto& row : AreaTable) expectEncodable(row.name);
  // The ideographic space is the double-byte blank A1 A1 of the stored addresses.
  EXPECT_EQ(Utf8ToCp936("蓟　县"), std::string("\xbc\xbb\xa1\xa1\xcf\xd8"));
}

TEST(ChinaArea, TwoCharacterCountyNamesCarryTheIdeographicSpace) {
  int spaced = 0;
  for (const auto& row : AreaTable) {
    if (row.name.find(kIdeographicSpace) == std::string_view::npos) continue;
    ++spaced;
    // One character, the space, one character: three characters of three bytes each here.
    EXPECT_EQ(row.name.size(), 9u) << row.code;
    EXPECT_EQ(row.name.substr(3, 3), kIdeographicSpace) << row.code;
  }
  EXPECT_EQ(spaced, 127);
  for (const auto& row : CityTable) EXPECT_EQ(row.name.find(kIdeographicSpace), std::string_view::npos) << row.code;
}

std::string_view NameOf(std::string_view code) {
  auto find = [&](const auto& table) -> std::string_view {
    auto row = std::find_if(table.begin(), table.end(), [&](const auto& r) { return r.code == code; });
    return row == table.end() ? std::string_view("(none)") : row->name;
  };
  if (code.ends_with("0000")) return find(ProvinceTable);
  if (code.ends_with("00")) return find(CityTable);
  return find(AreaTable);
}

TEST(ChinaArea, NamesOfSingledOutRows) {
  struct Case {
    const char* code;
    const char* name;
  } cases[] = {
      {"150000", "内蒙古区"},       {"450000", "广西区"},     {"540000", "西藏区"},
      {"640000", "宁夏区"},         {"650000", "新疆区"},     {"810000", "香港特别行政区"},
      {"110100", "北京辖区"},       {"469000", "海南直辖县"}, {"500300", "重庆辖市"},
      {"659000", "新疆省辖单位"},   {"710100", "台湾辖区"},   {"820100", "澳门辖区"},
      {"222400", "延边自治州"},     {"433100", "湘西自治州"}, {"532800", "西双版纳自治州"},
      {"522300", "黔西南自治州"},   {"632800", "海西自治州"}, {"652700", "博尔塔拉蒙古自治州"},
      {"653000", "克孜勒苏柯尔克孜自治州"},                  {"654000", "伊犁哈萨克自治州"},
      {"371700", "荷泽市"},         {"640500", "中卫市"},     {"640502", "沙坡头区"},
      {"440102", "东山区"},         {"440107", "芳村区"},     {"500384", "南川市"},
      {"130321", "青龙满族自治县"}, {"130101", "市辖区"},     {"500233", "忠　县"},
      {"469039", "中沙群岛的岛礁及其海域"},                  {"632100", "海东地区"},
  };
  for (const auto& c : cases) EXPECT_EQ(NameOf(c.code), c.name) << c.code;
}

TEST(ChinaArea, AutonomousPrefecturesNamedByPlaceExceptFour) {
  int prefectures = 0, fullNames = 0;
  for (const auto& row : CityTable) {
    if (!row.name.ends_with("自治州")) continue;
    ++prefectures;
    EXPECT_EQ(row.name.find("族"), std::string_view::npos) << row.code << " names a nationality";
    if (row.name.find("蒙古") != std::string_view::npos || row.name.find("克孜") != std::string_view::npos ||
        row.name.find("哈萨克") != std::string_view::npos)
      ++fullNames;
  }
  EXPECT_EQ(prefectures, 30);
  EXPECT_EQ(fullNames, 4);
}

enum class Lookup { Cities, Areas };

TEST(ChinaArea, Lookups) {
  const Names islands = {"西沙群岛", "南沙群岛", "中沙群岛的岛礁及其海域"};
  struct Case {
    Lookup lookup;
    std::string name;
    std::size_t count;
    Names first;  // the names the result begins with
    Names last;   // the names it ends with
  } cases[] = {
      {Lookup::Cities, "北京市", 2, {"北京辖区", "北京辖县"}, {}},
      {Lookup::Cities, "重庆市", 3, {"重庆辖区", "重庆辖县", "重庆辖市"}, {}},
      {Lookup::Cities, "内蒙古自治区", 0, {}, {}},
      {Lookup::Cities, "内蒙古区", 12, {"呼和浩特市"}, {}},
      {Lookup::Cities, "台湾省", 1, {"台湾辖区"}, {}},
      {Lookup::Cities, "香港特别行政区", 1, {"香港辖区"}, {}},
      {Lookup::Cities, "澳门特别行政区", 1, {"澳门辖区"}, {}},
      {Lookup::Cities, "湖北省", 14, {"武汉市"}, {"恩施自治州", "湖北省辖单位"}},
      // Exact comparison: nothing is trimmed, folded or cut at a NUL.
      {Lookup::Cities, "", 0, {}, {}},
      {Lookup::Cities, " 北京市", 0, {}, {}},
      {Lookup::Cities, "北京市 ", 0, {}, {}},
      {Lookup::Cities, "北京", 0, {}, {}},
      {Lookup::Cities, std::string("北京市\0", 10), 0, {}, {}},
      {Lookup::Cities, "北京辖区", 0, {}, {}},
      {Lookup::Areas, "台湾辖区", 0, {}, {}},
      {Lookup::Areas, "香港辖区", 0, {}, {}},
      {Lookup::Areas, "澳门辖区", 0, {}, {}},
      {Lookup::Areas, "东莞市", 0, {}, {}},
      {Lookup::Areas, "中山市", 0, {}, {}},
      {Lookup::Areas, "天津辖县", 3, {"宁河县", "静海县", "蓟　县"}, {}},
      {Lookup::Areas, "湖北省辖单位", 4, {"仙桃市", "潜江市", "天门市", "神农架林区"}, {}},
      {Lookup::Areas, "重庆辖市", 4, {"江津市", "合川市", "永川市", "南川市"}, {}},
      {Lookup::Areas, "海南直辖县", 19, {"五指山市"}, islands},
      {Lookup::Areas, "石家庄市", 24, {"市辖区", "长安区"}, {"鹿泉市"}},
      // A city name picks the city whatever the province: 青海省's 海南自治州, not 海南省.
      {Lookup::Areas, "海南自治州", 5, {"共和县", "同德县", "贵德县", "兴海县", "贵南县"}, {}},
      {Lookup::Areas, "中卫市", 4, {"市辖区", "沙坡头区", "中宁县", "海原县"}, {}},
      {Lookup::Areas, "北京市", 0, {}, {}},
      {Lookup::Areas, "", 0, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE((c.lookup == Lookup::Cities ? "CitiesOf(\"" : "AreasOf(\"") + c.name + "\")");
    Names got = c.lookup == Lookup::Cities ? CitiesOf(c.name) : AreasOf(c.name);
    ASSERT_EQ(got.size(), c.count);
    EXPECT_TRUE(std::equal(c.first.begin(), c.first.end(), got.begin()));
    EXPECT_TRUE(std::equal(c.last.rbegin(), c.last.rend(), got.rbegin()));
  }
}

// Every city is reached from its province and every county from its city.
TEST(ChinaArea, EveryRowIsReachableThroughTheLookups) {
  std::size_t cities = 0, areas = 0;
  for (const auto& province : ProvinceTable) cities += CitiesOf(province.name).size();
  for (const auto& city : CityTable) areas += AreasOf(city.name).size();
  EXPECT_EQ(cities, CityCount);
  EXPECT_EQ(areas, AreaCount);
}

}  // namespace
}  // namespace teshmar
