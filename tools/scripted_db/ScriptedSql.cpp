#include "tools/scripted_db/ScriptedSql.h"

#include <optional>
#include <string_view>

#include "links/db/Database.h"
#include "tools/scripted_db/NameCompare.h"
#include "tools/scripted_db/ServerErrors.h"

namespace teshmar {

namespace {

// --- A small reader of SQL text: names, quoted text literals and single symbols. ---

struct Token {
  enum Kind { Name, Literal, Symbol } kind;
  std::string text;
};

bool NameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@' ||
         c == '#' || c == '$' || c == '.' || u >= 0x80;
}

// Nothing when a literal or a bracketed name is not closed: the server would not run it.
std::optional<std::vector<Token>> Lex(std::string_view sql) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (static_cast<unsigned char>(c) <= 32) {
      ++i;
    } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < sql.size() && sql[i + 1] == '\'')) {
      i += c == '\'' ? 1 : 2;
      std::string text;
      for (;;) {
        if (i >= sql.size()) return std::nullopt;
        if (sql[i] == '\'') {
          if (i + 1 < sql.size() && sql[i + 1] == '\'') {
            text += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += sql[i++];
      }
      tokens.push_back({Token::Literal, std::move(text)});
    } else if (c == '[' || c == '"') {
      const char close = c == '[' ? ']' : '"';
      size_t end = sql.find(close, i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      tokens.push_back({Token::Name, std::string(sql.substr(i + 1, end - i - 1))});
      i = end + 1;
    } else if (NameChar(c)) {
      size_t start = i;
      while (i < sql.size() && NameChar(sql[i])) ++i;
      tokens.push_back({Token::Name, std::string(sql.substr(start, i - start))});
    } else {
      tokens.push_back({Token::Symbol, std::string(1, c)});
      ++i;
    }
  }
  return tokens;
}

class Cursor {
 public:
  explicit Cursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

  bool Keyword(std::string_view word) {
    if (at_ < tokens_.size() && tokens_[at_].kind == Token::Name && SameName(tokens_[at_].text, word)) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Symbol(char c) {
    if (at_ < tokens_.size() && tokens_[at_].kind == Token::Symbol && tokens_[at_].text[0] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  std::optional<std::string> Take(Token::Kind kind) {
    if (at_ < tokens_.size() && tokens_[at_].kind == kind) return tokens_[at_++].text;
    return std::nullopt;
  }
  // The end of the statement; one closing ";" may stand before it.
  bool End() {
    Symbol(';');
    return at_ == tokens_.size();
  }

 private:
  const std::vector<Token>& tokens_;
  size_t at_ = 0;
};

// A list of one or more items separated by ",".
template <typename Item>
std::optional<std::vector<std::string>> List(Cursor& cursor, Item item) {
  std::vector<std::string> items;
  do {
    std::optional<std::string> next = item(cursor);
    if (!next) return std::nullopt;
    items.push_back(std::move(*next));
  } while (cursor.Symbol(','));
  return items;
}

std::optional<std::vector<std::string>> Names(Cursor& cursor) {
  return List(cursor, [](Cursor& c) { return c.Take(Token::Name); });
}
std::optional<std::vector<std::string>> Literals(Cursor& cursor) {
  return List(cursor, [](Cursor& c) { return c.Take(Token::Literal); });
}

// --- What the statements find in a scripted database. ---

[[noreturn]] void InvalidObject(const std::string& name) { throw DatabaseError("Invalid object name '" + name + "'."); }
[[noreturn]] void InvalidColumn(const std::string& name) { throw DatabaseError("Invalid column name '" + name + "'."); }

ScriptTable& FindTable(ScriptDatabase& database, const std::string& name) {
  for (ScriptTable& table : database.tables)
    if (SameName(table.name, name)) return table;
  InvalidObject(name);
}

// A table's columns: the declared ones, or every column its rows name, in order of appearance.
std::vector<std::string> TableColumns(const ScriptTable& table) {
  std::vector<std::string> columns = table.columns;
  if (!columns.empty()) return columns;
  for (const ScriptRow& row : table.rows)
    for (const auto& [name, value] : row) {
      bool seen = false;
      for (const std::string& column : columns) seen = seen || SameName(column, name);
      if (!seen) columns.push_back(name);
    }
  return columns;
}

// A column the statement names must exist when the table's columns are fixed.
void RequireColumn(const ScriptTable& table, const std::string& column) {
  if (table.columns.empty()) return;
  for (const std::string& declared : table.columns)
    if (SameName(declared, column)) return;
  InvalidColumn(column);
}

std::string Value(const ScriptRow& row, const std::string& column) {
  for (const auto& [name, value] : row)
    if (SameName(name, column)) return value;
  return {};
}

void SetValue(ScriptRow& row, const std::string& column, const std::string& value) {
  for (auto& [name, old] : row)
    if (SameName(name, column)) {
      old = value;
      return;
    }
  row.emplace_back(column, value);
}

ResultSet SelectObjects(ScriptDatabase& database, const std::vector<std::string>& columns,
                        const std::optional<std::string>& name) {
  ResultSet result;
  result.columns =
      columns.size() == 1 && columns[0] == "*" ? std::vector<std::string>{"name", "id", "xtype", "type"} : columns;
  for (const std::string& column : result.columns)
    if (!SameName(column, "name") && !SameName(column, "id") && !SameName(column, "xtype") && !SameName(column, "type"))
      InvalidColumn(column);
  for (size_t i = 0; i < database.tables.size(); ++i) {
    const ScriptTable& table = database.tables[i];
    if (name && !SameName(table.name, *name)) continue;
    std::vector<std::string> row;
    for (const std::string& column : result.columns)
      row.push_back(SameName(column, "name") ? table.name
                    : SameName(column, "id") ? std::to_string(1000 + static_cast<int>(i))
                                             : "U");
    result.rows.push_back(std::move(row));
  }
  return result;
}

ResultSet SelectTable(ScriptDatabase& database, const std::vector<std::string>& columns, const std::string& name) {
  const ScriptTable& table = FindTable(database, name);
  ResultSet result;
  if (columns.size() == 1 && columns[0] == "*") {
    result.columns = TableColumns(table);
  } else {
    for (const std::string& column : columns) RequireColumn(table, column);
    result.columns = columns;
  }
  for (const ScriptRow& row : table.rows) {
    std::vector<std::string> values;
    for (const std::string& column : result.columns) values.push_back(Value(row, column));
    result.rows.push_back(std::move(values));
  }
  return result;
}

// select * | name[, name...] from table [where name = 'text'] (the condition on sysobjects only).
std::optional<ResultSet> Select(Cursor& cursor, ScriptDatabase& database) {
  std::vector<std::string> columns;
  if (cursor.Symbol('*')) {
    columns = {"*"};
  } else if (auto names = Names(cursor)) {
    columns = std::move(*names);
  } else {
    return std::nullopt;
  }
  std::optional<std::string> table;
  if (!cursor.Keyword("from") || !(table = cursor.Take(Token::Name))) return std::nullopt;
  if (SameName(*table, "sysobjects") || SameName(*table, "dbo.sysobjects")) {
    std::optional<std::string> name;
    if (cursor.Keyword("where")) {
      if (!cursor.Keyword("name") || !cursor.Symbol('=') || !(name = cursor.Take(Token::Literal))) return std::nullopt;
    }
    if (!cursor.End()) return std::nullopt;
    return SelectObjects(database, columns, name);
  }
  if (!cursor.End()) return std::nullopt;
  return SelectTable(database, columns, *table);
}

// update table set column = 'text'[, ...] without a condition: every row takes the values.
std::optional<ResultSet> Update(Cursor& cursor, ScriptDatabase& database) {
  std::optional<std::string> name = cursor.Take(Token::Name);
  if (!name || !cursor.Keyword("set")) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> values;
  do {
    std::optional<std::string> column = cursor.Take(Token::Name);
    std::optional<std::string> value;
    if (!column || !cursor.Symbol('=') || !(value = cursor.Take(Token::Literal))) return std::nullopt;
    values.emplace_back(std::move(*column), std::move(*value));
  } while (cursor.Symbol(','));
  if (!cursor.End()) return std::nullopt;
  ScriptTable& table = FindTable(database, *name);
  for (const auto& [column, value] : values) RequireColumn(table, column);
  for (ScriptRow& row : table.rows)
    for (const auto& [column, value] : values) SetValue(row, column, value);
  return ResultSet{};
}

// insert [into] table (column, ...) values('text', ...): one new row.
std::optional<ResultSet> Insert(Cursor& cursor, ScriptDatabase& database) {
  cursor.Keyword("into");
  std::optional<std::string> name = cursor.Take(Token::Name);
  std::optional<std::vector<std::string>> columns, values;
  if (!name || !cursor.Symbol('(') || !(columns = Names(cursor)) || !cursor.Symbol(')') || !cursor.Keyword("values") ||
      !cursor.Symbol('(') || !(values = Literals(cursor)) || !cursor.Symbol(')') || !cursor.End())
    return std::nullopt;
  ScriptTable& table = FindTable(database, *name);
  for (const std::string& column : *columns) RequireColumn(table, column);
  if (columns->size() != values->size())
    throw DatabaseError(
        "The number of values in the VALUES clause must match the number of columns specified in the INSERT "
        "statement.");
  ScriptRow row;
  for (size_t i = 0; i < columns->size(); ++i) SetValue(row, (*columns)[i], (*values)[i]);
  table.rows.push_back(std::move(row));
  return ResultSet{};
}

ResultSet Listing(ScriptServer& server) {
  ResultSet result{{"dbid", "DB_NAME"}, {}};
  for (const ScriptDatabase& database : server.databases) {
    bool excluded = false;
    for (const char* name : {"master", "tempdb", "model", "msdb", "pubs", "Northwind"})
      excluded = excluded || SameName(database.name, name);
    if (!excluded) result.rows.push_back({std::to_string(database.id), database.name});
  }
  return result;
}

const StatementRefusal* FindRefusal(const std::vector<StatementRefusal>& refusals, const std::string& sql) {
  for (const StatementRefusal& refusal : refusals)
    if (refusal.prefix ? sql.compare(0, refusal.text.size(), refusal.text) == 0 : sql == refusal.text) return &refusal;
  return nullptr;
}

}  // namespace

ScriptDatabase* FindDatabase(ScriptServer& server, const std::string& name) {
  for (ScriptDatabase& database : server.databases)
    if (SameName(database.name, name)) return &database;
  return nullptr;
}

ResultSet RunStatement(const DbScript& script, ScriptServer& server, std::string& current, const std::string& sql) {
  ScriptDatabase* database = FindDatabase(server, current);
  if (!database) database = &server.databases.front();  // master
  // The narrowest scope speaks first: the database, then its server, then every server.
  using Refusals = const std::vector<StatementRefusal>*;
  for (Refusals refusals : {Refusals(&database->refusals), Refusals(&server.refusals), Refusals(&script.refusals)})
    if (const StatementRefusal* refusal = FindRefusal(*refusals, sql)) throw DatabaseError(refusal->error);

  if (sql == kDatabaseListingSql) {
    current = "master";
    return Listing(server);
  }
  std::optional<std::vector<Token>> tokens = Lex(sql);
  if (!tokens) return {};
  Cursor cursor(*tokens);
  std::optional<ResultSet> result;
  if (cursor.Keyword("select")) {
    result = Select(cursor, *database);
  } else if (cursor.Keyword("update")) {
    result = Update(cursor, *database);
  } else if (cursor.Keyword("insert")) {
    result = Insert(cursor, *database);
  } else if (cursor.Keyword("use")) {
    std::optional<std::string> name = cursor.Take(Token::Name);
    if (name && cursor.End()) {
      ScriptDatabase* target = FindDatabase(server, *name);
      if (!target)
        throw DatabaseError("Database '" + *name + "' does not exist. Make sure that the name is entered correctly.");
      current = target->name;
    }
  }
  return result ? std::move(*result) : ResultSet{};
}

}  // namespace teshmar
