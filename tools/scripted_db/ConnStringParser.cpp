#include "tools/scripted_db/ConnStringParser.h"

#include "tools/scripted_db/NameCompare.h"

namespace teshmar {

namespace {
bool Blank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}
}  // namespace

std::optional<ConnStringPairs> ParseConnString(std::string_view text) {
  ConnStringPairs pairs;
  size_t i = 0;
  while (i < text.size()) {
    // The key ends at the first "=" that is not doubled: "==" is an "=" inside the key.
    size_t eq = i;
    for (;;) {
      eq = text.find('=', eq);
      if (eq == std::string_view::npos || eq + 1 >= text.size() || text[eq + 1] != '=') break;
      eq += 2;
    }
    size_t semi = text.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      // Only blanks may stand between separators.
      if (!Trim(text.substr(i, semi == std::string_view::npos ? std::string_view::npos : semi - i)).empty())
        return std::nullopt;
      if (semi == std::string_view::npos) break;
      i = semi + 1;
      continue;
    }
    const std::string_view rawKey = Trim(text.substr(i, eq - i));
    std::string key;
    for (size_t k = 0; k < rawKey.size(); ++k) {
      key += rawKey[k];
      if (rawKey[k] == '=') ++k;  // the doubled "=" stands for one
    }
    i = eq + 1;
    while (i < text.size() && Blank(text[i])) ++i;
    std::string value;
    if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
      const char quote = text[i++];
      for (;;) {
        if (i >= text.size()) return std::nullopt;
        if (text[i] == quote) {
          if (i + 1 < text.size() && text[i + 1] == quote) {
            value += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      while (i < text.size() && Blank(text[i])) ++i;
      if (i < text.size() && text[i] != ';') return std::nullopt;
    } else {
      size_t end = text.find(';', i);
      if (end == std::string_view::npos) end = text.size();
      value = std::string(Trim(text.substr(i, end - i)));
      i = end;
    }
    pairs.emplace_back(std::move(key), std::move(value));
    if (i < text.size()) ++i;  // the ";"
  }
  return pairs;
}

std::optional<std::string> ConnStringKey(const ConnStringPairs& pairs, std::initializer_list<std::string_view> names) {
  std::optional<std::string> found;
  for (const auto& [key, value] : pairs)
    for (std::string_view name : names)
      if (SameName(key, name)) found = value;
  return found;
}

}  // namespace teshmar
