// Loaded into the console by the soak's message hook: when the soak posts the probe message to the
// console's main window, counts the console's GDI and USER objects, kernel handles and private
// memory from inside (Wine answers GetGuiResources with 0) and hands them over in a shared mapping.
#include <windows.h>

#include "soak/ProcessObjects.h"
#include "soak/SoakProbe.h"

using namespace teshmar::soak;

namespace {

void Answer(LONG request) {
  HANDLE map = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kProbeMappingName);
  if (!map) return;
  if (auto* answer = static_cast<ProbeAnswer*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, sizeof(ProbeAnswer)))) {
    // Counted with the mapping open, so the soak's own view is in every sample alike.
    const GdiCount gdi = CountGdiObjects();
    answer->gdiObjects = gdi.total;
    for (unsigned type = 0; type < ProbeAnswer::kGdiTypes; ++type) answer->gdiByType[type] = gdi.byType[type];
    answer->windows = CountProcessWindows();
    answer->menus = CountMenus();
    answer->kernelHandles = CountKernelHandles(GetCurrentProcessId());
    answer->privateBytes = PrivateBytes();
    MemoryBarrier();
    InterlockedExchange(&answer->answered, request);
    UnmapViewOfFile(answer);
  }
  CloseHandle(map);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK SoakProbeHook(int code, WPARAM removed, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageW(kProbeMessage);
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == probeMessage && probeMessage != 0) {
    Answer(static_cast<LONG>(msg->wParam));
  }
  return CallNextHookEx(nullptr, code, removed, lParam);
}
