#pragma once
#include <string>

#include "common/MessageBoxes.h"
#include "links/db/Database.h"

namespace teshmar {

// The statement routines: each closes the query first, runs the statement and, when the server
// refuses it, says so in a message box of its own ("提示", OK, no icon) instead of raising an error.

// Opens the statement as a result set; false after the message box naming the statement.
bool OpenQuery(IQuery& query, const std::string& sql, IMessageBoxes& boxes);

// Executes a statement that gives no result set; false after the message box.
bool ExecQuery(IQuery& query, const std::string& sql, IMessageBoxes& boxes);

// The number of rows the statement gives; 0 after OpenQuery's message box when it is refused.
long QueryRowCount(IQuery& query, const std::string& sql, IMessageBoxes& boxes);

}  // namespace teshmar
