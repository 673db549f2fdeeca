#include "links/grid/RgInfoView.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "common/TextUtil.h"
#include "links/grid/EntryGridPaint.h"
#include "win/Fonts.h"
#include "win/Wide.h"
#include "win/WindowClass.h"

namespace teshmar {

namespace {

constexpr COLORREF kRed = 232;             // R 232, G 0, B 0
constexpr COLORREF kFixedLine = 12164479;  // R 127, G 157, B 185: fixed cells' lines and the frame
constexpr int kTextOffset = 2;             // the default drawing's text, right of and below the corner

struct RgInfoView {
  HWND hwnd = nullptr;
  StringGrid* model = nullptr;
  RgInfoHooks hooks;
  std::function<void()> previousOnChanged;
  HFONT font = nullptr;
  HWND tooltip = nullptr;
  std::string tooltipText = kRgInfoFirstTooltip;
  std::wstring tooltipWide;  // the tooltip keeps a pointer to the text it is given
  // The back buffer, kept between paintings: the grid repaints every second.
  HDC bufferDc = nullptr;
  HBITMAP buffer = nullptr;
  HGDIOBJ oldBuffer = nullptr;
  int bufferWidth = 0, bufferHeight = 0;
  int wheelRest = 0;
  int hWheelRest = 0;
  SCROLLINFO shownScroll{};      // what the scroll bar was last given
  SCROLLINFO shownHorizontal{};  // ... and the horizontal one
  bool hooked = false;       // the model's onChanged repaints this window
  bool created = false;      // CreateRgInfo has handed the window out; its destruction frees the view
};

RgInfoView* ViewOf(HWND hwnd) {
  return reinterpret_cast<RgInfoView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

COLORREF ColourOf(GridColour colour) {
  switch (colour) {
    case GridColour::Window: return GetSysColor(COLOR_WINDOW);
    case GridColour::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
    case GridColour::ButtonFace: return GetSysColor(COLOR_BTNFACE);
    case GridColour::Highlight: return GetSysColor(COLOR_HIGHLIGHT);
    case GridColour::HighlightText: return GetSysColor(COLOR_HIGHLIGHTTEXT);
    case GridColour::Red: return kRed;
  }
  return GetSysColor(COLOR_WINDOW);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// Background and text in one call, the text clipped to the cell.
void DrawCellText(HDC dc, const RECT& cell, int x, int y, const std::string& text, COLORREF background,
                  COLORREF foreground) {
  const std::wstring wide = win::Widen(text);
  SetBkColor(dc, background);
  SetTextColor(dc, foreground);
  ExtTextOutW(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &cell, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

void DrawCell(RgInfoView& view, HDC dc, int col, int row, const RECT& cell, int blinkPhase) {
  StringGrid& grid = *view.model;
  const CellLook look = DefaultCellLook(grid, col, row);
  const COLORREF background = ColourOf(look.background);
  DrawCellText(dc, cell, cell.left + kTextOffset, cell.top + kTextOffset, grid.Cell(col, row), background,
               ColourOf(look.text));

  // The grid line to the right of the cell and the one below it, corner included.
  const COLORREF line = IsFixedCell(col, row) ? kFixedLine : GetSysColor(COLOR_INACTIVECAPTION);
  Fill(dc, {cell.right, cell.top, cell.right + StringGrid::kLineWidth, cell.bottom + StringGrid::kLineWidth}, line);
  Fill(dc, {cell.left, cell.bottom, cell.right, cell.bottom + StringGrid::kLineWidth}, line);

  const CellDrawing custom = RgInfoDrawCell(grid, col, row, blinkPhase);
  switch (custom.kind) {
    case CellDrawing::Kind::Default:
      break;
    case CellDrawing::Kind::Number:
      DrawCellText(dc, cell, cell.left, cell.top, grid.Cell(col, row), ColourOf(custom.numberBackground),
                   GetSysColor(COLOR_WINDOWTEXT));
      break;
    case CellDrawing::Kind::DoubleClickHint: {
      Fill(dc, cell, background);
      const std::wstring hint = win::Widen(TrimBlanks(grid.Cell(col, row)));
      RECT area = cell;
      SetTextColor(dc, kRed);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &area,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SetBkMode(dc, OPAQUE);
      break;
    }
  }
}

// Paints the cells that meet `area`; the rest of it shows the window colour.
void PaintGrid(RgInfoView& view, HDC dc, const RECT& area) {
  StringGrid& grid = *view.model;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  SelectObject(dc, view.font);
  Fill(dc, area, GetSysColor(COLOR_WINDOW));
  const int blinkPhase = view.hooks.blinkPhase ? view.hooks.blinkPhase() : 0;

  auto paintRow = [&](int row) {
    StringGrid::Rect rowRect;
    if (!grid.CellRect(0, row, rowRect)) return false;
    if (rowRect.bottom + StringGrid::kLineWidth <= area.top || rowRect.top >= area.bottom) return true;
    for (int col = 0; col < grid.ColCount(); ++col) {
      if (!grid.ColShown(col)) continue;
      const int left = grid.ColLeft(col);
      if (left >= area.right) break;
      const RECT cell{left, rowRect.top, left + grid.ColWidth(col), rowRect.bottom};
      if (cell.right + StringGrid::kLineWidth <= area.left) continue;
      DrawCell(view, dc, col, row, cell, blinkPhase);
    }
    return true;
  };
  paintRow(0);
  for (int row = grid.TopRow(); row < grid.RowCount() && paintRow(row); ++row) {
  }

  StringGrid::Rect current;
  if (GetFocus() == view.hwnd && grid.Row() > 0 && grid.CellRect(1, grid.Row(), current)) {
    const RECT focus{current.left, current.top, grid.ContentWidth() - StringGrid::kLineWidth, current.bottom};
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
  RestoreDC(dc, saved);
}

bool EnsureBuffer(RgInfoView& view, HDC dc, int width, int height) {
  if (view.bufferDc && width <= view.bufferWidth && height <= view.bufferHeight) return true;
  if (view.bufferDc) {
    SelectObject(view.bufferDc, view.oldBuffer);
    DeleteObject(view.buffer);
    DeleteDC(view.bufferDc);
    view.bufferDc = nullptr;
  }
  view.bufferWidth = std::max(width, 1);
  view.bufferHeight = std::max(height, 1);
  view.bufferDc = CreateCompatibleDC(dc);
  view.buffer = CreateCompatibleBitmap(dc, view.bufferWidth, view.bufferHeight);
  if (!view.bufferDc || !view.buffer) {
    if (view.buffer) DeleteObject(view.buffer);
    if (view.bufferDc) DeleteDC(view.bufferDc);
    view.bufferDc = nullptr;
    view.buffer = nullptr;
    return false;
  }
  view.oldBuffer = SelectObject(view.bufferDc, view.buffer);
  return true;
}

void OnPaint(RgInfoView& view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view.hwnd, &ps);
  RECT client;
  GetClientRect(view.hwnd, &client);
  const RECT& area = ps.rcPaint;
  if (EnsureBuffer(view, dc, client.right, client.bottom)) {
    PaintGrid(view, view.bufferDc, area);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, view.bufferDc, area.left,
           area.top, SRCCOPY);
  } else {
    PaintGrid(view, dc, area);  // no memory for the buffer: paint straight on, flicker and all
  }
  EndPaint(view.hwnd, &ps);
}

// A bar whose positions run from 1 to `last`; the page makes the highest position `maxPos`, and
// hides the bar when everything fits. Set only when it changed, since the grid changes often.
void SetBar(HWND hwnd, int bar, SCROLLINFO& shown, int last, int maxPos, int pos) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 1;
  info.nMax = std::max(last, 1);
  info.nPage = static_cast<UINT>(info.nMax + 1 - maxPos);
  info.nPos = pos;
  if (shown.cbSize && info.nMax == shown.nMax && info.nPage == shown.nPage && info.nPos == shown.nPos) return;
  shown = info;
  SetScrollInfo(hwnd, bar, &info, TRUE);
}

// Positions are top rows, and left columns as a string grid's.
void UpdateScrollBars(RgInfoView& view) {
  const StringGrid& grid = *view.model;
  SetBar(view.hwnd, SB_VERT, view.shownScroll, grid.RowCount() - 1, grid.MaxTopRow(), grid.TopRow());
  SetBar(view.hwnd, SB_HORZ, view.shownHorizontal, grid.ColCount() - 1, grid.MaxLeftCol(), grid.LeftCol());
}

void SetTooltipText(RgInfoView& view) {
  if (!view.tooltip) return;
  view.tooltipWide = win::Widen(view.tooltipText);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = view.hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(view.hwnd);
  tool.lpszText = view.tooltipWide.data();
  SendMessageW(view.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // An empty text means no tip at all; Wine would otherwise show the last text again.
  if (view.tooltipText.empty()) SendMessageW(view.tooltip, TTM_POP, 0, 0);
  SendMessageW(view.tooltip, TTM_ACTIVATE, !view.tooltipText.empty(), 0);
}

HWND CreateTooltip(RgInfoView& view) {
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, view.hwnd, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  if (!tooltip) return nullptr;
  view.tooltipWide = win::Widen(view.tooltipText);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // accepted by version 5 of the common controls as well as 6
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = view.hwnd;
  tool.uId = reinterpret_cast<UINT_PTR>(view.hwnd);
  tool.lpszText = view.tooltipWide.data();
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  return tooltip;
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
  // Another program may hold the clipboard for a moment.
  bool opened = false;
  for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(owner)); ++attempt) Sleep(10);
  if (!opened) return false;
  bool done = false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (EmptyClipboard()) {
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      if (void* place = GlobalLock(memory)) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(place));
        GlobalUnlock(memory);
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      }
      if (!done) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return done;
}

void OnKeyDown(RgInfoView& view, WPARAM key) {
  StringGrid& grid = *view.model;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  using Move = StringGrid::Move;
  switch (key) {
    case VK_LEFT: grid.ScrollColumnsBy(-1); break;
    case VK_RIGHT: grid.ScrollColumnsBy(1); break;
    case VK_UP: grid.MoveCurrent(Move::Up, shift); break;
    case VK_DOWN: grid.MoveCurrent(Move::Down, shift); break;
    case VK_PRIOR: grid.MoveCurrent(Move::PageUp, shift); break;
    case VK_NEXT: grid.MoveCurrent(Move::PageDown, shift); break;
    case VK_HOME: grid.MoveCurrent(Move::Home, shift); break;
    case VK_END: grid.MoveCurrent(Move::End, shift); break;
    case VK_RETURN:
      // The keyboard's way to what a double-click does on the current row.
      if (view.hooks.onDblClick) view.hooks.onDblClick();
      break;
    case 'A':
      if (control) grid.SelectAll();
      break;
    case 'C':
    case VK_INSERT:
      if (control) SendMessageW(view.hwnd, WM_COPY, 0, 0);
      break;
    default: break;
  }
}

void OnVScroll(RgInfoView& view, int request) {
  StringGrid& grid = *view.model;
  switch (request) {
    case SB_LINEUP: grid.ScrollBy(-1); break;
    case SB_LINEDOWN: grid.ScrollBy(1); break;
    case SB_PAGEUP: grid.ScrollBy(-grid.VisibleRowCount()); break;
    case SB_PAGEDOWN: grid.ScrollBy(grid.VisibleRowCount()); break;
    case SB_TOP: grid.SetTopRow(1); break;
    case SB_BOTTOM: grid.SetTopRow(grid.MaxTopRow()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(view.hwnd, SB_VERT, &info)) grid.SetTopRow(info.nTrackPos);
      break;
    }
    default: break;
  }
}

void OnHScroll(RgInfoView& view, int request) {
  StringGrid& grid = *view.model;
  switch (request) {
    case SB_LINELEFT: grid.ScrollColumnsBy(-1); break;
    case SB_LINERIGHT: grid.ScrollColumnsBy(1); break;
    case SB_PAGELEFT: grid.ScrollColumnsBy(-2); break;
    case SB_PAGERIGHT: grid.ScrollColumnsBy(2); break;
    case SB_LEFT: grid.SetLeftCol(1); break;
    case SB_RIGHT: grid.SetLeftCol(grid.MaxLeftCol()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(view.hwnd, SB_HORZ, &info)) grid.SetLeftCol(info.nTrackPos);
      break;
    }
    default: break;
  }
}

