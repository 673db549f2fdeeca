// The periodic refresh that holds nothing: one at a time, results only for their own list and never
// over a newer one, no refresh inside another's boxes, and an end that waits for no provider.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "links/grid/EntryGridLogic.h"
#include "links/db/ParallelChecks.h"
#include "support/GridWorld.h"

namespace teshmar {
namespace {

using testing::FakeDatabase;
using testing::MakeEntry;
using testing::RefreshWorld;

// Runs the first show's and the re-check's calls at once; holds a periodic refresh's started calls
// until the test lets them run and end, as workers and the message loop would later.
class HeldRunner : public InlineCheckRunner {
 public:
  void StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) override {
    ++started;
    held.push_back({count, std::move(work), std::move(done)});
  }
  // The oldest started calls run, then their end is told.
  void Finish() {
    ASSERT_FALSE(held.empty());
    Batch batch = std::move(held.front());
    held.erase(held.begin());
    for (size_t i = 0; i < batch.count; ++i) batch.work(i);
    batch.done();
  }
  struct Batch {
    size_t count;
    std::function<void(size_t)> work;
    std::function<void()> done;
  };
  std::vector<Batch> held;
  int started = 0;
};

std::vector<std::string> StateColumn(const StringGrid& grid) {
  std::vector<std::string> cells;
  for (int row = 1; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(EntryGridLogic::kStateCol, row));
  return cells;
}

// A grid whose list has been read, its periodic refreshes held by the runner, and each entry's
// link answering as the outcome letters say (see RefreshWorld).
struct HeldWorld : RefreshWorld {
  explicit HeldWorld(const std::string& outcomes) : RefreshWorld(outcomes.size()) {
    logic.SetCheckRunner(runner);
    EXPECT_TRUE(logic.ReadEntryList());
    for (size_t i = 0; i < outcomes.size(); ++i) Script(static_cast<int>(i + 1), outcomes[i], 0);
  }
  HeldRunner runner;
};

TEST(PeriodicRefreshTest, ATickWhileOneRunsStartsNothing) {
  HeldWorld world("PUP");
  HeldRunner& runner = world.runner;

  world.logic.Timer3Timer();
  ASSERT_EQ(runner.started, 1);
  EXPECT_TRUE(world.logic.PeriodicRefreshRunning());
  const int reads = world.list.reads;
  // Its checks have not ended: the next ticks read nothing and check nothing.
  world.logic.Timer3Timer();
  world.logic.Timer3Timer();
  EXPECT_EQ(runner.started, 1);
  EXPECT_EQ(world.list.reads, reads);
  EXPECT_TRUE(world.host.log.empty());

  runner.Finish();
  EXPECT_FALSE(world.logic.PeriodicRefreshRunning());
  EXPECT_EQ(world.host.log, (std::vector<std::string>{"message \r\n注册项[2]连接数据库出错!"}));
  EXPECT_EQ(StateColumn(world.grid), (std::vector<std::string>{"连接", "断开", "连接"}));
  // Ended: the next tick refreshes again.
  world.logic.Timer3Timer();
  EXPECT_EQ(runner.started, 2);
  EXPECT_EQ(world.list.reads, reads + 1);
}

TEST(PeriodicRefreshTest, ANewerResultWins) {
  HeldWorld world("UUP");
  HeldRunner& runner = world.runner;
  world.logic.Timer3Timer();
  // The periodic checks find entries 1 and 2 down, but have not ended yet...
  HeldRunner::Batch batch = runner.held.front();
  for (size_t i = 0; i < batch.count; ++i) batch.work(i);
  // ... when the operator fixes entry 2 and its re-check passes.
  world.db = FakeDatabase();
  world.Script(2, 'P', 0);
  world.host.dialogResult = "Db2";
  world.grid.SetRow(2);
  world.logic.RgInfoDblClick();
  ASSERT_TRUE(world.logic.Connected(2));
  world.host.log.clear();

  batch.done();
  EXPECT_TRUE(world.logic.Connected(2));
  EXPECT_FALSE(world.logic.Connected(1));
  EXPECT_TRUE(world.logic.Connected(3));
  // Entry 2's older line is not told either.
  EXPECT_EQ(world.host.log, (std::vector<std::string>{"message \r\n注册项[1]连接数据库出错!"}));
  EXPECT_EQ(StateColumn(world.grid), (std::vector<std::string>{"断开", "连接", "连接"}));
}

TEST(PeriodicRefreshTest, ResultsApplyOnlyToTheListTheyWereCheckedFor) {
  struct Case {
    const char* what;
    std::vector<Entry> after;  // the list read again while the checks run
    bool applied;
  };
  Entry renamed = MakeEntry(2);
  renamed.name = "新名";
  renamed.addr = "新址";
  const Case cases[] = {
      {"a customer's new name: still the list checked", {MakeEntry(1), renamed, MakeEntry(3)}, true},
      {"a longer list", {MakeEntry(1), MakeEntry(2), MakeEntry(3), MakeEntry(4)}, false},
      {"a shorter list", {MakeEntry(1)}, false},
      {"no entry left", {}, false},
      {"another kind for entry 3", {MakeEntry(1), MakeEntry(2), MakeEntry(3, "2")}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
      HeldWorld world("PUP");
    HeldRunner& runner = world.runner;
    world.logic.Timer3Timer();
    // The customer dialog reads the list again while the checks run.
    world.list.Set(c.after);
    ASSERT_TRUE(world.logic.ReadEntryList());
    runner.Finish();
    EXPECT_FALSE(world.logic.PeriodicRefreshRunning());
    if (c.applied) {
      EXPECT_EQ(world.host.log, (std::vector<std::string>{"message \r\n注册项[2]连接数据库出错!"}));
      EXPECT_EQ(StateColumn(world.grid), (std::vector<std::string>{"连接", "断开", "连接"}));
    } else {
      EXPECT_TRUE(world.host.log.empty());  // no message, no state written
      for (int i = 1; i <= world.logic.EntryCount(); ++i) EXPECT_FALSE(world.logic.Connected(i)) << i;
      for (const std::string& cell : StateColumn(world.grid)) EXPECT_EQ(cell, "");
    }
  }
}

// A refresh's box of a refused marker query is modal: what may happen while it is open must not
// start a second refresh, nor apply the rest of the first one to rows of another list.
TEST(PeriodicRefreshTest, NothingReentersARefreshShowingItsBoxes) {
  struct Case {
    const char* what;
    size_t entriesAfter;  // the list that a tick inside the box would read
  };
  for (const Case& c : {Case{"list grown", 8}, Case{"list shrunk", 2}, Case{"list emptied", 0}}) {
    SCOPED_TRACE(c.what);
    RefreshWorld world(4);
    ASSERT_TRUE(world.logic.ReadEntryList());
    world.Script(1, 'R', 0);
    world.Script(2, 'U', 0);
    world.Script(3, 'R', 0);
    world.Script(4, 'P', 0);
    std::vector<Entry> entries;
    for (size_t i = 1; i <= c.entriesAfter; ++i) entries.push_back(MakeEntry(static_cast<int>(i)));
    world.list.Set(entries);
    int boxes = 0;
    world.boxes.onShow = [&](const std::string&) {
      ++boxes;
      const size_t attempts = world.db.connectionStrings().size();
      world.logic.Timer3Timer();  // a tick inside the box
      world.logic.Timer4Timer();
      EXPECT_EQ(world.db.connectionStrings().size(), attempts);  // nothing checked inside
    };
    const int reads = world.list.reads;
    world.logic.RefreshLinkStates(0, true);
    world.logic.ShowLinkStates(0, 0);
    EXPECT_EQ(boxes, 2);  // the refresh's own two boxes, and no nested one
    EXPECT_EQ(world.list.reads, reads);
    EXPECT_EQ(world.host.log.back(),
              "message \r\n注册项[1]连接数据库非正确的门店库!\r\n注册项[2]连接数据库出错!\r\n注册项[3]连接数据库非正确的门店库!");
    EXPECT_EQ(StateColumn(world.grid), (std::vector<std::string>{"断开", "断开", "断开", "连接"}));
    EXPECT_TRUE(world.db.AllReleased());
  }
}

// Should the list be read again inside a box all the same, the rest of the results are dropped.
TEST(PeriodicRefreshTest, AListReadInsideABoxTakesNoOldResults) {
  for (size_t after : {size_t{8}, size_t{2}, size_t{0}}) {
    SCOPED_TRACE(after);
    RefreshWorld world(4);
    ASSERT_TRUE(world.logic.ReadEntryList());
    world.Script(1, 'R', 0);
    world.Script(2, 'U', 0);
    world.Script(3, 'R', 0);
    world.Script(4, 'P', 0);
    std::vector<Entry> entries;
    for (size_t i = 1; i <= after; ++i) entries.push_back(MakeEntry(static_cast<int>(i)));
    world.list.Set(entries);
    world.boxes.onShow = [&](const std::string&) { ASSERT_TRUE(world.logic.ReadEntryList()); };
    world.logic.RefreshLinkStates(0, true);
    EXPECT_EQ(world.boxes.shown.size(), 1u);
    for (int i = 1; i <= world.logic.EntryCount(); ++i) EXPECT_FALSE(world.logic.Connected(i)) << i;
    EXPECT_EQ(world.host.log.back(), "message ");  // the first entry's line was not reached
  }
}

// A periodic refresh that ends while the first show's or the dialog's refresh shows its message
// comes after it, never inside.
TEST(PeriodicRefreshTest, EndingInsideAnotherRefreshWaitsForIt) {
  HeldRunner runner;
  RefreshWorld world(2);
  world.logic.SetCheckRunner(runner);
  ASSERT_TRUE(world.logic.ReadEntryList());
  world.Script(1, 'U', 0);
  world.Script(2, 'R', 0);
  world.logic.Timer3Timer();
  bool inside = true;
  world.boxes.onShow = [&](const std::string&) {
    if (inside && !runner.held.empty()) runner.Finish();  // its end is told while the box is open
  };
  world.grid.SetRow(2);
  world.host.dialogResult = "Db2";
  world.logic.RgInfoDblClick();
  inside = false;
  // The re-check's message first, then the periodic refresh's, once the other was done.
  ASSERT_GE(world.host.log.size(), 2u);
  EXPECT_EQ(world.host.log[world.host.log.size() - 2], "message \r\n注册项[2]连接数据库非正确的门店库!连接数据库出错!");
  EXPECT_EQ(world.host.log.back(), "message \r\n注册项[1]连接数据库出错!");
  EXPECT_FALSE(world.logic.PeriodicRefreshRunning());
}

// Closing the console during a slow periodic check: the grid goes at once, its workers end on their
// own later, and what they tell then finds nobody.
TEST(PeriodicRefreshTest, EndingDuringAChecksWaitsForNoProvider) {
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  // Everything but the grid's logic outlives it, as the program's objects outlive the main window.
  RefreshWorld world(3);
  auto logic = std::make_unique<EntryGridLogic>(world.grid, world.host, world.list, world.links, world.db, world.boxes);
  logic->SetCheckRunner(runner);
  ASSERT_TRUE(logic->ReadEntryList());
  world.Script(1, 'P', 0);
  world.Script(2, 'U', 1500);
  world.Script(3, 'P', 1500);
  logic->Timer3Timer();
  ASSERT_TRUE(logic->PeriodicRefreshRunning());
  logic.reset();
  // Gone while two checks still wait for their server.
  EXPECT_GT(ProviderWorkersRunning(), 0u);
  // Later the workers end by themselves, release what they made, and their end is told to nobody.
  ASSERT_TRUE(threading.RunPostedUntil([] { return ProviderWorkersRunning() == 0; }, 30000));
  threading.RunPostedUntil([] { return false; }, 100);
  EXPECT_TRUE(world.host.log.empty());
  EXPECT_EQ(world.grid.Cell(EntryGridLogic::kStateCol, 1), "");
  EXPECT_EQ(world.db.connectionStrings().size(), 3u);
  EXPECT_TRUE(world.db.AllReleased());
}

}  // namespace
}  // namespace teshmar
