#include <windows.h>

#include <sstream>

#include "e2e/GridConsoleFixture.h"

namespace teshmar::e2e {
namespace {

using ChainScaleTest = GridConsoleTest;

constexpr int kEntries = 9999;

// Every third entry has no link, entry 1 has one (so no warning waits for a click).
bool Linked(int entryNo) { return entryNo % 3 != 0; }

std::string Row(int entryNo, const std::string& database) {
  return std::to_string(entryNo) + "\t门店" + std::to_string(entryNo) + "\t广东省,东莞市,,路" + std::to_string(entryNo) +
         "\t" + database + "\t" + (Linked(entryNo) ? "连接" : "断开") + "\r\n";
}

// Whether the copied rows are every entry in order with its state; an entry without a link shows
// the hint once its row has been painted, an empty cell before.
::testing::AssertionResult EveryRow(const std::string& copied) {
  std::istringstream lines(copied);
  std::string line;
  std::getline(lines, line);
  if (line + "\n" != kHeadings) return ::testing::AssertionFailure() << "heading " << line;
  int entryNo = 0;
  while (std::getline(lines, line)) {
    ++entryNo;
    line += "\n";
    const bool expected = Linked(entryNo) ? line == Row(entryNo, "Store")
                                          : line == Row(entryNo, "") || line == Row(entryNo, "   <双击>");
    if (!expected) return ::testing::AssertionFailure() << "row " << entryNo << ": " << line;
  }
  if (entryNo != kEntries) return ::testing::AssertionFailure() << entryNo << " rows";
  return ::testing::AssertionSuccess();
}

TEST_F(ChainScaleTest, NineThousandNineHundredNinetyNineEntriesShowScrollCopyAndBlink) {
  std::vector<std::array<std::string, 3>> entries;
  std::string links;
  for (int i = 1; i <= kEntries; ++i) {
    entries.push_back({"门店" + std::to_string(i), "广东省,东莞市,,路" + std::to_string(i), "1"});
    if (Linked(i)) links += LinkSection(i, "127.0.0.1", "Store");
  }
  sandbox_.WriteFile("Entries.ini", EntriesFile(entries));
  sandbox_.WriteFile("Quorvan.ini", links);
  Process console = StartScripted("server 127.0.0.1\n  database Store\n    table Base\n");
  HWND main = WaitMainWindow(console);
  ASSERT_NE(main, nullptr);
  HWND grid = Grid(main);
  ASSERT_NE(grid, nullptr);
  // The first show has checked every link: row 1's state is there.
  ASSERT_TRUE(WaitUntil([&] { return CopiedRows(grid) == kHeadings + Row(1, "Store"); }, 120000)) << CopiedRows(grid);
  EXPECT_EQ(WaitMessageWindow(console, 1000), nullptr);

  // The End key, as the operator presses it, goes to the last entry and shows it.
  ASSERT_TRUE(BringToForeground(main));
  ASSERT_EQ(FocusedWindow(main), grid);
  ASSERT_TRUE(TypeKeys({VK_END}));
  ASSERT_TRUE(WaitUntil([&] { return CopiedRows(grid) == kHeadings + Row(kEntries, "   <双击>"); }))
      << CopiedRows(grid);

  // The last row stands at the bottom of the grid: its number blinks, the one above it (linked) never.
  RECT client;
  GetClientRect(grid, &client);
  const int shown = 1 + (client.bottom - (kHeadingHeight + 1) - kRowHeight) / (kRowHeight + 1);
  const int lastTop = kHeadingHeight + 1 + (shown - 1) * (kRowHeight + 1);
  const POINT down = OnScreen(grid, 35, lastTop + kRowHeight / 2 + 10);
  const POINT up = OnScreen(grid, 35, lastTop - (kRowHeight + 1) + kRowHeight / 2 + 10);
  int red = 0, plain = 0, linkedRed = 0;
  for (int sample = 0; sample < 8; ++sample) {
    const bool isRed = ScreenPixel(down.x, down.y) == RGB(232, 0, 0);
    if (isRed && red == 0) Screenshot("chain-scale-end.png");
    (isRed ? red : plain) += 1;
    if (ScreenPixel(up.x, up.y) == RGB(232, 0, 0)) ++linkedRed;
    Sleep(500);
  }
  EXPECT_GE(red, 2);
  EXPECT_GE(plain, 2);
  EXPECT_EQ(linkedRed, 0);

  // Ctrl+A and Ctrl+C: every row on the clipboard.
  ASSERT_TRUE(TypeKeys({VK_CONTROL, 'A'}));
  ASSERT_TRUE(TypeKeys({VK_CONTROL, 'C'}));
  std::string copied;
  EXPECT_TRUE(WaitUntil([&] {
    copied = ClipboardText();
    return EveryRow(copied);
  })) << EveryRow(copied);
  EXPECT_TRUE(console.Running());
}

}  // namespace
}  // namespace teshmar::e2e
