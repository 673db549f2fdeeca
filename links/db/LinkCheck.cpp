#include "links/db/LinkCheck.h"

#include <exception>
#include <memory>
#include <utility>

#include "links/db/ConnString.h"
#include "links/db/Statements.h"

namespace teshmar {

DatabaseKind KindOfCode(std::string_view kindCode) {
  return !kindCode.empty() && kindCode.front() == '2' ? DatabaseKind::Erp : DatabaseKind::Store;
}

const char* MarkerQuery(DatabaseKind kind) {
  return kind == DatabaseKind::Erp ? "select name from  sysobjects  where name='ALL_REGISTER' "
                                   : "select name from  sysobjects  where name='Base' ";
}

namespace {

// Keeps the boxes the statement routines ask for; their boxes have an OK button only.
class KeptBoxes : public IMessageBoxes {
 public:
  int Show(const std::string& text, const std::string& caption, unsigned flags, MessageBoxOwner owner) override {
    kept.push_back({text, caption, flags, owner});
    return mb::kIdOk;
  }
  std::vector<PendingMessageBox> kept;
};

}  // namespace

LinkProbe ProbeLink(IDatabase& database, int entryNo, const std::string& connectionString, DatabaseKind kind) {
  const std::string entry = "注册项[" + std::to_string(entryNo) + "]";
  LinkProbe probe;
  std::unique_ptr<IConnection> connection;
  try {
    connection = database.CreateConnection();
    connection->Open(connectionString);
  } catch (const std::exception&) {
    probe.result = {false, entry + "连接数据库出错!"};
    return probe;
  }

  KeptBoxes boxes;
  long rows = 0;
  try {
    std::unique_ptr<IQuery> query = connection->CreateQuery();
    rows = QueryRowCount(*query, MarkerQuery(kind), boxes);
    query->Close();
  } catch (const std::exception&) {
    rows = 0;  // a query that cannot even be made finds no marker either
  }
  connection->Close();
  probe.boxes = std::move(boxes.kept);

  if (rows > 0) {
    probe.result = {true, {}};
  } else {
    probe.result = {false,
                    entry + (kind == DatabaseKind::Erp ? "连接数据库非正确的ERP库!" : "连接数据库非正确的门店库!")};
  }
  return probe;
}

void ShowPendingBoxes(const std::vector<PendingMessageBox>& pending, IMessageBoxes& boxes) {
  for (const PendingMessageBox& box : pending) boxes.Show(box.text, box.caption, box.flags, box.owner);
}

LinkCheckResult CheckLink(IDatabase& database, IMessageBoxes& boxes, int entryNo, const std::string& connectionString,
                          DatabaseKind kind) {
  LinkProbe probe = ProbeLink(database, entryNo, connectionString, kind);
  ShowPendingBoxes(probe.boxes, boxes);
  return probe.result;
}

LinkCheckResult CheckEntryLink(IDatabase& database, IMessageBoxes& boxes, IEntryLinks& links, int entryNo,
                               DatabaseKind kind) {
  std::string connectionString;
  try {
    connectionString = EntryConnString(links, entryNo);
  } catch (const std::exception&) {
    return {};  // settings that cannot be read count as no link
  }
  if (connectionString.empty()) return {};
  return CheckLink(database, boxes, entryNo, connectionString, kind);
}

}  // namespace teshmar
