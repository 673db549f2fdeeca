#pragma once
#include <windows.h>

#include "app/MainFormLogic.h"
#include "app/PageControl.h"
#include "customer/GuestEdit.h"
#include "links/grid/EntryGridLogic.h"
#include "links/grid/StringGrid.h"

namespace teshmar::app {

// The main window: its looks and the forwarding of its events to MainFormLogic.
class TMainForm : public IMainFormView, public IEntryGridHost, public IFirstShowGrid {
 public:
  static constexpr wchar_t kClassName[] = L"TMainForm";
  static constexpr int kClientWidth = 863;
  static constexpr int kClientHeight = 543;

  TMainForm(HINSTANCE instance, IMessageBoxes& boxes, IProgramSettings& settings, IDatabase& database,
            IEntryList& entries, IEntryLinks& links, int refreshMinutes);
  ~TMainForm() override;

  // Creates the window, still hidden, and runs its creation step.
  bool Create();
  // Shows the window in the given show state; the first show runs once it is visible and not minimised.
  void Show(int showCommand);
  HWND Handle() const { return hwnd_; }
  // Keys the main window takes before the dialog manager sees them (Ctrl+Tab between pages).
  bool TranslateKey(const MSG& msg);

  // IMainFormView
  void GreyCloseMenuItem() override;
  void SetVersionMemo(const std::string& line) override;
  void ShowGuestButton() override;
  void StartTimer(int id, unsigned intervalMs) override;
  void RepaintGrid() override;
  void FocusGrid() override;
  void NotifyTray(const TrayIconRecord& record) override;
  void HideTaskbarButton() override;
  void ShowTaskbarButton() override;
  bool IsMinimised() override;
  void Restore() override;
  void MakeVisible() override;
  void Activate() override;
  void BringToFront() override;
  void SetForeground() override;
  void PopupTrayMenuAtCursor() override;
  void CloseWindow() override;

  // IEntryGridHost
  void ShowMessageWindow(const std::string& text) override;
  void ShowProgressWindow(const std::string& text, bool centred, bool showGauge, bool showCancel,
                          unsigned endColour) override;
  void HideProgressWindow() override;
  bool RunLinkDialog(int entryNo, DatabaseKind kind, std::string& dbName) override;
  bool Timer3Enabled() override { return timer3Enabled_; }
  void StopRefreshTimers() override;
  void RequestQuit() override;

  // IFirstShowGrid
  void SetGridHeadings() override { grid_.SetGridHeadings(); }
  bool ReadEntryList() override { return grid_.ReadEntryList(); }
  void CheckEveryLink() override { grid_.CheckEveryLink(); }
  void WarnUnlinkedEntries() override { grid_.WarnUnlinkedEntries(); }

  EntryGridLogic& Grid() { return grid_; }
  // Where the link dialog's provider calls run (a worker of its own); on this thread until given.
  void SetThreading(ICheckThreading* threading) { threading_ = threading; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateFonts();
  void CreateBasicPage(HWND page);
  void CreateUpdatePage(HWND page);
  void OnCommand(int id);
  LRESULT OnControlColour(HDC dc, HWND control);
  void OnSize(WPARAM kind);
  void RunFirstShowWhenVisible();
  void RememberFocus();
  void GiveFocusBack();

  HINSTANCE instance_;
  IMessageBoxes& boxes_;
  IDatabase& database_;
  IEntryLinks& links_;
  StringGrid gridModel_{EntryGridLogic::kColCount};
  EntryGridLogic grid_;
  GuestEdit guest_;
  MainFormLogic logic_;
  bool timer3Enabled_ = false;
  ICheckThreading* threading_ = nullptr;
  HWND hwnd_ = nullptr;
  PageControl pages_;
  HWND btnSysSetting_ = nullptr;
  HWND btnGuest_ = nullptr;
  HWND rzBitBtn1_ = nullptr;
  HWND rgInfo_ = nullptr;
  HWND label7_ = nullptr;
  HWND memo1_ = nullptr;
  HWND statusBar1_ = nullptr;
  HWND focused_ = nullptr;  // the control that had the focus when the window was last deactivated
  HMENU popupMenu1_ = nullptr;
  HICON mainIcon_ = nullptr;
  HBITMAP closeGlyph_ = nullptr;
  HBITMAP updateGlyph_ = nullptr;
  HFONT formFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  HFONT guestFont_ = nullptr;
  HFONT boxFont_ = nullptr;
  HBRUSH pageBrush_ = nullptr;
  HBRUSH windowBrush_ = nullptr;
};

}  // namespace teshmar::app
