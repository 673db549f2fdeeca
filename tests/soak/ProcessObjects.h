#pragma once
#include <windows.h>

#include <array>

namespace teshmar::soak {

// The calling process's own GDI objects, USER objects and kernel handles, counted from inside
// because Wine answers GetGuiResources with 0. Each count probes every handle value a table can
// hold; handles with a zero high word name the live object of that slot, whatever its generation.
struct GdiCount {
  DWORD total = 0;
  std::array<DWORD, 16> byType{};  // index: GetObjectType's answer
};
GdiCount CountGdiObjects();
// Windows of the process: top-level (shown or hidden), their descendants and message-only windows.
DWORD CountProcessWindows();
// Menus of the process, found by IsMenu on every USER handle value.
DWORD CountMenus();
// Kernel handles of a process, from the system's list of handles; 0 when there is none.
DWORD CountKernelHandles(DWORD pid);
// Private memory as GetProcessMemoryInfo reports it (Wine: resident anonymous memory plus swap).
ULONGLONG PrivateBytes();

}  // namespace teshmar::soak
