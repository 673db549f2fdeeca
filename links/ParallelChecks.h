#pragma once
#include <cstddef>
#include <functional>

namespace teshmar {

// Runs the checks of one refresh.
class ICheckRunner {
 public:
  virtual ~ICheckRunner() = default;
  // Calls work(i) once for every i below count and returns when every call has returned. An error
  // that escapes a call is dropped; the call counts as done.
  virtual void RunAll(size_t count, const std::function<void(size_t)>& work) = 0;
};

// One after the other on the calling thread.
class InlineCheckRunner : public ICheckRunner {
 public:
  void RunAll(size_t count, const std::function<void(size_t)>& work) override;
};

// What the threads of a side-by-side refresh need of the platform.
class ICheckThreading {
 public:
  virtual ~ICheckThreading() = default;
  // Starts a thread that runs body, with a stack sized for a check; nullptr when none can start.
  virtual void* StartThread(std::function<void()> body) = 0;
  // Waits for a started thread to end and lets it go.
  virtual void JoinThread(void* thread) = 0;
  // On each worker thread, before its first check and after its last (its COM apartment).
  virtual void EnterWorker() {}
  virtual void LeaveWorker() {}
  // On the calling thread: returns once finished() holds, testing it again after every Wake.
  virtual void WaitUntil(const std::function<bool()>& finished) = 0;
  // From any thread, after a check has ended.
  virtual void Wake() = 0;
};

// Waits on a condition variable: threads with nothing else to do.
class PlainCheckThreading : public ICheckThreading {
 public:
  PlainCheckThreading();
  ~PlainCheckThreading() override;
  void* StartThread(std::function<void()> body) override;
  void JoinThread(void* thread) override;
  void WaitUntil(const std::function<bool()>& finished) override;
  void Wake() override;

 private:
  struct Impl;
  Impl* impl_;
};

// The checks side by side, on at most maxAtOnce worker threads started for this run and joined
// before it returns, so no thread outlives a refresh.
//
// A check ends when its provider answers or the provider's own connection time-out passes, so a
// refresh costs about its slowest check, as long as no more than kMaxAtOnce of its checks are
// slow: a check spends its time waiting for a server, so a thread of its own is all it costs.
// 512 workers with a stack of kWorkerStackBytes reserved each take 128 MiB of address space,
// which a 32-bit console can spare beside its connections, and cover the closed sites of any
// chain at night but the very largest. Past the bound the further checks wait for a free worker,
// each slow group of 512 adding one time-out: 1500 unreachable servers cost three. A provider that ignores its time-out holds its worker,
// and the refresh with it, until it returns: the waiting thread keeps repainting its windows but
// handles nothing else, as when the checks ran on it one by one. A worker is never abandoned,
// because the check it runs still uses the database and the results the refresh lends it.
class ThreadedCheckRunner : public ICheckRunner {
 public:
  static constexpr size_t kMaxAtOnce = 512;
  // Enough for the provider's calls on a worker (ADO, OLE DB, the network library), with room to
  // spare; a quarter of the default thread's.
  static constexpr size_t kWorkerStackBytes = 256 * 1024;

  explicit ThreadedCheckRunner(ICheckThreading& threading, size_t maxAtOnce = kMaxAtOnce)
      : threading_(threading), maxAtOnce_(maxAtOnce == 0 ? 1 : maxAtOnce) {}
  void RunAll(size_t count, const std::function<void(size_t)>& work) override;

 private:
  ICheckThreading& threading_;
  size_t maxAtOnce_;
};

}  // namespace teshmar
