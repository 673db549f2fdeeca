#pragma once
#include <windows.h>

namespace teshmar::soak {

// What the probe hook (soak_probe.cpp) measures inside the console when the soak asks, in a shared
// mapping the soak reads. The soak writes nothing but posts the registered message kProbeMessage
// to the main window with a request number as wParam; the probe answers by setting `answered` to it.
struct ProbeAnswer {
  static constexpr unsigned kGdiTypes = 16;
  volatile LONG answered;
  DWORD gdiObjects;
  DWORD gdiByType[kGdiTypes];  // by GetObjectType's answer (OBJ_PEN 1 ... OBJ_COLORSPACE 14)
  DWORD windows;
  DWORD menus;
  DWORD kernelHandles;
  ULONGLONG privateBytes;
};

inline constexpr wchar_t kProbeMappingName[] = L"TeshmarSoakProbe";
inline constexpr wchar_t kProbeMessage[] = L"TeshmarSoakProbeMeasure";

}  // namespace teshmar::soak
