#include <windows.h>

#include <algorithm>

#include "e2e/ConsoleFixture.h"
#include "win/Wide.h"

namespace teshmar::e2e {
namespace {

using namespace driver;

constexpr int kRgInfoId = 1005;
constexpr int kMsgEdId = 100;
constexpr int kHeadingHeight = 30;
constexpr int kFirstRowHeight = 29;
constexpr int kRowHeight = 30;

// Entries.ini and Quorvan.ini are code page 936 files.
std::string Cp936(const std::string& utf8) {
  const std::wstring wide = win::Widen(utf8);
  int size = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::string EntriesFile(const std::vector<std::array<std::string, 3>>& entries) {
  std::string text = "[Entries]\r\nCount=" + std::to_string(entries.size()) + "\r\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    text += "[Entry" + std::to_string(i + 1) + "]\r\nName=" + entries[i][0] + "\r\nAddr=" + entries[i][1] +
            "\r\nKind=" + entries[i][2] + "\r\n";
  }
  return Cp936(text);
}

std::string LinkSection(int entryNo, const std::string& server, const std::string& database) {
  return "[Item" + std::to_string(entryNo) + "]\r\nServername=" + server + "\r\nPort=1433\r\nDatabase=" + database +
         "\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
}

// The y of the middle of an entry row in the grid's client area (nothing scrolled).
int RowMiddle(int row) {
  return row == 1 ? kHeadingHeight + kFirstRowHeight / 2
                  : kHeadingHeight + kFirstRowHeight + (row - 2) * kRowHeight + kRowHeight / 2;
}

class EntryGridTest : public ConsoleTest {
 protected:
  HWND Grid(HWND main) { return FindControl(main, kRgInfoId); }

  // The message window of the console, once it is there.
  HWND WaitMessageWindow(const Process& console, DWORD timeoutMs = kWait) {
    return WaitForWindow({"消息", "TFrmMsg", console.Id(), false}, timeoutMs);
  }

  static std::string MessageWindowText(HWND window) {
    std::string text = WindowText(FindControl(window, kMsgEdId));
    // A rich edit box hands line breaks back as CR alone.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        lines += "\r\n";
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        lines += text[i];
      }
    }
    return lines;
  }

  void CloseMessageWindow(HWND window) {
    ASSERT_TRUE(PressButton(window, IDOK));
    ASSERT_TRUE(WaitForNoWindow({"消息", "TFrmMsg", 0, false}, kWait));
  }

  // What the grid puts on the clipboard for WM_COPY.
  static std::string CopiedRows(HWND grid) {
    if (!SendWithTimeout(grid, WM_COPY)) return "<no answer>";
    std::string text = "<empty>";
    for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(50);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = win::Narrow(chars);
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return text;
  }

  static void SelectEveryRow(HWND grid) {
    Post(grid, WM_KEYDOWN, VK_CONTROL, 0);
    Post(grid, WM_KEYDOWN, 'A', 0);
    Post(grid, WM_KEYUP, 'A', 0);
    Post(grid, WM_KEYUP, VK_CONTROL, 0);
  }

  static void DoubleClickRow(HWND grid, int row) {
    const LPARAM at = MAKELPARAM(60, RowMiddle(row));
    Post(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(grid, WM_LBUTTONUP, 0, at);
    Post(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Post(grid, WM_LBUTTONUP, 0, at);
  }
};

const std::string kHeadings = "序号\t客户名称\t客户地址\t连接数据库(名)\t连接状态\r\n";

TEST_F(EntryGridTest, FirstEntryWithoutALinkIsWarnedAndTheGridShowsTheList) {
  ProgramPath();
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}},
                                                 {{"西城店", "北京市,北京辖区,西城区,西单", "1"}}}));
  Process console = Start();
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  // Neither entry has a link: the refresh says nothing, the warning names entry 1.
  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(MessageWindowText(message), "注册项[1]未连接数据库!");
  Screenshot("grid-warning.png");
  CloseMessageWindow(message);

  HWND grid = Grid(main);
  ASSERT_NE(grid, nullptr);
  SelectEveryRow(grid);
  // The hint is written into the database cell by the painting of a row that is not connected.
  EXPECT_TRUE(WaitUntil([&] {
    return CopiedRows(grid) == kHeadings +
                                   "1\t东城店\t广东省,东莞市,,东城路\t   <双击>\t断开\r\n"
                                   "2\t西城店\t北京市,北京辖区,西城区,西单\t   <双击>\t断开\r\n";
  })) << CopiedRows(grid);

  DoubleClickRow(grid, 1);
  HWND dialog = WaitForWindow({"数据库连接", "", console.Id(), false}, kWait);
  ASSERT_NE(dialog, nullptr);
  Screenshot("grid-link-dialog.png");
  ASSERT_TRUE(PressButton(dialog, "取 消"));
  EXPECT_TRUE(WaitForNoWindow({"数据库连接", "", console.Id(), false}, kWait));
  EXPECT_TRUE(console.Running());
}

TEST_F(EntryGridTest, AnUnreachableFirstEntryIsNamedByTheRefreshAndNotByTheWarning) {
  ProgramPath();
  sandbox_.WriteFile("Entries.ini", EntriesFile({{{"东城店", "广东省,东莞市,,东城路", "1"}}, {{"西城店", "", "1"}}}));
  sandbox_.WriteFile("Quorvan.ini", LinkSection(1, "127.0.0.1", "Store01"));
  Process console = Start();
  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(MessageWindowText(message), "\r\n注册项[1]连接数据库出错!");
  CloseMessageWindow(message);
  // The warning runs right after the refresh's message: with a database name it stays silent.
  EXPECT_EQ(WaitMessageWindow(console, 3000), nullptr);
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  HWND grid = Grid(main);
  SelectEveryRow(grid);
  EXPECT_TRUE(WaitUntil([&] {
    return CopiedRows(grid) == kHeadings +
                                   "1\t东城店\t广东省,东莞市,,东城路\tStore01\t断开\r\n"
                                   "2\t西城店\t\t   <双击>\t断开\r\n";
  })) << CopiedRows(grid);
}

TEST_F(EntryGridTest, WithoutAListOnlyTheHeadingRowShows) {
  Process console;
  HWND main = StartShown(console);
  ASSERT_NE(main, nullptr);
  HWND grid = Grid(main);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(WaitMessageWindow(console, 3000), nullptr);
  SelectEveryRow(grid);
  Sleep(200);
  EXPECT_EQ(CopiedRows(grid), kHeadings);
  EXPECT_FALSE(sandbox_.Exists("Entries.ini"));
}

TEST_F(EntryGridTest, AListThatCannotBeReadEndsTheProgramWithItsMessage) {
  ProgramPath();
  sandbox_.WriteFile("Entries.ini", "[Entries]\r\nCount=abc\r\n");
  const std::string links = LinkSection(5, "127.0.0.1", "Store05");
  sandbox_.WriteFile("Quorvan.ini", links);
  Process console = Start();
  HWND message = WaitMessageWindow(console);
  ASSERT_NE(message, nullptr);
  const std::string text = MessageWindowText(message);
  EXPECT_NE(text.find("Entries.ini"), std::string::npos) << text;
  Screenshot("grid-unreadable-list.png");
  ASSERT_TRUE(PressButton(message, IDOK));
  EXPECT_EQ(console.WaitExit(kWait), std::optional<DWORD>(0));
  // Nothing was erased after a failed read.
  EXPECT_EQ(sandbox_.ReadFile("Quorvan.ini").substr(0, links.size()), links);
}

}  // namespace
}  // namespace teshmar::e2e
