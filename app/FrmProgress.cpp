#include "app/FrmProgress.h"

#include <algorithm>
#include <span>

#include "app/AppWindow.h"
#include "win/FlatButton.h"
#include "win/Fonts.h"
#include "win/Wide.h"
#include "win/WindowClass.h"

namespace teshmar::app {

TFormPro* FormPro = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFormPro";
constexpr wchar_t kGaugeClassName[] = L"TGauge";
bool playOutline = true;
unsigned creations = 0;  // tells HideProgressWindow whether a handler replaced the window meanwhile

RECT RectInParent(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A label is sized to its text; the notice under its old and new place is painted again, since
// the label is transparent and would otherwise keep the old letters.
void SetLabelText(TFormPro& form, HWND label, const std::wstring& text) {
  const RECT before = RectInParent(label);
  SetWindowTextW(label, text.c_str());
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, form.font);
  RECT size{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), -1, &size, DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  const int height = std::max<int>(size.bottom - size.top, metrics.tmHeight);
  SetWindowPos(label, nullptr, 0, 0, size.right - size.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  const RECT after = RectInParent(label);
  RECT both;
  UnionRect(&both, &before, &after);
  RedrawWindow(form.hwnd, &both, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// A bar gauge with a one-pixel black border, white where it is not done, and its percentage
// centred over it, drawn white on the done part and black on the rest.
void PaintGauge(HWND gauge, HDC dc, const TFormPro& form) {
  RECT client;
  GetClientRect(gauge, &client);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  FrameRect(dc, &client, black);
  RECT inner = client;
  InflateRect(&inner, -1, -1);
  const long long range = static_cast<long long>(form.gaugeMax) - form.gaugeMin;
  const int doneWidth = range <= 0 ? 0
                                   : static_cast<int>((inner.right - inner.left) *
                                                      (static_cast<long long>(form.gaugePosition) - form.gaugeMin) / range);
  RECT done{inner.left, inner.top, inner.left + std::clamp(doneWidth, 0, int(inner.right - inner.left)), inner.bottom};
  RECT rest{done.right, inner.top, inner.right, inner.bottom};
  FillColour(dc, done, RGB(0, 0, 0));
  FillColour(dc, rest, RGB(255, 255, 255));
  const std::wstring text = win::Widen(GaugeText(form.gaugePosition, form.gaugeMin, form.gaugeMax));
  HGDIOBJ old = SelectObject(dc, form.font);
  SetBkMode(dc, TRANSPARENT);
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  for (const auto& [part, colour] : {std::pair{done, RGB(255, 255, 255)}, std::pair{rest, RGB(0, 0, 0)}}) {
    if (part.right <= part.left) continue;
    SaveDC(dc);
    IntersectClipRect(dc, part.left, part.top, part.right, part.bottom);
    SetTextColor(dc, colour);
    RECT textRect = inner;
    DrawTextW(dc, text.c_str(), -1, &textRect, format);
    RestoreDC(dc, -1);
  }
  SelectObject(dc, old);
}

LRESULT CALLBACK GaugeProc(HWND gauge, UINT message, WPARAM wParam, LPARAM lParam) {
  TFormPro* form = win::WindowData<TFormPro>(gauge, message, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(gauge, &paint);
      if (form) PaintGauge(gauge, dc, *form);
      EndPaint(gauge, &paint);
      return 0;
    }
  }
  return DefWindowProcW(gauge, message, wParam, lParam);
}

HBITMAP CreateBackground(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows top to bottom
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HWND CreateLabel(HWND parent, int id, int x, int y, HFONT font) {
  HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, x, y, 0, 0,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return label;
}

bool FormCreate(HWND hwnd, TFormPro& form) {
  form.hwnd = hwnd;
  form.Background = CreateBackground(kProgressClientWidth, kProgressClientHeight, &form.backgroundBits);
  form.font = win::CreatePixelFont(L"宋体", 12, false);
  form.lblTitle = CreateLabel(hwnd, kLblTitleId, 80, 22, form.font);
  form.Label1 = CreateLabel(hwnd, kLabel1Id, 79, 39, form.font);
  form.Gauge = CreateWindowExW(0, kGaugeClassName, win::Widen(GaugeText(0, 0, 100)).c_str(), WS_CHILD | WS_VISIBLE,
                               15, 56, 284, 17, hwnd, reinterpret_cast<HMENU>(kGaugeId), GetModuleHandleW(nullptr),
                               &form);
  win::FlatButtonStyle style;
  style.face = CLR_NONE;  // flat: the gradient shows through
  style.frame = CLR_NONE;
  style.text = RGB(255, 0, 0);
  style.font = form.font;
  style.focusable = false;
  form.SpeedButton1 = win::CreateFlatButton(hwnd, kSpeedButton1Id, L"取  消(&C)", 240, 80, 57, 22, style);
  if (form.SpeedButton1) ShowWindow(form.SpeedButton1, SW_HIDE);
  return form.Background && form.backgroundBits && form.lblTitle && form.Label1 && form.Gauge && form.SpeedButton1;
}

// The outline that grows on the screen from the centre of the notice to its edges, before the
// notice itself appears; each step copies the saved screen back inside it, so one outline is seen.
void ZoomOutline(int left, int top, int width, int height) {
  HDC screen = GetDC(nullptr);
  if (!screen) return;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HDC snapshotDc = CreateCompatibleDC(screen);
  HBITMAP snapshot = CreateCompatibleBitmap(screen, screenWidth, screenHeight);
  if (snapshotDc && snapshot) {
    HGDIOBJ oldBitmap = SelectObject(snapshotDc, snapshot);
    BitBlt(snapshotDc, 0, 0, screenWidth, screenHeight, screen, 0, 0, SRCCOPY);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(screen, pen);
    HGDIOBJ oldBrush = SelectObject(screen, GetStockObject(NULL_BRUSH));
    auto copyBack = [&](const Copy& c) {
      if (c.width > 0 && c.height > 0) BitBlt(screen, c.x, c.y, c.width, c.height, snapshotDc, c.x, c.y, SRCCOPY);
    };
    const OutlinePlan plan = PlanZoomOutline(left, top, width, height);
    for (const OutlineStep& step : plan.steps) {
      Sleep(2);
      Rectangle(screen, step.outline.left, step.outline.top, step.outline.right, step.outline.bottom);
      copyBack(step.inside);
      GdiFlush();
    }
    copyBack(plan.finalCopy);
    GdiFlush();
    SelectObject(screen, oldBrush);
    SelectObject(screen, oldPen);
    DeleteObject(pen);
    SelectObject(snapshotDc, oldBitmap);
  }
  if (snapshot) DeleteObject(snapshot);
  if (snapshotDc) DeleteDC(snapshotDc);
  ReleaseDC(nullptr, screen);
}

// Before the notice is first on the screen: its place, the outline, and its background.
void FormShow(TFormPro& form) {
  RECT rect;
  GetWindowRect(form.hwnd, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const Point place = ProgressWindowPlace(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                          width, height, form.CenterOnDesktop);
  SetWindowPos(form.hwnd, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (playOutline) ZoomOutline(place.x, place.y, width, height);
  BITMAP info{};
  GetObjectW(form.Background, sizeof info, &info);
  GdiFlush();
  PaintBackground(std::span(static_cast<std::uint8_t*>(form.backgroundBits),
                            static_cast<size_t>(info.bmWidthBytes) * static_cast<size_t>(info.bmHeight)),
                  info.bmWidthBytes, info.bmWidth, info.bmHeight, form.StartColor, form.EndColor);
  form.shown = true;
}

LRESULT WMEraseBkgnd(HWND hwnd, TFormPro& form, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, form.Background);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  return 1;
}

void SpeedButton1Click(TFormPro& form) { form.Cancelled = true; }

LRESULT OnCommand(TFormPro& form, WPARAM wParam) {
  if (LOWORD(wParam) == kSpeedButton1Id && HIWORD(wParam) == BN_CLICKED) SpeedButton1Click(form);
  return 0;
}

// Alt+C presses the cancel button while it is shown.
bool OnSysChar(TFormPro& form, WPARAM key) {
  if ((key != L'c' && key != L'C') || !IsWindowVisible(form.SpeedButton1) || !IsWindowEnabled(form.SpeedButton1)) {
    return false;
  }
  SpeedButton1Click(form);
  return true;
}

LRESULT OnCtlColorStatic(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void FormDestroy(TFormPro& form) {
  if (form.Background) DeleteObject(form.Background);
  if (form.font) DeleteObject(form.font);
  form.Background = nullptr;
  form.backgroundBits = nullptr;
  form.font = nullptr;
}

// Also reached when the owner, the main window, is destroyed with the notice still up.
void OnNcDestroy(HWND hwnd, TFormPro* form) {
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (FormPro == form) FormPro = nullptr;
  delete form;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TFormPro* form = win::WindowData<TFormPro>(hwnd, message, lParam);
  if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      return FormCreate(hwnd, *form) ? 0 : -1;
    case WM_ERASEBKGND:
      return WMEraseBkgnd(hwnd, *form, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam));
    case WM_DRAWITEM:
      if (win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_COMMAND:
      return OnCommand(*form, wParam);
    case WM_SYSCHAR:
      if (OnSysChar(*form, wParam)) return 0;
      break;
    case WM_DESTROY:
      FormDestroy(*form);
      break;
    case WM_NCDESTROY:
      OnNcDestroy(hwnd, form);
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TFormPro* CreateFormPro() {
  static const bool registered =
      win::RegisterWindowClass(kClassName, WindowProc) && win::RegisterWindowClass(kGaugeClassName, GaugeProc);
  if (!registered) return nullptr;
  auto* form = new TFormPro;
  // The window owns the struct from here on: WM_NCDESTROY deletes it, which also comes when WM_CREATE fails.
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"消息显示窗体", WS_POPUP, 0, 0,
                              kProgressClientWidth, kProgressClientHeight, MainWindow(), nullptr,
                              GetModuleHandleW(nullptr), form);
  if (!hwnd) return nullptr;
  ++creations;
  FormPro = form;
  return form;
}

// Handles every message that is waiting, as the framework's ProcessMessages does.
void ProcessWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // left for the main loop
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

void ShowProgressWindow(const std::string& text, bool centred, bool showGauge, bool showCancel,
                        Colour endColour) {
  TFormPro* form = FormPro;
  if (!form) {
    form = CreateFormPro();
    if (!form) return;
  } else {
    SetWindowPos(form->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  SetLabelText(*form, showGauge ? form->lblTitle : form->Label1, win::Widen(text));
  form->CenterOnDesktop = centred;
  ShowWindow(form->Gauge, showGauge ? SW_SHOWNA : SW_HIDE);
  form->EndColor = endColour;
  form->StartColor = kWhite;
  ShowWindow(form->SpeedButton1, showCancel ? SW_SHOWNA : SW_HIDE);
  // Also a notice hidden by a hide still under way (a handler inside its message pump showed it
  // again) is placed, outlined and painted afresh.
  if (!IsWindowVisible(form->hwnd)) {
    FormShow(*form);
    ShowWindow(form->hwnd, SW_SHOW);
  }
  RedrawWindow(form->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

void HideProgressWindow() {
  TFormPro* form = FormPro;
  if (!form) return;
  const unsigned creation = creations;
  ShowWindow(form->hwnd, SW_HIDE);
  ProcessWaitingMessages();
  // A handler run just now may have closed the notice already, or put up a new one.
  if (FormPro != form || creations != creation) return;
  DestroyWindow(form->hwnd);
}

void SetOpeningOutline(bool play) { playOutline = play; }

}  // namespace teshmar::app
