// Figures for the grid's once-a-second repaint: 50 entries not connected, so every number blinks,
// in a grid of the main window's size. Run by hand under Wine; prints the time per repaint.
#include <windows.h>

#include <cstdio>
#include <string>

#include "links/grid/EntryGridPaint.h"
#include "links/grid/RgInfoView.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;
}

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

}  // namespace

int main() {
  using namespace teshmar;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = L"TeshmarRgInfoTiming";
  RegisterClassW(&windowClass);
  HWND top = CreateWindowExW(0, L"TeshmarRgInfoTiming", L"", WS_POPUP | WS_VISIBLE, 20, 20, 540, 420, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  StringGrid model(kRgInfoColCount);
  model.SetRowCount(51);
  for (int r = 1; r <= 50; ++r) {
    model.SetCell(0, r, std::to_string(r));
    model.SetCell(1, r, "东城店");
    model.SetCell(2, r, "广东省,东莞市,,东城路");
    model.SetCell(4, r, "断开");
  }
  int phase = 0;
  HWND grid = CreateRgInfo(top, 1, 2, 2, 509, 375, model, {[&] { return phase; }, {}});
  UpdateWindow(grid);

  constexpr int kRepaints = 500;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  const double cpuStart = ThreadCpuSeconds();
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kRepaints; ++i) {
    phase = phase == 1 ? 2 : 1;  // as Timer1 does
    InvalidateRect(grid, nullptr, FALSE);
    UpdateWindow(grid);
  }
  QueryPerformanceCounter(&end);
  const double cpu = ThreadCpuSeconds() - cpuStart;
  const double wall = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%d repaints of a 509 x 375 grid, 50 entries blinking: %.3f ms each (wall), %.3f ms CPU each\n",
              kRepaints, wall * 1000 / kRepaints, cpu * 1000 / kRepaints);
  std::printf("at one repaint a second: %.3f %% of one core\n", cpu / kRepaints * 100);
  DestroyWindow(top);
  return 0;
}
