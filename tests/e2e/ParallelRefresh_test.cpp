#include <windows.h>

#include <cstdio>

#include "e2e/ConsoleFixture.h"
#include "win/Wide.h"

namespace teshmar::e2e {
namespace {

using namespace driver;

constexpr int kMsgEdId = 100;
constexpr int kEntries = 20;
const int kSlow[] = {3, 7, 11, 15, 19};

bool IsSlow(int entryNo) {
  for (int slow : kSlow)
    if (slow == entryNo) return true;
  return false;
}

std::string Cp936(const std::string& utf8) {
  const std::wstring wide = win::Widen(utf8);
  int size = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

// Twenty sites, each on a server of its own. Five servers take 2 s to answer; the server of entry
// 5 is not there at all, the slow server of entry 19 refuses after its delay.
struct Sites {
  std::string entries, links, script;
};

Sites TwentySites() {
  std::string entries = "[Entries]\r\nCount=" + std::to_string(kEntries) + "\r\n";
  std::string links;
  std::string script;
  for (int i = 1; i <= kEntries; ++i) {
    const std::string server = "127.0.1." + std::to_string(i);
    const std::string database = "Store" + std::to_string(i);
    entries += "[Entry" + std::to_string(i) + "]\r\nName=店" + std::to_string(i) + "\r\nAddr=\r\nKind=1\r\n";
    links += "[Item" + std::to_string(i) + "]\r\nServername=" + server + "\r\nPort=1433\r\nDatabase=" + database +
             "\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
    if (i == 5) continue;
    script += "server " + server + "\n";
    if (IsSlow(i)) script += "  delay 2000\n";
    if (i == 19) script += "  refuse-connect\n";
    script += "  database " + database + "\n    table Base Name Addr\n";
  }
  return {Cp936(entries), Cp936(links), script};
}

class ParallelRefreshTest : public ConsoleTest {};

TEST_F(ParallelRefreshTest, FirstShowOfTwentyEntriesCostsItsSlowestCheck) {
  const Sites sites = TwentySites();
  sandbox_.WriteFile("Entries.ini", sites.entries);
  sandbox_.WriteFile("Quorvan.ini", sites.links);
  sandbox_.WriteFile("ScriptedDb.txt", sites.script);
  sandbox_.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
  sandbox_.WriteFile("cwd\\keep", "");
  Process console = Launch({sandbox_.Path("TeshmarScripted.exe"), {}, sandbox_.Path("cwd"), SW_SHOWNORMAL});

  // The progress window shows while the checks run, then the refresh's message comes.
  HWND progress = WaitForWindow({"消息显示窗体", "", console.Id(), false}, kWait);
  const DWORD progressSeen = GetTickCount();
  ASSERT_NE(progress, nullptr);
  // Painted while the checks run: the notice's gradient towards its cyan end colour at the right.
  RECT box{};
  GetWindowRect(progress, &box);
  EXPECT_TRUE(WaitUntil([&] {
    const COLORREF right = ScreenPixel(box.right - 4, box.top + 6);
    return GetBValue(right) > 200 && GetGValue(right) > 180 && GetRValue(right) < 200;
  }, 1500));
  Screenshot("refresh-progress.png");
  HWND message = WaitForWindow({"消息", "TFrmMsg", console.Id(), false}, kWait);
  const DWORD messageSeen = GetTickCount();
  ASSERT_NE(message, nullptr);
  const double seconds = (messageSeen - progressSeen) / 1000.0;
  std::printf("[ figures ] first show of 20 entries, 5 taking 2 s: %.2f s from the progress window to the message\n",
              seconds);
  // Not a benchmark: one after the other they cannot take less than the 10 s of their delays.
  EXPECT_LT(seconds, 8.0);

  std::string text = WindowText(FindControl(message, kMsgEdId));
  EXPECT_NE(text.find("注册项[5]连接数据库出错!"), std::string::npos) << text;
  EXPECT_LT(text.find("注册项[5]"), text.find("注册项[19]连接数据库出错!")) << text;
  EXPECT_EQ(text.find("注册项[3]"), std::string::npos) << text;
  EXPECT_EQ(WaitForWindow({"消息显示窗体", "", console.Id(), false}, 100), nullptr);  // hidden again
  ASSERT_TRUE(PressButton(message, IDOK));

  // Every entry was checked once, and the history holds the start and one line per entry.
  const std::string record = sandbox_.ReadFile("ScriptedDb.record.txt");
  int attempts = 0;
  for (size_t at = record.find("connect "); at != std::string::npos; at = record.find("connect ", at + 1)) ++attempts;
  EXPECT_EQ(attempts, kEntries) << record;
  const std::string history = sandbox_.ReadFile("LinkHistory.csv");
  EXPECT_EQ(history.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_NE(history.find("\"控制台启动\""), std::string::npos) << history;
  EXPECT_NE(history.find("\"19\",\"店19\",\"断开\",\"注册项[19]连接数据库出错!\""), std::string::npos) << history;
  EXPECT_NE(history.find("\"3\",\"店3\",\"连接\",\"\""), std::string::npos) << history;
}

}  // namespace
}  // namespace teshmar::e2e
