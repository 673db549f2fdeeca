#include "customer/ChinaArea.h"

namespace teshmar {

namespace {

// The code of the first row with exactly this name (same bytes, same length), or empty.
std::string_view CodeOf(const auto& table, std::string_view name) {
  for (const auto& row : table) {
    if (row.name == name) return row.code;
  }
  return {};
}

std::vector<std::string> NamesUnder(const auto& table, std::string_view parentCode) {
  std::vector<std::string> names;
  if (parentCode.empty()) return names;
  for (const auto& row : table) {
    if (row.parentCode == parentCode) names.emplace_back(row.name);
  }
  return names;
}

}  // namespace

std::vector<std::string> CitiesOf(std::string_view provinceName) {
  return NamesUnder(CityTable, CodeOf(ProvinceTable, provinceName));
}

std::vector<std::string> AreasOf(std::string_view cityName) {
  return NamesUnder(AreaTable, CodeOf(CityTable, cityName));
}

}  // namespace teshmar
