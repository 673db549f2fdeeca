#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace teshmar {

// A provincial unit.
struct ProvinceRow {
  std::string_view code;
  std::string_view name;
};

// A prefecture-level or county-level unit, with the code of the unit it belongs to.
struct DivisionRow {
  std::string_view parentCode;
  std::string_view code;
  std::string_view name;
};

inline constexpr std::size_t ProvinceCount = 34;
inline constexpr std::size_t CityCount = 348;
inline constexpr std::size_t AreaCount = 3144;

// China's administrative divisions, fixed in the program; rows in ascending order of code.
// Customer addresses keep these names, so the names are stored data, byte for byte.
extern const std::array<ProvinceRow, ProvinceCount> ProvinceTable;
extern const std::array<DivisionRow, CityCount> CityTable;
extern const std::array<DivisionRow, AreaCount> AreaTable;

// The names of the cities of the province with exactly this name, in table order;
// nothing when no province has this name.
std::vector<std::string> CitiesOf(std::string_view provinceName);

// The names of the counties of the city with exactly this name, whatever its province,
// in table order; nothing when no city has this name.
std::vector<std::string> AreasOf(std::string_view cityName);

}  // namespace teshmar
