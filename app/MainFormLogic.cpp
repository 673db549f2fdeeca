#include "app/MainFormLogic.h"

namespace teshmar {

namespace {
constexpr std::uintptr_t kLButtonDblClk = 0x0203;
constexpr std::uintptr_t kRButtonDown = 0x0204;
constexpr unsigned kTrayAddFlags = 7;  // NIF_MESSAGE | NIF_ICON | NIF_TIP
}  // namespace

std::string MainFormLogic::VersionLine() {
  return "Quorvan程序版本号: 【" + std::to_string(kProgramVersion) + "】";
}

void MainFormLogic::FormCreate() { view_.GreyCloseMenuItem(); }

void MainFormLogic::FormShow() {
  if (firstShowDone_) return;
  firstShowDone_ = true;
  grid_.SetGridHeadings();
  view_.SetVersionMemo(VersionLine());
  view_.ShowGuestButton();
  // A refused write must not keep the console from showing; the version is never read back.
  try {
    settings_.WriteProgramValue("version", std::to_string(kProgramVersion));
  } catch (...) {
  }
  // A list that cannot be shown ends the program: checking links or starting timers would only
  // hold it up.
  if (!grid_.ReadEntryList()) return;
  // The blink starts before the checks, so the numbers of the entries not yet known to be
  // connected blink while the console waits for their servers.
  view_.StartTimer(kTimer1, kBlinkIntervalMs);
  grid_.CheckEveryLink();
  if (unsigned interval = Timer3Interval()) view_.StartTimer(kTimer3, interval);
  view_.StartTimer(kTimer4, kWarningIntervalMs);
  grid_.WarnUnlinkedEntries();
  view_.FocusGrid();
}

unsigned MainFormLogic::Timer3Interval() const {
  return refreshMinutes_ > 0 ? static_cast<unsigned>(refreshMinutes_) * 60000u : 0u;
}

void MainFormLogic::FormDestroy() { RemoveTrayIcon(); }

void MainFormLogic::HideToTray() {
  AddTrayIcon();
  view_.HideTaskbarButton();
}

void MainFormLogic::AddTrayIcon() {
  // Removing first means a stale icon never doubles.
  RemoveTrayIcon();
  TrayIconRecord record;
  record.command = TrayIconRecord::Command::Add;
  record.uFlags = kTrayAddFlags;
  record.uCallbackMessage = kWmTrayIcon;
  record.withIcon = true;
  record.tip = kCaption;
  view_.NotifyTray(record);
}

void MainFormLogic::RemoveTrayIcon() {
  TrayIconRecord record;
  record.command = TrayIconRecord::Command::Delete;
  view_.NotifyTray(record);
}

void MainFormLogic::WMTrayIcon(std::uintptr_t lParam) {
  if (lParam == kLButtonDblClk) {
    N1Click();
  } else if (lParam == kRButtonDown) {
    view_.SetForeground();
    view_.PopupTrayMenuAtCursor();
  }
}

void MainFormLogic::WMRestoreApp() {
  // The tray icon stays on this path until the window is next minimised or the program ends.
  if (view_.IsMinimised()) view_.Restore();
  view_.BringToFront();
}

void MainFormLogic::N1Click() {
  RemoveTrayIcon();
  view_.ShowTaskbarButton();
  if (view_.IsMinimised()) view_.Restore();
  view_.MakeVisible();
  view_.Activate();
  view_.BringToFront();
}

void MainFormLogic::N3Click() { view_.CloseWindow(); }

void MainFormLogic::btnSysSettingClick() {
  int answer = boxes_.Show(kCloseQuestion, "", kCloseQuestionFlags, MessageBoxOwner::Application);
  if (answer != mb::kIdCancel) view_.CloseWindow();
}

void MainFormLogic::RzBitBtn1Click() { boxes_.ShowPlain(kNoUpdateMessage); }

void MainFormLogic::Timer1Timer() {
  blinkPhase_ = blinkPhase_ == 1 ? 2 : 1;
  view_.RepaintGrid();
}

}  // namespace teshmar
