#include "links/db/ParallelChecks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "links/db/LinkCheck.h"
#include "support/FakeDatabase.h"
#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

// Counts the workers and where they are, around the plain condition-variable wait.
class CountingThreading : public PlainCheckThreading {
 public:
  void EnterWorker() override {
    ++entered;
    std::lock_guard<std::mutex> lock(mutex);
    threads.insert(std::this_thread::get_id());
  }
  void LeaveWorker() override { ++left; }
  std::atomic<int> entered{0};
  std::atomic<int> left{0};
  std::mutex mutex;
  std::set<std::thread::id> threads;
};

TEST(ThreadedCheckRunnerTest, EveryIndexOnceOnAtMostTheGivenWorkers) {
  struct Case {
    size_t count, maxAtOnce;
    int workers;
  };
  for (const Case& c : {Case{0, 16, 0}, Case{1, 16, 1}, Case{5, 16, 5}, Case{40, 16, 16}, Case{40, 3, 3}}) {
    SCOPED_TRACE(c.count);
    CountingThreading threading;
    ThreadedCheckRunner runner(threading, c.maxAtOnce);
    std::vector<std::atomic<int>> calls(c.count);
    std::atomic<int> running{0}, peak{0};
    runner.RunAll(c.count, [&](size_t i) {
      const int now = ++running;
      for (int seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
      }
      ++calls[i];
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      --running;
      if (i % 7 == 3) throw std::runtime_error("a check that raises");
      if (i % 7 == 5) throw 42;  // not even an exception class
    });
    for (size_t i = 0; i < c.count; ++i) EXPECT_EQ(calls[i].load(), 1) << i;
    EXPECT_EQ(threading.entered.load(), c.workers);
    EXPECT_EQ(threading.left.load(), c.workers);
    EXPECT_LE(peak.load(), static_cast<int>(c.maxAtOnce));
    EXPECT_FALSE(threading.threads.count(std::this_thread::get_id()));
  }
}

TEST(InlineCheckRunnerTest, InOrderOnTheCallingThread) {
  InlineCheckRunner runner;
  std::vector<size_t> order;
  const std::thread::id caller = std::this_thread::get_id();
  runner.RunAll(4, [&](size_t i) {
    EXPECT_EQ(std::this_thread::get_id(), caller);
    order.push_back(i);
    if (i == 1) throw std::runtime_error("raised");
  });
  EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3}));
}

TEST(ProbeLinkTest, KeepsTheBoxesCheckLinkWouldShow) {
  testing::FakeDatabase db;
  const std::string cs = "Provider=SQLOLEDB.1;Data Source=10.0.0.4";
  db.RefuseOn(cs, MarkerQuery(DatabaseKind::Erp));
  LinkProbe probe = ProbeLink(db, 4, cs, DatabaseKind::Erp);
  EXPECT_FALSE(probe.result.ok);
  EXPECT_EQ(probe.result.error, "注册项[4]连接数据库非正确的ERP库!");
  ASSERT_EQ(probe.boxes.size(), 1u);
  EXPECT_EQ(probe.boxes[0].text, std::string("无法在ＳＱＬ服务器上查询数据？\r") + MarkerQuery(DatabaseKind::Erp));
  EXPECT_EQ(probe.boxes[0].caption, "提示");
  EXPECT_EQ(probe.boxes[0].flags, mb::kOk);
  EXPECT_TRUE(db.AllReleased());

  // CheckLink shows the same box, the same way.
  testing::FakeMessageBoxes boxes;
  EXPECT_EQ(CheckLink(db, boxes, 4, cs, DatabaseKind::Erp).error, probe.result.error);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, probe.boxes[0].text);
  EXPECT_EQ(boxes.shown[0].owner, probe.boxes[0].owner);

  // A check that raises an error that is not the database's lets it through, with everything released.
  db.RaiseOn(cs);
  EXPECT_THROW(ProbeLink(db, 4, cs, DatabaseKind::Erp), testing::FakeDatabase::Raised);
  EXPECT_TRUE(db.AllReleased());
}

}  // namespace
}  // namespace teshmar
