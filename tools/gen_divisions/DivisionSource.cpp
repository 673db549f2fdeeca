#include "tools/gen_divisions/DivisionSource.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <vector>

#include "common/Cp936.h"

namespace teshmar::gen {

namespace {

struct Division {
  std::string code;
  std::string name;
};

struct Tables {
  std::vector<Division> provinces, cities, areas;
};

// The console writes the autonomous regions as place name + "区".
const std::map<std::string, std::string> kProvinceNames = {
    {"150000", "内蒙古区"}, {"450000", "广西区"}, {"540000", "西藏区"},
    {"640000", "宁夏区"},   {"650000", "新疆区"},
};

// The list's collective prefecture-level rows ("市辖区", "县", "省直辖行政单位", ...) get names
// that tell them apart, since the city names must be distinct.
const std::map<std::string, std::string> kGroupingNames = {
    {"110100", "北京辖区"},     {"110200", "北京辖县"},   {"120100", "天津辖区"},
    {"120200", "天津辖县"},     {"310100", "上海辖区"},   {"310200", "上海辖县"},
    {"429000", "湖北省辖单位"}, {"469000", "海南直辖县"}, {"500100", "重庆辖区"},
    {"500200", "重庆辖县"},     {"500300", "重庆辖市"},   {"659000", "新疆省辖单位"},
};

// Provincial units without a prefecture level in the list get one grouping row each,
// so that picking them offers a city.
const std::map<std::string, std::string> kAddedGroupingRows = {
    {"710100", "台湾辖区"}, {"810100", "香港辖区"}, {"820100", "澳门辖区"}};

// Autonomous prefectures keep their place name only; these four keep the full name.
const std::set<std::string> kFullPrefectureNames = {"652700", "652800", "653000", "654000"};
const std::string_view kPrefectureSuffix = "自治州";
// The nationalities named in the list's autonomous prefectures; the place name ends where
// the first of them begins.
const std::string_view kNationalities[] = {
    "朝鲜族", "土家族", "苗族",   "藏族", "羌族", "彝族", "布依族", "侗族",
    "哈尼族", "壮族",   "傣族",   "白族", "景颇族", "傈僳族", "回族", "蒙古族"};
constexpr std::size_t kShortenedPrefectures = 26;

// Two-character county names are padded with the ideographic space, as the console shows them.
const std::string_view kIdeographicSpace = "\xe3\x80\x80";

[[noreturn]] void Fail(std::size_t line, const std::string& why) {
  throw DivisionListError("line " + std::to_string(line) + ": " + why);
}

[[noreturn]] void Fail(const std::string& why) { throw DivisionListError(why); }

bool IsCode(std::string_view code) {
  return code.size() == 6 && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Names go into string literals and must be encodable in the console's code page.
void CheckName(std::size_t line, std::string_view name) {
  if (name.empty()) Fail(line, "empty name");
  // Lookups compare names exactly, and two-character names are spaced by the generator itself.
  for (std::string_view blank : {std::string_view(" "), kIdeographicSpace}) {
    if (name.starts_with(blank) || name.ends_with(blank))
      Fail(line, "name \"" + std::string(name) + "\" has a blank before or after it");
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\' || c == 0x7f)
      Fail(line, "name holds a control character, a quote or a backslash");
  }
  if (!IsValidUtf8(name)) Fail(line, "name is not valid UTF-8");
  if (!Utf8ToCp936(name)) Fail(line, "name \"" + std::string(name) + "\" cannot be written in code page 936");
}

std::size_t CharacterCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

Tables Parse(std::string_view tsv) {
  Tables tables;
  std::string previous;
  std::size_t line = 0;
  while (!tsv.empty()) {
    ++line;
    std::size_t end = tsv.find('\n');
    std::string_view row = tsv.substr(0, end);
    tsv.remove_prefix(end == std::string_view::npos ? tsv.size() : end + 1);
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (line == 1 && row.substr(0, 3) == "\xEF\xBB\xBF") row.remove_prefix(3);
    if (line == 1 && row == "code\tname") continue;
    if (row.empty()) {
      // Empty lines may end the list, as an editor's last line break leaves one.
      if (tsv.find_first_not_of("\r\n") == std::string_view::npos) break;
      Fail(line, "empty line inside the list");
    }
    std::size_t tab = row.find('\t');
    if (tab == std::string_view::npos) Fail(line, "expected \"code<TAB>name\"");
    std::string code(row.substr(0, tab));
    std::string_view name = row.substr(tab + 1);
    if (!IsCode(code) || code.starts_with("00")) Fail(line, "\"" + code + "\" is not a six-digit division code");
    CheckName(line, name);
    if (code <= previous) Fail(line, "code " + code + " does not follow " + previous + " in ascending order");
    previous = code;
    auto& table = code.ends_with("0000") ? tables.provinces : code.ends_with("00") ? tables.cities : tables.areas;
    table.push_back({code, std::string(name)});
  }
  return tables;
}

void Rename(std::vector<Division>& table, const std::map<std::string, std::string>& names) {
  for (const auto& entry : names) {
    const std::string& code = entry.first;
    const std::string& name = entry.second;
    auto row = std::find_if(table.begin(), table.end(), [&code](const Division& d) { return d.code == code; });
    if (row == table.end()) Fail("the list has no row " + code + " to name \"" + name + "\"");
    row->name = name;
  }
}

void ShortenPrefectureNames(std::vector<Division>& cities) {
  std::size_t shortened = 0;
  for (auto& city : cities) {
    if (!city.name.ends_with(kPrefectureSuffix) || kFullPrefectureNames.contains(city.code)) continue;
    std::size_t placeEnd = std::string::npos;
    for (auto nationality : kNationalities) placeEnd = std::min(placeEnd, city.name.find(nationality));
    if (placeEnd == std::string::npos || placeEnd == 0)
      Fail("autonomous prefecture " + city.code + " \"" + city.name + "\" names no known nationality after its place");
    city.name = city.name.substr(0, placeEnd) + std::string(kPrefectureSuffix);
    ++shortened;
  }
  if (shortened != kShortenedPrefectures)
    Fail("shortened " + std::to_string(shortened) + " autonomous prefecture names, expected " +
         std::to_string(kShortenedPrefectures));
}

void AddGroupingRows(std::vector<Division>& cities) {
  for (const auto& [code, name] : kAddedGroupingRows) {
    auto at = std::lower_bound(cities.begin(), cities.end(), code,
                               [](const Division& d, const std::string& c) { return d.code < c; });
    if (at != cities.end() && at->code == code) Fail("the list already has row " + code);
    cities.insert(at, {code, name});
  }
}

void SpaceTwoCharacterNames(std::vector<Division>& areas) {
  for (auto& area : areas) {
    if (CharacterCount(area.name) != 2) continue;
    std::size_t second = 1;
    while ((static_cast<unsigned char>(area.name[second]) & 0xC0) == 0x80) ++second;
    area.name.insert(second, kIdeographicSpace);
  }
}

std::string ParentCode(const std::string& code, std::size_t kept) { return code.substr(0, kept) + std::string(6 - kept, '0'); }

void CheckShape(const Tables& t) {
  auto checkCount = [](const char* table, std::size_t have, std::size_t want) {
    if (have != want)
      Fail(std::string(table) + " would hold " + std::to_string(have) + " rows, the program expects " +
           std::to_string(want));
  };
  checkCount("ProvinceTable", t.provinces.size(), 34);
  checkCount("CityTable", t.cities.size(), 348);
  checkCount("AreaTable", t.areas.size(), 3144);
  auto checkParents = [](const std::vector<Division>& rows, const std::vector<Division>& above, std::size_t kept) {
    for (const auto& row : rows) {
      std::string parent = ParentCode(row.code, kept);
      if (!std::any_of(above.begin(), above.end(), [&](const Division& d) { return d.code == parent; }))
        Fail("row " + row.code + " \"" + row.name + "\" has no parent row " + parent);
    }
  };
  checkParents(t.cities, t.provinces, 2);
  checkParents(t.areas, t.cities, 4);
  auto checkDistinct = [](const std::vector<Division>& rows, const char* what) {
    std::set<std::string> seen;
    for (const auto& row : rows) {
      if (!seen.insert(row.name).second) Fail(std::string(what) + " name \"" + row.name + "\" occurs twice");
    }
  };
  checkDistinct(t.provinces, "province");
  checkDistinct(t.cities, "city");
}

std::string Literal(const std::string& text) { return "\"" + text + "\""; }

void WriteTable(std::string& out, const char* rowType, const char* name, const char* count,
                const std::vector<Division>& rows, std::size_t parentKept) {
  out += "constinit const std::array<";
  out += rowType;
  out += ", ";
  out += count;
  out += "> ";
  out += name;
  out += " = {{\n";
  for (const auto& row : rows) {
    out += "    {";
    if (parentKept) out += Literal(ParentCode(row.code, parentKept)) + ", ";
    out += Literal(row.code) + ", " + Literal(row.name) + "},\n";
  }
  out += "}};\n";
}

}  // namespace

std::string GenerateDivisionSource(std::string_view tsv) {
  Tables t = Parse(tsv);
  Rename(t.provinces, kProvinceNames);
  Rename(t.cities, kGroupingNames);
  ShortenPrefectureNames(t.cities);
  AddGroupingRows(t.cities);
  SpaceTwoCharacterNames(t.areas);
  CheckShape(t);

  std::string out =
      "// Generated by tools/gen_divisions from the September 2004 revision of the national list of\n"
      "// administrative division codes, with the console's own names. Do not edit; regenerate with\n"
      "//   gen_divisions divisions-2004-09.tsv customer/ChinaAreaData.cpp\n"
      "#include \"customer/ChinaArea.h\"\n"
      "\n"
      "namespace teshmar {\n"
      "\n";
  WriteTable(out, "ProvinceRow", "ProvinceTable", "ProvinceCount", t.provinces, 0);
  out += "\n";
  WriteTable(out, "DivisionRow", "CityTable", "CityCount", t.cities, 2);
  out += "\n";
  WriteTable(out, "DivisionRow", "AreaTable", "AreaCount", t.areas, 4);
  out += "\n}  // namespace teshmar\n";
  return out;
}

}  // namespace teshmar::gen
