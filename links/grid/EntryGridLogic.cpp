#include "links/grid/EntryGridLogic.h"

#include <limits>
#include <optional>

#include "common/TextUtil.h"
#include "links/db/ConnString.h"

namespace teshmar {

namespace {

const char* const kHeadings[EntryGridLogic::kColCount] = {"序号", "客户名称", "客户地址", "连接数据库(名)",
                                                         "连接状态"};

char FirstChar(const std::string& text) { return text.empty() ? '\0' : text.front(); }

// An entry number as the grid takes it: a whole decimal number, blanks around it allowed.
std::optional<int> EntryNumber(const std::string& text) {
  auto value = ParseWholeNumber(TrimBlanks(text));
  if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

}  // namespace

DatabaseLayout LayoutOfEntries(const std::vector<Entry>& entries) {
  const size_t n = entries.size();
  if (n == 0) return DatabaseLayout::StoreLayout;
  const char c1 = FirstChar(entries[0].kind);
  if (n == 1) return c1 == '2' ? DatabaseLayout::ErpLayout : DatabaseLayout::StoreLayout;
  const char c2 = FirstChar(entries[1].kind);
  if (c1 == '1' && c2 == '2') return DatabaseLayout::StoreErpLayout;
  if (c1 == '2' && c2 == '2') return DatabaseLayout::ErpLayout;
  return DatabaseLayout::StoreLayout;
}

EntryGridLogic::EntryGridLogic(StringGrid& grid, IEntryGridHost& host, IEntryList& list, IEntryLinks& links,
                               IDatabase& database, IMessageBoxes& boxes)
    : grid_(grid),
      host_(host),
      list_(list),
      links_(links),
      database_(database),
      boxes_(boxes) {}

EntryGridLogic::~EntryGridLogic() {
  if (!adoConn_) return;
  try {
    connWorker_->Run([&] { adoConn_.reset(); });
  } catch (...) {
  }
}

IConnection& EntryGridLogic::ADOConn() {
  // Made when first used, not at start-up: the provider's objects cost time before the first paint.
  if (!adoConn_) adoConn_ = database_.CreateConnection();
  return *adoConn_;
}

void EntryGridLogic::SetGridHeadings() {
  for (int col = 0; col < kColCount; ++col) grid_.SetCell(col, 0, kHeadings[col]);
}

bool EntryGridLogic::ReadEntryList() {
  EntryListRead read = list_.ReadEntries();
  if (read.status == EntryListRead::Status::Unreadable) {
    FailFill(read.error);
    return false;
  }
  return TakeList(read);
}

bool EntryGridLogic::ReadEntryListAgain() {
  EntryListRead read = list_.ReadEntries();
  if (read.status == EntryListRead::Status::Unreadable) {
    if (read.error != listFault_) {
      listFault_ = read.error;
      host_.ShowMessageWindow(read.error);
    }
    return false;
  }
  listFault_.clear();
  return TakeList(read);
}

bool EntryGridLogic::TakeList(const EntryListRead& read) {
  // The same entries with the same kinds are still the list a refresh under way checks: a
  // customer's new name changes no link. Any other list takes no older result.
  bool sameEntries = read.entries.size() == entries_.size();
  for (size_t i = 0; sameEntries && i < entries_.size(); ++i) {
    const Entry& before = entries_[i].entry;
    sameEntries = before.number == read.entries[i].number && KindOfCode(before.kind) == KindOfCode(read.entries[i].kind);
  }
  if (!sameEntries) ++generation_;
  std::vector<EntryState> taken;
  taken.reserve(read.entries.size());
  for (size_t i = 0; i < read.entries.size(); ++i)
    taken.push_back({read.entries[i], false, sameEntries ? entries_[i].version : 0u});
  entries_.swap(taken);
  layout_ = LayoutOfEntries(read.entries);
  if (read.links) return FillEntryRows(*read.links);
  return FillEntryRows();
}

bool EntryGridLogic::FillEntryRows() {
  std::optional<EntryLinksSnapshot> links;
  try {
    links = links_.ReadEveryEntryLink();
  } catch (...) {
    links = EntryLinksSnapshot();  // settings that cannot be read: no entry has a link
  }
  return FillEntryRows(*links);
}

bool EntryGridLogic::FillEntryRows(const EntryLinksSnapshot& links) {
  try {
    StringGrid::Batch batch(grid_);
    grid_.SetRowCount(EntryCount() + 1);
    for (int row = 1; row <= EntryCount(); ++row) {
      const Entry& entry = entries_[static_cast<size_t>(row - 1)].entry;
      std::optional<int> number = EntryNumber(entry.number);
      if (!number) {
        FailFill("注册项列表第" + std::to_string(row) + "行的序号\"" + entry.number + "\"不是整数，无法显示注册项！");
        return false;
      }
      grid_.SetCell(kNumberCol, row, std::to_string(*number));
      grid_.SetCell(kNameCol, row, entry.name);
      grid_.SetCell(kAddrCol, row, entry.addr);
      grid_.SetCell(kDatabaseCol, row, links.ReadEntryDatabase(*number));
      // The state cell keeps its word until the next ShowLinkStates.
    }
    return true;
  } catch (const std::exception& error) {
    FailFill(std::string("无法显示注册项：") + error.what());
  } catch (...) {
    FailFill("无法显示注册项！");
  }
  return false;
}

void EntryGridLogic::FailFill(const std::string& message) {
  // Timers first: the message window is modal and timer ticks run inside it.
  host_.StopRefreshTimers();
  host_.ShowMessageWindow(message);
  host_.RequestQuit();
}

DatabaseKind EntryGridLogic::KindOfEntry(int entryNo) const {
  if (entryNo < 1 || entryNo > EntryCount()) return DatabaseKind::Store;
  return KindOfCode(EntryAt(entryNo).kind);
}

std::vector<LinkProbe> EntryGridLogic::ProbeEntries(const std::vector<Job>& jobs) {
  std::vector<size_t> linked;
  for (size_t i = 0; i < jobs.size(); ++i)
    if (!jobs[i].connectionString.empty()) linked.push_back(i);

  std::vector<LinkProbe> probes(jobs.size());  // a silent failure unless a check answers
  runner_->RunAll(linked.size(), [&](size_t k) {
    const Job& job = jobs[linked[k]];
    probes[linked[k]] = ProbeLink(database_, job.entryNo, job.connectionString, job.kind);
  });
  return probes;
}

std::optional<LinkHistory::StateNote> EntryGridLogic::HistoryNote(int entryNo, const LinkCheckResult& result) const {
  if (!history_ || entryNo < 1 || entryNo > EntryCount()) return std::nullopt;
  const EntryState& state = entries_[static_cast<size_t>(entryNo - 1)];
  return LinkHistory::StateNote{entryNo, state.entry.name, state.connected, result.ok ? std::string() : result.error};
}

std::vector<EntryGridLogic::Job> EntryGridLogic::JobsForEveryEntry() const {
  std::optional<EntryLinksSnapshot> links;
  try {
    links = links_.ReadEveryEntryLink();
  } catch (...) {
    links = EntryLinksSnapshot();  // settings that cannot be read count as no link
  }
  std::vector<Job> jobs;
  jobs.reserve(entries_.size());
  for (int i = 1; i <= EntryCount(); ++i) {
    Job job{i, KindOfEntry(i), {}};
    try {
      job.connectionString = EntryConnString(*links, i);
    } catch (...) {
    }
    jobs.push_back(std::move(job));
  }
  return jobs;
}

void EntryGridLogic::RefreshEveryEntry(std::string& text) {
  const unsigned generation = generation_;
  const std::vector<LinkProbe> probes = ProbeEntries(JobsForEveryEntry());
  ApplyEveryEntry(probes, generation, nullptr, text);
}

void EntryGridLogic::ApplyEveryEntry(const std::vector<LinkProbe>& probes, unsigned generation,
                                     const std::vector<unsigned>* versions, std::string& text) {
  // A box is modal: the list may be read again while one is open. What is left is then not for
  // the list shown, and stays unapplied.
  auto sameList = [&] { return generation_ == generation && entries_.size() == probes.size(); };
  // Boxes, states and lines in entry order, as when the checks ran one after the other; the
  // history takes the refresh's changes in one write.
  std::vector<LinkHistory::StateNote> notes;
  for (size_t k = 0; k < probes.size() && sameList(); ++k) {
    // Checked again since: that result is newer, and this one's boxes and line are old news.
    if (versions && entries_[k].version != (*versions)[k]) continue;
    const LinkProbe& probe = probes[k];
    ShowPendingBoxes(probe.boxes, boxes_);
    if (!sameList()) break;
    EntryState& state = entries_[k];
    const LinkCheckResult& result = probe.result;
    if (result.ok) {
      state.connected = true;
    } else if (!result.error.empty()) {
      text += "\r\n" + result.error;
      state.connected = false;
    }
    ++state.version;
    if (auto note = HistoryNote(static_cast<int>(k + 1), result)) notes.push_back(std::move(*note));
  }
  if (history_) history_->NoteStates(notes);
}

bool EntryGridLogic::RefreshOneEntry(int entryNo, std::string& text) {
  Job job{entryNo, KindOfEntry(entryNo), {}};
  try {
    job.connectionString = EntryConnString(links_, entryNo);
  } catch (...) {
    // Settings that cannot be read count as no link.
  }
  const LinkProbe probe = std::move(ProbeEntries({job}).front());
  ShowPendingBoxes(probe.boxes, boxes_);
  const LinkCheckResult& result = probe.result;
  const bool known = entryNo >= 1 && entryNo <= EntryCount();
  // Newer than any periodic refresh still under way, whatever it found.
  if (known) ++entries_[static_cast<size_t>(entryNo - 1)].version;
  if (result.ok) {
    if (known) entries_[static_cast<size_t>(entryNo - 1)].connected = true;
    if (auto note = HistoryNote(entryNo, result)) history_->NoteStates({*note});
    return true;
  }
  if (!result.error.empty()) {
    text += "\r\n" + result.error + kRecheckSuffix;
    // A link that just failed never shows as connected, as a full refresh would record it.
    if (known) entries_[static_cast<size_t>(entryNo - 1)].connected = false;
  }
  if (auto note = HistoryNote(entryNo, result)) history_->NoteStates({*note});
  return false;
}

namespace {

// Counts a refresh as under way from its checks to the end of its message window.
class RefreshScope {
 public:
  explicit RefreshScope(int& depth) : depth_(depth) { ++depth_; }
  ~RefreshScope() { --depth_; }
  RefreshScope(const RefreshScope&) = delete;
  RefreshScope& operator=(const RefreshScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

bool EntryGridLogic::RefreshLinkStates(int entryNo, bool showProgress) {
  bool result = false;
  if (entries_.empty()) return result;
  {
    RefreshScope scope(refreshDepth_);
    if (showProgress) host_.ShowProgressWindow(kRefreshNotice, true, true, false, kRefreshEndColour);
    std::string text;
    try {
      if (entryNo == 0) {
        RefreshEveryEntry(text);
      } else {
        result = RefreshOneEntry(entryNo, text);
      }
    } catch (...) {
      // The lines collected so far are still shown.
    }
    if (showProgress) host_.HideProgressWindow();
    host_.ShowMessageWindow(text);
  }
  // A periodic refresh that ended meanwhile shows its results now, not inside this one's.
  if (refreshDepth_ == 0 && finishedPeriodic_) {
    auto finished = std::move(finishedPeriodic_);
    finishedPeriodic_.reset();
    ApplyPeriodicRefresh(finished);
  }
  return result;
}

void EntryGridLogic::ShowLinkStates(int entryNo, int row) {
  if (entryNo == 0 && row == 0) {
    StringGrid::Batch batch(grid_);
    for (int i = 1; i <= EntryCount(); ++i) grid_.SetCell(kStateCol, i, Connected(i) ? kConnected : kDisconnected);
    return;
  }
  const bool connected = entryNo >= 1 && entryNo <= EntryCount() && Connected(entryNo);
  grid_.SetCell(kStateCol, row, connected ? kConnected : kDisconnected);
}

void EntryGridLogic::CheckEveryLink() {
  RefreshLinkStates(0, true);
  if (EntryCount() > 0) ShowLinkStates(0, 0);
}

void EntryGridLogic::WarnUnlinkedEntries() {
  if (entries_.empty() || layout_ == DatabaseLayout::ErpLayout) return;
  std::string text;
  const std::string database = TrimBlanks(grid_.Cell(kDatabaseCol, 1));
  if (database.empty() || database.find("双击") != std::string::npos) text = "注册项[1]未连接数据库!";
  host_.ShowMessageWindow(text);
}

void EntryGridLogic::RgInfoDblClick() {
  const int row = grid_.Row();
  std::optional<int> number;
  if (row >= 1 && row < grid_.RowCount() && !TrimBlanks(grid_.Cell(kNumberCol, 1)).empty()) {
    number = EntryNumber(grid_.Cell(kNumberCol, row));
  }
  if (!number) {
    boxes_.ShowPlain(kSelectEntryMessage);
    return;
  }
  std::string dbName;
  if (!host_.RunLinkDialog(*number, KindOfEntry(*number), dbName)) return;
  // A periodic refresh read a shorter list while the dialog was open: the link stays saved (the
  // operator may be fixing the list), but there is no entry to check it for, nor a kind.
  if (*number < 1 || *number > EntryCount()) {
    host_.ShowMessageWindow("注册项[" + std::to_string(*number) + "]已不在注册项列表中：连接已保存，但未检查!");
    return;
  }
  if (RefreshLinkStates(*number, true)) grid_.SetCell(kDatabaseCol, row, dbName);
  ShowLinkStates(*number, row);
}

// What a periodic refresh's workers share with it: the checks to make and their answers, for the
// list of one generation.
struct EntryGridLogic::PeriodicRefresh {
  unsigned generation = 0;
  std::vector<unsigned> versions;  // every entry's when the refresh began
  std::vector<Job> jobs;
  std::vector<size_t> linked;      // the jobs with a link to check
  std::vector<LinkProbe> probes;   // one per job; a silent failure unless a check answers
};

void EntryGridLogic::Timer3Timer() {
  try {
    // One refresh at a time: a tick while one is under way (its checks, its boxes, its message
    // window, or the operator's) starts nothing; the next tick comes as usual.
    if (periodic_ || refreshDepth_ > 0) return;
    if (!ReadEntryListAgain()) return;
    if (host_.Timer3Enabled()) StartPeriodicRefresh();
  } catch (...) {
    // Timer work never reaches the operator as an error.
  }
}

void EntryGridLogic::StartPeriodicRefresh() {
  if (entries_.empty()) return;  // nothing is checked, shown or reported
  auto refresh = std::make_shared<PeriodicRefresh>();
  refresh->generation = generation_;
  for (const EntryState& state : entries_) refresh->versions.push_back(state.version);
  refresh->jobs = JobsForEveryEntry();
  for (size_t i = 0; i < refresh->jobs.size(); ++i)
    if (!refresh->jobs[i].connectionString.empty()) refresh->linked.push_back(i);
  refresh->probes.resize(refresh->jobs.size());
  periodic_ = refresh;
  IDatabase& database = database_;
  std::weak_ptr<int> alive = alive_;
  runner_->StartAll(
      refresh->linked.size(),
      [refresh, &database](size_t k) {
        const Job& job = refresh->jobs[refresh->linked[k]];
        refresh->probes[refresh->linked[k]] = ProbeLink(database, job.entryNo, job.connectionString, job.kind);
      },
      [this, alive, refresh] {
        if (!alive.expired()) FinishPeriodicRefresh(refresh);
      });
}

void EntryGridLogic::FinishPeriodicRefresh(const std::shared_ptr<PeriodicRefresh>& refresh) {
  if (periodic_ != refresh) return;
  // Another refresh is showing its boxes or its message window: these results come after it.
  if (refreshDepth_ > 0) {
    finishedPeriodic_ = refresh;
    return;
  }
  ApplyPeriodicRefresh(refresh);
}

void EntryGridLogic::ApplyPeriodicRefresh(const std::shared_ptr<PeriodicRefresh>& refresh) {
  try {
    // Results apply only to the list they were checked for.
    if (refresh->generation == generation_ && entries_.size() == refresh->probes.size()) {
      RefreshScope scope(refreshDepth_);
      std::string text;
      ApplyEveryEntry(refresh->probes, refresh->generation, &refresh->versions, text);
      host_.ShowMessageWindow(text);
      if (refresh->generation == generation_) ShowLinkStates(0, 0);
    }
  } catch (...) {
    // Timer work never reaches the operator as an error.
  }
  if (periodic_ == refresh) periodic_.reset();
}

void EntryGridLogic::OnADOConn(const std::function<void(IConnection&)>& work) {
  connWorker_->Run([&] { work(ADOConn()); });
}

bool EntryGridLogic::OpenEntryConnection(int entryNo) {
  const std::string connectionString = EntryConnString(links_, entryNo);
  if (connectionString.empty()) return false;
  try {
    OnADOConn([&](IConnection& connection) {
      connection.Close();
      connection.Open(connectionString);
    });
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace teshmar
