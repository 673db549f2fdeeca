#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "links/db/AdoDatabase.h"
#include "links/db/ConnString.h"
#include "links/grid/EntryGridLogic.h"
#include "links/db/ParallelChecksWin.h"
#include "support/FakeEntryLinks.h"
#include "support/FakeMessageBoxes.h"
#include "support/ProcessFigures.h"

namespace teshmar {
namespace {

class QuietHost : public IEntryGridHost {
 public:
  void ShowMessageWindow(const std::string& text) override { lastMessage = text; }
  void ShowProgressWindow(const std::string&, bool, bool, bool, unsigned) override {}
  void HideProgressWindow() override {}
  bool RunLinkDialog(int, DatabaseKind, std::string&) override { return false; }
  bool Timer3Enabled() override { return true; }
  void StopRefreshTimers() override {}
  void RequestQuit() override {}
  std::string lastMessage;
};

class ListOf : public IEntryList {
 public:
  explicit ListOf(int count) {
    read.status = EntryListRead::Status::Ok;
    for (int i = 1; i <= count; ++i) read.entries.push_back({std::to_string(i), "店", "址", "1"});
  }
  EntryListRead ReadEntries() override { return read; }
  bool StoreCustomer(int, const std::string&, const std::string&) override { return false; }
  EntryListRead read;
};

class ComOnThisThread : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

// SQLOLEDB is not installed under Wine and nothing listens on these addresses: every check fails.
TEST_F(ComOnThisThread, TwoHundredRefreshesOfTwentyUnreachableEntriesLeaveHandlesAndMemoryFlat) {
  auto database = CreateAdoDatabase();
  testing::FakeMessageBoxes boxes;
  testing::FakeEntryLinks links;
  for (int i = 1; i <= 20; ++i) {
    LinkSettings link;
    link.serverName = "127.0.0." + std::to_string(i);
    link.database = "Shop" + std::to_string(i);
    link.loginName = "sa";
    link.password = "pw";
    links.links[i] = link;
  }
  StringGrid grid(EntryGridLogic::kColCount);
  QuietHost host;
  ListOf list(20);
  WinCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  EntryGridLogic logic(grid, host, list, links, *database, boxes);
  logic.SetCheckRunner(runner);
  ASSERT_TRUE(logic.ReadEntryList());

  std::string expected;
  for (int i = 1; i <= 20; ++i) expected += "\r\n注册项[" + std::to_string(i) + "]连接数据库出错!";
  for (int i = 0; i < 10; ++i) logic.RefreshLinkStates(0, false);  // ADO and its helpers load for good
  const auto before = testing::ProcessFigures::Measure();
  const DWORD start = GetTickCount();
  int sameText = 0;
  for (int i = 0; i < 200; ++i) {
    host.lastMessage.clear();
    logic.RefreshLinkStates(0, false);
    sameText += host.lastMessage == expected ? 1 : 0;
  }
  const DWORD elapsed = GetTickCount() - start;
  const auto after = testing::ProcessFigures::Measure();

  testing::ProcessFigures::Print("200 refreshes of 20 unreachable entries side by side", before, after);
  std::printf("[ figures ] 200 refreshes: %lu ms\n", static_cast<unsigned long>(elapsed));
  EXPECT_EQ(sameText, 200);
  EXPECT_TRUE(boxes.shown.empty());
  for (int i = 1; i <= 20; ++i) EXPECT_FALSE(logic.Connected(i));
  // 4000 checks on 3200 threads: one leaked handle per thread or check would show in thousands,
  // one leaked ADO connection per check in megabytes.
  ASSERT_GT(before.liveHandles, 0u);
  EXPECT_LE(after.handleCount, before.handleCount + 32);
  EXPECT_LE(after.liveHandles, before.liveHandles + 32);
  EXPECT_LE(static_cast<long long>(after.privateBytes), static_cast<long long>(before.privateBytes) + 1024 * 1024);
}

std::atomic<int> paints{0};
std::atomic<int> posted{0};

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    ++paints;
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    return 0;
  }
  if (message == WM_APP + 1) {
    ++posted;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(WinCheckThreadingTest, TheWaitRepaintsButHandlesNothingElse) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = CountingProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TeshmarWaitTest";
  RegisterClassW(&windowClass);
  HWND hwnd = CreateWindowExW(0, L"TeshmarWaitTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);  // only a window on the screen is painted
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  paints = 0;

  WinCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  std::atomic<int> apartments{0};
  PostMessageW(hwnd, WM_APP + 1, 0, 0);
  runner.RunAll(4, [&](size_t index) {
    // A worker's own apartment: COM is already set up on it, as a single-threaded one.
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) == S_FALSE) ++apartments;
    CoUninitialize();
    if (index == 0) InvalidateRect(hwnd, nullptr, TRUE);  // asks the waiting thread to paint
    Sleep(300);
  });
  EXPECT_GE(paints.load(), 1);
  EXPECT_EQ(posted.load(), 0);
  EXPECT_EQ(apartments.load(), 4);
  // The click, tick or key that came meanwhile is still there for the message loop.
  ASSERT_TRUE(PeekMessageW(&message, hwnd, WM_APP + 1, WM_APP + 1, PM_REMOVE));
  DestroyWindow(hwnd);
}

}  // namespace
}  // namespace teshmar
