#include "app/MainFormLogic.h"
#include "app/LaunchShowState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using testing::FakeMessageBoxes;

// Records every request as one line, so a test reads the order in which they came.
class RecordingView : public IMainFormView {
 public:
  void GreyCloseMenuItem() override { log.push_back("grey close"); }
  void SetVersionMemo(const std::string& line) override { log.push_back("memo " + line); }
  void ShowGuestButton() override { log.push_back("show BtnGuest"); }
  void StartTimer(int id, unsigned ms) override { log.push_back("timer" + std::to_string(id) + " " + std::to_string(ms)); }
  void RepaintGrid() override { log.push_back("repaint grid"); }
  void FocusGrid() override { log.push_back("focus grid"); }
  void NotifyTray(const TrayIconRecord& r) override {
    records.push_back(r);
    log.push_back(r.command == TrayIconRecord::Command::Add ? "tray add" : "tray delete");
  }
  void HideTaskbarButton() override { log.push_back("hide taskbar button"); }
  void ShowTaskbarButton() override { log.push_back("show taskbar button"); }
  bool IsMinimised() override { return minimised; }
  void Restore() override { log.push_back("restore"); }
  void MakeVisible() override { log.push_back("visible"); }
  void Activate() override { log.push_back("activate"); }
  void BringToFront() override { log.push_back("front"); }
  void SetForeground() override { log.push_back("foreground"); }
  void PopupTrayMenuAtCursor() override { log.push_back("popup at cursor"); }
  void CloseWindow() override { log.push_back("close"); }

  std::vector<std::string> log;
  std::vector<TrayIconRecord> records;
  bool minimised = false;
};

class RecordingSettings : public IProgramSettings {
 public:
  void WriteProgramValue(const std::string& key, const std::string& value) override {
    writes.push_back(key + "=" + value);
    if (log) log->push_back("write " + key + "=" + value);
    if (refuse) throw std::runtime_error("Unable to write to Quorvan.ini");
  }
  std::vector<std::string> writes;
  std::vector<std::string>* log = nullptr;  // when set, writes join the view's log in order
  bool refuse = false;
};

// The grid's first-show work, recorded into the view's log so the order across both shows.
class RecordingGrid : public IFirstShowGrid {
 public:
  explicit RecordingGrid(std::vector<std::string>& log) : log_(log) {}
  void SetGridHeadings() override { log_.push_back("grid headings"); }
  bool ReadEntryList() override {
    log_.push_back("read entries");
    return readSucceeds;
  }
  void CheckEveryLink() override { log_.push_back("check every link"); }
  void WarnUnlinkedEntries() override { log_.push_back("warn"); }
  bool readSucceeds = true;

 private:
  std::vector<std::string>& log_;
};

struct MainFormFixture : ::testing::Test {
  RecordingView view;
  RecordingGrid grid{view.log};
  FakeMessageBoxes boxes;
  RecordingSettings settings;
};

using Log = std::vector<std::string>;

TEST_F(MainFormFixture, CreationGreysTheCloseItem) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.FormCreate();
  EXPECT_EQ(view.log, Log{"grey close"});
}

TEST_F(MainFormFixture, FirstShowRunsItsStepsInOrderOnce) {
  settings.log = &view.log;
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.FormShow();
  form.FormShow();
  EXPECT_EQ(view.log, (Log{"grid headings", "memo Quorvan程序版本号: 【140120】", "show BtnGuest", "write version=140120",
                           "read entries", "timer1 1000", "check every link", "timer3 1800000", "timer4 60000", "warn",
                           "focus grid"}));
  EXPECT_EQ(settings.writes, Log{"version=140120"});
}

TEST_F(MainFormFixture, AListThatCannotBeShownStopsTheFirstShowBeforeChecksAndTimers) {
  grid.readSucceeds = false;
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.FormShow();
  EXPECT_EQ(view.log, (Log{"grid headings", "memo Quorvan程序版本号: 【140120】", "show BtnGuest", "read entries"}));
  EXPECT_EQ(settings.writes, Log{"version=140120"});
}

TEST_F(MainFormFixture, RefreshIntervalSetsTimer3AndZeroNeverStartsIt) {
  struct Case {
    int minutes;
    unsigned interval;
  } cases[] = {{30, 1800000u}, {1, 60000u}, {0, 0u}, {-1, 0u}, {35791, 2147460000u}};
  for (const auto& c : cases) {
    RecordingView v;
    RecordingGrid g(v.log);
    MainFormLogic form(v, boxes, settings, g, c.minutes);
    EXPECT_EQ(form.Timer3Interval(), c.interval);
    form.FormShow();
    // Every start of Timer3, whatever its interval: none for zero minutes, one with the interval otherwise.
    Log starts;
    std::copy_if(v.log.begin(), v.log.end(), std::back_inserter(starts),
                 [](const std::string& line) { return line.starts_with("timer3 "); });
    EXPECT_EQ(starts, c.interval ? Log{"timer3 " + std::to_string(c.interval)} : Log{}) << c.minutes;
  }
}

TEST_F(MainFormFixture, ARefusedVersionWriteDoesNotStopTheFirstShow) {
  settings.refuse = true;
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.FormShow();
  EXPECT_EQ(view.log.back(), "focus grid");
}

TEST_F(MainFormFixture, BlinkPhaseReadsOneTwoOne) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  EXPECT_EQ(form.BlinkPhase(), 0);
  std::vector<int> phases;
  for (int i = 0; i < 3; ++i) {
    form.Timer1Timer();
    phases.push_back(form.BlinkPhase());
  }
  EXPECT_EQ(phases, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(view.log, (Log{"repaint grid", "repaint grid", "repaint grid"}));
}

