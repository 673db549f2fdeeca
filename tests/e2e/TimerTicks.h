#pragma once
#include <windows.h>

namespace teshmar::e2e {

// What the timer hook (timer_hook.cpp) notes inside the console, per timer id below kTimers.
struct TimerTicks {
  static constexpr unsigned kTimers = 8;
  volatile LONG count[kTimers];
  volatile ULONGLONG first[kTimers];  // GetTickCount64 at the first tick
};

inline constexpr wchar_t kTimerTicksName[] = L"TeshmarE2eTimerTicks";

}  // namespace teshmar::e2e
