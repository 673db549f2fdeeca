#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/MessageBoxes.h"
#include "links/db/Database.h"
#include "links/files/EntryList.h"
#include "links/db/LinkCheck.h"
#include "links/history/LinkHistory.h"
#include "links/files/LinkSettings.h"
#include "links/db/ParallelChecks.h"
#include "links/grid/StringGrid.h"

namespace teshmar {

// How the first two entries' kinds lay out the databases; read by the warning and the customer dialog.
enum class DatabaseLayout { StoreLayout = 1, StoreErpLayout = 2, ErpLayout = 3 };

DatabaseLayout LayoutOfEntries(const std::vector<Entry>& entries);

// What the grid's work asks of the main window and the windows beside it.
class IEntryGridHost {
 public:
  virtual ~IEntryGridHost() = default;
  // Returns when the operator has closed it; an empty text shows nothing.
  virtual void ShowMessageWindow(const std::string& text) = 0;
  virtual void ShowProgressWindow(const std::string& text, bool centred, bool showGauge, bool showCancel,
                                  unsigned endColour) = 0;
  virtual void HideProgressWindow() = 0;
  // The link dialog for one entry, shown modally; true when it closed with OK, dbName then holds
  // the database it saved.
  virtual bool RunLinkDialog(int entryNo, DatabaseKind kind, std::string& dbName) = 0;
  virtual bool Timer3Enabled() = 0;
  // Switches Timer3 and Timer4 off.
  virtual void StopRefreshTimers() = 0;
  // The program ends once the running handler returns to the message loop.
  virtual void RequestQuit() = 0;
};

// The entry grid's work on the main window: the list of entries in the grid, every link's state,
// the periodic refresh, the missing-link warning and the link dialog on a double-click.
class EntryGridLogic {
 public:
  // Grid columns.
  static constexpr int kNumberCol = 0;
  static constexpr int kNameCol = 1;
  static constexpr int kAddrCol = 2;
  static constexpr int kDatabaseCol = 3;
  static constexpr int kStateCol = 4;
  static constexpr int kColCount = 5;

  static constexpr const char* kConnected = "连接";
  static constexpr const char* kDisconnected = "断开";
  static constexpr const char* kRefreshNotice = "正在检查数据库连接，请稍候…";
  static constexpr unsigned kRefreshEndColour = 15786112;  // R 128, G 224, B 240
  static constexpr const char* kRecheckSuffix = "连接数据库出错!";
  static constexpr const char* kSelectEntryMessage = "请选择需连接数据库的注册项！";

  EntryGridLogic(StringGrid& grid, IEntryGridHost& host, IEntryList& list, IEntryLinks& links, IDatabase& database,
                 IMessageBoxes& boxes);
  // Releases ADOConn in the apartment it was made in.
  ~EntryGridLogic();
  EntryGridLogic(const EntryGridLogic&) = delete;
  EntryGridLogic& operator=(const EntryGridLogic&) = delete;

  // How a refresh runs its checks: one after the other on this thread until a runner is given.
  // The runner must outlive the logic.
  void SetCheckRunner(ICheckRunner& runner) { runner_ = &runner; }
  // Where every change of a link state is noted; none until one is given.
  void SetLinkHistory(LinkHistory* history) { history_ = history; }
  // Where ADOConn's provider calls run: on this thread until a worker is given (it must outlive
  // the logic). All of them on the one worker, the apartment ADOConn was made in.
  void SetConnectionWorker(IProviderWorker& worker) { connWorker_ = &worker; }

  void SetGridHeadings();
  // Reads the list of entries, derives the layout and fills the rows. A list that cannot be read
  // takes the failure path of FillEntryRows; false then.
  bool ReadEntryList();
  // The same outside the first show (the periodic refresh, the customer dialog): a list that cannot
  // be read keeps the list shown, and the message window says what is wrong, once for each distinct
  // fault until a good read; the console goes on. False when no new list was taken.
  bool ReadEntryListAgain();
  // Fills the rows from the settings file as it is now (one reading for all rows).
  bool FillEntryRows();
  bool RefreshLinkStates(int entryNo, bool showProgress);
  void ShowLinkStates(int entryNo, int row);
  void WarnUnlinkedEntries();
  // The first show's check: every link with the progress window, then the states when there is an entry.
  void CheckEveryLink();
  void RgInfoDblClick();
  // The periodic refresh: reads the list and starts every check, then returns; the results are
  // applied when the last check has ended (through the runner), unless the list was read again
  // meanwhile. Starts nothing while a refresh is under way.
  void Timer3Timer();
  // Whether a periodic refresh's checks or the showing of their results are still under way.
  bool PeriodicRefreshRunning() const { return periodic_ != nullptr; }
  void Timer4Timer() { WarnUnlinkedEntries(); }
  // Opens ADOConn on the entry's link; false, without a message, when it has none or cannot connect.
  bool OpenEntryConnection(int entryNo);

