#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/MessageBoxes.h"
#include "links/db/Database.h"
#include "links/files/LinkSettings.h"

namespace teshmar {

// The kind of database an entry links to, recognised by its marker table.
enum class DatabaseKind { Store = 1, Erp = 2 };

// An entry's kind code: "2..." is the ERP database, anything else a store database.
DatabaseKind KindOfCode(std::string_view kindCode);

// The query that finds the kind's marker table ("Base" or "ALL_REGISTER").
const char* MarkerQuery(DatabaseKind kind);

// A check's answer. On failure an empty error means there is nothing to report.
struct LinkCheckResult {
  bool ok = false;
  std::string error;
};

// A message box that a check asks for, kept to be shown later on the user-interface thread.
struct PendingMessageBox {
  std::string text;
  std::string caption;
  unsigned flags = 0;
  MessageBoxOwner owner = MessageBoxOwner::Application;
};

// A check's answer with the message boxes it would have shown, in the order it asked for them.
struct LinkProbe {
  LinkCheckResult result;
  std::vector<PendingMessageBox> boxes;
};

// CheckLink's connection work without showing anything, so it may run on a worker thread: its
// connection is its own, and the boxes wait in the answer. Closes and releases everything it
// opened before returning; an error other than the database's passes through (still released).
LinkProbe ProbeLink(IDatabase& database, int entryNo, const std::string& connectionString, DatabaseKind kind);

// Shows the boxes a probe kept, in order.
void ShowPendingBoxes(const std::vector<PendingMessageBox>& pending, IMessageBoxes& boxes);

// Connects with the connection string on a connection of its own and looks for the kind's marker
// table. Never raises an error; closes and releases everything it opened before returning.
LinkCheckResult CheckLink(IDatabase& database, IMessageBoxes& boxes, int entryNo, const std::string& connectionString,
                          DatabaseKind kind);

// CheckLink on the entry's stored link; an entry without a usable link fails with an empty error.
LinkCheckResult CheckEntryLink(IDatabase& database, IMessageBoxes& boxes, IEntryLinks& links, int entryNo,
                               DatabaseKind kind);

}  // namespace teshmar
