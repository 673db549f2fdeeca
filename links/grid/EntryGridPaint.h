#pragma once
#include <string>

#include "links/grid/StringGrid.h"

namespace teshmar {

// The entry grid RgInfo: its columns, layout and the decisions of its painting and tooltip, free of
// the platform so that every state and phase is tested natively; RgInfoView draws what they decide.

enum RgInfoColumn { kRgInfoNumberCol = 0, kRgInfoNameCol, kRgInfoAddressCol, kRgInfoDatabaseCol, kRgInfoStateCol };
inline constexpr int kRgInfoColCount = 5;

// Written into an empty database cell by the painting; "双击" in it is what the missing-link warning looks for.
inline constexpr char kRgInfoDoubleClickHint[] = "   <双击>";
inline constexpr char kRgInfoConnected[] = "连接";
inline constexpr char kRgInfoDisconnected[] = "断开";
inline constexpr char kRgInfoFirstTooltip[] = "双击条目修改数据库连接";
inline constexpr char kRgInfoLinkDownTooltip[] = "数据库连接断开,请检查!";

// Column widths 40, 85, 141, 109, 61; the heading row 30 px, the first entry row 29, the others 30.
void ApplyRgInfoLayout(StringGrid& grid);

// The colours of the grid by role; the view maps them to the system's colours and red 232.
enum class GridColour { Window, WindowText, ButtonFace, Highlight, HighlightText, Red };

struct CellLook {
  GridColour background;
  GridColour text;
  bool operator==(const CellLook&) const = default;
};

// The heading row and the number column are fixed cells: their lines, and the frame, take the fixed colour.
bool IsFixedCell(int col, int row);

// The default drawing: fixed cells in button face, cells of selected rows in the highlight colours,
// the others in the window colours.
CellLook DefaultCellLook(const StringGrid& grid, int col, int row);

// What the custom drawing adds after the default drawing of a cell.
struct CellDrawing {
  enum class Kind {
    Default,          // nothing more
    DoubleClickHint,  // fill with the cell's own background, "<双击>" in red, centred on one line
    Number,           // fill with `numberBackground`, the number in the text colour flush at the top-left corner
  };
  Kind kind = Kind::Default;
  GridColour numberBackground = GridColour::ButtonFace;
  bool operator==(const CellDrawing&) const = default;
};

// RgInfoDrawCell: decides the custom drawing of one cell. For the hint it first writes
// kRgInfoDoubleClickHint into the database cell, as the painting of the grid does, so the grid
// repaints that cell and from then on shows the hint by the default drawing.
CellDrawing RgInfoDrawCell(StringGrid& grid, int col, int row, int blinkPhase);

// RgInfoMouseMove: the tooltip text after the pointer moved onto `row` (-1 off the cells). Over an
// entry row it becomes the link-down text when the state cell is exactly "断开", else empty; over the
// heading row or off the cells it stays. Returns whether it changed.
bool RgInfoMouseMove(const StringGrid& grid, int row, std::string& tooltip);

}  // namespace teshmar
