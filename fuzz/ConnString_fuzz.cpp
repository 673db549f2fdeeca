// Fuzzes the server address check and the connection string builders.
// Input: the first byte picks the connection type, the rest is split at NUL bytes into
// server, port, database, login and password. The whole input (after the first byte) is also
// tried as a server address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextUtil.h"
#include "links/db/ConnString.h"
#include "links/db/ServerAddress.h"
#include "support/ConnStringParser.h"

namespace {

using teshmar::testing::ParseConnString;

void Require(bool condition) {
  if (!condition) std::abort();
}

// An accepted address is four canonical decimal numbers once trimmed; and every canonical
// address with a first number from 1 is accepted.
void CheckAddress(std::string_view text) {
  if (teshmar::IsValidServerIP(text)) {
    std::string trimmed = teshmar::TrimControl(text);
    std::string rebuilt;
    std::string_view rest = trimmed;
    for (int i = 0; i < 4; ++i) {
      size_t end = rest.find('.');
      std::string_view field = rest.substr(0, end);
      Require(!field.empty() && field.size() <= 3);
      int value = 0;
      for (char c : field) {
        Require(c >= '0' && c <= '9');
        value = value * 10 + (c - '0');
      }
      Require(value <= 255 && (i > 0 || value >= 1));
      rebuilt += (i ? "." : "") + std::to_string(value);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    Require(rebuilt == trimmed);
  }
  if (text.size() >= 4) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    std::string canonical = std::to_string(byte(0) | 1) + "." + std::to_string(byte(1)) + "." +
                            std::to_string(byte(2)) + "." + std::to_string(byte(3));
    Require(teshmar::IsValidServerIP(" " + canonical + "\t"));
  }
}

// Every value comes back from the built string unchanged, under its own key, and no value adds keys.
void CheckStrings(const std::vector<std::string>& v, int connType) {
  const std::string& server = v[0];
  const std::string& port = v[1];
  const std::string& database = v[2];
  const std::string& login = v[3];
  const std::string& password = v[4];

  std::string catalog = teshmar::BuildConnString(server, port, database, login, password, connType);
  if (database.empty() || (connType != 1 && connType != 2)) {
    Require(catalog.empty());
  } else {
    auto pairs = ParseConnString(catalog);
    Require(pairs.has_value());
    if (connType == 1) {
      Require(pairs->size() == 6);
      Require((*pairs)[1].first == "Password" && (*pairs)[1].second == password);
      Require((*pairs)[3].first == "User ID" && (*pairs)[3].second == login);
      Require((*pairs)[4].first == "Initial Catalog" && (*pairs)[4].second == database);
      Require((*pairs)[5].first == "Data Source" && (*pairs)[5].second == server + "," + port);
    } else {
      Require(pairs->size() == 6);
      Require((*pairs)[3].first == "User ID" && (*pairs)[3].second == login);
      Require((*pairs)[4].first == "Initial Catalog" && (*pairs)[4].second == database);
      Require((*pairs)[5].first == "Data Source" && (*pairs)[5].second == server);
    }
  }

  std::string browse = teshmar::BuildBrowseConnString(server, port, login, password, connType);
  auto pairs = ParseConnString(browse);
  Require(pairs.has_value());
  if (connType == 2) {
    Require(pairs->size() == 4 && pairs->back().first == "Data Source" && pairs->back().second == server);
  } else {
    Require(pairs->size() == 11);
    Require((*pairs)[2].second == login && (*pairs)[3].second == password);
    Require((*pairs)[4].first == "Data Source" && (*pairs)[4].second == server + "," + port);
  }

  // Values that need no quotes stay exactly as they are.
  for (const std::string& value : v) {
    bool plain = value.find_first_of(";\"'") == std::string::npos &&
                 (value.empty() || (static_cast<unsigned char>(value.front()) > 32 && value.front() != '=' &&
                                    static_cast<unsigned char>(value.back()) > 32));
    if (plain) Require(teshmar::ConnStringValue(value) == value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int connType = data[0] % 4;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckAddress(rest);

  std::vector<std::string> values;
  while (values.size() < 4) {
    size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) break;
    values.emplace_back(rest.substr(0, nul));
    rest.remove_prefix(nul + 1);
  }
  values.emplace_back(rest);
  values.resize(5);
  CheckStrings(values, connType);
  return 0;
}
