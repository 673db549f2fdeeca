#pragma once
#include "links/ParallelChecks.h"

namespace teshmar {

// The console's threads for side-by-side checks: each worker in a COM apartment of its own, and
// the user-interface thread waiting without handling input, timers or posted messages, only
// repainting its windows.
//
// A worker's apartment is single-threaded, so it is truly its own: the ADO objects a check makes
// live on its worker and are called directly, whether ADO is registered as "Apartment" or
// "Both". In the one multithreaded apartment, "Apartment" objects would be made in a host
// apartment that COM shares among all the workers, and every check's calls would queue there
// one after the other. A worker never hands its objects to another thread, so it never needs to
// pump messages.
class WinCheckThreading : public ICheckThreading {
 public:
  WinCheckThreading();
  ~WinCheckThreading() override;
  WinCheckThreading(const WinCheckThreading&) = delete;
  WinCheckThreading& operator=(const WinCheckThreading&) = delete;

  void* StartThread(std::function<void()> body) override;
  void JoinThread(void* thread) override;
  void EnterWorker() override;
  void LeaveWorker() override;
  void WaitUntil(const std::function<bool()>& finished) override;
  void Wake() override;

 private:
  void* woken_;  // an auto-reset event
};

}  // namespace teshmar
