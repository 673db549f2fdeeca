#pragma once
#include "links/ParallelChecks.h"

namespace teshmar {

// The console's threads for side-by-side checks: each worker in a multithreaded COM apartment of
// its own (ADO objects made there belong to it), and the user-interface thread waiting without
// handling input, timers or posted messages, only repainting its windows.
class WinCheckThreading : public ICheckThreading {
 public:
  WinCheckThreading();
  ~WinCheckThreading() override;
  WinCheckThreading(const WinCheckThreading&) = delete;
  WinCheckThreading& operator=(const WinCheckThreading&) = delete;

  void EnterWorker() override;
  void LeaveWorker() override;
  void WaitUntil(const std::function<bool()>& finished) override;
  void Wake() override;

 private:
  void* woken_;  // an auto-reset event
};

}  // namespace teshmar
