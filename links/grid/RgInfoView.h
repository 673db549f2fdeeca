#pragma once
#include <windows.h>

#include <functional>

#include "links/grid/StringGrid.h"

namespace teshmar {

// What the grid asks of its window: the main window's BlinkPhase, read at every painting, and the
// handler of a double-click.
struct RgInfoHooks {
  std::function<int()> blinkPhase;
  std::function<void()> onDblClick;
};

// The window class of the grid, a string grid of our own.
inline constexpr wchar_t kRgInfoClassName[] = L"TStringGrid";

// Creates the grid window showing model as a child of parent; the window repaints when the model changes.
// The model must outlive the window; the window lays the model out as RgInfo (column widths, row heights)
// and keeps its own view height in it.
HWND CreateRgInfo(HWND parent, int id, int x, int y, int width, int height, StringGrid& model, RgInfoHooks hooks);

// The grid's tooltip control (its text is what RgInfoMouseMove decided last); nullptr for other windows.
HWND RgInfoTooltip(HWND grid);

}  // namespace teshmar
