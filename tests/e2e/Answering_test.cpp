// A console that never stops answering, end to end with the scripted console and servers that take
// 12 s: what another program sends is answered while the operator's checks wait, the numbers blink
// on, and a periodic refresh lets the operator go on working.
#include <windows.h>

#include <string>

#include "customer/ModeInfoForm.h"
#include "e2e/GridConsoleFixture.h"
#include "links/dialog/DBLinkForm.h"

namespace teshmar::e2e {
namespace {

// Far from both: an answer now comes within milliseconds; one that waits for the check, after 12 s.
constexpr DWORD kAnswerBoundMs = 5000;
constexpr UINT kWmRestoreApp = 5120;
constexpr UINT kTimer3 = 3;

const char kSlowAndFast[] =
    "server 127.0.0.1\n"
    "  database Store01\n"
    "    table Base Name Addr\n"
    "      row Name=东城店 Addr=东城路\n"
    "  database Store02\n"
    "    table Base Name Addr\n"
    "server 127.0.0.9\n"
    "  delay 12000\n"
    "  refuse-connect\n";

class AnsweringTest : public GridConsoleTest {
 protected:
  // The window answers a window text, a null message, a shutdown query and a restore request sent
  // from here, each within the bound.
  static void ExpectAnswers(HWND window, const char* when) {
    SCOPED_TRACE(when);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(SendWithTimeout(window, WM_NULL, 0, 0, kAnswerBoundMs).has_value());
    EXPECT_FALSE(WindowText(window, kAnswerBoundMs).empty());
    if (ClassName(window) == "TMainForm") {
      EXPECT_TRUE(SendWithTimeout(window, WM_QUERYENDSESSION, 0, 0, kAnswerBoundMs).has_value());
      EXPECT_TRUE(SendWithTimeout(window, kWmRestoreApp, 0, 0, kAnswerBoundMs).has_value());
    }
    std::printf("[ figures ] %s: answered in %lu ms\n", when, GetTickCount() - start);
  }

  // Whether the number cell of a row shows red at some samples and the button face at others.
  static bool Blinks(HWND grid, int row) {
    const POINT at = OnScreen(grid, 35, RowMiddle(row) + 10);
    int red = 0, plain = 0;
    for (int sample = 0; sample < 6; ++sample) {
      (ScreenPixel(at.x, at.y) == RGB(232, 0, 0) ? red : plain) += 1;
      Sleep(450);
    }
    return red > 0 && plain > 0;
  }

  bool RecordHas(const std::string& text) { return sandbox_.ReadFile("ScriptedDb.record.txt").find(text) != std::string::npos; }
};

TEST_F(AnsweringTest, TheFirstShowAnswersAndBlinksWhileItsChecksWait) {
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"远方店", "广东省,东莞市,,远路", "1"}},
                                                 {{"南城店", "广东省,东莞市,,南城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.9", "Store09") + LinkSection(2, "127.0.0.1", "Store02"));
  Process console = StartScripted(kSlowAndFast);
  HWND progress = WaitForWindow({"消息显示窗体", "", console.Id(), false}, kWait);
  ASSERT_NE(progress, nullptr);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  ExpectAnswers(main, "main window during the first show's checks");
  // The restore request brought the main window forward, but not over the notice of its checks.
  RECT box{};
  GetWindowRect(progress, &box);
  EXPECT_TRUE(WaitUntil([&] {
    const COLORREF right = ScreenPixel(box.right - 4, box.top + 6);
    return GetBValue(right) > 200 && GetGValue(right) > 180 && GetRValue(right) < 200;
  }, 2000));
  // Nothing known yet: every number blinks while the servers are asked.
  EXPECT_TRUE(Blinks(Grid(main), 1));
  Screenshot("answering-first-show.png");
  EXPECT_FALSE(RecordHas("refused")) << "the slow check was still waiting";

  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(MessageWindowText(message), "\r\n注册项[1]连接数据库出错!");
  CloseMessageWindow(message);
  EXPECT_TRUE(console.Running());
}

