#pragma once
#include <string>
#include <vector>

#include "tools/scripted_db/DbScript.h"

namespace teshmar {

// The statement that lists a server's databases, as the link dialog sends it.
inline constexpr const char* kDatabaseListingSql =
    "USE master  SELECT dbid, DB_NAME(dbid) AS DB_NAME FROM sysdatabases where DB_NAME(dbid) not in  "
    "('master','tempdb','model','msdb','pubs','Northwind') ORDER BY dbid ";

// A statement's answer: named columns and rows of text values (NULL reads as empty text).
struct ResultSet {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

// Runs a statement on a scripted server the way SQL Server would for the statements the console
// sends: the database listing, the marker queries on sysobjects, "select * from" a table, and
// an update without condition or an insert of one row into a table, which change the table.
// `current` is the connection's database; a USE changes it. A statement the script refuses, or
// one naming a table or column the database lacks, throws DatabaseError with the server's text;
// any other statement gives an empty result and changes nothing.
ResultSet RunStatement(const DbScript& script, ScriptServer& server, std::string& current, const std::string& sql);

// The database of that name on the server (letter case ignored); nullptr when it has none.
ScriptDatabase* FindDatabase(ScriptServer& server, const std::string& name);

}  // namespace teshmar
