#pragma once
#include <windows.h>

#include <string>

#include "app/ProgressPaint.h"

namespace teshmar::app {

// The progress notice: borderless, topmost, painted with a gradient and three frames, shown while
// long work blocks the user-interface thread. Not modal.
struct TFormPro {
  HWND hwnd = nullptr;
  HWND lblTitle = nullptr;      // holds the text when the gauge is shown
  HWND Label1 = nullptr;        // holds the text when the gauge is hidden
  HWND Gauge = nullptr;         // 0 to 100, stays at 0
  HWND SpeedButton1 = nullptr;  // "取  消(&C)", hidden in the layout
  HBITMAP Background = nullptr; // 24-bit, the client area's size
  void* backgroundBits = nullptr;
  Colour StartColor = kWhite;
  Colour EndColor = kWhite;
  bool CenterOnDesktop = true;
  bool Cancelled = false;
  bool shown = false;           // FormShow has run
  HFONT font = nullptr;
  int gaugeMin = 0;
  int gaugeMax = 100;
  int gaugePosition = 0;
};

// The progress window, or nullptr when there is none.
extern TFormPro* FormPro;

constexpr int kLblTitleId = 101;
constexpr int kLabel1Id = 102;
constexpr int kGaugeId = 103;
constexpr int kSpeedButton1Id = 104;

// Shows the notice with `text` (UTF-8), or reuses the one already shown: texts, flags and colours
// are replaced and it is repainted, but its place and background stay. Returns once it is painted.
void ShowProgressWindow(const std::string& text, bool centred, bool showGauge, bool showCancel,
                        Colour endColour);

// Hides the notice, lets every waiting message be handled (timer and input handlers may run inside
// this call), then destroys it. Without a notice it does nothing.
void HideProgressWindow();

// Whether the opening outline is played on the screen (on by default). Where drawing on the
// screen is pointless, the notice is still placed and painted the same.
void SetOpeningOutline(bool play);

}  // namespace teshmar::app
