#include "customer/GuestEdit.h"

#include <exception>
#include <optional>
#include <utility>

#include "common/TextUtil.h"
#include "customer/CustomerRecord.h"
#include "customer/ModeInfo.h"
#include "links/db/ConnString.h"

namespace teshmar {

GuestEdit::GuestEdit(StringGrid& grid, EntryGridLogic& entryGrid, IEntryList& list, IEntryLinks& links,
                     IMessageBoxes& boxes, EditGuestFn editGuest, WaitFn wait)
    : grid_(grid),
      entryGrid_(entryGrid),
      list_(list),
      links_(links),
      boxes_(boxes),
      editGuest_(std::move(editGuest)),
      wait_(std::move(wait)) {}

void GuestEdit::BtnGuestClick() {
  const int row = grid_.Row();
  if (row <= 0 || row >= grid_.RowCount()) return;
  if (TrimControl(grid_.Cell(EntryGridLogic::kNumberCol, 1)).empty()) return;
  // The grid's cells, not the list: a periodic refresh may rebuild the list while the dialog is open.
  const std::optional<long long> number = ParseWholeNumber(TrimControl(grid_.Cell(EntryGridLogic::kNumberCol, row)));
  if (!number || *number < 1 || *number > 0x7fffffff) return;
  const int entryNo = static_cast<int>(*number);
  std::string name = TrimControl(grid_.Cell(EntryGridLogic::kNameCol, row));
  std::string address = TrimControl(grid_.Cell(EntryGridLogic::kAddrCol, row));

  auto close = [&] { entryGrid_.OnADOConn([](IConnection& connection) { connection.Close(); }); };
  try {
    EditOnOpenConnection(entryNo, std::move(name), std::move(address));
  } catch (...) {
    close();
    throw;
  }
  close();
}

void GuestEdit::EditOnOpenConnection(int entryNo, std::string name, std::string address) {
  if (!Waiting([&] { return entryGrid_.OpenEntryConnection(entryNo); })) {
    boxes_.ShowPlain(kConnectFailed);
    return;
  }
  if (editGuest_(name, address, ModeInfoLogic::kModeAsIs)) {
    // With a store and an ERP database the customer lives with both entries, whichever was edited.
    const bool stored = entryGrid_.Layout() == DatabaseLayout::StoreErpLayout
                            ? StoreCustomer(1, name, address) && StoreCustomer(2, name, address)
                            : StoreCustomer(entryNo, name, address);
    if (!stored) {
      boxes_.ShowPlain(kStoreFailed);
      return;
    }
  }
  entryGrid_.ReadEntryListAgain();
  // A store and its ERP database share one customer, whose record is in entry 1's database. With
  // stores only, each entry is a site of its own: its record goes into its own database, never
  // over another site's. An ERP database has no customer record.
  const DatabaseLayout layout = entryGrid_.Layout();
  if (layout == DatabaseLayout::StoreLayout || layout == DatabaseLayout::StoreErpLayout) {
    const int recordEntry = layout == DatabaseLayout::StoreLayout ? entryNo : 1;
    // The settings file is read here; the provider is asked on the connection's worker.
    const std::string connectionString = EntryConnString(links_, recordEntry);
    Waiting([&] {
      entryGrid_.OnADOConn(
          [&](IConnection& connection) { WriteBaseRecord(connection, connectionString, name, address); });
    });
  }
}

bool GuestEdit::StoreCustomer(int entryNo, const std::string& name, const std::string& address) {
  return list_.StoreCustomer(entryNo, name, address);
}

void GuestEdit::Click() {
  try {
    BtnGuestClick();
  } catch (const std::exception& error) {
    boxes_.ShowPlain(error.what());
  }
}

}  // namespace teshmar
