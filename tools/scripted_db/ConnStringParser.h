#pragma once
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace teshmar {

using ConnStringPairs = std::vector<std::pair<std::string, std::string>>;

// Reads an OLE DB connection string back into its key/value pairs, the way a provider does:
// pairs split at ";", blanks around keys and values dropped, a value in double or single quotes
// taken literally with its quote doubled inside. Nothing (std::nullopt) for a malformed string.
std::optional<ConnStringPairs> ParseConnString(std::string_view text);

// The value of the last pair whose key is one of `names` (letter case ignored); nothing when
// none is there.
std::optional<std::string> ConnStringKey(const ConnStringPairs& pairs, std::initializer_list<std::string_view> names);

}  // namespace teshmar
