#include "customer/ModeInfoForm.h"

#include <initializer_list>
#include <vector>

#include "customer/ModeInfo.h"
#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/Modal.h"
#include "win/Wide.h"
#include "win/WindowClass.h"

namespace teshmar {

TModeInfoFrm* ModeInfoFrm = nullptr;

namespace {

using namespace modeinfo_form;

constexpr COLORREF kFormColour = 16119543;  // R 247, G 246, B 245
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kDropDownHeight = 320;

HMENU IdOf(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

void SetFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

}  // namespace

class TModeInfoFrm : public IModeInfoView {
 public:
  explicit TModeInfoFrm(IMessageBoxes& boxes) : logic(*this, boxes) {}
  ~TModeInfoFrm() override {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  bool Create(HWND owner);
  void Show() { Quietly([this] { logic.FormShow(); }); }

  // IModeInfoView
  std::string Text(ModeInfoControl control) override;
  void SetText(ModeInfoControl control, const std::string& text) override;
  void ClearBox(ModeInfoControl control) override;
  void AddItems(ModeInfoControl control, const std::vector<std::string>& items) override;
  void SelectNone(ModeInfoControl control) override;
  void SelectExact(ModeInfoControl control, const std::string& text) override;
  void EndDialog(ModeInfoResult result) override { win::EndModal(hwnd, static_cast<int>(result)); }

  ModeInfoLogic logic;
  HWND hwnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnCommand(int id, int code, HWND control);
  void OnActivate(WPARAM wParam);
  HWND Label(int id, const wchar_t* caption, int x, int y, HFONT font, bool rightAligned);
  HWND Edit(int id, int x, int y, int width, int height);
  HWND Combo(int id, int x, int y, int width, HFONT font);
  HWND Control(ModeInfoControl control) const;
  // Runs the dialog's work with the boxes' own change notifications ignored: only the operator's
  // changes run the change handlers.
  template <typename Work>
  void Quietly(Work work) {
    ++quiet_;
    work();
    --quiet_;
  }

  HFONT titleFont_ = nullptr;    // 微软雅黑 16 px bold
  HFONT labelFont_ = nullptr;    // 微软雅黑 16 px
  HFONT editFont_ = nullptr;     // 宋体 16 px
  HFONT provinceFont_ = nullptr; // 微软雅黑 13 px
  HFONT comboFont_ = nullptr;    // MS Sans Serif 13 px
  HFONT buttonFont_ = nullptr;   // MS Sans Serif 11 px bold
  HBRUSH formBrush_ = nullptr;
  HWND savedFocus_ = nullptr;
  int quiet_ = 0;
};

HWND TModeInfoFrm::Control(ModeInfoControl control) const {
  switch (control) {
    case ModeInfoControl::GuestEd: return GetDlgItem(hwnd, kGuestEd);
    case ModeInfoControl::CBProvince: return GetDlgItem(hwnd, kCBProvince);
    case ModeInfoControl::CBCity: return GetDlgItem(hwnd, kCBCity);
    case ModeInfoControl::CBArea: return GetDlgItem(hwnd, kCBArea);
    case ModeInfoControl::AddrEd: return GetDlgItem(hwnd, kAddrEd);
  }
  return nullptr;
}

bool TModeInfoFrm::Create(HWND owner) {
  static const bool registered = win::RegisterWindowClass(kClassName, WindowProc);
  if (!registered) return false;
  // Centred on the primary screen, whatever the owner.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  hwnd = CreateWindowExW(kExStyle, kClassName, win::Widen(ModeInfoLogic::kCaption).c_str(), kStyle, left, top, kWidth,
                         kHeight, owner, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd != nullptr;
}

HWND TModeInfoFrm::Label(int id, const wchar_t* caption, int x, int y, HFONT font, bool rightAligned) {
  // Sized to its text; a right-aligned one keeps its left edge where it was laid out.
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  HWND label = CreateWindowExW(0, L"STATIC", caption,
                               WS_CHILD | WS_VISIBLE | SS_NOPREFIX | (rightAligned ? SS_RIGHT : SS_LEFT), x, y,
                               size.cx, size.cy, hwnd, IdOf(id), nullptr, nullptr);
  SetFont(label, font);
  return label;
}

HWND TModeInfoFrm::Edit(int id, int x, int y, int width, int height) {
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, x, y,
                              width, height, hwnd, IdOf(id), nullptr, nullptr);
  SetFont(edit, editFont_);
  return edit;
}

HWND TModeInfoFrm::Combo(int id, int x, int y, int width, HFONT font) {
  // Editable, and the lists keep the table's order.
  HWND combo = CreateWindowExW(0, L"COMBOBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, x, y,
                               width, kDropDownHeight, hwnd, IdOf(id), nullptr, nullptr);
  SetFont(combo, font);
  return combo;
}

bool TModeInfoFrm::OnCreate() {
  titleFont_ = win::CreatePixelFont(L"微软雅黑", 16, true);
  labelFont_ = win::CreatePixelFont(L"微软雅黑", 16, false);
  editFont_ = win::CreatePixelFont(L"宋体", 16, false);
  provinceFont_ = win::CreatePixelFont(L"微软雅黑", 13, false);
  comboFont_ = win::CreatePixelFont(L"MS Sans Serif", 13, false);
  buttonFont_ = win::CreatePixelFont(L"MS Sans Serif", 11, true);
  formBrush_ = CreateSolidBrush(kFormColour);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_), FALSE);

