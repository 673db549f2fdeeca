#include "links/grid/EntryGridPaint.h"

#include "common/TextUtil.h"

namespace teshmar {

namespace {

constexpr int kRgInfoColWidths[kRgInfoColCount] = {40, 85, 141, 109, 61};
constexpr int kRowHeight = 30;
constexpr int kFirstEntryRowHeight = 29;
constexpr int kBlinkRedPhase = 1;

}  // namespace

void ApplyRgInfoLayout(StringGrid& grid) {
  for (int col = 0; col < kRgInfoColCount; ++col) grid.SetColWidth(col, kRgInfoColWidths[col]);
  grid.SetDefaultRowHeight(kRowHeight);
  grid.SetRowHeight(0, kRowHeight);
  grid.SetRowHeight(1, kFirstEntryRowHeight);
}

bool IsFixedCell(int col, int row) { return col == 0 || row == 0; }

CellLook DefaultCellLook(const StringGrid& grid, int col, int row) {
  if (IsFixedCell(col, row)) return {GridColour::ButtonFace, GridColour::WindowText};
  if (grid.IsRowSelected(row)) return {GridColour::Highlight, GridColour::HighlightText};
  return {GridColour::Window, GridColour::WindowText};
}

CellDrawing RgInfoDrawCell(StringGrid& grid, int col, int row, int blinkPhase) {
  if (row < 1 || row >= grid.RowCount() || TrimBlanks(grid.Cell(kRgInfoNumberCol, row)).empty()) return {};
  const bool connected = TrimBlanks(grid.Cell(kRgInfoStateCol, row)) == kRgInfoConnected;
  if (col == kRgInfoDatabaseCol) {
    if (!TrimBlanks(grid.Cell(kRgInfoDatabaseCol, row)).empty() || connected) return {};
    grid.SetCell(kRgInfoDatabaseCol, row, kRgInfoDoubleClickHint);
    return {CellDrawing::Kind::DoubleClickHint};
  }
  if (col == kRgInfoNumberCol) {
    const bool red = !connected && blinkPhase == kBlinkRedPhase;
    return {CellDrawing::Kind::Number, red ? GridColour::Red : GridColour::ButtonFace};
  }
  return {};
}

bool RgInfoMouseMove(const StringGrid& grid, int row, std::string& tooltip) {
  if (row < 1 || row >= grid.RowCount()) return false;
  const std::string wanted = grid.Cell(kRgInfoStateCol, row) == kRgInfoDisconnected ? kRgInfoLinkDownTooltip : "";
  if (wanted == tooltip) return false;
  tooltip = wanted;
  return true;
}

}  // namespace teshmar
