#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace teshmar::testing {

// Reads an OLE DB connection string back into its key/value pairs, the way a provider does:
// pairs split at ";", blanks around keys and values dropped, "==" in a key taken as "=", a value in double or single quotes
// taken literally with its quote doubled inside. Nothing (std::nullopt) for a malformed string.
inline std::optional<std::vector<std::pair<std::string, std::string>>> ParseConnString(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::vector<std::pair<std::string, std::string>> pairs;
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
      std::string_view rest = text.substr(i, semi == std::string_view::npos ? std::string_view::npos : semi - i);
      for (char c : rest)
        if (!blank(c)) return std::nullopt;
      if (semi == std::string_view::npos) break;
      i = semi + 1;
      continue;
    }
    std::string_view rawKey = text.substr(i, eq - i);
    while (!rawKey.empty() && blank(rawKey.front())) rawKey.remove_prefix(1);
    while (!rawKey.empty() && blank(rawKey.back())) rawKey.remove_suffix(1);
    std::string key;
    for (size_t k = 0; k < rawKey.size(); ++k) {
      key += rawKey[k];
      if (rawKey[k] == '=') ++k;  // the doubled "=" stands for one
    }
    i = eq + 1;
    while (i < text.size() && blank(text[i])) ++i;
    std::string value;
    if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
      char quote = text[i++];
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
      while (i < text.size() && blank(text[i])) ++i;
      if (i < text.size() && text[i] != ';') return std::nullopt;
    } else {
      size_t end = text.find(';', i);
      if (end == std::string_view::npos) end = text.size();
      std::string_view raw = text.substr(i, end - i);
      while (!raw.empty() && blank(raw.back())) raw.remove_suffix(1);
      value = std::string(raw);
      i = end;
    }
    pairs.emplace_back(key, value);
    if (i < text.size()) ++i;  // the ";"
  }
  return pairs;
}

}  // namespace teshmar::testing
