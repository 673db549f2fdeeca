// A chain's worth of entries on real files: the list and the settings file of N entries in a
// folder of their own, the link history beside them, and the scripted fake in place of the
// servers. Prints figures only.
//   fill:          reading the list and filling the grid;
//   refresh:       a refresh of every entry, all answering at once;
//   tick, same:    a periodic refresh whose states do not change (no history line);
//   tick, flipped: a periodic refresh in which every state flips (one history line per entry).
// Usage: chain_scale_bench [entries ...]   (default 1000 3000 9999)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "links/db/ConnString.h"
#include "links/files/EntriesFile.h"
#include "links/grid/EntryGridLogic.h"
#include "links/history/LinkHistory.h"
#include "links/db/ParallelChecks.h"
#include "links/files/SettingsFile.h"
#include "support/FakeDatabase.h"
#include "support/FakeMessageBoxes.h"

namespace {

using namespace teshmar;

class QuietHost : public IEntryGridHost {
 public:
  void ShowMessageWindow(const std::string&) override {}
  void ShowProgressWindow(const std::string&, bool, bool, bool, unsigned) override {}
  void HideProgressWindow() override {}
  bool RunLinkDialog(int, DatabaseKind, std::string&) override { return false; }
  bool Timer3Enabled() override { return true; }
  void StopRefreshTimers() override {}
  void RequestQuit() override {}
};

// Every server answers, or (flipped) none does.
class SwitchedDatabase : public IDatabase {
 public:
  std::unique_ptr<IConnection> CreateConnection() override {
    return (down ? refusing : answering).CreateConnection();
  }
  testing::FakeDatabase answering;
  testing::FakeDatabase refusing;
  bool down = false;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

double Ms(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Run(int entries) {
  char pattern[] = "/tmp/teshmar-chain-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  std::string list = "[Entries]\r\nCount=" + std::to_string(entries) + "\r\n";
  std::string links;
  std::vector<std::string> connectionStrings;
  for (int i = 1; i <= entries; ++i) {
    const std::string server = "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256);
    const std::string database = "Store" + std::to_string(i);
    list += "[Entry" + std::to_string(i) + "]\r\nName=Store " + std::to_string(i) + "\r\nAddr=Road " +
            std::to_string(i) + "\r\nKind=1\r\n";
    links += "[Item" + std::to_string(i) + "]\r\nServername=" + server + "\r\nPort=1433\r\nDatabase=" + database +
             "\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
    connectionStrings.push_back(BuildConnString(server, "1433", database, "sa", "pw", 1));
  }
  WriteFile(dir + "/Entries.ini", list);
  WriteFile(dir + "/Quorvan.ini", links);

  IFileOps& ops = PlatformFileOps();
  SettingsFile settings(ops, dir + "/Quorvan.ini");
  EntriesFile entriesFile(ops, dir + "/Entries.ini", settings);
  SwitchedDatabase db;
  db.refusing.RefuseEveryConnection();
  for (const std::string& cs : connectionStrings) {
    db.answering.AnswerOn(cs, MarkerQuery(DatabaseKind::Store), {{{"name", "Base"}}});
  }
  PlatformHistoryFile historyFile(dir + "/LinkHistory.csv");
  PlatformHistoryClock clock;
  LinkHistory history(historyFile, clock);
  StringGrid grid(EntryGridLogic::kColCount);
  QuietHost host;
  testing::FakeMessageBoxes boxes;
  PlainCheckThreading threading;
  ThreadedCheckRunner runner(threading);
  EntryGridLogic logic(grid, host, entriesFile, settings, db, boxes);
  logic.SetCheckRunner(runner);
  logic.SetLinkHistory(&history);

  const double fill = Ms([&] { logic.ReadEntryList(); });
  const double refresh = Ms([&] { logic.RefreshLinkStates(0, false); });
  // A tick starts the checks; its results come through the message loop once the last has ended.
  auto tick = [&] {
    logic.Timer3Timer();
    threading.RunPostedUntil([&] { return !logic.PeriodicRefreshRunning(); }, 600000);
  };
  const double same = Ms(tick);
  db.down = true;
  const double flipped = Ms(tick);
  std::printf("%5d entries: fill %9.1f ms, refresh %9.1f ms, tick same %9.1f ms, tick flipped %9.1f ms\n", entries,
              fill, refresh, same, flipped);
  std::fflush(stdout);
  std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::max(1, std::atoi(argv[i])));
  if (sizes.empty()) sizes = {1000, 3000, 9999};
  for (int entries : sizes) Run(entries);
  return 0;
}
