#include "app/FormMsg.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/AppWindow.h"
#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/Modal.h"
#include "win/Wide.h"
#include "win/WindowClass.h"

namespace teshmar::app {

TFrmMsg* FrmMsg = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFrmMsg";
constexpr COLORREF kFormColour = 16119543;  // red 247, green 246, blue 245
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

const wchar_t* RichEditClass() {
  // Msftedit carries RICHEDIT50W; older systems and Wine builds without it have RichEdit20W.
  static const wchar_t* name = LoadLibraryW(L"Msftedit.dll")   ? MSFTEDIT_CLASS
                               : LoadLibraryW(L"Riched20.dll") ? RICHEDIT_CLASSW
                                                               : L"EDIT";
  return name;
}

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* rest = reinterpret_cast<std::wstring_view*>(cookie);
  const size_t bytes = std::min(rest->size() * sizeof(wchar_t), static_cast<size_t>(wanted) & ~size_t{1});
  std::memcpy(buffer, rest->data(), bytes);
  rest->remove_prefix(bytes / sizeof(wchar_t));
  *given = static_cast<LONG>(bytes);
  return 0;
}

// Streamed in as plain text, so a message that happens to begin with "{\rtf" is shown as written.
void SetPlainText(HWND edit, const std::wstring& text) {
  std::wstring_view rest = text;
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&rest), 0, ReadStream};
  if (SendMessageW(edit, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream)) == 0 &&
      !text.empty()) {
    SetWindowTextW(edit, text.c_str());  // the plain EDIT fallback
  }
}

void CentreParagraphs(HWND edit) {
  PARAFORMAT2 format{};
  format.cbSize = sizeof format;
  format.dwMask = PFM_ALIGNMENT;
  format.wAlignment = PFA_CENTER;
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
  SendMessageW(edit, EM_SETSEL, 0, 0);
}

bool OnCreate(HWND hwnd, TFrmMsg& form) {
  form.hwnd = hwnd;
  form.editFont = win::CreatePixelFont(L"宋体", 16, true);
  form.buttonFont = win::CreatePixelFont(L"微软雅黑", 13, true);
  HINSTANCE instance = GetModuleHandleW(nullptr);

  // The button first: it leads the tab order.
  win::FlatButtonStyle style;
  style.font = form.buttonFont;
  form.RzBitBtn1 = win::CreateFlatButton(hwnd, kRzBitBtn1Id, L"确定", 192, 96, 89, 41, style);

  form.MsgEd = CreateWindowExW(0, RichEditClass(), L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_CENTER,
                               35, 20, 411, 55, hwnd, reinterpret_cast<HMENU>(kMsgEdId), instance, nullptr);
  if (!form.RzBitBtn1 || !form.MsgEd) return false;
  SendMessageW(form.MsgEd, EM_SETBKGNDCOLOR, 0, kFormColour);
  SendMessageW(form.MsgEd, WM_SETFONT, reinterpret_cast<WPARAM>(form.editFont), FALSE);
  return true;
}

// Puts MessageText into MsgEd, before the window is first on the screen.
void FormShow(TFrmMsg& form) {
  SetPlainText(form.MsgEd, win::Widen(form.MessageText));
  CentreParagraphs(form.MsgEd);
}

void RzBitBtn1Click(TFrmMsg& form) { win::EndModal(form.hwnd, IDOK); }

LRESULT OnCommand(TFrmMsg& form, WPARAM wParam) {
  if (LOWORD(wParam) == kRzBitBtn1Id && HIWORD(wParam) == BN_CLICKED) RzBitBtn1Click(form);
  return 0;
}

LRESULT OnActivate(TFrmMsg& form, WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE && !IsChild(form.hwnd, GetFocus())) SetFocus(form.RzBitBtn1);
  return 0;
}

LRESULT OnEraseBackground(HWND hwnd, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  SetBkColor(dc, kFormColour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  return 1;
}

void OnDestroy(TFrmMsg& form) {
  DeleteObject(form.editFont);
  DeleteObject(form.buttonFont);
  form.editFont = form.buttonFont = nullptr;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TFrmMsg* form = win::WindowData<TFrmMsg>(hwnd, message, lParam);
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, *form) ? 0 : -1;
    case WM_COMMAND:
      return OnCommand(*form, wParam);
    case WM_DRAWITEM:
      if (win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_CLOSE:  // the caption's close button ends the window as "确定" does
      RzBitBtn1Click(*form);
      return 0;
    case WM_ACTIVATE:
      return OnActivate(*form, wParam);
    case WM_ERASEBKGND:
      return OnEraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_DESTROY:
      OnDestroy(*form);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      form->hwnd = nullptr;
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateFrmMsg(TFrmMsg& form) {
  static const bool registered = win::RegisterWindowClass(kClassName, WindowProc);
  if (!registered) return nullptr;
  RECT frame{0, 0, kMsgClientWidth, kMsgClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the screen, as the layout places it.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return CreateWindowExW(kExStyle, kClassName, L"消息", kStyle, left, top, width, height, MainWindow(), nullptr,
                         GetModuleHandleW(nullptr), &form);
}

}  // namespace

void ShowMessageWindow(const std::string& text) {
  if (text.empty()) return;
  if (FrmMsg) return;  // dropped: one message window at a time
  TFrmMsg form;
  form.MessageText = text;
  FrmMsg = &form;
  struct ClearGuard {
    ~ClearGuard() { FrmMsg = nullptr; }
  } clear;
  HWND hwnd = CreateFrmMsg(form);
  if (!hwnd) return;
  FormShow(form);
  win::RunModal(hwnd);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

}  // namespace teshmar::app
