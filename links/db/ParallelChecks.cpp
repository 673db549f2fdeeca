#include "links/db/ParallelChecks.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace teshmar {

namespace {

std::atomic<size_t> runningWorkers{0};

void RunOne(const std::function<void(size_t)>& work, size_t index) {
  try {
    work(index);
  } catch (...) {
    // The work reports its own failures; anything else must not end a worker or the refresh.
  }
}

// Starts a worker that counts among the running ones until its body has returned.
void* StartCounted(ICheckThreading& threading, std::function<void()> body) {
  ++runningWorkers;
  void* thread = threading.StartThread([body = std::move(body)] {
    body();
    --runningWorkers;
  });
  if (!thread) --runningWorkers;
  return thread;
}

// What the workers of one run share; each of them keeps it alive for as long as it runs.
struct Batch {
  size_t count = 0;
  std::function<void(size_t)> work;
  std::atomic<size_t> next{0};
  std::atomic<size_t> done{0};
  std::atomic<size_t> active{0};      // workers that have not yet left
  std::function<void()> onFinished;  // called by the last worker to leave, as its last act
};

void Work(const std::shared_ptr<Batch>& batch, ICheckThreading& threading) {
  threading.EnterWorker();
  for (size_t i = batch->next++; i < batch->count; i = batch->next++) {
    RunOne(batch->work, i);
    ++batch->done;
    threading.Wake();
  }
  threading.LeaveWorker();
  // Every call has returned and no worker uses the threading any more: whoever is told may go.
  if (--batch->active == 0 && batch->onFinished) batch->onFinished();
}

std::vector<void*> StartWorkers(ICheckThreading& threading, const std::shared_ptr<Batch>& batch, size_t wanted) {
  std::vector<void*> threads;
  threads.reserve(wanted);
  batch->active = wanted;
  for (size_t t = 0; t < wanted; ++t) {
    void* thread = StartCounted(threading, [batch, &threading] { Work(batch, threading); });
    if (!thread) break;  // fewer threads than wanted: those that started take the rest
    threads.push_back(thread);
  }
  // Those that did not start leave at once; when the others have all left already, it falls to here.
  const size_t missing = wanted - threads.size();
  if (missing > 0 && !threads.empty() && batch->active.fetch_sub(missing) == missing && batch->onFinished)
    batch->onFinished();
  return threads;
}

}  // namespace

size_t ProviderWorkersRunning() { return runningWorkers.load(); }

void InlineCheckRunner::RunAll(size_t count, const std::function<void(size_t)>& work) {
  for (size_t i = 0; i < count; ++i) RunOne(work, i);
}

void InlineCheckRunner::StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) {
  RunAll(count, work);
  if (done) done();
}

struct PlainCheckThreading::Impl {
  std::mutex mutex;
  std::condition_variable woken;
  std::deque<std::function<void()>> posted;
};

PlainCheckThreading::PlainCheckThreading() : impl_(std::make_shared<Impl>()) {}
PlainCheckThreading::~PlainCheckThreading() = default;

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

void PlainCheckThreading::ReleaseThread(void* thread) {
  auto* running = static_cast<std::thread*>(thread);
  running->detach();
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

void PlainCheckThreading::Post(std::function<void()> work) {
  // Held here: once the work is in, the owner may run it and be gone before this returns.
  const std::shared_ptr<Impl> impl = impl_;
  {
    std::lock_guard<std::mutex> lock(impl->mutex);
    impl->posted.push_back(std::move(work));
  }
  impl->woken.notify_all();
}

bool PlainCheckThreading::RunPostedUntil(const std::function<bool()>& until, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!until()) {
    std::deque<std::function<void()>> ready;
    {
      std::unique_lock<std::mutex> lock(impl_->mutex);
      if (!impl_->woken.wait_until(lock, end, [&] { return !impl_->posted.empty(); })) return until();
      ready.swap(impl_->posted);
    }
    for (auto& work : ready) work();
  }
  return true;
}

void ThreadedCheckRunner::RunAll(size_t count, const std::function<void(size_t)>& work) {
  if (count == 0) return;
  auto batch = std::make_shared<Batch>();
  batch->count = count;
  batch->work = [&work](size_t i) { work(i); };  // the workers are joined before `work` goes
  const std::vector<void*> threads = StartWorkers(threading_, batch, std::min(count, maxAtOnce_));
  if (threads.empty()) {
    // No thread at all could be started: the checks still run, one after the other.
    InlineCheckRunner().RunAll(count, work);
    return;
  }
  threading_.WaitUntil([&] { return batch->done.load() == count; });
  for (void* thread : threads) threading_.JoinThread(thread);
}

void ThreadedCheckRunner::StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) {
  auto batch = std::make_shared<Batch>();
  batch->count = count;
  batch->work = std::move(work);
  ICheckThreading* threading = &threading_;
  batch->onFinished = [threading, done] { threading->Post(done); };
  if (count == 0) {
    threading_.Post(std::move(done));
    return;
  }
  const std::vector<void*> threads = StartWorkers(threading_, batch, std::min(count, maxAtOnce_));
  for (void* thread : threads) threading_.ReleaseThread(thread);
  if (threads.empty()) {
    InlineCheckRunner().RunAll(count, batch->work);
    threading_.Post(std::move(done));
  }
}

struct ProviderThread::State {
  std::mutex mutex;
  std::condition_variable changed;
  const std::function<void()>* job = nullptr;  // the caller's, valid while its Run waits
  bool finished = false;
  bool stop = false;
  std::exception_ptr error;
};

ProviderThread::ProviderThread(ICheckThreading& threading)
    : threading_(threading), state_(std::make_shared<State>()) {}

ProviderThread::~ProviderThread() {
  if (!thread_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stop = true;
  }
  state_->changed.notify_all();
  threading_.JoinThread(thread_);
}

void ProviderThread::Run(const std::function<void()>& work) {
  if (!thread_) {
    thread_ = threading_.StartThread([state = state_, &threading = threading_] {
      threading.EnterWorker();
      std::unique_lock<std::mutex> lock(state->mutex);
      for (;;) {
        state->changed.wait(lock, [&] { return state->job || state->stop; });
        if (state->stop) break;
        const std::function<void()>* job = state->job;
        lock.unlock();
        std::exception_ptr error;
        try {
          (*job)();
        } catch (...) {
          error = std::current_exception();
        }
        lock.lock();
        state->job = nullptr;
        state->error = error;
        state->finished = true;
        lock.unlock();
        threading.Wake();
        lock.lock();
      }
      lock.unlock();
      threading.LeaveWorker();
    });
    if (!thread_) {
      work();  // no thread to be had: the work still runs, here
      return;
    }
  }
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->job = &work;
    state_->finished = false;
    state_->error = nullptr;
  }
  state_->changed.notify_all();
  threading_.WaitUntil([&] {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->finished;
  });
  std::exception_ptr error;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    error = state_->error;
    state_->error = nullptr;
  }
  if (error) std::rethrow_exception(error);
}

}  // namespace teshmar
