#include "links/dialog/DBLinkForm.h"

#include <initializer_list>
#include <optional>
#include <vector>

#include "links/dialog/DBLink.h"
#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/Modal.h"
#include "win/Wide.h"
#include "win/WindowClass.h"

namespace teshmar {

namespace {

using namespace dblink_form;

constexpr COLORREF kFormColour = 16119543;  // red 247, green 246, blue 245, as the main window's pages
// A fixed single border and a caption without buttons.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The grid of the form: labels right-aligned before the boxes, a third column for the check
// boxes and the test button, the two buttons centred under a rule.
constexpr int kLabelLeft = 24;
constexpr int kLabelWidth = 124;
constexpr int kBoxLeft = 152;
constexpr int kBoxWidth = 164;
constexpr int kBoxHeight = 22;
constexpr int kSideLeft = 326;
constexpr int kFirstRow = 28;
constexpr int kRowStep = 36;
constexpr int kRuleTop = 216;
constexpr int kButtonTop = 232;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 32;
constexpr int kButtonGap = 24;

int RowTop(int row) { return kFirstRow + row * kRowStep; }

class TFrmDBLink : public IDBLinkView {
 public:
  TFrmDBLink(IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes) : logic(*this, database, links, boxes) {}
  ~TFrmDBLink() override {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  bool Create(HWND owner);

  // IDBLinkView
  std::string Text(DBLinkControl control) override;
  void SetText(DBLinkControl control, const std::string& text) override;
  bool Checked(DBLinkControl control) override;
  void Enable(DBLinkControl control, bool enabled) override;
  void Focus(DBLinkControl control) override;
  void SetDatabaseItems(const std::vector<std::string>& names) override;
  void SelectFirstDatabase() override;
  void Repaint() override;
  void EndDialog(DBLinkResult result) override;
  void BeginWait() override;
  void EndWait() override;

  DBLinkLogic logic;
  HWND hwnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnCommand(int id, int code);
  void OnActivate(WPARAM wParam);
  LRESULT OnControlColour(HDC dc, HWND control);
  HWND Label(int id, const wchar_t* caption, int row);
  HWND Edit(int id, int row, DWORD style);
  HWND Control(DBLinkControl control) const;

  HFONT formFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  HBRUSH formBrush_ = nullptr;
  HWND savedFocus_ = nullptr;
  int waitDepth_ = 0;
};

HWND TFrmDBLink::Control(DBLinkControl control) const {
  switch (control) {
    case DBLinkControl::CBServerIP: return GetDlgItem(hwnd, kCBServerIP);
    case DBLinkControl::CheckBox1: return GetDlgItem(hwnd, kCheckBox1);
    case DBLinkControl::PortEd: return GetDlgItem(hwnd, kPortEd);
    case DBLinkControl::CheckBox2: return GetDlgItem(hwnd, kCheckBox2);
    case DBLinkControl::LogID: return GetDlgItem(hwnd, kLogID);
    case DBLinkControl::LogPwd: return GetDlgItem(hwnd, kLogPwd);
    case DBLinkControl::RzLabel4: return GetDlgItem(hwnd, kRzLabel4);
    case DBLinkControl::CBDateDB: return GetDlgItem(hwnd, kCBDateDB);
  }
  return nullptr;
}

bool TFrmDBLink::Create(HWND owner) {
  static const bool registered = win::RegisterWindowClass(kClassName, WindowProc);
  if (!registered) return false;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  // Centred on the owner, kept on the owner's monitor.
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (owner && IsWindow(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  RECT work = around;
  if (GetMonitorInfoW(MonitorFromRect(&around, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
  int left = around.left + (around.right - around.left - width) / 2;
  int top = around.top + (around.bottom - around.top - height) / 2;
  if (left + width > work.right) left = work.right - width;
  if (top + height > work.bottom) top = work.bottom - height;
  if (left < work.left) left = work.left;
  if (top < work.top) top = work.top;

  hwnd = CreateWindowExW(kExStyle, kClassName, win::Widen(DBLinkLogic::kCaption).c_str(), kStyle, left, top, width,
                         height, owner, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd != nullptr;
}

HWND TFrmDBLink::Label(int id, const wchar_t* caption, int row) {
  HWND label = CreateWindowExW(0, L"STATIC", caption, WS_CHILD | WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, kLabelLeft,
                               RowTop(row) + 5, kLabelWidth, 14, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  return label;
}

HWND TFrmDBLink::Edit(int id, int row, DWORD style) {
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | style,
                              kBoxLeft, RowTop(row), kBoxWidth, kBoxHeight, hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  return edit;
}

bool TFrmDBLink::OnCreate() {
  formFont_ = win::CreatePixelFont(L"宋体", 12, false);
  buttonFont_ = win::CreatePixelFont(L"宋体", 12, true);
  formBrush_ = CreateSolidBrush(kFormColour);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);

  // Labels carry no tab stop; the other controls are created in the tab order.
  Label(kRzLabel3, L"服务器(IP)：", 0);
  Label(kRzLabel1, L"端口：", 1);
  Label(kRzLabel6, L"数据库账号：", 2);
  Label(kRzLabel5, L"数据库密码：", 3);
  Label(kRzLabel4, L"库名：", 4);
  CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 16, kRuleTop, kClientWidth - 32, 2, hwnd,
                  nullptr, nullptr, nullptr);

  Edit(kCBServerIP, 0, WS_TABSTOP);
  Edit(kLogID, 2, WS_TABSTOP);
  HWND password = Edit(kLogPwd, 3, WS_TABSTOP | ES_PASSWORD);
  SendMessageW(password, EM_SETPASSWORDCHAR, L'*', 0);
  SendMessageW(password, EM_SETLIMITTEXT, 18, 0);

  HWND database = CreateWindowExW(0, L"COMBOBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                                  kBoxLeft, RowTop(4), kBoxWidth, 200, hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCBDateDB)), nullptr, nullptr);
  SendMessageW(database, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  // The selection field as tall as the edit boxes beside it.
  SendMessageW(database, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kBoxHeight - 6);

  win::FlatButtonStyle style;
  style.font = buttonFont_;
  const int buttonsLeft = (kClientWidth - 2 * kButtonWidth - kButtonGap) / 2;
  win::CreateFlatButton(hwnd, kBtnOK, L"保 存", buttonsLeft, kButtonTop, kButtonWidth, kButtonHeight, style);
  win::CreateFlatButton(hwnd, kBtnCancel, L"取 消", buttonsLeft + kButtonWidth + kButtonGap, kButtonTop,
                        kButtonWidth, kButtonHeight, style);

  HWND thisMachine =
      CreateWindowExW(0, L"BUTTON", L"本机", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kSideLeft,
                      RowTop(0) + 2, 64, 18, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckBox1)), nullptr,
                      nullptr);
  SendMessageW(thisMachine, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  win::CreateFlatButton(hwnd, kRzBitBtn2, L"测试连接", kSideLeft, RowTop(4) - 2, 80, kBoxHeight + 4, style);
  HWND portSwitch =
      CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kSideLeft,
                      RowTop(1) + 2, 18, 18, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckBox2)), nullptr,
                      nullptr);
  SendMessageW(portSwitch, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_), FALSE);
  HWND port = Edit(kPortEd, 1, WS_TABSTOP);
  SetWindowTextW(port, L"1433");
  EnableWindow(port, FALSE);

  for (int id : {kCBServerIP, kCheckBox1, kPortEd, kCheckBox2, kLogID, kLogPwd, kCBDateDB, kRzBitBtn2, kBtnOK,
                 kBtnCancel}) {
    if (!GetDlgItem(hwnd, id)) return false;
  }
  savedFocus_ = GetDlgItem(hwnd, kCBServerIP);
  return true;
}

void TFrmDBLink::OnCommand(int id, int code) {
  switch (id) {
    case kCheckBox1:
      if (code == BN_CLICKED) logic.CheckBox1Click();
      break;
    case kCheckBox2:
      if (code == BN_CLICKED) logic.CheckBox2Click();
      break;
    case kCBDateDB:
      if (code == CBN_DROPDOWN) logic.CBDateDBDropDown();
      break;
    case kRzBitBtn2:
      if (code == BN_CLICKED) logic.RzBitBtn2Click();
      break;
    case kBtnOK:
      if (code == BN_CLICKED) logic.BtnOKClick();
      break;
    case kBtnCancel:
      if (code == BN_CLICKED) logic.BtnCancelClick();
      break;
    default:
      break;  // IDOK and IDCANCEL from Enter and Esc mean nothing here
  }
}

void TFrmDBLink::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
    return;
  }
  if (!IsChild(hwnd, GetFocus()) && savedFocus_ && IsWindow(savedFocus_)) SetFocus(savedFocus_);
}

LRESULT TFrmDBLink::OnControlColour(HDC dc, HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  // Read-only and disabled edit boxes keep the system's colours.
  if (lstrcmpiW(name, L"Edit") == 0) return DefWindowProcW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                          reinterpret_cast<LPARAM>(control));
  SetBkColor(dc, kFormColour);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return reinterpret_cast<LRESULT>(formBrush_);
}

LRESULT CALLBACK TFrmDBLink::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = win::WindowData<TFrmDBLink>(hwnd, message, lParam);
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) form->hwnd = hwnd;
  return form->OnMessage(message, wParam, lParam);
}

