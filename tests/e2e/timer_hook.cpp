// Loaded into the console by an end-to-end test's message hook: notes how often, and first when,
// each window timer of the console's main window ticks, in a shared mapping the test reads.
#include <windows.h>

#include "e2e/TimerTicks.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK TimerTickHook(int code, WPARAM removed, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == WM_TIMER &&
      msg->wParam < teshmar::e2e::TimerTicks::kTimers) {
    wchar_t name[32] = {};
    GetClassNameW(msg->hwnd, name, 32);
    HANDLE map = lstrcmpW(name, L"TMainForm") == 0 ? OpenFileMappingW(FILE_MAP_WRITE, FALSE, teshmar::e2e::kTimerTicksName)
                                                   : nullptr;
    if (map) {
      auto* ticks = static_cast<teshmar::e2e::TimerTicks*>(
          MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, sizeof(teshmar::e2e::TimerTicks)));
      if (ticks) {
        const auto id = static_cast<unsigned>(msg->wParam);
        if (InterlockedIncrement(&ticks->count[id]) == 1) ticks->first[id] = GetTickCount64();
        UnmapViewOfFile(ticks);
      }
      CloseHandle(map);
    }
  }
  return CallNextHookEx(nullptr, code, removed, lParam);
}
