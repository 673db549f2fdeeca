#include "win/FlatButton.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace teshmar::win {
namespace {

constexpr wchar_t kStateProperty[] = L"TeshmarFlatButton";
constexpr UINT_PTR kSubclassId = 0x7E54;
constexpr int kGlyphSize = 16;
constexpr int kGlyphGap = 4;

struct FlatButtonState {
  FlatButtonStyle style;
  bool hot = false;
};

FlatButtonState* StateOf(HWND button) {
  return button ? static_cast<FlatButtonState*>(GetPropW(button, kStateProperty)) : nullptr;
}

COLORREF Darker(COLORREF colour) {
  return RGB(GetRValue(colour) * 7 / 8, GetGValue(colour) * 7 / 8, GetBValue(colour) * 7 / 8);
}

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void FrameColour(HDC dc, RECT rect, COLORREF colour, int thickness) {
  for (int i = 0; i < thickness && rect.right > rect.left && rect.bottom > rect.top; ++i) {
    FillColour(dc, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
    FillColour(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    FillColour(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    FillColour(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
    InflateRect(&rect, -1, -1);
  }
}

// The parent paints what a see-through button shows, at the button's place in its client area.
void PaintParentBackground(HWND button, HDC dc) {
  HWND parent = GetParent(button);
  POINT origin{0, 0};
  MapWindowPoints(button, parent, &origin, 1);
  POINT old{};
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void DrawGlyph(HDC dc, HBITMAP glyph, int x, int y, bool disabled) {
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, glyph);
  BITMAP info{};
  GetObjectW(glyph, sizeof info, &info);
  const int imageX = (disabled && info.bmWidth >= 2 * kGlyphSize) ? kGlyphSize : 0;
  const int height = std::min<int>(info.bmHeight, kGlyphSize);
  const COLORREF transparent = GetPixel(source, imageX, height - 1);
  TransparentBlt(dc, x, y, kGlyphSize, height, source, imageX, 0, kGlyphSize, height, transparent);
  SelectObject(source, old);
  DeleteDC(source);
}

std::wstring CaptionOf(HWND button) {
  const int length = GetWindowTextLengthW(button);
  std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(button, caption.data(), length + 1)));
  return caption;
}

void PaintButton(HWND button, const FlatButtonState& state, HDC dc, const RECT& rect, UINT itemState) {
  const FlatButtonStyle& style = state.style;
  const bool pressed = (itemState & ODS_SELECTED) != 0;
  const bool disabled = (itemState & ODS_DISABLED) != 0;
  const bool focused = (itemState & ODS_FOCUS) != 0;

  if (style.face == CLR_NONE) {
    PaintParentBackground(button, dc);
  } else {
    FillColour(dc, rect, pressed ? Darker(style.face) : style.face);
  }
  RECT inner = rect;
  if (style.frame != CLR_NONE) {
    FrameColour(dc, inner, style.frame, 1);
    InflateRect(&inner, -1, -1);
  }
  if (state.hot && !disabled) {
    FrameColour(dc, inner, style.hot, 2);
  }

  HFONT font = style.font ? style.font : reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const std::wstring caption = CaptionOf(button);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  if (itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
  RECT measured{0, 0, 0, 0};
  DrawTextW(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
  const int textWidth = caption.empty() ? 0 : measured.right - measured.left;
  const int glyphWidth = style.glyph ? kGlyphSize + (textWidth > 0 ? kGlyphGap : 0) : 0;
  const int shift = pressed ? 1 : 0;
  int x = rect.left + (rect.right - rect.left - glyphWidth - textWidth) / 2 + shift;
  if (style.glyph) {
    DrawGlyph(dc, style.glyph, x, rect.top + (rect.bottom - rect.top - kGlyphSize) / 2 + shift, disabled);
    x += glyphWidth;
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : style.text);
  RECT textRect{x, rect.top + shift, x + textWidth, rect.bottom + shift};
  DrawTextW(dc, caption.c_str(), -1, &textRect, format);
  if (oldFont) SelectObject(dc, oldFont);

  if (focused && !(itemState & ODS_NOFOCUSRECT)) {
    RECT focus = rect;
    InflateRect(&focus, -4, -4);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
}

LRESULT OnMouseMove(HWND button, FlatButtonState& state) {
  if (!state.hot) {
    state.hot = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, button, 0};
    TrackMouseEvent(&track);
    InvalidateRect(button, nullptr, FALSE);
  }
  return 0;
}

LRESULT OnMouseLeave(HWND button, FlatButtonState& state) {
  state.hot = false;
  InvalidateRect(button, nullptr, FALSE);
  return 0;
}

LRESULT CALLBACK FlatButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  auto* state = reinterpret_cast<FlatButtonState*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(button, *state);
      break;
    case WM_MOUSELEAVE:
      return OnMouseLeave(button, *state);
    case WM_ERASEBKGND:
      return 1;  // the whole face is painted on WM_DRAWITEM
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports a double click instead of a second click: keep it a click.
      message = WM_LBUTTONDOWN;
      break;
    case WM_GETDLGCODE:
      // Enter on a focused flat button presses it, as on a push button: the dialog manager asks
      // the focused control whether it is the default push button.
      return (DefSubclassProc(button, message, wParam, lParam) & ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) |
             (GetFocus() == button ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      // A dialog moving its default button must not turn the owner-drawn button into a plain one.
      wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      break;
    case WM_SETFOCUS:
      if (!state->style.focusable) {
        HWND previous = reinterpret_cast<HWND>(wParam);
        SetFocus(previous && IsWindow(previous) ? previous : GetParent(button));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(button, FlatButtonProc, kSubclassId);
      RemovePropW(button, kStateProperty);
      delete state;
      break;
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

HWND CreateFlatButton(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                      const FlatButtonStyle& style) {
  DWORD windowStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
  if (style.focusable) windowStyle |= WS_TABSTOP;
  HWND button = CreateWindowExW(0, L"BUTTON", caption, windowStyle, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                nullptr);
  if (!button) return nullptr;
  auto* state = new FlatButtonState{style};
  SetPropW(button, kStateProperty, state);
  SetWindowSubclass(button, FlatButtonProc, kSubclassId, reinterpret_cast<DWORD_PTR>(state));
  if (style.font) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(style.font), FALSE);
  return button;
}

bool DrawFlatButton(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_BUTTON) return false;
  FlatButtonState* state = StateOf(item.hwndItem);
  if (!state) return false;
  const RECT& rect = item.rcItem;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // Painted off screen and copied in one block, so hovering never flickers.
  HDC memory = CreateCompatibleDC(item.hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, std::max(width, 1), std::max(height, 1));
  HGDIOBJ old = SelectObject(memory, bitmap);
  PaintButton(item.hwndItem, *state, memory, {0, 0, width, height}, item.itemState);
  BitBlt(item.hDC, rect.left, rect.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return true;
}

bool SetFlatButtonStyle(HWND button, const FlatButtonStyle& style) {
  FlatButtonState* state = StateOf(button);
  if (!state) return false;
  state->style = style;
  if (style.font) SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(style.font), FALSE);
  InvalidateRect(button, nullptr, FALSE);
  return true;
}

bool IsFlatButtonHot(HWND button) {
  FlatButtonState* state = StateOf(button);
  return state && state->hot;
}

}  // namespace teshmar::win
