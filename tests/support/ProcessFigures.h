#pragma once
#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace teshmar::testing {

// The process's handles and committed memory, to see a loop leave them flat.
struct ProcessFigures {
  DWORD handleCount = 0;  // GetProcessHandleCount; Wine answers 0
  DWORD liveHandles = 0;  // handle values that name an object, found by probing
  SIZE_T privateBytes = 0;

  static ProcessFigures Measure() {
    ProcessFigures figures;
    GetProcessHandleCount(GetCurrentProcess(), &figures.handleCount);
    for (ULONG_PTR value = 4; value < 0x20000; value += 4) {
      DWORD flags = 0;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++figures.liveHandles;
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine fills only the short record; its PagefileUsage is the same commit charge.
    figures.privateBytes =
        counters.cb == sizeof counters && counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return figures;
  }

  static void Print(const char* what, const ProcessFigures& before, const ProcessFigures& after) {
    std::printf("%s: GetProcessHandleCount %lu -> %lu, live handles %lu -> %lu, private bytes %llu -> %llu (%+lld)\n",
                what, static_cast<unsigned long>(before.handleCount), static_cast<unsigned long>(after.handleCount),
                static_cast<unsigned long>(before.liveHandles), static_cast<unsigned long>(after.liveHandles),
                static_cast<unsigned long long>(before.privateBytes),
                static_cast<unsigned long long>(after.privateBytes),
                static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes));
  }
};

}  // namespace teshmar::testing
