#pragma once
#include <functional>
#include <string>

#include "common/MessageBoxes.h"
#include "links/grid/EntryGridLogic.h"
#include "links/files/EntryList.h"
#include "links/files/LinkSettings.h"
#include "links/grid/StringGrid.h"

namespace teshmar {

// The customer dialog run over the main window: true when it closed with OK, and name and address
// then hold the saved values; otherwise both stay as they were.
using EditGuestFn = std::function<bool(std::string& name, std::string& address, int mode)>;

// Told true when the console starts to wait for the provider and false when the wait is over.
using WaitFn = std::function<void(bool waiting)>;

// The main window's customer button: the selected entry's customer edited in the dialog, stored
// with the entry, and written into the store database's customer record.
class GuestEdit {
 public:
  static constexpr const char* kConnectFailed = "数据库连接失败！";
  static constexpr const char* kStoreFailed = "修改客户信息失败！";

  GuestEdit(StringGrid& grid, EntryGridLogic& entryGrid, IEntryList& list, IEntryLinks& links, IMessageBoxes& boxes,
            EditGuestFn editGuest, WaitFn wait = {});

  // ADOConn is closed on every path; an error of the customer record's reading statements goes on
  // to the caller after that.
  void BtnGuestClick();
  // BtnGuestClick as the button runs it: an error that gets through is shown with its text in a
  // plain message box, and the console carries on.
  void Click();

 private:
  // Steps with ADOConn open on the entry.
  void EditOnOpenConnection(int entryNo, std::string name, std::string address);
  bool StoreCustomer(int entryNo, const std::string& name, const std::string& address);
  // Runs work that blocks on the provider inside a wait.
  template <typename Work>
  auto Waiting(Work work) {
    struct Wait {
      const WaitFn& fn;
      explicit Wait(const WaitFn& f) : fn(f) {
        if (fn) fn(true);
      }
      ~Wait() {
        if (fn) fn(false);
      }
    } wait(wait_);
    return work();
  }

  StringGrid& grid_;
  EntryGridLogic& entryGrid_;
  IEntryList& list_;
  IEntryLinks& links_;
  IMessageBoxes& boxes_;
  EditGuestFn editGuest_;
  WaitFn wait_;
};

}  // namespace teshmar