// The date format's request to end the run is posted before the first show; its checks' wait and
// its message window take it on the way and must hand it on, so the run still ends by itself.
TEST_F(AnsweringTest, AfterTheDateFormatMessageTheRunEndsByItselfAlsoWithLinks) {
  SetRegistryFormat(L"sShortDate", L"M/d/yyyy");
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"远方店", "广东省,东莞市,,远路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.9", "Store09"));
  Process console = StartScripted(kSlowAndFast);
  HWND box = WaitForWindow({"提示", "#32770", console.Id(), false}, kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "初始化系统变量,请重新启动程序！");
  ASSERT_TRUE(PressButton(box, IDOK));
  // The first show's check of the linked entry takes 12 s; the run ends once it is over.
  EXPECT_EQ(console.WaitExit(40000), std::optional<DWORD>(0));
  EXPECT_EQ(RegistryFormat(L"sShortDate"), "yyyy-MM-dd");
}

TEST_F(AnsweringTest, APeriodicRefreshLetsTheOperatorWorkOn) {
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}},
                                                 {{"南城店", "广东省,东莞市,,南城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01") + LinkSection(2, "127.0.0.1", "Store02"));
  Process console = StartScripted(kSlowAndFast);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFirstShow(main));
  HWND grid = Grid(main);
  SelectRows(grid, 2, 2);
  ASSERT_TRUE(WaitUntil([&] { return CopiedRows(grid).find("\t连接\r\n") != std::string::npos; }));

  // Entry 2's server moves to one that takes 12 s to refuse; the refresh's tick comes.
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01") + LinkSection(2, "127.0.0.9", "Store02"));
  ASSERT_TRUE(Post(main, WM_TIMER, kTimer3, 0));
  Sleep(500);
  ExpectAnswers(main, "main window during a periodic refresh");
  // A click selects a row, and the customer dialog opens and closes, while the check waits.
  SelectRows(grid, 1, 1);
  EXPECT_TRUE(WaitUntil([&] { return CopiedRows(grid) == kHeadings + "1\t东城店\t广东省,东莞市,,东城路\tStore01\t连接\r\n"; },
                        kAnswerBoundMs))
      << CopiedRows(grid);
  ASSERT_TRUE(PressButton(main, "修改客户"));
  HWND dialog = WaitForWindow({"修改客户信息", "TModeInfoFrm", console.Id(), false}, kAnswerBoundMs);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(PressButton(dialog, modeinfo_form::kButton2));
  ASSERT_TRUE(WaitForNoWindow({"修改客户信息", "TModeInfoFrm", console.Id(), false}, kWait));
  EXPECT_FALSE(RecordHas("connect refused")) << "the periodic check was still waiting";

  // Once the check has ended, its message and the state, as ever.
  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(MessageWindowText(message), "\r\n注册项[2]连接数据库出错!");
  CloseMessageWindow(message);
  SelectRows(grid, 2, 2);
  EXPECT_TRUE(WaitUntil([&] { return CopiedRows(grid).find("\tStore02\t断开\r\n") != std::string::npos; }))
      << CopiedRows(grid);
}

TEST_F(AnsweringTest, TheLinkDialogAnswersWhileItsTestWaits) {
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01"));
  Process console = StartScripted(kSlowAndFast);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFirstShow(main));
  DoubleClickRow(Grid(main), 1);
  HWND dialog = WaitForWindow({"数据库连接", "TFrmDBLink", console.Id(), false}, kWait);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(SetText(FindControl(dialog, dblink_form::kCBServerIP), L"127.0.0.9"));
  ASSERT_TRUE(PressButton(dialog, "测试连接"));
  Sleep(500);
  ExpectAnswers(dialog, "link dialog during its test");
  ExpectAnswers(main, "main window during the link dialog's test");
  EXPECT_FALSE(RecordHas("connect refused")) << "the test was still waiting";

  HWND box = WaitForWindow({"", "#32770", console.Id(), false}, kWait);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "数据库连接失败！");
  ASSERT_TRUE(PressButton(box, IDOK));
  ASSERT_TRUE(PressButton(dialog, "取 消"));
  EXPECT_TRUE(WaitForNoWindow({"数据库连接", "TFrmDBLink", console.Id(), false}, kWait));
}

}  // namespace
}  // namespace teshmar::e2e
