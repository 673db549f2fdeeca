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
// refresh costs about its slowest check. A provider that ignores its time-out holds its worker,
// and the refresh with it, until it returns: the waiting thread keeps repainting its windows but
// handles nothing else, as when the checks ran on it one by one. A worker is never abandoned,
// because the check it runs still uses the database and the results the refresh lends it.
class ThreadedCheckRunner : public ICheckRunner {
 public:
  static constexpr size_t kMaxAtOnce = 16;

  explicit ThreadedCheckRunner(ICheckThreading& threading, size_t maxAtOnce = kMaxAtOnce)
      : threading_(threading), maxAtOnce_(maxAtOnce == 0 ? 1 : maxAtOnce) {}
  void RunAll(size_t count, const std::function<void(size_t)>& work) override;

 private:
  ICheckThreading& threading_;
  size_t maxAtOnce_;
};

}  // namespace teshmar
