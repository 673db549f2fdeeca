// The soak's in-process counts checked against objects made and freed here: each count must move
// by exactly what was made, or a flat soak would prove nothing.
#include "soak/ProcessObjects.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "support/ProcessFigures.h"

namespace teshmar::soak {
namespace {

TEST(ProcessObjects, GetGuiResourcesIsReportedAsWineAnswersIt) {
  // Not asserted: the figure shows why the soak counts from inside.
  SetLastError(0);
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD gdiError = GetLastError();
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  std::printf("GetGuiResources: GDI %lu (last error %lu), USER %lu; in-process count: GDI %lu\n",
              static_cast<unsigned long>(gdi), static_cast<unsigned long>(gdiError), static_cast<unsigned long>(user),
              static_cast<unsigned long>(CountGdiObjects().total));
  EXPECT_GT(CountGdiObjects().total, 0u) << "the stock objects at least";
}

struct MadeObjects {
  std::vector<HGDIOBJ> objects;
  HDC memory = nullptr;

  MadeObjects() {
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 5; ++i) objects.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    for (int i = 0; i < 3; ++i) objects.push_back(CreatePen(PS_SOLID, i + 1, RGB(0, i, 0)));
    for (int i = 0; i < 2; ++i) objects.push_back(CreateCompatibleBitmap(screen, 8 + i, 8));
    objects.push_back(CreateFontW(12, 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, L"宋体"));
    objects.push_back(CreateRectRgn(0, 0, 10, 10));
    memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
  }
  ~MadeObjects() {
    for (HGDIOBJ object : objects) DeleteObject(object);
    DeleteDC(memory);
  }
};

TEST(ProcessObjects, GdiCountFollowsEveryObjectMadeAndDeletedByType) {
  // The first screen DC of a process makes the display driver's own objects, which then stay.
  { MadeObjects once; }
  const GdiCount before = CountGdiObjects();
  {
    MadeObjects made;
    for (HGDIOBJ object : made.objects) ASSERT_NE(object, nullptr);
    ASSERT_NE(made.memory, nullptr);
    const GdiCount counted = CountGdiObjects();
    EXPECT_EQ(counted.total, before.total + 13);
    EXPECT_EQ(counted.byType[OBJ_BRUSH], before.byType[OBJ_BRUSH] + 5);
    EXPECT_EQ(counted.byType[OBJ_PEN], before.byType[OBJ_PEN] + 3);
    EXPECT_EQ(counted.byType[OBJ_BITMAP], before.byType[OBJ_BITMAP] + 2);
    EXPECT_EQ(counted.byType[OBJ_FONT], before.byType[OBJ_FONT] + 1);
    EXPECT_EQ(counted.byType[OBJ_REGION], before.byType[OBJ_REGION] + 1);
    EXPECT_EQ(counted.byType[OBJ_MEMDC], before.byType[OBJ_MEMDC] + 1);
  }
  const GdiCount after = CountGdiObjects();
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.byType, before.byType);
}

TEST(ProcessObjects, GdiCountSeesAHandleReusedUnderANewGeneration) {
  // A freed slot taken again gets a new high word; the count must still see the live object once.
  HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
  const DWORD with = CountGdiObjects().total;
  DeleteObject(first);
  HBRUSH second = CreateSolidBrush(RGB(4, 5, 6));
  EXPECT_EQ(CountGdiObjects().total, with);
  DeleteObject(second);
  EXPECT_EQ(CountGdiObjects().total, with - 1);
}

TEST(ProcessObjects, WindowCountFollowsTopLevelChildAndMessageOnlyWindows) {
  // A thread's first window brings the thread's input method window, which goes with its last.
  HWND anchor =
      CreateWindowExW(0, L"STATIC", L"anchor", WS_OVERLAPPEDWINDOW, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(anchor, nullptr);
  const DWORD before = CountProcessWindows();
  HWND top =
      CreateWindowExW(0, L"STATIC", L"top", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  HWND child = CreateWindowExW(0, L"BUTTON", L"a", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  HWND grandChild =
      CreateWindowExW(0, L"STATIC", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);
  HWND owned = CreateWindowExW(0, L"STATIC", L"owned", WS_POPUP, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  HWND messageOnly = CreateWindowExW(0, L"STATIC", L"m", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(child && grandChild && owned && messageOnly);
  EXPECT_EQ(CountProcessWindows(), before + 5);
  DestroyWindow(messageOnly);
  DestroyWindow(owned);
  DestroyWindow(top);
  EXPECT_EQ(CountProcessWindows(), before);
  DestroyWindow(anchor);
}

TEST(ProcessObjects, MenuCountFollowsMenusMadeAndDestroyed) {
  const DWORD before = CountMenus();
  HMENU bar = CreateMenu();
  HMENU popup = CreatePopupMenu();
  ASSERT_TRUE(bar && popup);
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"p");
  EXPECT_EQ(CountMenus(), before + 2);
  DestroyMenu(bar);  // takes its popup with it
  EXPECT_EQ(CountMenus(), before);
}

TEST(ProcessObjects, KernelHandleCountFollowsHandlesOpenedAndClosed) {
  const DWORD pid = GetCurrentProcessId();
  const DWORD before = CountKernelHandles(pid);
  ASSERT_GT(before, 0u);
  std::vector<HANDLE> events;
  for (int i = 0; i < 4; ++i) events.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_EQ(CountKernelHandles(pid), before + 4);
  for (HANDLE event : events) CloseHandle(event);
  EXPECT_EQ(CountKernelHandles(pid), before);
  EXPECT_EQ(testing::ProcessFigures::Measure().liveHandles, before) << "the same count found by probing";
}

TEST(ProcessObjects, PrivateBytesGrowWithMemoryTouched) {
  const ULONGLONG before = PrivateBytes();
  ASSERT_GT(before, 0u);
  const SIZE_T size = 32 << 20;
  auto* block = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  for (SIZE_T i = 0; i < size; i += 4096) block[i] = 1;
  const ULONGLONG touched = PrivateBytes();
  VirtualFree(block, 0, MEM_RELEASE);
  EXPECT_GE(touched, before + size * 3 / 4) << before << " -> " << touched;
}

}  // namespace
}  // namespace teshmar::soak
