#include "links/grid/RgInfoView.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "links/grid/EntryGridPaint.h"
#include "win/Wide.h"
#include "WinTestSupport.h"

namespace teshmar {
namespace {

constexpr COLORREF kRed = 232;
constexpr COLORREF kFrame = 12164479;
constexpr int kGridX = 10, kGridY = 10, kGridWidth = 509;

struct Row {
  const char *number, *name, *addr, *database, *state;
};

// The rows of the picture: connected, down with a database, down without one, not yet checked,
// and connected without a database name.
const std::vector<Row> kRows = {
    {"1", "东城店", "广东省,东莞市,,东城路", "store1", "连接"},
    {"2", "南城店", "广东省,东莞市,,南城路", "store2", "断开"},
    {"3", "万江店", "广东省,东莞市,,万江路", "", "断开"},
    {"4", "虎门店", "广东省,东莞市,,虎门路", "", ""},
    {"5", "长安店", "广东省,东莞市,,长安路", "", "连接"},
};

// A top-level window holding the grid, and a button after it in the tab order.
struct GridWindow {
  StringGrid model{kRgInfoColCount};
  int phase = 0;
  int doubleClicks = 0;
  int rowAtDoubleClick = -1;
  HWND top = nullptr;
  HWND grid = nullptr;
  HWND button = nullptr;

