#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace teshmar {

// What a scripted SQL Server holds and how it answers, read from the script text (the format is
// described in tools/scripted_db/README.md).

// One row: column names and values, in the order the script gives them.
using ScriptRow = std::vector<std::pair<std::string, std::string>>;

struct ScriptTable {
  std::string name;
  std::vector<std::string> columns;  // declared columns; empty: any column is accepted
  std::vector<ScriptRow> rows;
};

// A statement the server refuses: its exact text, or every statement beginning with `text`.
struct StatementRefusal {
  bool prefix = false;
  std::string text;
  std::string error;
};

struct ScriptDatabase {
  std::string name;
  int id = 0;             // sysdatabases' dbid: master 1, tempdb 2, model 3, msdb 4, then in script order
  bool declared = false;  // named by the script (the four system databases exist anyway)
  std::vector<ScriptTable> tables;
  std::vector<StatementRefusal> refusals;
};

// A login the server refuses: with every password, or with one password only.
struct LoginRefusal {
  std::string login;
  std::optional<std::string> password;
};

struct ScriptServer {
  std::string host;
  std::optional<int> port;                    // nothing: the server answers on every port
  int delayMs = 0;                            // waited on every attempt to connect, before the answer
  std::optional<std::string> connectRefusal;  // set: the server is named but refuses every connection
  bool refuseIntegrated = false;
  std::vector<LoginRefusal> loginRefusals;
  std::vector<ScriptDatabase> databases;
  std::vector<StatementRefusal> refusals;
};

struct DbScript {
  std::vector<ScriptServer> servers;
  int unknownServerDelayMs = 0;            // waited before a server that is not named refuses
  std::vector<StatementRefusal> refusals;  // on every server
};

// A script that cannot be read; the text names the line, for example "line 7: unknown keyword 'tabel'".
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a script (UTF-8, a byte-order mark and CR LF line ends allowed); throws ScriptError.
DbScript ParseDbScript(std::string_view text);

// The four databases every server has, with their ids.
std::vector<ScriptDatabase> SystemDatabases();

}  // namespace teshmar
