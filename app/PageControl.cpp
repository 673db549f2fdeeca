#include "app/PageControl.h"

#include <windowsx.h>

#include "win/WindowClass.h"

namespace teshmar::app {

namespace {
constexpr wchar_t kControlClass[] = L"TRzPageControl";
constexpr wchar_t kPageClass[] = L"TTabSheet";
constexpr int kTabPadding = 24;

void FillRect(HDC dc, int l, int t, int r, int b, COLORREF colour) {
  RECT rc{l, t, r, b};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}
}  // namespace

bool PageControl::Create(HWND parent, int x, int y, int width, int height, const std::vector<std::wstring>& captions,
                         const PageControlStyle& style) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  win::RegisterWindowClass(kControlClass, ControlProc);
  win::RegisterWindowClass(kPageClass, PageProc);
  style_ = style;
  captions_ = captions;
  pageBrush_ = CreateSolidBrush(style_.page);
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kControlClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y,
                          width, height, parent, nullptr, instance, this);
  if (!hwnd_) return false;
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, style_.font);
  for (const auto& caption : captions_) {
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    tabWidths_.push_back(size.cx + kTabPadding);
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  const int top = style_.tabHeight + kFrame;
  for (size_t i = 0; i < captions_.size(); ++i) {
    HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, captions_[i].c_str(),
                                WS_CHILD | (i == 0 ? WS_VISIBLE : 0), kFrame, top,
                                width - 2 * kFrame, height - top - kFrame, hwnd_, nullptr, instance, this);
    pages_.push_back(page);
  }
  return true;
}

void PageControl::SetActivePage(size_t index) {
  if (index >= pages_.size() || index == active_) return;
  ShowWindow(pages_[active_], SW_HIDE);
  active_ = index;
  ShowWindow(pages_[active_], SW_SHOW);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool PageControl::TranslateCtrlTab(HWND root, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || pages_.size() < 2) return false;
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
  if (msg.hwnd != root && !IsChild(root, msg.hwnd)) return false;
  const bool backwards = GetKeyState(VK_SHIFT) < 0;
  const size_t count = pages_.size();
  HWND oldPage = pages_[active_];
  const bool focusOnPage = GetFocus() && IsChild(oldPage, GetFocus());
  SetActivePage(backwards ? (active_ + count - 1) % count : (active_ + 1) % count);
  // The focus must not stay on a control that has just been hidden.
  if (focusOnPage || !GetFocus()) {
    HWND first = GetNextDlgTabItem(pages_[active_], nullptr, FALSE);
    SetFocus(first && IsChild(pages_[active_], first) ? first : hwnd_);
  }
  return true;
}

RECT PageControl::TabRect(size_t index) const {
  int left = 0;
  for (size_t i = 0; i < index; ++i) left += tabWidths_[i] - 1;
  return RECT{left, 0, left + tabWidths_[index], style_.tabHeight + 1};
}

int PageControl::TabAt(int x, int y) const {
  for (size_t i = 0; i < tabWidths_.size(); ++i) {
    RECT rc = TabRect(i);
    POINT pt{x, y};
    if (PtInRect(&rc, pt)) return static_cast<int>(i);
  }
  return -1;
}

void PageControl::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  const int tabBottom = style_.tabHeight;
  FillRect(dc, 0, 0, client.right, tabBottom, GetSysColor(COLOR_BTNFACE));
  // The page frame: one flat line outside, the page colour inside.
  FillRect(dc, 0, tabBottom, client.right, client.bottom, style_.flat);
  FillRect(dc, 1, tabBottom + 1, client.right - 1, client.bottom - 1, style_.page);
  HGDIOBJ oldFont = SelectObject(dc, style_.font);
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < tabWidths_.size(); ++i) {
    RECT rc = TabRect(i);
    const bool active = i == active_;
    const int top = active ? 0 : 2;
    FillRect(dc, rc.left, top, rc.right, tabBottom + (active ? 1 : 0), style_.flat);
    FillRect(dc, rc.left + 1, top + 1, rc.right - 1, tabBottom + (active ? 2 : 0),
             active ? style_.page : GetSysColor(COLOR_BTNFACE));
    if (active || static_cast<int>(i) == hot_) FillRect(dc, rc.left + 1, top + 1, rc.right - 1, top + 3, style_.hot);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT text{rc.left, top + 2, rc.right, tabBottom};
    DrawTextW(dc, captions_[i].c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
  EndPaint(hwnd_, &ps);
}

void PageControl::OnMouseMove(int x, int y) {
  int hot = TabAt(x, y);
  if (hot == hot_) return;
  hot_ = hot;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
  TrackMouseEvent(&track);
  RECT row{0, 0, 32767, style_.tabHeight + 1};
  InvalidateRect(hwnd_, &row, FALSE);
}

void PageControl::OnLButtonDown(int x, int y) {
  int tab = TabAt(x, y);
  if (tab >= 0) SetActivePage(static_cast<size_t>(tab));
}

LRESULT CALLBACK PageControl::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = win::WindowData<PageControl>(hwnd, msg, lParam);
  switch (msg) {
    case WM_PAINT:
      self->OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      self->OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSELEAVE:
      self->OnMouseMove(-1, -1);
      return 0;
    case WM_LBUTTONDOWN:
      self->OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_NCDESTROY:
      if (self && self->pageBrush_) DeleteObject(self->pageBrush_);
      if (self) self->pageBrush_ = nullptr;
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PageControl::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = win::WindowData<PageControl>(hwnd, msg, lParam);
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, self->pageBrush_);
      return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      // The top-level window owns the behaviour of every control on the pages.
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), msg, wParam, lParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace teshmar::app