TEST_F(MainFormFixture, MinimiseReplacesTheTrayIconAndHidesTheTaskbarButton) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.HideToTray();
  EXPECT_EQ(view.log, (Log{"tray delete", "tray add", "hide taskbar button"}));
  ASSERT_EQ(view.records.size(), 2u);
  const TrayIconRecord& remove = view.records[0];
  EXPECT_EQ(remove.uFlags, 0u);
  EXPECT_EQ(remove.uID, 100u);
  const TrayIconRecord& add = view.records[1];
  EXPECT_EQ(add.uFlags, 7u);
  EXPECT_EQ(add.uID, 100u);
  EXPECT_EQ(add.uCallbackMessage, 1280u);
  EXPECT_TRUE(add.withIcon);
  EXPECT_EQ(add.tip, "Teshmar");
}

TEST_F(MainFormFixture, TrayIconEventsByMouseMessage) {
  struct Case {
    std::uintptr_t lParam;
    Log log;
  } cases[] = {
      {0x0203, {"tray delete", "show taskbar button", "visible", "activate", "front"}},
      {0x0204, {"foreground", "popup at cursor"}},
      {0x0201, {}},  // a single left click
      {0x0202, {}},
      {0x0205, {}},
      {0x0200, {}},
  };
  for (const auto& c : cases) {
    RecordingView v;
    MainFormLogic form(v, boxes, settings, grid, 30);
    form.WMTrayIcon(c.lParam);
    EXPECT_EQ(v.log, c.log) << std::hex << c.lParam;
  }
}

TEST_F(MainFormFixture, RestoreFromTheTrayMenuRestoresAMinimisedWindow) {
  view.minimised = true;
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.N1Click();
  EXPECT_EQ(view.log, (Log{"tray delete", "show taskbar button", "restore", "visible", "activate", "front"}));
}

TEST_F(MainFormFixture, RestoreFromAnotherProcessKeepsTheTrayIcon) {
  view.minimised = true;
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.WMRestoreApp();
  EXPECT_EQ(view.log, (Log{"restore", "front"}));
  RecordingView shown;
  MainFormLogic other(shown, boxes, settings, grid, 30);
  other.WMRestoreApp();
  EXPECT_EQ(shown.log, Log{"front"});
}

TEST_F(MainFormFixture, TrayCloseEndsWithoutAQuestion) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.N3Click();
  EXPECT_EQ(view.log, Log{"close"});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainFormFixture, TheCloseButtonAsksAndOnlyCancelKeepsTheConsole) {
  struct Case {
    int answer;
    bool closes;
  } cases[] = {{mb::kIdOk, true}, {mb::kIdCancel, false}, {7 /* IDNO */, true}};
  for (const auto& c : cases) {
    RecordingView v;
    FakeMessageBoxes b;
    b.answers.push_back(c.answer);
    MainFormLogic form(v, b, settings, grid, 30);
    form.btnSysSettingClick();
    ASSERT_EQ(b.shown.size(), 1u);
    EXPECT_EQ(b.shown[0].caption, "");
    EXPECT_EQ(b.shown[0].flags, 0x141u);
    EXPECT_EQ(b.shown[0].owner, MessageBoxOwner::Application);
    EXPECT_FALSE(b.shown[0].text.empty());
    EXPECT_EQ(v.log, c.closes ? Log{"close"} : Log{}) << c.answer;
  }
}

TEST_F(MainFormFixture, UpdateButtonAlwaysSaysNoUpdateIsNeeded) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.RzBitBtn1Click();
  form.RzBitBtn1Click();
  ASSERT_EQ(boxes.shown.size(), 2u);
  for (const auto& shown : boxes.shown) {
    EXPECT_EQ(shown.text, "暂不需要更新!");
    EXPECT_EQ(shown.caption, "Teshmar");
    EXPECT_EQ(shown.flags, mb::kOk);
  }
  EXPECT_TRUE(view.log.empty());
}

TEST_F(MainFormFixture, DestructionRemovesTheTrayIcon) {
  MainFormLogic form(view, boxes, settings, grid, 30);
  form.FormDestroy();
  EXPECT_EQ(view.log, Log{"tray delete"});
}

TEST(LaunchShowState, OnlyTheMinimisedStatesGoToTheTray) {
  struct Case {
    int showCommand;
    LaunchShow show;
  } cases[] = {
      {0, LaunchShow::Normal},   // SW_HIDE
      {1, LaunchShow::Normal},   // SW_SHOWNORMAL
      {2, LaunchShow::ToTray},   // SW_SHOWMINIMIZED
      {3, LaunchShow::Normal},   // SW_SHOWMAXIMIZED
      {4, LaunchShow::Normal},   // SW_SHOWNOACTIVATE
      {5, LaunchShow::Normal},   // SW_SHOW
      {6, LaunchShow::ToTray},   // SW_MINIMIZE
      {7, LaunchShow::ToTray},   // SW_SHOWMINNOACTIVE
      {8, LaunchShow::Normal},   // SW_SHOWNA
      {9, LaunchShow::Normal},   // SW_RESTORE
      {10, LaunchShow::Normal},  // SW_SHOWDEFAULT
      {11, LaunchShow::ToTray},  // SW_FORCEMINIMIZE
      {12, LaunchShow::Normal},  // no such state
      {-1, LaunchShow::Normal},
  };
  for (const auto& c : cases) EXPECT_EQ(LaunchShowFor(c.showCommand), c.show) << c.showCommand;
}

}  // namespace
}  // namespace teshmar
