#include "common/TextUtil.h"

#include <limits>

namespace teshmar {

namespace {
std::string TrimWhere(std::string_view text, unsigned char limit, bool onlyBlank) {
  auto drop = [&](char c) {
    auto u = static_cast<unsigned char>(c);
    return onlyBlank ? u == ' ' : u <= limit;
  };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && drop(text[begin])) ++begin;
  while (end > begin && drop(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}
}  // namespace

std::string TrimControl(std::string_view text) { return TrimWhere(text, 32, false); }

std::string TrimBlanks(std::string_view text) { return TrimWhere(text, 32, true); }

std::optional<long long> ParseWholeNumber(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  constexpr long long kMax = std::numeric_limits<long long>::max() / 10 - 9;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    if (value > kMax) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace teshmar
