#include "links/ParallelChecks.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace teshmar {

namespace {

void RunOne(const std::function<void(size_t)>& work, size_t index) {
  try {
    work(index);
  } catch (...) {
    // The work reports its own failures; anything else must not end a worker or the refresh.
  }
}

}  // namespace

void InlineCheckRunner::RunAll(size_t count, const std::function<void(size_t)>& work) {
  for (size_t i = 0; i < count; ++i) RunOne(work, i);
}

struct PlainCheckThreading::Impl {
  std::mutex mutex;
  std::condition_variable woken;
};

PlainCheckThreading::PlainCheckThreading() : impl_(new Impl) {}
PlainCheckThreading::~PlainCheckThreading() { delete impl_; }

void* PlainCheckThreading::StartThread(std::function<void()> body) {
  try {
    return new std::thread(std::move(body));
  } catch (...) {
    return nullptr;
  }
}

void PlainCheckThreading::JoinThread(void* thread) {
  auto* running = static_cast<std::thread*>(thread);
  running->join();
  delete running;
}

void PlainCheckThreading::WaitUntil(const std::function<bool()>& finished) {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  impl_->woken.wait(lock, finished);
}

void PlainCheckThreading::Wake() {
  // Taken so that a wake between the waiter's test and its sleep is not lost.
  { std::lock_guard<std::mutex> lock(impl_->mutex); }
  impl_->woken.notify_all();
}

void ThreadedCheckRunner::RunAll(size_t count, const std::function<void(size_t)>& work) {
  if (count == 0) return;
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  auto worker = [&] {
    threading_.EnterWorker();
    for (size_t i = next++; i < count; i = next++) {
      RunOne(work, i);
      ++done;
      threading_.Wake();
    }
    threading_.LeaveWorker();
  };

  std::vector<void*> threads;
  const size_t wanted = std::min(count, maxAtOnce_);
  threads.reserve(wanted);
  for (size_t t = 0; t < wanted; ++t) {
    void* thread = threading_.StartThread(worker);
    if (!thread) break;  // fewer threads than wanted: those that started take the rest
    threads.push_back(thread);
  }
  if (threads.empty()) {
    // No thread at all could be started: the checks still run, one after the other.
    InlineCheckRunner().RunAll(count, work);
    return;
  }
  threading_.WaitUntil([&] { return done.load() == count; });
  for (void* thread : threads) threading_.JoinThread(thread);
}

}  // namespace teshmar