// A notch of a tilting wheel, or of the wheel with Shift, moves one column.
void OnHorizontalWheel(RgInfoView& view, int delta) {
  view.hWheelRest += delta;
  const int notches = view.hWheelRest / WHEEL_DELTA;
  if (notches == 0) return;
  view.hWheelRest -= notches * WHEEL_DELTA;
  view.model->ScrollColumnsBy(notches);
}

void OnMouseWheel(RgInfoView& view, int delta) {
  view.wheelRest += delta;
  const int notches = view.wheelRest / WHEEL_DELTA;
  if (notches == 0) return;
  view.wheelRest -= notches * WHEEL_DELTA;
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  StringGrid& grid = *view.model;
  const int perNotch = lines == WHEEL_PAGESCROLL ? grid.VisibleRowCount() : static_cast<int>(std::min(lines, 100u));
  grid.ScrollBy(-notches * perNotch);
}

void OnMouseMove(RgInfoView& view, int x, int y) {
  StringGrid& grid = *view.model;
  if (grid.Dragging() != StringGrid::Drag::None && GetCapture() == view.hwnd) grid.MouseMove(x, y);
  if (RgInfoMouseMove(grid, grid.HitTest(x, y).row, view.tooltipText)) SetTooltipText(view);
}

void OnDoubleClick(RgInfoView& view, int x, int y) {
  SetFocus(view.hwnd);
  const StringGrid::Hit hit = view.model->HitTest(x, y);
  if (hit.row >= 1) view.model->SetRow(hit.row);
  if (GetCapture() == view.hwnd) ReleaseCapture();
  if (view.hooks.onDblClick) view.hooks.onDblClick();
}

