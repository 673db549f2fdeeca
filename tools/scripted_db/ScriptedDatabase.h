#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "links/db/Database.h"
#include "tools/scripted_db/DbScript.h"
#include "tools/scripted_db/RecordFile.h"

namespace teshmar {

// A database that answers from a script the way SQL Server would answer the console: the servers
// it names accept connections (refusing the logins, catalogs and statements the script says), the
// others refuse. Every attempt to connect and every statement is written to the record, one line
// each, as it happens:
//   "connect <connection string>"   "connect refused <connection string>"
//   "open <statement>"              "open refused <statement>"
//   "execute <statement>"           "execute refused <statement>"
// (texts through RecordText). Updates and inserts change the scripted tables for the rest of the
// run. Connections may be made and used on several threads at once; each connection and its
// queries belong to one thread at a time, as ADO's objects do.
class ScriptedDatabase : public IDatabase {
 public:
  // `record` may be null: nothing is written down. With `refuseAll`, every connection is refused
  // with that text (a script that could not be read).
  ScriptedDatabase(DbScript script, std::unique_ptr<IRecordSink> record,
                   std::optional<std::string> refuseAll = std::nullopt);
  ~ScriptedDatabase() override;

  std::unique_ptr<IConnection> CreateConnection() override;

  // Replaces the real wait of a server's delay (milliseconds), so a test can hold a connection
  // inside its delay. Set it before the first connection.
  void SetWait(std::function<void(int ms)> wait);

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

// The console's scripted database: the script read from scriptPath (a missing file is an empty
// script: every server refuses) and the record appended to recordPath. A script that cannot be
// read or parsed, or a record that cannot be opened, gives a database that refuses every
// connection with a text naming the problem; the problem is also the record's next line
// ("error <text>") when the record could be opened.
std::unique_ptr<IDatabase> LoadScriptedDatabase(const std::string& scriptPath, const std::string& recordPath);

}  // namespace teshmar
