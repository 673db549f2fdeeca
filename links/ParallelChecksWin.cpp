#include "links/ParallelChecksWin.h"

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <new>

namespace teshmar {

namespace {
// Whether this worker's CoInitializeEx succeeded, so that only a successful one is undone.
thread_local bool comEntered = false;
}  // namespace

namespace {
DWORD WINAPI RunBody(void* parameter) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  (*body)();
  return 0;
}
}  // namespace

void* WinCheckThreading::StartThread(std::function<void()> body) {
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(body));
  if (!parameter) return nullptr;
  // Only reserved: the stack's pages are committed as a check touches them.
  HANDLE thread = CreateThread(nullptr, ThreadedCheckRunner::kWorkerStackBytes, RunBody, parameter,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) delete parameter;
  return thread;
}

void WinCheckThreading::JoinThread(void* thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

WinCheckThreading::WinCheckThreading() : woken_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

WinCheckThreading::~WinCheckThreading() {
  if (woken_) CloseHandle(woken_);
}

void WinCheckThreading::EnterWorker() { comEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }

void WinCheckThreading::LeaveWorker() {
  if (comEntered) CoUninitialize();
  comEntered = false;
}

void WinCheckThreading::Wake() {
  if (woken_) SetEvent(woken_);
}

void WinCheckThreading::WaitUntil(const std::function<bool()>& finished) {
  while (!finished()) {
    if (!woken_) {
      Sleep(10);  // no event: look again in a moment
      continue;
    }
    // Only paint messages are taken from the queue: a timer tick, a click or a key waits for the
    // refresh to end, as when the checks ran on this thread, so nothing re-enters the console.
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &woken_, INFINITE, QS_PAINT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0 + 1) {
      MSG message;
      // Bounded, so a window that never validates cannot keep this thread from its checks.
      for (int i = 0; i < 64 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageW(&message);
    } else if (woke == WAIT_FAILED) {
      Sleep(10);
    }
  }
}

}  // namespace teshmar
