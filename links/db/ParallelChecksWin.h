#pragma once
#include "links/db/ParallelChecks.h"

namespace teshmar {

// The console's threads for provider work: each worker in a COM apartment of its own, and the
// user-interface thread waiting in win::AnsweringWait: it paints and answers what other programs
// send, but runs none of the console's handlers until the work is done.
//
// A worker's apartment is single-threaded, so it is truly its own: the ADO objects a check makes
// live on its worker and are called directly, whether ADO is registered as "Apartment" or
// "Both". In the one multithreaded apartment, "Apartment" objects would be made in a host
// apartment that COM shares among all the workers, and every check's calls would queue there
// one after the other. A worker never hands its objects to another thread, so it never needs to
// pump messages.
//
// Made on the user-interface thread, where what is posted runs.
class WinCheckThreading : public ICheckThreading {
 public:
  WinCheckThreading();
  ~WinCheckThreading() override;
  WinCheckThreading(const WinCheckThreading&) = delete;
  WinCheckThreading& operator=(const WinCheckThreading&) = delete;

  void* StartThread(std::function<void()> body) override;
  void JoinThread(void* thread) override;
  void ReleaseThread(void* thread) override;
  void EnterWorker() override;
  void LeaveWorker() override;
  void WaitUntil(const std::function<bool()>& finished) override;
  void Wake() override;
  void Post(std::function<void()> work) override;

 private:
  void* woken_;   // an auto-reset event
  void* window_;  // a message-only window of the user-interface thread, made at the first Post
};

}  // namespace teshmar