bool OnSetCursor(RgInfoView& view) {
  POINT point;
  GetCursorPos(&point);
  ScreenToClient(view.hwnd, &point);
  const StringGrid& grid = *view.model;
  if (grid.Dragging() == StringGrid::Drag::ColumnSize || grid.ColumnBorderAt(point.x, point.y) >= 0) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    return true;
  }
  return false;
}

void OnCreate(RgInfoView& view) {
  view.font = win::CreatePixelFont(L"微软雅黑", 12, true);
  view.tooltip = CreateTooltip(view);
  StringGrid& grid = *view.model;
  ApplyRgInfoLayout(grid);
  view.previousOnChanged = std::move(grid.onChanged);
  RgInfoView* self = &view;
  grid.onChanged = [self] {
    InvalidateRect(self->hwnd, nullptr, FALSE);
    UpdateScrollBars(*self);
    if (self->previousOnChanged) self->previousOnChanged();
  };
  view.hooked = true;
}

void OnDestroy(RgInfoView& view) {
  if (view.hooked) view.model->onChanged = std::move(view.previousOnChanged);
  view.hooked = false;
  if (view.bufferDc) {
    SelectObject(view.bufferDc, view.oldBuffer);
    DeleteObject(view.buffer);
    DeleteDC(view.bufferDc);
  }
  if (view.font) DeleteObject(view.font);
}