  // The main window's shared connection, which the customer dialog's work uses and closes. Its
  // provider calls go through OnADOConn.
  IConnection& ADOConn();
  // Runs work with ADOConn on the connection's worker; an error it raises comes through.
  void OnADOConn(const std::function<void(IConnection&)>& work);
  DatabaseLayout Layout() const { return layout_; }
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  const Entry& EntryAt(int entryNo) const { return entries_.at(static_cast<size_t>(entryNo - 1)).entry; }
  bool Connected(int entryNo) const { return entries_.at(static_cast<size_t>(entryNo - 1)).connected; }

 private:
  struct EntryState {
    Entry entry;
    bool connected = false;
    unsigned version = 0;  // counts the checks that set or confirmed the state
  };
  struct PeriodicRefresh;

  // Takes a freshly read list: every entry not connected, the layout derived, the rows filled
  // from the links the read left, or from a reading of the settings file when it left none.
  bool TakeList(const EntryListRead& read);
  bool FillEntryRows(const EntryLinksSnapshot& links);
  void FailFill(const std::string& message);
  DatabaseKind KindOfEntry(int entryNo) const;
  struct Job {
    int entryNo;
    DatabaseKind kind;
    std::string connectionString;  // empty: no usable link, nothing to check
  };
  // The checks of the given entries, run by the runner; their settings were read on this thread,
  // the workers touch nothing but their own connections. An entry without a usable link, or
  // whose check raised, is a silent failure.
  std::vector<LinkProbe> ProbeEntries(const std::vector<Job>& jobs);
  // One reading of the settings file for every entry.
  std::vector<Job> JobsForEveryEntry() const;
  std::optional<LinkHistory::StateNote> HistoryNote(int entryNo, const LinkCheckResult& result) const;
  void RefreshEveryEntry(std::string& text);
  // Boxes, states, lines and history of every entry's check, in entry order, for the list of that
  // generation only; with `versions`, an entry checked again since then keeps its newer state.
  void ApplyEveryEntry(const std::vector<LinkProbe>& probes, unsigned generation,
                       const std::vector<unsigned>* versions, std::string& text);
  bool RefreshOneEntry(int entryNo, std::string& text);
  void StartPeriodicRefresh();
  void FinishPeriodicRefresh(const std::shared_ptr<PeriodicRefresh>& refresh);
  void ApplyPeriodicRefresh(const std::shared_ptr<PeriodicRefresh>& refresh);

  StringGrid& grid_;
  IEntryGridHost& host_;
  IEntryList& list_;
  IEntryLinks& links_;
  IDatabase& database_;
  IMessageBoxes& boxes_;
  std::unique_ptr<IConnection> adoConn_;
  std::vector<EntryState> entries_;
  DatabaseLayout layout_ = DatabaseLayout::StoreLayout;
  InlineCheckRunner inlineRunner_;
  ICheckRunner* runner_ = &inlineRunner_;
  InlineProviderWorker inlineWorker_;
  IProviderWorker* connWorker_ = &inlineWorker_;
  LinkHistory* history_ = nullptr;
  std::string listFault_;    // the last fault of the list told, until a good read
  unsigned generation_ = 0;  // one more at every reading of the list that gives other entries
  int refreshDepth_ = 0;     // refreshes checking or showing their results now, one inside another
  std::shared_ptr<PeriodicRefresh> periodic_;          // under way
  std::shared_ptr<PeriodicRefresh> finishedPeriodic_;  // ended while another refresh showed its results
  // Gone with the logic: a periodic refresh that ends later finds nobody to show its results to.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace teshmar
