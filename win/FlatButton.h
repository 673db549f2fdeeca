#pragma once
#include <windows.h>
#include <commctrl.h>  // CLR_NONE

namespace teshmar::win {

// The console's flat button: a face colour, a one-pixel frame, a hot-track highlight while the mouse
// is over it, an optional glyph left of the caption, a focus rectangle and a pressed look.
// Colours are COLORREF values (0x00BBGGRR): 15791348 is RGB(244, 244, 240).
struct FlatButtonStyle {
  COLORREF face = RGB(244, 244, 240);   // 15791348; CLR_NONE lets the parent's background show
  COLORREF frame = RGB(0, 60, 116);     // 7617536; CLR_NONE draws no frame
  COLORREF hot = RGB(255, 199, 60);     // 3983359, the inner highlight while the mouse is over it
  COLORREF text = RGB(0, 0, 0);
  HFONT font = nullptr;                 // not owned; the parent keeps it alive while the button lives
  HBITMAP glyph = nullptr;              // not owned; 32 x 16: the normal image, then the disabled one;
                                        // its bottom-left pixel is the transparent colour
  bool focusable = true;                // false: like a speed button, a click never takes the focus
};

// Creates a child BUTTON control (BS_OWNERDRAW, WS_TABSTOP when focusable, visible). It stays a real
// button: BM_CLICK presses it and WM_COMMAND / BN_CLICKED with `id` reaches the parent; Enter on it
// in a loop that calls IsDialogMessage clicks it too. The style is copied.
//
// The parent's window procedure MUST forward WM_DRAWITEM:
//     case WM_DRAWITEM:
//       if (teshmar::win::DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
//       break;
// With `face` CLR_NONE the button asks its parent to paint its background by sending WM_ERASEBKGND
// with a device context whose origin is moved to the parent's client origin.
HWND CreateFlatButton(HWND parent, int id, const wchar_t* caption, int x, int y, int width, int height,
                      const FlatButtonStyle& style);

// Paints a flat button; false when the item is not one (the parent then handles it itself).
bool DrawFlatButton(const DRAWITEMSTRUCT& item);

// Replaces the style of a flat button and repaints it; false when `button` is not one.
bool SetFlatButtonStyle(HWND button, const FlatButtonStyle& style);

// Whether the mouse is over the button as far as its hot-tracking knows.
bool IsFlatButtonHot(HWND button);

}  // namespace teshmar::win
