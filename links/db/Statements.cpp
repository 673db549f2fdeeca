#include "links/db/Statements.h"

namespace teshmar {

namespace {
constexpr const char* kCaption = "提示";

void SayQueryRefused(const std::string& sql, IMessageBoxes& boxes) {
  boxes.Show(std::string("无法在ＳＱＬ服务器上查询数据？") + '\r' + sql, kCaption, mb::kOk);
}
}  // namespace

bool OpenQuery(IQuery& query, const std::string& sql, IMessageBoxes& boxes) {
  try {
    query.Close();
    query.Open(sql);
    return true;
  } catch (const DatabaseError&) {
    SayQueryRefused(sql, boxes);
    return false;
  }
}

bool ExecQuery(IQuery& query, const std::string& sql, IMessageBoxes& boxes) {
  try {
    query.Close();
    query.Execute(sql);
    return true;
  } catch (const DatabaseError&) {
    boxes.Show("无法在ＳＱＬ服务器上修改数据？", kCaption, mb::kOk);
    return false;
  }
}

long QueryRowCount(IQuery& query, const std::string& sql, IMessageBoxes& boxes) {
  if (!OpenQuery(query, sql, boxes)) return 0;
  try {
    return query.RowCount();
  } catch (const DatabaseError&) {
    // A result set whose rows cannot be counted is as good as a refused query.
    SayQueryRefused(sql, boxes);
    return 0;
  }
}

}  // namespace teshmar
