// A refresh of every entry against the scripted fake: one after the other (as before) and side by
// side. Twenty entries of which five take 2 s to connect; two hundred that all answer at once.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "links/db/ConnString.h"
#include "links/grid/EntryGridLogic.h"
#include "links/db/ParallelChecks.h"
#include "support/FakeDatabase.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"

namespace {

using namespace teshmar;

class QuietHost : public IEntryGridHost {
 public:
  void ShowMessageWindow(const std::string&) override {}
  void ShowProgressWindow(const std::string&, bool, bool, bool, unsigned) override {}
  void HideProgressWindow() override {}
  bool RunLinkDialog(int, DatabaseKind, std::string&) override { return false; }
  bool Timer3Enabled() override { return true; }
  void StopRefreshTimers() override {}
  void RequestQuit() override {}
};

class ListOf : public IEntryList {
 public:
  explicit ListOf(int count) {
    read.status = EntryListRead::Status::Ok;
    for (int i = 1; i <= count; ++i) read.entries.push_back({std::to_string(i), "店", "址", "1"});
  }
  EntryListRead ReadEntries() override { return read; }
  bool StoreCustomer(int, const std::string&, const std::string&) override { return false; }
  EntryListRead read;
};

void BM_Refresh(benchmark::State& state, int entries, int slowEvery, int slowMs, bool sideBySide) {
  testing::FakeDatabase db;
  testing::FakeEntryLinks links;
  testing::FakeMessageBoxes boxes;
  for (int i = 1; i <= entries; ++i) {
    LinkSettings link;
    link.serverName = "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256);
    link.database = "Db" + std::to_string(i);
    link.loginName = "sa";
    links.links[i] = link;
    const std::string cs = EntryConnString(links, i);
    db.AnswerOn(cs, MarkerQuery(DatabaseKind::Store), {{{"name", "Base"}}});
    if (slowEvery > 0 && i % slowEvery == 0) db.DelayConnection(cs, slowMs);
  }
  StringGrid grid(EntryGridLogic::kColCount);
  QuietHost host;
  ListOf list(entries);
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  EntryGridLogic logic(grid, host, list, links, db, boxes);
  if (sideBySide) logic.SetCheckRunner(runner);
  logic.ReadEntryList();
  for (auto _ : state) {
    logic.RefreshLinkStates(0, false);
    db.ClearRecords();
  }
}

BENCHMARK_CAPTURE(BM_Refresh, twenty_five_slow_one_by_one, 20, 4, 2000, false)
    ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Refresh, twenty_five_slow_side_by_side, 20, 4, 2000, true)
    ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Refresh, two_hundred_at_once_one_by_one, 200, 0, 0, false)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Refresh, two_hundred_at_once_side_by_side, 200, 0, 0, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
