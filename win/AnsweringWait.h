#pragma once
#include <windows.h>

#include <functional>

namespace teshmar::win {

// Waits on this thread until finished() holds, testing it again whenever `event` is set, and keeps
// the thread answering meanwhile, so Windows never counts the console as not responding:
// - messages sent by other programs or the system (a window text, a shutdown query) are answered;
// - windows are painted and window timers tick (the grid's blink);
// - posted messages registered with AnswerDuringWaits are handled (a restore request, the tray);
// - input stays queued for afterwards, as if the thread had been busy, and every other posted
//   message is handed back to the queue once the outermost wait has ended, so no handler of the
//   console runs in the middle of the work it waits for;
// - WM_QUIT ends the program at once through the handler of SetEndDuringWait.
void AnsweringWait(HANDLE event, const std::function<bool()>& finished);

// Whether this thread is inside AnsweringWait.
bool InAnsweringWait();

// Hands a message back to this thread's queue once the outermost wait has ended (once per window,
// message and wParam). For handlers that must not run during a wait, such as a timer's.
void DeferUntilWaitEnds(const MSG& message);

// A posted message of this program that a wait handles at once.
void AnswerDuringWaits(UINT message);

// What WM_QUIT during a wait does: it must not return (the work waited for still runs).
void SetEndDuringWait(std::function<void(int exitCode)> end);

}  // namespace teshmar::win