LRESULT TFrmDBLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DRAWITEM:
      if (win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, formBrush_);
      return 1;
    }
    case WM_SETCURSOR:
      if (waitDepth_ > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_CLOSE:  // Alt+F4: as "取 消"
      logic.BtnCancelClick();
      return 0;
    case WM_DESTROY:
      for (HGDIOBJ object : std::initializer_list<HGDIOBJ>{formFont_, buttonFont_, formBrush_}) {
        if (object) DeleteObject(object);
      }
      formFont_ = buttonFont_ = nullptr;
      formBrush_ = nullptr;
      break;
    case WM_NCDESTROY: {
      HWND self = hwnd;
      SetWindowLongPtrW(self, GWLP_USERDATA, 0);
      hwnd = nullptr;
      return DefWindowProcW(self, message, wParam, lParam);
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// IDBLinkView

std::string TFrmDBLink::Text(DBLinkControl control) { return win::WindowTextUtf8(Control(control)); }

void TFrmDBLink::SetText(DBLinkControl control, const std::string& text) { win::SetWindowTextUtf8(Control(control), text); }

bool TFrmDBLink::Checked(DBLinkControl control) {
  return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TFrmDBLink::Enable(DBLinkControl control, bool enabled) { EnableWindow(Control(control), enabled); }

void TFrmDBLink::Focus(DBLinkControl control) {
  HWND child = Control(control);
  SetFocus(child);
  savedFocus_ = child;
  // The box's whole text selected, ready to be typed over.
  if (control == DBLinkControl::CBDateDB) {
    SendMessageW(child, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  } else {
    SendMessageW(child, EM_SETSEL, 0, -1);
  }
}

void TFrmDBLink::SetDatabaseItems(const std::vector<std::string>& names) {
  HWND box = Control(DBLinkControl::CBDateDB);
  const std::string text = Text(DBLinkControl::CBDateDB);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(name).c_str()));
  }
  SetWindowTextW(box, win::Widen(text).c_str());
}

void TFrmDBLink::SelectFirstDatabase() { SendMessageW(Control(DBLinkControl::CBDateDB), CB_SETCURSEL, 0, 0); }

void TFrmDBLink::Repaint() {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TFrmDBLink::EndDialog(DBLinkResult result) { win::EndModal(hwnd, static_cast<int>(result)); }

void TFrmDBLink::BeginWait() {
  if (waitDepth_++ == 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void TFrmDBLink::EndWait() {
  if (waitDepth_ > 0 && --waitDepth_ == 0) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace

bool RunDBLinkDialog(HWND owner, IDatabase& database, IEntryLinks& links, IMessageBoxes& boxes, int entryNo,
                     DatabaseKind kind, std::string& dbName, ICheckThreading* threading) {
  // Made before the form, gone after it: the form's connections are closed on it.
  std::optional<ProviderThread> worker;
  if (threading) worker.emplace(*threading);
  TFrmDBLink form(database, links, boxes);
  if (worker) form.logic.SetProviderWorker(*worker);
  if (!form.Create(owner)) return false;
  form.logic.FEntryNo = entryNo;
  form.logic.FKind = kind;
  form.logic.FDBName.clear();
  form.logic.FormShow();
  const bool ok = win::RunModal(form.hwnd) == static_cast<int>(DBLinkResult::OK);
  if (ok) dbName = form.logic.FDBName;
  DestroyWindow(form.hwnd);
  return ok;
}

}  // namespace teshmar
