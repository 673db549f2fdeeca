#include "links/db/ServerAddress.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/TextUtil.h"

namespace teshmar {

bool IsValidServerIP(std::string_view text) {
  const std::string address = TrimControl(text);
  if (address.size() < 7 || address.size() > 15) return false;
  if (std::count(address.begin(), address.end(), '.') != 3) return false;

  std::vector<std::string_view> fields;
  std::string_view rest = address;
  for (size_t dot; (dot = rest.find('.')) != std::string_view::npos; rest.remove_prefix(dot + 1))
    fields.push_back(rest.substr(0, dot));
  fields.push_back(rest);

  for (size_t i = 0; i < fields.size(); ++i) {
    std::string_view field = fields[i];
    if (field.empty()) return false;
    if (!std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    if (field[0] == '0' && (i == 0 || field.size() > 1)) return false;
    // At most 9 digits fit in 15 characters beside three dots and three other fields.
    long value = 0;
    for (char c : field) value = value * 10 + (c - '0');
    if (value > 255 || (i == 0 && value < 1)) return false;
  }
  return true;
}

}  // namespace teshmar
