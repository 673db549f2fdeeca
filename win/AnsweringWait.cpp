#include "win/AnsweringWait.h"

#include <algorithm>
#include <set>
#include <vector>

namespace teshmar::win {

namespace {

constexpr UINT kSysTimer = 0x0118;  // the caret's blink

// The message numbers outside input: the mouse over the frame, the keys, the mouse in the client
// area and its hover and leave notices stay in the queue.
struct Range {
  UINT first, last;
};
constexpr Range kNonInput[] = {
    {0x0000, 0x009F},  // below WM_NCMOUSEMOVE
    {0x00AE, 0x00FF},  // above WM_NCXBUTTONDBLCLK, below WM_KEYFIRST
    {0x010A, 0x01FF},  // above WM_KEYLAST, below WM_MOUSEFIRST
    {0x020F, 0x029F},  // above WM_MOUSEHWHEEL, below WM_NCMOUSEHOVER
    {0x02A4, 0xFFFFFFFF},  // above WM_MOUSELEAVE
};

thread_local int depth = 0;
thread_local std::vector<MSG> deferred;
thread_local std::set<UINT> answered;
std::function<void(int)> endDuringWait;

bool TakeNonInput(MSG& message) {
  for (const Range& range : kNonInput) {
    if (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE)) return true;
  }
  return false;
}

bool HandledAtOnce(const MSG& message) {
  switch (message.message) {
    case WM_NULL:
    case WM_PAINT:
    case WM_TIMER:
    case kSysTimer:
      return true;
    default:
      return answered.count(message.message) > 0;
  }
}

void Defer(const MSG& message) {
  // A timer asks once, however often it ticked meanwhile.
  if (message.message == WM_TIMER) {
    for (const MSG& waiting : deferred) {
      if (waiting.hwnd == message.hwnd && waiting.message == WM_TIMER && waiting.wParam == message.wParam) return;
    }
  }
  deferred.push_back(message);
}

void HandBackDeferred() {
  std::vector<MSG> waiting;
  waiting.swap(deferred);
  for (const MSG& message : waiting) {
    if (message.hwnd) {
      PostMessageW(message.hwnd, message.message, message.wParam, message.lParam);
    } else {
      PostThreadMessageW(GetCurrentThreadId(), message.message, message.wParam, message.lParam);
    }
  }
}

// Handles what is waiting; false when nothing was.
bool Pump(bool& quit, int& quitCode) {
  bool took = false;
  MSG message;
  // Bounded, so a window that never validates cannot keep this thread from the work it waits for.
  for (int i = 0; i < 256 && TakeNonInput(message); ++i) {
    took = true;
    if (message.message == WM_QUIT) {
      if (endDuringWait) endDuringWait(static_cast<int>(message.wParam));
      quit = true;
      quitCode = static_cast<int>(message.wParam);
      continue;
    }
    if (HandledAtOnce(message)) {
      DispatchMessageW(&message);
    } else {
      Defer(message);
    }
  }
  return took;
}

}  // namespace

void AnsweringWait(HANDLE event, const std::function<bool()>& finished) {
  ++depth;
  bool quit = false;
  int quitCode = 0;
  while (!finished()) {
    if (!event) {
      Sleep(10);  // no event: look again in a moment
      continue;
    }
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, INFINITE,
                                                   QS_SENDMESSAGE | QS_POSTMESSAGE | QS_PAINT | QS_TIMER, 0);
    if (woke == WAIT_OBJECT_0 + 1) {
      // Posted input woke the wait without being taken: rest a moment rather than spin.
      if (!Pump(quit, quitCode)) WaitForSingleObject(event, 10);
    } else if (woke == WAIT_FAILED) {
      Sleep(10);
    }
  }
  if (--depth == 0) HandBackDeferred();
  if (quit) PostQuitMessage(quitCode);  // no handler to end at once: the message loop ends the program
}

bool InAnsweringWait() { return depth > 0; }

void DeferUntilWaitEnds(const MSG& message) { Defer(message); }

void AnswerDuringWaits(UINT message) { answered.insert(message); }

void SetEndDuringWait(std::function<void(int exitCode)> end) { endDuringWait = std::move(end); }

}  // namespace teshmar::win
