#pragma once
#include <cstddef>
#include <functional>
#include <memory>

namespace teshmar {

// Runs the checks of one refresh.
class ICheckRunner {
 public:
  virtual ~ICheckRunner() = default;
  // Calls work(i) once for every i below count and returns when every call has returned. An error
  // that escapes a call is dropped; the call counts as done.
  virtual void RunAll(size_t count, const std::function<void(size_t)>& work) = 0;
  // The same calls, started without waiting for them: `done` runs later on this thread, from its
  // message loop, once every call has returned (at once, inside StartAll, for a runner that
  // cannot wait elsewhere). What the calls use must stay alive until then: give them shared data.
  virtual void StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) = 0;
};

// One after the other on the calling thread.
class InlineCheckRunner : public ICheckRunner {
 public:
  void RunAll(size_t count, const std::function<void(size_t)>& work) override;
  void StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) override;
};

// What the threads of provider work need of the platform. This is the console's one mechanism for
// "run this on a worker while this thread keeps answering": the refresh's checks and every other
// provider call (the link dialog's, the customer button's) go through it.
class ICheckThreading {
 public:
  virtual ~ICheckThreading() = default;
  // Starts a thread that runs body, with a stack sized for provider work; nullptr when none can start.
  virtual void* StartThread(std::function<void()> body) = 0;
  // Waits for a started thread to end and lets it go.
  virtual void JoinThread(void* thread) = 0;
  // Lets a started thread go without waiting for it; it ends by itself.
  virtual void ReleaseThread(void* thread) = 0;
  // On each worker thread, before its first piece of work and after its last (its COM apartment).
  virtual void EnterWorker() {}
  virtual void LeaveWorker() {}
  // On the calling thread: returns once finished() holds, testing it again after every Wake. The
  // console's thread keeps painting and answering what other programs send meanwhile, but runs
  // none of its own handlers.
  virtual void WaitUntil(const std::function<bool()>& finished) = 0;
  // From any thread, after a piece of work has ended.
  virtual void Wake() = 0;
  // From any thread: `work` is run on the thread that made this object, from its message loop.
  virtual void Post(std::function<void()> work) = 0;
};

// Waits on a condition variable: threads with nothing else to do. What is posted waits until the
// owner runs it with RunPosted, as a message loop would.
class PlainCheckThreading : public ICheckThreading {
 public:
  PlainCheckThreading();
  ~PlainCheckThreading() override;
  void* StartThread(std::function<void()> body) override;
  void JoinThread(void* thread) override;
  void ReleaseThread(void* thread) override;
  void WaitUntil(const std::function<bool()>& finished) override;
  void Wake() override;
  void Post(std::function<void()> work) override;
  // Runs what was posted, waiting for it until `until` holds; false when it still did not after timeoutMs.
  bool RunPostedUntil(const std::function<bool()>& until, int timeoutMs = 60000);

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

// The checks side by side, on at most maxAtOnce worker threads started for this run.
//
// A check ends when its provider answers or the provider's own connection time-out passes, so a
// refresh costs about its slowest check, as long as no more than kMaxAtOnce of its checks are
// slow: a check spends its time waiting for a server, so a thread of its own is all it costs.
// 512 workers with a stack of kWorkerStackBytes reserved each take 128 MiB of address space,
// which a 32-bit console can spare beside its connections, and cover the closed sites of any
// chain at night but the very largest. Past the bound the further checks wait for a free worker,
// each slow group of 512 adding one time-out: 1500 unreachable servers cost three.
//
// RunAll joins its workers before it returns. StartAll's workers hold what they use (the calls and
// the count) themselves and end on their own; a provider that ignores its time-out holds only its
// worker, and the program may end meanwhile without waiting for it.
class ThreadedCheckRunner : public ICheckRunner {
 public:
  static constexpr size_t kMaxAtOnce = 512;
  // Enough for the provider's calls on a worker (ADO, OLE DB, the network library), with room to
  // spare; a quarter of the default thread's.
  static constexpr size_t kWorkerStackBytes = 256 * 1024;

  explicit ThreadedCheckRunner(ICheckThreading& threading, size_t maxAtOnce = kMaxAtOnce)
      : threading_(threading), maxAtOnce_(maxAtOnce == 0 ? 1 : maxAtOnce) {}
  void RunAll(size_t count, const std::function<void(size_t)>& work) override;
  void StartAll(size_t count, std::function<void(size_t)> work, std::function<void()> done) override;

 private:
  ICheckThreading& threading_;
  size_t maxAtOnce_;
};

// Where provider calls run that use objects made by earlier calls (a dialog's connections stay
// open between its buttons, the main window's ADOConn across the customer dialog).
class IProviderWorker {
 public:
  virtual ~IProviderWorker() = default;
  // Runs work and returns once it has ended; an error it raises is raised here.
  virtual void Run(const std::function<void()>& work) = 0;
};

// On the calling thread itself.
class InlineProviderWorker : public IProviderWorker {
 public:
  void Run(const std::function<void()>& work) override { work(); }
};

// One worker thread of its own, started at the first Run, for as long as this object lives: every
// piece of work runs on it, so the provider objects it made are always used in their own
// apartment. The calling thread waits with ICheckThreading::WaitUntil.
class ProviderThread : public IProviderWorker {
 public:
  explicit ProviderThread(ICheckThreading& threading);
  // Ends the worker once its work is done.
  ~ProviderThread() override;
  ProviderThread(const ProviderThread&) = delete;
  ProviderThread& operator=(const ProviderThread&) = delete;
  void Run(const std::function<void()>& work) override;

 private:
  struct State;
  ICheckThreading& threading_;
  std::shared_ptr<State> state_;
  void* thread_ = nullptr;
};

// Workers of started checks (StartAll) that have not yet ended: the program ends at once while
// there are any, rather than wait for a provider.
size_t ProviderWorkersRunning();

}  // namespace teshmar
