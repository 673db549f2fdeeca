#include "app/mainfrm.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/AppWindow.h"
#include "app/FormMsg.h"
#include "app/FrmProgress.h"
#include "app/LaunchShowState.h"
#include "customer/ModeInfoForm.h"
#include "links/dialog/DBLinkForm.h"
#include "links/grid/RgInfoView.h"
#include "res/resource.h"
#include "win/AnsweringWait.h"
#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/WindowClass.h"
#include "win/Wide.h"

namespace teshmar::app {

namespace {

enum ControlId {
  kBtnSysSetting = 1001,
  kBtnGuest,
  kRzBitBtn1,
  kMemo1,
  kRgInfo,
  kStatusBar1,
  kLabel7,
  kN1 = 2001,
  kN3 = 2003,
};

constexpr COLORREF kPageColour = 16119543;  // R 247, G 246, B 245
constexpr COLORREF kRed = 232;              // R 232, G 0, B 0
// Posted when the window has become visible for the first time, so the first show runs after
// the window has been drawn, between other messages.
constexpr UINT kWmFirstShow = WM_APP + 1;

#ifndef _WIN64
// The first version of the tray record, with its 64-byte tip.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
#endif

// The sheet's layout: the strip of buttons, the bevel under it, then the entry box.
constexpr int kPanelHeight = 94;
constexpr int kBevelHeight = 11;
constexpr int kStatusHeight = 19;

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent, int id,
           HFONT font, DWORD exStyle = 0) {
  HWND hwnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

// A label sized to its text, as the layout's auto-sized labels are.
void SizeToText(HWND label, HFONT font) {
  wchar_t text[256];
  int length = GetWindowTextW(label, text, 256);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TMainForm::TMainForm(HINSTANCE instance, IMessageBoxes& boxes, IProgramSettings& settings, IDatabase& database,
                     IEntryList& entries, IEntryLinks& links, int refreshMinutes)
    : instance_(instance),
      boxes_(boxes),
      database_(database),
      links_(links),
      grid_(gridModel_, *this, entries, links, database, boxes),
      guest_(gridModel_, grid_, entries, links, boxes,
             [this, &entries](std::string& name, std::string& address, int mode) {
               return EditGuest(hwnd_, boxes_, name, address, mode,
                                [&entries](const std::string& text) { return entries.CanStore(text); });
             },
             [](bool waiting) { SetCursor(LoadCursorW(nullptr, waiting ? IDC_WAIT : IDC_ARROW)); }),
      logic_(*this, boxes, settings, *this, refreshMinutes) {}

TMainForm::~TMainForm() {
  for (HGDIOBJ object : std::initializer_list<HGDIOBJ>{formFont_, buttonFont_, guestFont_, boxFont_, pageBrush_,
                                                       windowBrush_, closeGlyph_, updateGlyph_}) {
    if (object) DeleteObject(object);
  }
  if (popupMenu1_) DestroyMenu(popupMenu1_);
}

bool TMainForm::Create() {
  win::RegisterWindowClass(kClassName, WndProc, GetSysColorBrush(COLOR_BTNFACE));

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, win::Widen(MainFormLogic::kCaption).c_str(), style, x, y,
                          width, height, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  SetMainWindow(hwnd_);
  // Other programs' requests are answered also while the console waits for a provider.
  win::AnswerDuringWaits(kWmRestoreApp);
  win::AnswerDuringWaits(kWmTrayIcon);
  logic_.FormCreate();
  return true;
}

void TMainForm::CreateFonts() {
  formFont_ = win::CreatePixelFont(L"宋体", 12, false);
  buttonFont_ = win::CreatePixelFont(L"微软雅黑", 14, true);
  guestFont_ = win::CreatePixelFont(L"微软雅黑", 12, true);
  boxFont_ = win::CreatePixelFont(L"微软雅黑", 14, true);
  pageBrush_ = CreateSolidBrush(kPageColour);
  windowBrush_ = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
}

void TMainForm::CreateBasicPage(HWND page) {
  RECT rc;
  GetClientRect(page, &rc);
  win::FlatButtonStyle closeStyle;
  closeStyle.font = buttonFont_;
  closeStyle.glyph = closeGlyph_;
  btnSysSetting_ = win::CreateFlatButton(page, kBtnSysSetting, L"关闭", 755, 14, 89, 44, closeStyle);
  win::FlatButtonStyle guestStyle;
  guestStyle.font = guestFont_;
  btnGuest_ = win::CreateFlatButton(page, kBtnGuest, L"修改客户", 554, 14, 89, 44, guestStyle);
  // Shown and enabled at the first show.
  ShowWindow(btnGuest_, SW_HIDE);
  EnableWindow(btnGuest_, FALSE);
  Child(L"STATIC", L"", SS_ETCHEDHORZ, 0, kPanelHeight, rc.right, 2, page, -1, nullptr);

  const int boxTop = kPanelHeight + kBevelHeight;
  const int boxHeight = rc.bottom - kStatusHeight - boxTop;
  // Controls inside the box come first, so the box (which clips its siblings) paints around them.
  label7_ = Child(L"STATIC", L"【双击条目修改数据库连接】", SS_LEFT | SS_NOPREFIX, 59, boxTop, 0, 0, page, kLabel7,
                  boxFont_);
  SizeToText(label7_, boxFont_);
  RgInfoHooks hooks;
  hooks.blinkPhase = [this] { return logic_.BlinkPhase(); };
  hooks.onDblClick = [this] { grid_.RgInfoDblClick(); };
  rgInfo_ = CreateRgInfo(page, kRgInfo, 2, boxTop + 20, 513 - 4, boxHeight - 22, gridModel_, hooks);
  Child(L"BUTTON", L"注册项", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, boxTop, 513, boxHeight, page, -1, boxFont_);
  statusBar1_ = Child(STATUSCLASSNAMEW, L"", CCS_BOTTOM | CCS_NOPARENTALIGN | CCS_NORESIZE, 0, rc.bottom - kStatusHeight,
                      rc.right, kStatusHeight, page, kStatusBar1, formFont_);
  int parts[] = {80, 130};
  SendMessageW(statusBar1_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void TMainForm::CreateUpdatePage(HWND page) {
  RECT rc;
  GetClientRect(page, &rc);
  Child(L"STATIC", L"", SS_ETCHEDHORZ, 0, 0, rc.right, 2, page, -1, nullptr);
  const int boxTop = kBevelHeight;
  memo1_ = Child(L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 16, boxTop + 32, 449, 425, page, kMemo1,
                 boxFont_, WS_EX_CLIENTEDGE);
  Child(L"BUTTON", L"  版本信息:", BS_GROUPBOX | WS_CLIPSIBLINGS, 0, boxTop, 489, 510, page, -1, boxFont_);
  win::FlatButtonStyle updateStyle;
  updateStyle.font = buttonFont_;
  updateStyle.glyph = updateGlyph_;
  rzBitBtn1_ = win::CreateFlatButton(page, kRzBitBtn1, L"在线更新", 491, 46, 94, 44, updateStyle);
}

void TMainForm::Show(int showCommand) {
  if (LaunchShowFor(showCommand) == LaunchShow::ToTray) {
    ShowWindow(hwnd_, showCommand);
  } else {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    // The first ShowWindow of a process may take the launcher's state instead of ours.
    if (!IsWindowVisible(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);
  }
  UpdateWindow(hwnd_);
  RunFirstShowWhenVisible();
}

bool TMainForm::TranslateKey(const MSG& msg) { return pages_.TranslateCtrlTab(hwnd_, msg); }

void TMainForm::RememberFocus() {
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) focused_ = focus;
}

// As a dialog box does: the control that had the focus gets it back, else the grid, else the
// first control of the page in view.
void TMainForm::GiveFocusBack() {
  if (IsIconic(hwnd_)) return;
  auto usable = [&](HWND control) {
    return control && IsWindow(control) && IsChild(hwnd_, control) && IsWindowVisible(control) &&
           IsWindowEnabled(control);
  };
  if (usable(focused_)) {
    SetFocus(focused_);
  } else if (usable(rgInfo_)) {
    SetFocus(rgInfo_);
  } else if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE); usable(first)) {
    SetFocus(first);
  }
}

void TMainForm::RunFirstShowWhenVisible() {
  if (!logic_.FirstShowDone() && IsWindowVisible(hwnd_) && !IsIconic(hwnd_)) PostMessageW(hwnd_, kWmFirstShow, 0, 0);
}

// IMainFormView

void TMainForm::GreyCloseMenuItem() {
  EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

void TMainForm::SetVersionMemo(const std::string& line) { SetWindowTextW(memo1_, win::Widen(line).c_str()); }

void TMainForm::ShowGuestButton() {
  ShowWindow(btnGuest_, SW_SHOW);
  EnableWindow(btnGuest_, TRUE);
}

// The soak test's console (TeshmarSoak.exe) is compiled with a divisor that shortens every timer, so
// a day of blinks, refreshes and warnings passes in minutes; every other build divides by 1.
#ifndef TESHMAR_TIMER_DIVISOR
#define TESHMAR_TIMER_DIVISOR 1
#endif
static_assert(TESHMAR_TIMER_DIVISOR >= 1);

void TMainForm::StartTimer(int id, unsigned intervalMs) {
  SetTimer(hwnd_, static_cast<UINT_PTR>(id), intervalMs / TESHMAR_TIMER_DIVISOR, nullptr);
  if (id == kTimer3) timer3Enabled_ = true;
}

void TMainForm::RepaintGrid() {
  InvalidateRect(rgInfo_, nullptr, FALSE);
  UpdateWindow(rgInfo_);
}

void TMainForm::FocusGrid() { SetFocus(rgInfo_); }

void TMainForm::NotifyTray(const TrayIconRecord& record) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // 88 in the 32-bit build
  data.hWnd = hwnd_;
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = record.withIcon ? mainIcon_ : nullptr;
  lstrcpynA(data.szTip, record.tip.c_str(), sizeof data.szTip);
  // The shell is loaded when the tray is first used, not at start-up, where it would only cost time.
  using NotifyIconFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAA*);
  static const auto notifyIcon = [] {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    FARPROC found = shell ? GetProcAddress(shell, "Shell_NotifyIconA") : nullptr;
    return found ? reinterpret_cast<NotifyIconFn>(reinterpret_cast<void (*)()>(found)) : nullptr;
  }();
  // The shell's answer is ignored: without an icon the console can still be restored by 5120.
  if (notifyIcon) notifyIcon(record.command == TrayIconRecord::Command::Add ? NIM_ADD : NIM_DELETE, &data);
}

void TMainForm::HideTaskbarButton() { ShowWindow(hwnd_, SW_HIDE); }

void TMainForm::ShowTaskbarButton() { ShowWindow(hwnd_, SW_SHOWNORMAL); }

bool TMainForm::IsMinimised() { return IsIconic(hwnd_) != FALSE; }

void TMainForm::Restore() { ShowWindow(hwnd_, SW_RESTORE); }

void TMainForm::MakeVisible() { ShowWindow(hwnd_, SW_SHOW); }

void TMainForm::Activate() { SetActiveWindow(hwnd_); }

void TMainForm::BringToFront() {
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
  // A restore asked for while the checks run must not bury their notice: Wine raises the main
  // window over it on the screen although the notice stays topmost, until its place changes.
  if (app::FormPro && app::FormPro->hwnd) {
    for (HWND after : {HWND_NOTOPMOST, HWND_TOPMOST})
      SetWindowPos(app::FormPro->hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TMainForm::SetForeground() { SetForegroundWindow(hwnd_); }

void TMainForm::PopupTrayMenuAtCursor() {
  POINT pt{};
  GetCursorPos(&pt);
  TrackPopupMenu(popupMenu1_, TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
  // Lets the menu close when the user clicks elsewhere.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void TMainForm::CloseWindow() { DestroyWindow(hwnd_); }

// IEntryGridHost

void TMainForm::ShowMessageWindow(const std::string& text) { app::ShowMessageWindow(text); }

void TMainForm::ShowProgressWindow(const std::string& text, bool centred, bool showGauge, bool showCancel,
                                   unsigned endColour) {
  app::ShowProgressWindow(text, centred, showGauge, showCancel, endColour);
}

void TMainForm::HideProgressWindow() { app::HideProgressWindow(); }

bool TMainForm::RunLinkDialog(int entryNo, DatabaseKind kind, std::string& dbName) {
  return RunDBLinkDialog(hwnd_, database_, links_, boxes_, entryNo, kind, dbName, threading_);
}

void TMainForm::StopRefreshTimers() {
  KillTimer(hwnd_, kTimer3);
  KillTimer(hwnd_, kTimer4);
  timer3Enabled_ = false;
}

void TMainForm::RequestQuit() { PostQuitMessage(0); }

// Messages

LRESULT CALLBACK TMainForm::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = win::WindowData<TMainForm>(hwnd, msg, lParam);
  if (msg == WM_NCCREATE) self->hwnd_ = hwnd;
  return self ? self->OnMessage(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT TMainForm::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      mainIcon_ = LoadIconW(instance_, L"MAINICON");
      closeGlyph_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_GLYPH_CLOSE));
      updateGlyph_ = LoadBitmapW(instance_, MAKEINTRESOURCEW(IDB_GLYPH_UPDATE));
      CreateFonts();
      SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
      PageControlStyle style;
      style.font = formFont_;
      pages_.Create(hwnd_, 0, 0, kClientWidth, kClientHeight, {L"基本信息", L"在线更新"}, style);
      CreateBasicPage(pages_.Page(0));
      CreateUpdatePage(pages_.Page(1));
      popupMenu1_ = CreatePopupMenu();
      AppendMenuW(popupMenu1_, MF_STRING, kN1, L"主界面");
      AppendMenuW(popupMenu1_, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(popupMenu1_, MF_STRING, kN3, L"关闭");
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      if (win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
      OnSize(wParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
      } else if (!HIWORD(wParam)) {
        GiveFocusBack();
      }
      return 0;
    case WM_SETFOCUS:
      // The frame itself takes no keys: a restore from the tray hands the focus on.
      GiveFocusBack();
      return 0;
    case WM_SYSCOMMAND:
      // The greyed Close item and the missing maximise button hold for Alt+F4 and every other
      // route too; a shutdown or log-off asks by WM_QUERYENDSESSION and is never refused.
      if ((wParam & 0xFFF0) == SC_CLOSE || (wParam & 0xFFF0) == SC_MAXIMIZE) return 0;
      // Minimising moves the focus to the frame before the window is deactivated.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) RememberFocus();
      break;
    case WM_ENDSESSION:
      // The session ends: leave now, so the tray icon goes with the console.
      if (wParam) DestroyWindow(hwnd_);
      return 0;
    case WM_TIMER:
      // The refresh and the warning wait while the console waits for a provider; the blink goes on.
      if ((wParam == kTimer3 || wParam == kTimer4) && win::InAnsweringWait()) {
        win::DeferUntilWaitEnds(MSG{hwnd_, msg, wParam, lParam, 0, {}});
        return 0;
      }
      if (wParam == kTimer1) logic_.Timer1Timer();
      if (wParam == kTimer3) grid_.Timer3Timer();
      if (wParam == kTimer4) grid_.Timer4Timer();
      return 0;
    case kWmFirstShow:
      logic_.FormShow();
      return 0;
    case kWmTrayIcon:
      logic_.WMTrayIcon(static_cast<std::uintptr_t>(lParam));
      return 0;
    case kWmRestoreApp:
      logic_.WMRestoreApp();
      return 0;
    case WM_DESTROY:
      logic_.FormDestroy();
      SetMainWindow(nullptr);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void TMainForm::OnCommand(int id) {
  switch (id) {
    case kBtnSysSetting:
      logic_.btnSysSettingClick();
      break;
    case kBtnGuest:
      guest_.Click();
      break;
    case kRzBitBtn1:
      logic_.RzBitBtn1Click();
      break;
    case kN1:
      logic_.N1Click();
      break;
    case kN3:
      logic_.N3Click();
      break;
  }
}

LRESULT TMainForm::OnControlColour(HDC dc, HWND control) {
  if (control == memo1_) {
    // The read-only memo keeps the window colour of an edit box.
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(windowBrush_);
  }
  SetBkColor(dc, kPageColour);
  SetTextColor(dc, control == label7_ ? kRed : GetSysColor(COLOR_BTNTEXT));
  return reinterpret_cast<LRESULT>(pageBrush_);
}

void TMainForm::OnSize(WPARAM kind) {
  // Minimising the main window minimises the application; it then lives in the tray.
  if (kind == SIZE_MINIMIZED) {
    logic_.HideToTray();
  } else {
    RunFirstShowWhenVisible();
  }
}

}  // namespace teshmar::app