LRESULT CALLBACK RgInfoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  RgInfoView* view = win::WindowData<RgInfoView>(hwnd, message, lParam);
  if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      view->hwnd = hwnd;
      break;
    case WM_CREATE:
      OnCreate(*view);
      UpdateScrollBars(*view);
      return 0;
    case WM_NCDESTROY: {
      OnDestroy(*view);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      if (view->created) delete view;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_SIZE:
      view->model->SetViewHeight(HIWORD(lParam));
      view->model->SetViewWidth(LOWORD(lParam));
      UpdateScrollBars(*view);
      return 0;
    case WM_NCPAINT: {
      // The border of the window, drawn by the system, in the grid's frame colour.
      const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      HDC dc = GetWindowDC(hwnd);
      RECT frame;
      GetWindowRect(hwnd, &frame);
      OffsetRect(&frame, -frame.left, -frame.top);
      HBRUSH brush = CreateSolidBrush(kFixedLine);
      FrameRect(dc, &frame, brush);
      DeleteObject(brush);
      ReleaseDC(hwnd, dc);
      return result;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint(*view);
      return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      GetClientRect(hwnd, &client);
      PaintGrid(*view, reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(view->font);
    case WM_GETDLGCODE: {
      // Enter belongs to the grid, not to the dialog manager's default button.
      const MSG* message = reinterpret_cast<const MSG*>(lParam);
      const bool enter = message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_KEYDOWN:
      OnKeyDown(*view, wParam);
      return 0;
    case WM_COPY:
      PutOnClipboard(hwnd, win::Widen(view->model->ClipboardText()));
      return 0;
    case WM_VSCROLL:
      OnVScroll(*view, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnHScroll(*view, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) {
        OnHorizontalWheel(*view, -GET_WHEEL_DELTA_WPARAM(wParam));
      } else {
        OnMouseWheel(*view, GET_WHEEL_DELTA_WPARAM(wParam));
      }
      return 0;
    case WM_MOUSEHWHEEL:
      OnHorizontalWheel(*view, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      if (view->model->MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0) !=
          StringGrid::Drag::None) {
        SetCapture(hwnd);
      }
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(*view, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      view->model->MouseUp();
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      view->model->MouseUp();
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick(*view, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor(*view)) return TRUE;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterRgInfoClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = RgInfoProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kRgInfoClassName;
  if (RegisterClassExW(&windowClass)) return true;
  // Registered before: only by this module will do, another procedure under the name would not know the model.
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  return GetClassInfoExW(windowClass.hInstance, kRgInfoClassName, &existing) && existing.lpfnWndProc == RgInfoProc;
}

}  // namespace

HWND CreateRgInfo(HWND parent, int id, int x, int y, int width, int height, StringGrid& model, RgInfoHooks hooks) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};  // the tooltip control
  InitCommonControlsEx(&controls);
  if (!RegisterRgInfoClass()) return nullptr;
  auto* view = new RgInfoView;
  view->model = &model;
  view->hooks = std::move(hooks);
  HWND hwnd = CreateWindowExW(0, kRgInfoClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL,
                              x, y, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), view);
  if (!hwnd) {
    delete view;  // a window that failed on its way never frees it
    return nullptr;
  }
  view->created = true;
  return hwnd;
}

HWND RgInfoTooltip(HWND grid) {
  wchar_t name[32] = {};
  if (!grid || !GetClassNameW(grid, name, 32) || lstrcmpW(name, kRgInfoClassName) != 0) return nullptr;
  const RgInfoView* view = ViewOf(grid);
  return view ? view->tooltip : nullptr;
}

}  // namespace teshmar
