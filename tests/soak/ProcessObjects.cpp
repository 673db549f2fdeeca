#include "soak/ProcessObjects.h"

#include <psapi.h>

#include <algorithm>
#include <vector>

#include "support/ProcessFigures.h"

namespace teshmar::soak {

GdiCount CountGdiObjects() {
  GdiCount count;
  for (ULONG_PTR value = 1; value <= 0xFFFF; ++value) {
    const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(value));
    if (type == 0) continue;
    ++count.total;
    if (type < count.byType.size()) ++count.byType[type];
  }
  return count;
}

namespace {

BOOL CALLBACK CountOne(HWND, LPARAM counter) {
  ++*reinterpret_cast<DWORD*>(counter);
  return TRUE;
}

// The window and all its descendants.
DWORD CountTree(HWND window) {
  DWORD count = 1;
  EnumChildWindows(window, CountOne, reinterpret_cast<LPARAM>(&count));
  return count;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counter) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) *reinterpret_cast<DWORD*>(counter) += CountTree(window);
  return TRUE;
}

}  // namespace

DWORD CountProcessWindows() {
  DWORD count = 0;
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) {
    CountTopLevel(window, reinterpret_cast<LPARAM>(&count));
  }
  return count;
}

DWORD CountMenus() {
  // Wine's USER handles are 0x20 plus twice the slot; an odd value names the slot below it again.
  DWORD count = 0;
  for (ULONG_PTR value = 0x20; value <= 0xFFFE; value += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(value))) ++count;
  }
  return count;
}

namespace {

// The system's list of handles (NtQuerySystemInformation, SystemHandleInformation), as ntdll declares it.
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleList {
  ULONG count;
  HandleEntry handles[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

DWORD CountKernelHandles(DWORD pid) {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query) {
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
      ULONG needed = 0;
      const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
      if (status == kInfoLengthMismatch) {
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
        continue;
      }
      if (status < 0) break;
      const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
      DWORD count = 0;
      for (ULONG i = 0; i < list->count; ++i) count += list->handles[i].ownerPid == pid ? 1 : 0;
      return count;
    }
  }
  // Without the system's list, only the own process can be probed, slowly.
  return pid == GetCurrentProcessId() ? testing::ProcessFigures::Measure().liveHandles : 0;
}

ULONGLONG PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  // Wine fills PagefileUsage with the same figure when it leaves PrivateUsage empty.
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace teshmar::soak