  explicit GridWindow(const std::vector<Row>& rows, int gridHeight = 300) {
    static const bool registered = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = DefWindowProcW;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      windowClass.lpszClassName = L"TeshmarRgInfoTest";
      return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    const char* headings[] = {"序号", "客户名称", "客户地址", "连接数据库(名)", "连接状态"};
    for (int c = 0; c < kRgInfoColCount; ++c) model.SetCell(c, 0, headings[c]);
    model.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t i = 0; i < rows.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      const Row& row = rows[i];
      for (auto [c, text] : {std::pair{0, row.number}, {1, row.name}, {2, row.addr}, {3, row.database}, {4, row.state}})
        model.SetCell(c, r, text);
    }
    top = CreateWindowExW(0, L"TeshmarRgInfoTest", L"RgInfo", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                          kGridWidth + 20, gridHeight + 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    grid = CreateRgInfo(top, 77, kGridX, kGridY, kGridWidth, gridHeight, model,
                        {[this] { return phase; },
                         [this] {
                           ++doubleClicks;
                           rowAtDoubleClick = model.Row();
                         }});
    button = CreateWindowW(L"BUTTON", L"确定", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kGridX, kGridY + gridHeight + 10,
                           80, 30, top, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(top);
    Repaint();
  }
  ~GridWindow() { DestroyWindow(top); }

  void Repaint() {
    InvalidateRect(grid, nullptr, FALSE);
    UpdateWindow(grid);
    test::Pump(40);
  }
  // A point of the client area on the screen.
  POINT Screen(int x, int y) const {
    POINT point{x, y};
    ClientToScreen(grid, &point);
    return point;
  }
  StringGrid::Rect Cell(int col, int row) const {
    StringGrid::Rect rect;
    EXPECT_TRUE(model.CellRect(col, row, rect)) << col << "," << row;
    return rect;
  }
  // The cell's bottom-right pixel, clear of any text.
  COLORREF CellFace(int col, int row) const {
    const StringGrid::Rect rect = Cell(col, row);
    const POINT point = Screen(rect.right - 2, rect.bottom - 2);
    return test::ScreenPixel(point.x, point.y);
  }
  LPARAM At(int col, int row) const {
    const StringGrid::Rect rect = Cell(col, row);
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
};

struct PixelCount {
  int red = 0;
  int dark = 0;
};
// Counts red 232 pixels and dark (text) pixels in a rectangle of an RGB picture.
PixelCount CountPixels(const RgbImage& image, int left, int top, int right, int bottom) {
  PixelCount count;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) {
      const auto* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      if (p[0] == 232 && p[1] == 0 && p[2] == 0) ++count.red;
      if (p[0] + p[1] + p[2] < 3 * 100) ++count.dark;
    }
  }
  return count;
}

// Where the dark pixels in a cell begin, from the cell's corner: the least x and the least y; -1 when there are none.
POINT InkCorner(const RgbImage& image, const StringGrid::Rect& cell) {
  POINT corner{-1, -1};
  for (int y = cell.top; y < cell.bottom && y < image.height; ++y) {
    for (int x = cell.left; x < cell.right && x < image.width; ++x) {
      const auto* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
      if (p[0] + p[1] + p[2] >= 3 * 100) continue;
      if (corner.x < 0 || x - cell.left < corner.x) corner.x = x - cell.left;
      if (corner.y < 0 || y - cell.top < corner.y) corner.y = y - cell.top;
    }
  }
  return corner;
}

RgbImage GrabClient(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return test::GrabScreen(client);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<clipboard not opened>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  auto* chars = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

std::string TooltipText(HWND grid) {
  HWND tooltip = RgInfoTooltip(grid);
  if (!tooltip) return "<no tooltip>";
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = grid;
  tool.uId = reinterpret_cast<UINT_PTR>(grid);
  tool.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return win::Narrow(text);
}

// Holds Ctrl (or other keys) in the thread's keyboard state while a key message is sent.
void SendKey(HWND hwnd, WPARAM key, bool control = false, bool shift = false) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved[256];
  std::copy(std::begin(keys), std::end(keys), saved);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  SendMessageW(hwnd, WM_KEYDOWN, key, 1);
  SendMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
  SetKeyboardState(saved);
}

TEST(RgInfoView, PaintsTheLayoutAndBlinksTheNumbersOfEntriesNotConnected) {
  GridWindow window(kRows);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  window.phase = 1;
  window.Repaint();
  test::SaveScreenshot([&] {
    RECT rect;
    GetWindowRect(window.top, &rect);
    return rect;
  }(), TESHMAR_SCREENSHOT_DIR, "rginfo_phase1");

  // the frame of the grid, and the lines: fixed ones in the frame colour, normal ones in the inactive caption colour
  RECT frame;
  GetWindowRect(window.grid, &frame);
  EXPECT_EQ(test::ScreenPixel(frame.left, frame.top + 100), kFrame) << "left frame";
  EXPECT_EQ(test::ScreenPixel(frame.right - 1, frame.top + 100), kFrame) << "right frame";
  EXPECT_EQ(test::ScreenPixel(frame.left + 200, frame.bottom - 1), kFrame) << "bottom frame";
  const POINT underHeading = window.Screen(200, 30);
  EXPECT_EQ(test::ScreenPixel(underHeading.x, underHeading.y), kFrame) << "line under the heading row";
  const POINT afterNumber = window.Screen(40, 45);
  EXPECT_EQ(test::ScreenPixel(afterNumber.x, afterNumber.y), kFrame) << "line after a number cell";
  const POINT afterName = window.Screen(126, 75);
  EXPECT_EQ(test::ScreenPixel(afterName.x, afterName.y), GetSysColor(COLOR_INACTIVECAPTION)) << "normal line";

  // faces: fixed cells, the selected first row, normal cells
  EXPECT_EQ(window.CellFace(2, 0), face) << "heading";
  EXPECT_EQ(window.CellFace(2, 1), GetSysColor(COLOR_HIGHLIGHT)) << "the current row is selected";
  EXPECT_EQ(window.CellFace(2, 2), GetSysColor(COLOR_WINDOW));

  struct Number {
    int row;
    COLORREF phase1, phase2;
  };
  const std::vector<Number> numbers = {
      {1, face, face}, {2, kRed, face}, {3, kRed, face}, {4, kRed, face}, {5, face, face}};
  for (const Number& n : numbers) EXPECT_EQ(window.CellFace(0, n.row), n.phase1) << "phase 1, row " << n.row;
  window.phase = 2;
  window.Repaint();
  for (const Number& n : numbers) EXPECT_EQ(window.CellFace(0, n.row), n.phase2) << "phase 2, row " << n.row;
  window.phase = 1;
  window.Repaint();
  for (const Number& n : numbers) EXPECT_EQ(window.CellFace(0, n.row), n.phase1) << "phase 1 again, row " << n.row;

  // the number sits flush at its cell's corner, other texts 2 px right of and below it: the same
  // text in the number cell and the name cell of one row, compared by where their ink starts
  window.phase = 2;
  window.model.SetCell(kRgInfoNameCol, 2, "2");
  window.Repaint();
  const RgbImage image = GrabClient(window.grid);
  const POINT numberInk = InkCorner(image, window.Cell(kRgInfoNumberCol, 2));
  const POINT nameInk = InkCorner(image, window.Cell(kRgInfoNameCol, 2));
  ASSERT_GE(numberInk.x, 0) << "the number is drawn";
  EXPECT_EQ(nameInk.x - numberInk.x, 2);
  EXPECT_EQ(nameInk.y - numberInk.y, 2);
}

TEST(RgInfoView, TheHintIsDrawnRedOnceThenTheCellHoldsIt) {
  GridWindow window(kRows);
  // a fresh painting on a grid whose database cells were just written empty
  window.model.SetCell(kRgInfoDatabaseCol, 3, "");
  window.model.SetCell(kRgInfoDatabaseCol, 4, "");
  RECT client;
  GetClientRect(window.grid, &client);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(window.grid, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  GdiFlush();
  RgbImage printed;
  printed.width = client.right;
  printed.height = client.bottom;
  printed.rgb.resize(static_cast<size_t>(printed.width) * printed.height * 3);
  for (size_t i = 0, n = static_cast<size_t>(printed.width) * printed.height; i < n; ++i) {
    const auto* bgra = static_cast<const unsigned char*>(bits) + i * 4;
    printed.rgb[i * 3] = bgra[2];
    printed.rgb[i * 3 + 1] = bgra[1];
    printed.rgb[i * 3 + 2] = bgra[0];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  for (int row : {3, 4}) {
    const StringGrid::Rect cell = window.Cell(kRgInfoDatabaseCol, row);
    const PixelCount hint = CountPixels(printed, cell.left, cell.top, cell.right, cell.bottom);
    EXPECT_GT(hint.red, 20) << "row " << row << ": \"<双击>\" in red";
    // centred: as much red left of the middle as right of it, give or take a glyph's asymmetry
    const int middle = (cell.left + cell.right) / 2;
    const int left = CountPixels(printed, cell.left, cell.top, middle, cell.bottom).red;
    EXPECT_NEAR(left, hint.red - left, hint.red / 4 + 4) << "row " << row;
    EXPECT_EQ(window.model.Cell(kRgInfoDatabaseCol, row), "   <双击>") << "row " << row;
  }
  EXPECT_EQ(window.model.Cell(kRgInfoDatabaseCol, 5), "") << "a connected entry gets no hint";
  EXPECT_EQ(window.model.Cell(kRgInfoDatabaseCol, 1), "store1");

  // the cell now holds the hint, so every later painting shows it by the default drawing
  window.Repaint();
  const RgbImage image = GrabClient(window.grid);
  const StringGrid::Rect cell = window.Cell(kRgInfoDatabaseCol, 3);
  const PixelCount later = CountPixels(image, cell.left, cell.top, cell.right, cell.bottom);
  EXPECT_EQ(later.red, 0);
  EXPECT_GT(later.dark, 20);
}

TEST(RgInfoView, CopyPutsTheHeadingsAndTheSelectedRowsOnTheClipboard) {
  GridWindow window(kRows);
  const std::wstring heading = L"序号\t客户名称\t客户地址\t连接数据库(名)\t连接状态\r\n";
  const std::wstring row1 = L"1\t东城店\t广东省,东莞市,,东城路\tstore1\t连接\r\n";
  const std::wstring row2 = L"2\t南城店\t广东省,东莞市,,南城路\tstore2\t断开\r\n";
  const std::wstring row3 = L"3\t万江店\t广东省,东莞市,,万江路\t   <双击>\t断开\r\n";
  const std::wstring row4 = L"4\t虎门店\t广东省,东莞市,,虎门路\t   <双击>\t\r\n";
  const std::wstring row5 = L"5\t长安店\t广东省,东莞市,,长安路\t\t连接\r\n";

  PutOnClipboard(L"before");
  window.model.SelectRows(2, 3);
  SendMessageW(window.grid, WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardText(), heading + row2 + row3);

  SendKey(window.grid, 'A', true);
  EXPECT_EQ(window.model.SelectionTop(), 1);
  EXPECT_EQ(window.model.SelectionBottom(), 5);
  SendKey(window.grid, 'C', true);
  EXPECT_EQ(ClipboardText(), heading + row1 + row2 + row3 + row4 + row5);

  PutOnClipboard(L"before");
  SendKey(window.grid, 'C');  // without Ctrl: nothing
  EXPECT_EQ(ClipboardText(), L"before");
  window.model.SetRow(4);
  SendKey(window.grid, VK_INSERT, true);
  EXPECT_EQ(ClipboardText(), heading + row4);
}

TEST(RgInfoView, KeysMoveTheCurrentRowAlsoInsideADialogLoop) {
  GridWindow window(kRows);
  SetFocus(window.grid);
  ASSERT_EQ(GetFocus(), window.grid);
  EXPECT_EQ(SendMessageW(window.grid, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, DLGC_WANTARROWS);
  ASSERT_EQ(window.model.Row(), 1);

  // posted as the keyboard would, and passed through IsDialogMessage as a dialog's loop does
  auto press = [&](WPARAM key) {
    PostMessageW(window.grid, WM_KEYDOWN, key, 1);
    PostMessageW(window.grid, WM_KEYUP, key, 0xC0000001);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(window.top, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    return window.model.Row();
  };
  EXPECT_EQ(press(VK_DOWN), 2);
  EXPECT_EQ(press(VK_DOWN), 3);
  EXPECT_EQ(press(VK_UP), 2);
  EXPECT_EQ(press(VK_END), 5);
  EXPECT_EQ(press(VK_DOWN), 5);
  EXPECT_EQ(press(VK_HOME), 1);
  EXPECT_EQ(press(VK_NEXT), 5) << "every row fits: a page reaches the last";
  EXPECT_EQ(press(VK_PRIOR), 1);
  EXPECT_EQ(GetFocus(), window.grid) << "the arrows stayed with the grid";
  EXPECT_EQ(window.doubleClicks, 0);
  press(VK_RETURN);
  EXPECT_EQ(window.doubleClicks, 1) << "Enter does on the current row what a double-click does";
  EXPECT_EQ(window.rowAtDoubleClick, 1);

  SendKey(window.grid, VK_DOWN, false, true);
  SendKey(window.grid, VK_DOWN, false, true);
  EXPECT_EQ(window.model.SelectionTop(), 1);
  EXPECT_EQ(window.model.SelectionBottom(), 3);
  EXPECT_EQ(window.model.Row(), 3);
}

TEST(RgInfoView, TooltipTextFollowsTheRowUnderThePointer) {
  GridWindow window(kRows);
  EXPECT_EQ(TooltipText(window.grid), "双击条目修改数据库连接");
  auto moveTo = [&](LPARAM point) {
    SendMessageW(window.grid, WM_MOUSEMOVE, 0, point);
    return TooltipText(window.grid);
  };
  EXPECT_EQ(moveTo(window.At(2, 0)), "双击条目修改数据库连接") << "the heading row changes nothing";
  EXPECT_EQ(moveTo(window.At(3, 2)), "数据库连接断开,请检查!");
  EXPECT_EQ(moveTo(window.At(0, 1)), "");
  EXPECT_EQ(moveTo(window.At(4, 3)), "数据库连接断开,请检查!");
  EXPECT_EQ(moveTo(window.At(2, 0)), "数据库连接断开,请检查!");
  EXPECT_EQ(moveTo(MAKELPARAM(200, 290)), "数据库连接断开,请检查!") << "under the last row";
  EXPECT_EQ(moveTo(window.At(1, 4)), "") << "state not yet known";
  EXPECT_EQ(moveTo(window.At(1, 5)), "");
}

TEST(RgInfoView, ClickDragAndDoubleClick) {
  GridWindow window(kRows);
  SetFocus(window.button);
  SendMessageW(window.grid, WM_LBUTTONDOWN, MK_LBUTTON, window.At(2, 1));
  EXPECT_EQ(GetFocus(), window.grid) << "a click takes the focus";
  EXPECT_EQ(GetCapture(), window.grid);
  SendMessageW(window.grid, WM_MOUSEMOVE, MK_LBUTTON, window.At(2, 2));
  SendMessageW(window.grid, WM_MOUSEMOVE, MK_LBUTTON, window.At(3, 3));
  SendMessageW(window.grid, WM_LBUTTONUP, 0, window.At(3, 3));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(window.model.SelectionTop(), 1);
  EXPECT_EQ(window.model.SelectionBottom(), 3);
  EXPECT_EQ(window.model.Row(), 3);
  window.Repaint();
  EXPECT_EQ(window.CellFace(3, 2), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(window.CellFace(3, 4), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(window.CellFace(0, 2), GetSysColor(COLOR_BTNFACE)) << "the number column is never selected";
  EXPECT_EQ(window.doubleClicks, 0) << "a click only selects";

  EXPECT_TRUE(GetClassLongPtrW(window.grid, GCL_STYLE) & CS_DBLCLKS);
  SendMessageW(window.grid, WM_LBUTTONDBLCLK, MK_LBUTTON, window.At(1, 4));
  SendMessageW(window.grid, WM_LBUTTONUP, 0, window.At(1, 4));
  EXPECT_EQ(window.doubleClicks, 1);
  EXPECT_EQ(window.rowAtDoubleClick, 4) << "the row under the pointer was selected first";
  SendMessageW(window.grid, WM_LBUTTONDBLCLK, MK_LBUTTON, window.At(1, 0));
  EXPECT_EQ(window.doubleClicks, 2) << "over the heading row too";
  EXPECT_EQ(window.rowAtDoubleClick, 4) << "on the row that is selected";
}

TEST(RgInfoView, TheFocusIsShownOnTheCurrentRow) {
  GridWindow window(kRows);
  window.model.SetRow(2);
  SetFocus(window.button);
  window.Repaint();
  const RgbImage without = GrabClient(window.grid);
  SetFocus(window.grid);
  window.Repaint();
  const RgbImage with = GrabClient(window.grid);
  test::SaveScreenshot([&] {
    RECT rect;
    GetWindowRect(window.top, &rect);
    return rect;
  }(), TESHMAR_SCREENSHOT_DIR, "rginfo_focused");
  ASSERT_EQ(without.rgb.size(), with.rgb.size());
  // The dotted frame runs along the edges of the current row's selectable cells, nowhere else.
  const StringGrid::Rect row = window.Cell(1, 2);
  int onEdge = 0, elsewhere = 0;
  for (int y = 0; y < with.height; ++y) {
    for (int x = 0; x < with.width; ++x) {
      const size_t at = (static_cast<size_t>(y) * with.width + x) * 3;
      if (std::equal(&with.rgb[at], &with.rgb[at] + 3, &without.rgb[at])) continue;
      const bool edge = y >= row.top && y < row.bottom && x >= row.left && x < window.model.ContentWidth() - 1 &&
                        (y == row.top || y == row.bottom - 1 || x == row.left || x == window.model.ContentWidth() - 2);
      ++(edge ? onEdge : elsewhere);
    }
  }
  EXPECT_GT(onEdge, 100);
  EXPECT_EQ(elsewhere, 0);
}

TEST(RgInfoView, DraggingAHeadingBorderResizesTheColumn) {
  GridWindow window(kRows);
  const POINT border = window.Screen(126, 15);
  SetCursorPos(border.x, border.y);
  test::Pump(30);
  POINT at;
  GetCursorPos(&at);
  ASSERT_EQ(at.x, border.x);
  ASSERT_EQ(at.y, border.y);
  SendMessageW(window.grid, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.grid), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));

  SendMessageW(window.grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(126, 15));
  SendMessageW(window.grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(146, 40));
  SendMessageW(window.grid, WM_LBUTTONUP, 0, MAKELPARAM(146, 40));
  EXPECT_EQ(window.model.ColWidth(1), 105);
  EXPECT_EQ(window.model.ColLeft(2), 147);
  EXPECT_EQ(window.model.Row(), 1) << "resizing selects nothing";
  window.Repaint();
  const POINT line = window.Screen(146, 75);
  EXPECT_EQ(test::ScreenPixel(line.x, line.y), GetSysColor(COLOR_INACTIVECAPTION)) << "the line moved";

  const POINT inside = window.Screen(200, 15);
  SetCursorPos(inside.x, inside.y);
  SendMessageW(window.grid, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.grid), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

TEST(RgInfoView, ScrollBarAndWheelWhenTheRowsDoNotFit) {
  std::vector<Row> many;
  std::vector<std::string> numbers;
  for (int i = 1; i <= 30; ++i) numbers.push_back(std::to_string(i));
  for (int i = 0; i < 30; ++i) many.push_back({numbers[static_cast<size_t>(i)].c_str(), "店", "", "db", "连接"});
  GridWindow window(many, 200);
  RECT client;
  GetClientRect(window.grid, &client);
  EXPECT_EQ(window.model.ViewHeight(), client.bottom);
  EXPECT_TRUE(GetWindowLongW(window.grid, GWL_STYLE) & WS_VSCROLL) << "the scroll bar shows";
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(window.grid, SB_VERT, &info));
  EXPECT_EQ(info.nPos, 1);
  EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, window.model.MaxTopRow());

  SendMessageW(window.grid, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  EXPECT_EQ(window.model.TopRow(), 1 + static_cast<int>(lines));
  SendMessageW(window.grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), 0);
  EXPECT_EQ(window.model.TopRow(), 1 + static_cast<int>(lines)) << "half a notch waits for the rest";
  SendMessageW(window.grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), 0);
  EXPECT_EQ(window.model.TopRow(), 1);

  SendMessageW(window.grid, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(window.model.TopRow(), window.model.MaxTopRow());
  ASSERT_TRUE(GetScrollInfo(window.grid, SB_VERT, &info));
  EXPECT_EQ(info.nPos, window.model.MaxTopRow());
  SendMessageW(window.grid, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(window.model.TopRow(), window.model.MaxTopRow() - 1);
  window.Repaint();
  test::SaveScreenshot([&] {
    RECT rect;
    GetWindowRect(window.top, &rect);
    return rect;
  }(), TESHMAR_SCREENSHOT_DIR, "rginfo_scrolled");

  // keys scroll the current row into view
  SendKey(window.grid, VK_HOME);
  EXPECT_EQ(window.model.TopRow(), 1);
  const int page = window.model.VisibleRowCount();
  SendKey(window.grid, VK_NEXT);
  EXPECT_EQ(window.model.Row(), 1 + page);
  StringGrid::Rect current;
  EXPECT_TRUE(window.model.CellRect(1, window.model.Row(), current));
  EXPECT_LE(current.bottom, client.bottom);

  // fewer rows: the bar goes
  window.model.SetRowCount(4);
  EXPECT_FALSE(GetWindowLongW(window.grid, GWL_STYLE) & WS_VSCROLL);
}

// Columns widened past the grid's width: a horizontal bar, arrow keys and Shift with the wheel
// bring the state column back, and the number column stays.
TEST(RgInfoView, AHorizontalBarWhenTheColumnsDoNotFit) {
  GridWindow window(kRows);
  EXPECT_FALSE(GetWindowLongW(window.grid, GWL_STYLE) & WS_HSCROLL) << "no bar while every column fits";
  RECT before;
  GetClientRect(window.grid, &before);
  window.model.SetColWidth(2, window.model.ColWidth(2) + 120);
  EXPECT_TRUE(GetWindowLongW(window.grid, GWL_STYLE) & WS_HSCROLL);
  RECT client;
  GetClientRect(window.grid, &client);
  EXPECT_EQ(window.model.ViewWidth(), client.right);
  ASSERT_GT(window.model.MaxLeftCol(), 1);

  SendKey(window.grid, VK_RIGHT);
  EXPECT_EQ(window.model.LeftCol(), 2);
  SendKey(window.grid, VK_LEFT);
  EXPECT_EQ(window.model.LeftCol(), 1);
  SendMessageW(window.grid, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, -WHEEL_DELTA), 0);
  EXPECT_EQ(window.model.LeftCol(), 2) << "Shift with the wheel turned down scrolls right";
  EXPECT_EQ(window.model.TopRow(), 1) << "and no row";
  SendMessageW(window.grid, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(window.model.LeftCol(), 1);
  SendMessageW(window.grid, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(window.model.LeftCol(), window.model.MaxLeftCol());
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(window.grid, SB_HORZ, &info));
  EXPECT_EQ(info.nPos, window.model.MaxLeftCol());

  // The state column shows whole now, right of the number column.
  window.Repaint();
  StringGrid::Rect state;
  ASSERT_TRUE(window.model.CellRect(4, 0, state));
  EXPECT_LE(state.right, client.right);
  const POINT fixed = window.Screen(36, 26);
  EXPECT_EQ(test::ScreenPixel(fixed.x, fixed.y), GetSysColor(COLOR_BTNFACE)) << "the number column stays";
  test::SaveScreenshot([&] {
    RECT rect;
    GetWindowRect(window.top, &rect);
    return rect;
  }(), TESHMAR_SCREENSHOT_DIR, "rginfo_scrolled_right");

  // Narrow again: the bar goes.
  window.model.SetColWidth(2, 141);
  EXPECT_EQ(window.model.LeftCol(), 1);
  EXPECT_FALSE(GetWindowLongW(window.grid, GWL_STYLE) & WS_HSCROLL);
}

TEST(RgInfoView, TheModelRepaintsTheWindowAndIsLetGoWithIt) {
  StringGrid model(kRgInfoColCount);
  int ownChanges = 0;
  model.onChanged = [&] { ++ownChanges; };
  HWND top = CreateWindowExW(0, L"TeshmarRgInfoTest", L"", WS_POPUP | WS_VISIBLE, 40, 40, 540, 300, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  HWND grid = CreateRgInfo(top, 1, 0, 0, 509, 200, model, {});
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(model.ColWidth(2), 141) << "laid out as RgInfo";
  UpdateWindow(grid);
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(grid, &dirty, FALSE));
  ownChanges = 0;
  model.SetRowCount(3);
  EXPECT_TRUE(GetUpdateRect(grid, &dirty, FALSE)) << "a change makes the grid repaint";
  EXPECT_EQ(ownChanges, 1) << "the handler that was there is still called";
  DestroyWindow(grid);
  model.SetCell(1, 1, "x");
  EXPECT_EQ(ownChanges, 2) << "after the window, the model's own handler alone";
  DestroyWindow(top);
}

}  // namespace
}  // namespace teshmar
