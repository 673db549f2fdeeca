#pragma once
#include <windows.h>

#include <string>

#include "common/MessageBoxes.h"
#include "links/db/Database.h"
#include "links/db/LinkCheck.h"
#include "links/files/LinkSettings.h"
#include "links/db/ParallelChecks.h"

namespace teshmar {

// Creates the dialog for one entry, runs it modally over owner, destroys it; true when it closed with OK, and dbName is then FDBName.
// With `threading`, the dialog's provider calls run on a worker of its own while the dialog keeps
// answering; without, on this thread.
bool RunDBLinkDialog(HWND owner, IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes, int entryNo,
                     DatabaseKind kind, std::string& dbName, ICheckThreading* threading = nullptr);

// The window's class, size and child ids, for the tests and the end-to-end driver.
namespace dblink_form {
constexpr wchar_t kClassName[] = L"TFrmDBLink";
constexpr int kClientWidth = 427;
constexpr int kClientHeight = 285;
// None is IDOK or IDCANCEL, so Enter and Esc reach no button.
enum ControlId {
  kRzLabel3 = 101,
  kCBServerIP,
  kCheckBox1,
  kRzLabel1,
  kPortEd,
  kCheckBox2,
  kRzLabel6,
  kLogID,
  kRzLabel5,
  kLogPwd,
  kRzLabel4,
  kCBDateDB,
  kRzBitBtn2,
  kBtnOK,
  kBtnCancel,
};
}  // namespace dblink_form

}  // namespace teshmar
