// Prints how long ShowProgressWindow takes from call to return, with the opening outline played
// and without it: the median of several runs, in milliseconds. A figure, never a pass or fail.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/FrmProgress.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Measure(bool outline, int runs, bool print = true) {
  teshmar::app::SetOpeningOutline(outline);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    teshmar::app::ShowProgressWindow("正在检查数据库连接，请稍候...", true, true, false,
                                     teshmar::app::kProgressEndColour);
    QueryPerformanceCounter(&end);
    times.push_back(Milliseconds(start, end));
    teshmar::app::HideProgressWindow();
    Sleep(50);
  }
  if (!print) return;
  std::sort(times.begin(), times.end());
  std::printf("ShowProgressWindow %-16s median %7.2f ms  (min %7.2f, max %7.2f, %d runs)\n",
              outline ? "with outline:" : "without outline:", times[times.size() / 2], times.front(), times.back(),
              runs);
}

}  // namespace

int main() {
  const int runs = 9;
  Measure(true, 1, false);  // warm-up: window class, fonts, rich edit library
  Measure(true, runs);
  Measure(false, runs);
  return 0;
}