  Label(kLabel3, L"客户名称：", 16, 14, titleFont_, false);
  Label(kLabel4, L"客户地址：", 16, 73, titleFont_, false);
  Label(kLabel1, L"省：", 84, 98, labelFont_, true);
  Label(kLabel2, L"市:", 215, 98, labelFont_, false);
  Label(kLabel5, L"县(区):", 345, 98, labelFont_, false);
  Label(kLabel6, L"街道：", 68, 138, labelFont_, true);

  // Created in the tab order.
  Edit(kGuestEd, 111, 41, 388, 24);
  Edit(kAddrEd, 112, 137, 385, 24);
  Combo(kCBProvince, 112, 99, 97, provinceFont_);
  Combo(kCBCity, 243, 99, 97, comboFont_);
  Combo(kCBArea, 397, 99, 100, comboFont_);
  win::FlatButtonStyle style;  // frame 7617536, face 15791348, hover highlight
  style.font = buttonFont_;
  win::CreateFlatButton(hwnd, kButton1, L"保存", 352, 208, 75, 41, style);
  win::CreateFlatButton(hwnd, kButton2, L"取消", 432, 208, 73, 41, style);

  for (int id : {kGuestEd, kAddrEd, kCBProvince, kCBCity, kCBArea, kButton1, kButton2}) {
    if (!GetDlgItem(hwnd, id)) return false;
  }
  savedFocus_ = GetDlgItem(hwnd, kGuestEd);
  Quietly([this] { logic.FormCreate(); });
  return true;
}

void TModeInfoFrm::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case kCBProvince:
    case kCBCity: {
      if (quiet_ || (code != CBN_EDITCHANGE && code != CBN_SELCHANGE)) break;
      Quietly([&] {
        if (code == CBN_SELCHANGE) {
          // The edit still shows the old text while the pick is announced: the handler reads the picked item.
          const LRESULT picked = SendMessageW(control, CB_GETCURSEL, 0, 0);
          if (picked != CB_ERR) {
            std::wstring item(static_cast<size_t>(SendMessageW(control, CB_GETLBTEXTLEN, picked, 0)) + 1, L'\0');
            SendMessageW(control, CB_GETLBTEXT, picked, reinterpret_cast<LPARAM>(item.data()));
            SetWindowTextW(control, item.c_str());
          }
        }
        if (id == kCBProvince) logic.CBProvinceChange();
        else logic.CBCityChange();
      });
      break;
    }
    case kButton1:
      if (code == BN_CLICKED) Quietly([this] { logic.Button1Click(); });
      break;
    case kButton2:
      if (code == BN_CLICKED) logic.Button2Click();
      break;
    default:
      break;  // IDOK and IDCANCEL from Enter and Esc mean nothing here
  }
}

void TModeInfoFrm::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
    return;
  }
  if (!IsChild(hwnd, GetFocus()) && savedFocus_ && IsWindow(savedFocus_)) SetFocus(savedFocus_);
}

LRESULT CALLBACK TModeInfoFrm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = win::WindowData<TModeInfoFrm>(hwnd, message, lParam);
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) form->hwnd = hwnd;
  return form->OnMessage(message, wParam, lParam);
}

LRESULT TModeInfoFrm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_DRAWITEM:
      if (win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, kFormColour);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(formBrush_);
    }
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, formBrush_);
      return 1;
    }
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_CLOSE:  // the title bar's close button and Alt+F4: as "取消"
      logic.Button2Click();
      return 0;
    case WM_DESTROY:
      for (HGDIOBJ object : std::initializer_list<HGDIOBJ>{titleFont_, labelFont_, editFont_, provinceFont_,
                                                           comboFont_, buttonFont_, formBrush_}) {
        if (object) DeleteObject(object);
      }
      titleFont_ = labelFont_ = editFont_ = provinceFont_ = comboFont_ = buttonFont_ = nullptr;
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

// IModeInfoView

std::string TModeInfoFrm::Text(ModeInfoControl control) { return win::WindowTextUtf8(Control(control)); }

void TModeInfoFrm::SetText(ModeInfoControl control, const std::string& text) { win::SetWindowTextUtf8(Control(control), text); }

void TModeInfoFrm::ClearBox(ModeInfoControl control) {
  HWND box = Control(control);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(box, L"");
}

void TModeInfoFrm::AddItems(ModeInfoControl control, const std::vector<std::string>& items) {
  HWND box = Control(control);
  for (const std::string& item : items) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(item).c_str()));
  }
}

void TModeInfoFrm::SelectNone(ModeInfoControl control) { SendMessageW(Control(control), CB_SETCURSEL, -1, 0); }

void TModeInfoFrm::SelectExact(ModeInfoControl control, const std::string& text) {
  HWND box = Control(control);
  const LRESULT found =
      SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(win::Widen(text).c_str()));
  SendMessageW(box, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(found), 0);
}

bool EditGuest(HWND owner, IMessageBoxes& boxes, std::string& name, std::string& address, int mode,
               std::function<bool(const std::string&)> canStore) {
  TModeInfoFrm form(boxes);
  if (!form.Create(owner)) return false;
  ModeInfoFrm = &form;
  form.logic.FGuestName = name;
  form.logic.FGuestAddr = address;
  form.logic.FMode = mode;
  form.logic.FCanStore = std::move(canStore);
  form.Show();
  const bool ok = win::RunModal(form.hwnd) == static_cast<int>(ModeInfoResult::OK);
  if (ok) {
    name = form.logic.FGuestName;
    address = form.logic.FGuestAddr;
  }
  DestroyWindow(form.hwnd);
  ModeInfoFrm = nullptr;
  return ok;
}

}  // namespace teshmar
