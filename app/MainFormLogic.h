#pragma once
#include <cstdint>
#include <string>

#include "common/MessageBoxes.h"

namespace teshmar {

// Window messages of the main window.
inline constexpr unsigned kWmTrayIcon = 1280;     // WM_USER + 0x100, the tray icon's callback
inline constexpr unsigned kWmRestoreApp = 5120;   // WM_USER + 0x1000, restore from any process
inline constexpr unsigned kTrayIconId = 100;
inline constexpr int kProgramVersion = 140120;

inline constexpr int kTimer1 = 1;  // blink
inline constexpr int kTimer3 = 3;  // periodic refresh
inline constexpr int kTimer4 = 4;  // missing-link warning
inline constexpr unsigned kBlinkIntervalMs = 1000;
inline constexpr unsigned kWarningIntervalMs = 60000;

// The notification-area record as the console fills it (first version of the record).
struct TrayIconRecord {
  enum class Command { Add, Delete };
  Command command = Command::Add;
  unsigned uFlags = 0;            // 7 (NIF_MESSAGE | NIF_ICON | NIF_TIP) when adding, 0 when removing
  unsigned uID = kTrayIconId;
  unsigned uCallbackMessage = 0;  // kWmTrayIcon when adding
  bool withIcon = false;          // the program's icon "MAINICON"
  std::string tip;                // the main window's caption
};

// What the main window's logic asks of its window.
class IMainFormView {
 public:
  virtual ~IMainFormView() = default;
  virtual void GreyCloseMenuItem() = 0;
  virtual void SetVersionMemo(const std::string& line) = 0;  // Memo1 emptied, then this one line
  virtual void ShowGuestButton() = 0;                        // BtnGuest visible and enabled
  virtual void StartTimer(int id, unsigned intervalMs) = 0;
  virtual void RepaintGrid() = 0;
  virtual void FocusGrid() = 0;
  virtual void NotifyTray(const TrayIconRecord& record) = 0;
  virtual void HideTaskbarButton() = 0;
  virtual void ShowTaskbarButton() = 0;  // in the normal show state
  virtual bool IsMinimised() = 0;
  virtual void Restore() = 0;
  virtual void MakeVisible() = 0;
  virtual void Activate() = 0;
  virtual void BringToFront() = 0;
  virtual void SetForeground() = 0;
  virtual void PopupTrayMenuAtCursor() = 0;
  virtual void CloseWindow() = 0;  // closing the main window ends the program
};

// The entry grid's work in the main window's first show.
class IFirstShowGrid {
 public:
  virtual ~IFirstShowGrid() = default;
  virtual void SetGridHeadings() = 0;
  // Reads the list of entries and fills the rows; false when it could not, and the program is ending.
  virtual bool ReadEntryList() = 0;
  // Checks every link with the progress window shown, then writes the link states into the grid.
  virtual void CheckEveryLink() = 0;
  virtual void WarnUnlinkedEntries() = 0;
};

// The program-wide settings the main window writes.
class IProgramSettings {
 public:
  virtual ~IProgramSettings() = default;
  virtual void WriteProgramValue(const std::string& key, const std::string& value) = 0;
};

// The main window's behaviour: creation, first show, tray, restore, close, timers.
class MainFormLogic {
 public:
  static constexpr const char* kCaption = "Teshmar";
  static constexpr const char* kCloseQuestion = "关闭Teshmar后将无法刷新注册项信息，是否继续？";
  static constexpr const char* kNoUpdateMessage = "暂不需要更新!";
  static constexpr unsigned kCloseQuestionFlags = mb::kOkCancel | mb::kIconInformation | mb::kDefButton2;

  MainFormLogic(IMainFormView& view, IMessageBoxes& boxes, IProgramSettings& settings, IFirstShowGrid& grid,
                int refreshMinutes)
      : view_(view), boxes_(boxes), settings_(settings), grid_(grid), refreshMinutes_(refreshMinutes) {}

  static std::string VersionLine();

  void FormCreate();
  // Runs once per run, when the window is first made visible; later calls do nothing.
  void FormShow();
  bool FirstShowDone() const { return firstShowDone_; }
  void FormDestroy();

  void HideToTray();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void WMTrayIcon(std::uintptr_t lParam);
  void WMRestoreApp();
  void N1Click();
  void N3Click();
  void btnSysSettingClick();
  void RzBitBtn1Click();
  void Timer1Timer();

  std::int32_t BlinkPhase() const { return blinkPhase_; }
  // Timer3's interval in milliseconds; 0 when the periodic refresh never runs.
  unsigned Timer3Interval() const;

 private:
  IMainFormView& view_;
  IMessageBoxes& boxes_;
  IProgramSettings& settings_;
  IFirstShowGrid& grid_;
  int refreshMinutes_;
  bool firstShowDone_ = false;
  std::int32_t blinkPhase_ = 0;
};

}  // namespace teshmar
