#include "tools/scripted_db/DbScript.h"

#include <charconv>

#include "tools/scripted_db/NameCompare.h"
#include "tools/scripted_db/ServerErrors.h"

namespace teshmar {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

[[noreturn]] void Fail(int line, const std::string& what) {
  throw ScriptError("line " + std::to_string(line) + ": " + what);
}

// One blank-separated word; double quotes enclose blanks, "" inside them is one quote.
// Nothing when only blanks are left.
std::optional<std::string> NextWord(std::string_view& rest, int line) {
  while (!rest.empty() && Blank(rest.front())) rest.remove_prefix(1);
  if (rest.empty()) return std::nullopt;
  std::string word;
  bool quoted = false;
  size_t i = 0;
  for (; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') {
      if (quoted && i + 1 < rest.size() && rest[i + 1] == '"') {
        word += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (!quoted && Blank(c)) {
      break;
    } else {
      word += c;
    }
  }
  if (quoted) Fail(line, "a quote is not closed");
  rest.remove_prefix(i);
  return word;
}

std::vector<std::string> AllWords(std::string_view rest, int line) {
  std::vector<std::string> words;
  while (auto word = NextWord(rest, line)) words.push_back(std::move(*word));
  return words;
}

int Number(const std::string& text, int line, const char* what, int low, int high) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    Fail(line, std::string(what) + " '" + text + "' is not a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high));
  return value;
}

class Parser {
 public:
  DbScript Run(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int line = 0;
    for (size_t pos = 0; pos <= text.size();) {
      ++line;
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view content = text.substr(pos, end - pos);
      pos = end + 1;
      if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
      content = Trim(content);
      if (!content.empty() && content.front() != '#') Line(content, line);
    }
    return std::move(script_);
  }

 private:
  void Line(std::string_view content, int line) {
    std::string_view rest = content;
    const std::string keyword = *NextWord(rest, line);
    if (keyword == "server") return Server(Single(rest, line, keyword), line);
    if (keyword == "delay") return Delay(Single(rest, line, keyword), line);
    if (keyword == "refuse-connect") {
      std::string error(Trim(rest));
      ServerLevel(line, keyword).connectRefusal = error.empty() ? kServerMissingError : error;
      return;
    }
    if (keyword == "refuse-integrated") {
      if (!Trim(rest).empty()) Fail(line, "'refuse-integrated' takes no value");
      ServerLevel(line, keyword).refuseIntegrated = true;
      return;
    }
    if (keyword == "refuse-login") return RefuseLogin(AllWords(rest, line), line);
    if (keyword == "database") return Database(Single(rest, line, keyword), line);
    if (keyword == "table") return Table(AllWords(rest, line), line);
    if (keyword == "row") return Row(AllWords(rest, line), line);
    if (keyword == "refuse" || keyword == "refuse-prefix")
      return RefuseStatement(keyword == "refuse-prefix", rest, line);
    Fail(line, "unknown keyword '" + keyword + "'");
  }

  static std::string Single(std::string_view rest, int line, const std::string& keyword) {
    std::vector<std::string> words = AllWords(rest, line);
    if (words.size() != 1 || words[0].empty()) Fail(line, "'" + keyword + "' takes one value");
    return words[0];
  }

  // Settings of a server come before its first database, so that a reader of the script never
  // wonders whether a line belongs to the database above it.
  ScriptServer& ServerLevel(int line, const std::string& keyword) {
    if (!server_) Fail(line, "'" + keyword + "' belongs to a server: write a 'server' line first");
    if (database_) Fail(line, "'" + keyword + "' belongs to the server: write it before the server's first database");
    return *server_;
  }

  void Server(const std::string& value, int line) {
    ScriptServer server;
    size_t comma = value.rfind(',');
    server.host = value.substr(0, comma);
    if (comma != std::string::npos) server.port = Number(value.substr(comma + 1), line, "the port", 1, 65535);
    if (server.host.empty()) Fail(line, "the server has no name");
    for (const ScriptServer& other : script_.servers)
      if (SameName(other.host, server.host) && other.port == server.port)
        Fail(line, "server '" + value + "' is named twice");
    server.databases = SystemDatabases();
    script_.servers.push_back(std::move(server));
    server_ = &script_.servers.back();
    database_ = nullptr;
    table_ = nullptr;
  }

  void Delay(const std::string& value, int line) {
    int ms = Number(value, line, "the delay", 0, 600000);
    if (!server_)
      script_.unknownServerDelayMs = ms;
    else
      ServerLevel(line, "delay").delayMs = ms;
  }

  void RefuseLogin(const std::vector<std::string>& words, int line) {
    if (words.empty() || words.size() > 2)
      Fail(line, "'refuse-login' takes a login and, if only one password is refused, that password");
    LoginRefusal refusal{words[0], std::nullopt};
    if (words.size() == 2) refusal.password = words[1];
    ServerLevel(line, "refuse-login").loginRefusals.push_back(std::move(refusal));
  }

  void Database(const std::string& name, int line) {
    if (!server_) Fail(line, "'database' belongs to a server: write a 'server' line first");
    ScriptDatabase* found = nullptr;
    for (ScriptDatabase& database : server_->databases)
      if (SameName(database.name, name)) found = &database;
    if (found && found->declared) Fail(line, "database '" + name + "' is named twice on this server");
    if (!found) {
      server_->databases.push_back({name, server_->databases.back().id + 1, true, {}, {}});
      found = &server_->databases.back();
    }
    found->declared = true;
    database_ = found;
    table_ = nullptr;
  }

  void Table(const std::vector<std::string>& words, int line) {
    if (!database_) Fail(line, "'table' belongs to a database: write a 'database' line first");
    if (words.empty() || words[0].empty())
      Fail(line, "'table' takes the table's name, then its columns if they are fixed");
    for (const ScriptTable& table : database_->tables)
      if (SameName(table.name, words[0])) Fail(line, "table '" + words[0] + "' is named twice in this database");
    ScriptTable table{words[0], {words.begin() + 1, words.end()}, {}};
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (table.columns[i].empty()) Fail(line, "a column has no name");
      for (size_t j = 0; j < i; ++j)
        if (SameName(table.columns[i], table.columns[j]))
          Fail(line, "column '" + table.columns[i] + "' is named twice");
    }
    database_->tables.push_back(std::move(table));
    table_ = &database_->tables.back();
  }

  void Row(const std::vector<std::string>& words, int line) {
    if (!table_) Fail(line, "'row' belongs to a table: write a 'table' line first");
    ScriptRow row;
    for (const std::string& word : words) {
      size_t eq = word.find('=');
      if (eq == std::string::npos || eq == 0) Fail(line, "'" + word + "' is not column=value");
      std::string column = word.substr(0, eq);
      for (const auto& [name, value] : row)
        if (SameName(name, column)) Fail(line, "column '" + column + "' is given twice");
      if (!table_->columns.empty()) {
        bool known = false;
        for (const std::string& declared : table_->columns) known = known || SameName(declared, column);
        if (!known) Fail(line, "table '" + table_->name + "' has no column '" + column + "'");
      }
      row.emplace_back(std::move(column), word.substr(eq + 1));
    }
    table_->rows.push_back(std::move(row));
  }

  void RefuseStatement(bool prefix, std::string_view rest, int line) {
    const char* keyword = prefix ? "'refuse-prefix'" : "'refuse'";
    std::optional<std::string> text = NextWord(rest, line);
    if (!text || text->empty())
      Fail(line, std::string(keyword) + " takes the statement in double quotes, then the error text");
    std::string error(Trim(rest));
    StatementRefusal refusal{prefix, std::move(*text), error.empty() ? kStatementRefusedError : error};
    if (database_)
      database_->refusals.push_back(std::move(refusal));
    else if (server_)
      server_->refusals.push_back(std::move(refusal));
    else
      script_.refusals.push_back(std::move(refusal));
  }

  DbScript script_;
  // The blocks the next line belongs to. Pointers into script_ stay valid: a server's databases
  // and tables only grow while it is the current block, and a new server ends the old blocks.
  ScriptServer* server_ = nullptr;
  ScriptDatabase* database_ = nullptr;
  ScriptTable* table_ = nullptr;
};

}  // namespace

std::vector<ScriptDatabase> SystemDatabases() {
  std::vector<ScriptDatabase> databases;
  int id = 0;
  for (const char* name : {"master", "tempdb", "model", "msdb"}) databases.push_back({name, ++id, false, {}, {}});
  return databases;
}

DbScript ParseDbScript(std::string_view text) { return Parser().Run(text); }

}  // namespace teshmar
