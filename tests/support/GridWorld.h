#pragma once
// A console's grid with fakes for everything around it, for the tests of the grid's logic.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "links/db/ConnString.h"
#include "links/grid/EntryGridLogic.h"
#include "links/db/LinkCheck.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar::testing {

class FakeEntryList : public IEntryList {
 public:
  EntryListRead ReadEntries() override {
    ++reads;
    return read;
  }
  bool StoreCustomer(int, const std::string&, const std::string&) override { return false; }

  void Set(std::vector<Entry> entries) {
    read.status = EntryListRead::Status::Ok;
    read.entries = std::move(entries);
  }

  EntryListRead read;
  int reads = 0;
};

// Records what the grid's work asks of the main window, in order.
class FakeHost : public IEntryGridHost {
 public:
  void ShowMessageWindow(const std::string& text) override { log.push_back("message " + text); }
  void ShowProgressWindow(const std::string& text, bool centred, bool gauge, bool cancel, unsigned colour) override {
    log.push_back("progress " + text + " " + std::to_string(centred) + std::to_string(gauge) + std::to_string(cancel) +
                  " " + std::to_string(colour));
  }
  void HideProgressWindow() override { log.push_back("hide progress"); }
  bool RunLinkDialog(int entryNo, DatabaseKind kind, std::string& dbName) override {
    log.push_back("dialog " + std::to_string(entryNo) + " kind " + std::to_string(static_cast<int>(kind)));
    if (onDialog) onDialog();
    if (!dialogResult) return false;
    dbName = *dialogResult;
    return true;
  }
  bool Timer3Enabled() override { return timer3; }
  void StopRefreshTimers() override {
    timer3 = false;
    log.push_back("stop timers");
  }
  void RequestQuit() override { log.push_back("quit"); }

  std::vector<std::string> log;
  std::optional<std::string> dialogResult;
  std::function<void()> onDialog;
  bool timer3 = true;
};

inline Entry MakeEntry(int number, std::string kind = "1") {
  return {std::to_string(number), "店" + std::to_string(number), "广东省,东莞市,,路" + std::to_string(number), kind};
}

inline LinkSettings Link(const std::string& server, const std::string& database) {
  LinkSettings link;
  link.serverName = server;
  link.database = database;
  link.loginName = "sa";
  link.password = "pw";
  return link;
}

// A console's grid with its own fakes; outcomes are given per entry as letters:
// P passes, U unreachable, W wrong kind, N no link, R marker query refused, X the check raises.
struct RefreshWorld {
  explicit RefreshWorld(size_t count) {
    std::vector<Entry> entries;
    for (size_t i = 1; i <= count; ++i) entries.push_back(MakeEntry(static_cast<int>(i)));
    list.Set(entries);
  }
  void Script(int entryNo, char outcome, int delayMs) {
    if (outcome == 'N') {
      links.links.erase(entryNo);
      return;
    }
    links.links[entryNo] = Link("10.0.0." + std::to_string(entryNo), "Db" + std::to_string(entryNo));
    const std::string cs = EntryConnString(links, entryNo);
    const std::string marker = MarkerQuery(DatabaseKind::Store);
    db.DelayConnection(cs, delayMs);
    if (outcome == 'P') db.AnswerOn(cs, marker, {{{"name", "Base"}}});
    if (outcome == 'W') db.AnswerOn(cs, marker, {});
    if (outcome == 'U') db.RefuseConnection(cs);
    if (outcome == 'R') db.RefuseOn(cs, marker);
    if (outcome == 'X') db.RaiseOn(cs);
  }
  std::vector<bool> States() const {
    std::vector<bool> states;
    for (int i = 1; i <= logic.EntryCount(); ++i) states.push_back(logic.Connected(i));
    return states;
  }

  StringGrid grid{EntryGridLogic::kColCount};
  FakeHost host;
  FakeEntryList list;
  FakeEntryLinks links;
  FakeDatabase db;
  FakeMessageBoxes boxes;
  EntryGridLogic logic{grid, host, list, links, db, boxes};
};

}  // namespace teshmar::testing
