#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace teshmar {

// Removes characters with codes up to 32 (blanks and control characters) at both ends,
// the trimming every box value and address goes through.
std::string TrimControl(std::string_view text);

// Removes blanks (code 32) only at both ends.
std::string TrimBlanks(std::string_view text);

// A whole decimal number: optional sign, then digits only; nothing else, no blanks.
std::optional<long long> ParseWholeNumber(std::string_view text);

// ASCII-only case folding, as the private-profile lookup compares names.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace teshmar
