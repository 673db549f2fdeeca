#include "links/db/ConnString.h"

namespace teshmar {

namespace {
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  auto edge = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  // A leading "=" would join the key's own "=" into "==", which a consumer reads as an "=" inside the key.
  return edge(value.front()) || edge(value.back()) || value.front() == '=' ||
         value.find_first_of(";\"'") != std::string_view::npos;
}

std::string Enclose(std::string_view value, char quote) {
  std::string out(1, quote);
  for (char c : value) {
    out += c;
    if (c == quote) out += c;
  }
  out += quote;
  return out;
}

// The server and port make one value, "server,port".
std::string ServerAndPort(const std::string& server, const std::string& port) {
  return ConnStringValue(server + "," + port);
}
}  // namespace

std::string ConnStringValue(std::string_view value) {
  if (!NeedsQuotes(value)) return std::string(value);
  bool hasDouble = value.find('"') != std::string_view::npos;
  bool hasSingle = value.find('\'') != std::string_view::npos;
  return Enclose(value, hasDouble && !hasSingle ? '\'' : '"');
}

std::string BuildConnString(const std::string& server, const std::string& port, const std::string& database,
                            const std::string& login, const std::string& password, int connType) {
  if (database.empty()) return {};
  if (connType == 1) {
    return "Provider=SQLOLEDB.1;Password=" + ConnStringValue(password) + ";Persist Security Info=True;" +
           "User ID=" + ConnStringValue(login) + ";Initial Catalog=" + ConnStringValue(database) +
           ";Data Source=" + ServerAndPort(server, port);
  }
  if (connType == 2) {
    return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;User ID=" +
           ConnStringValue(login) + ";Initial Catalog=" + ConnStringValue(database) +
           ";Data Source=" + ConnStringValue(server);
  }
  return {};
}

std::string BuildBrowseConnString(const std::string& server, const std::string& port, const std::string& login,
                                  const std::string& password, int connType) {
  if (connType == 2)
    return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Data Source=" +
           ConnStringValue(server);
  return "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=" + ConnStringValue(login) + ";" +
         "Password=" + ConnStringValue(password) + ";Data Source=" + ServerAndPort(server, port) +
         ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;" +
         "Workstation ID=QUELM;Use Encryption for Data=False;" + "Tag with column collation when possible=False";
}

std::string LinkConnString(const LinkSettings& link) {
  return BuildConnString(link.serverName, link.port, link.database, link.loginName, link.password, link.connType);
}

std::string EntryConnString(IEntryLinks& links, int entryNo) { return LinkConnString(links.ReadEntryLink(entryNo)); }

std::string EntryConnString(const EntryLinksSnapshot& links, int entryNo) {
  return LinkConnString(links.ReadEntryLink(entryNo));
}

}  // namespace teshmar
