#include "links/grid/StringGrid.h"

#include <algorithm>
#include <limits>

namespace teshmar {

namespace {

constexpr int kDefaultColWidth = 64;
// A view height that no grid reaches: every row counts as shown until the window says otherwise.
constexpr int kUnboundedView = std::numeric_limits<int>::max() / 4;

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

StringGrid::StringGrid(int colCount)
    : colCount_(std::max(colCount, 1)),
      rows_(1, std::vector<std::string>(static_cast<size_t>(colCount_))),
      colWidths_(static_cast<size_t>(colCount_), kDefaultColWidth),
      viewHeight_(kUnboundedView),
      viewWidth_(kUnboundedView) {}

int StringGrid::ColCount() const { return colCount_; }

int StringGrid::RowCount() const { return static_cast<int>(rows_.size()); }

void StringGrid::SetRowCount(int rows) {
  rows = std::max(rows, 1);
  if (rows == RowCount()) return;
  rows_.resize(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(colCount_)));
  const int last = EntryRows();
  if (last == 0) {
    current_ = anchor_ = selTop_ = selBottom_ = 0;
    topRow_ = 1;
    if (drag_ == Drag::Rows) drag_ = Drag::None;
  } else if (current_ == 0) {
    current_ = anchor_ = selTop_ = selBottom_ = 1;
  } else {
    current_ = std::min(current_, last);
    anchor_ = std::min(anchor_, last);
    selTop_ = std::min(selTop_, last);
    selBottom_ = std::min(selBottom_, last);
  }
  topRow_ = std::clamp(topRow_, 1, MaxTopRow());
  Changed();
}

const std::string& StringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return EmptyText();
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void StringGrid::SetCell(int col, int row, std::string text) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return;
  std::string& cell = rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
  if (cell == text) return;
  cell = std::move(text);
  Changed();
}

int StringGrid::Row() const { return current_; }

void StringGrid::SetRow(int row) {
  if (row < 1 || row > EntryRows()) return;
  SelectRows(row, row);
}

int StringGrid::ColWidth(int col) const {
  if (col < 0 || col >= colCount_) return 0;
  return colWidths_[static_cast<size_t>(col)];
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= colCount_) return;
  width = std::max(width, kMinColWidth);
  if (colWidths_[static_cast<size_t>(col)] == width) return;
  colWidths_[static_cast<size_t>(col)] = width;
  leftCol_ = std::clamp(leftCol_, 1, MaxLeftCol());
  Changed();
}

int StringGrid::RowHeight(int row) const {
  const auto own = rowHeights_.find(row);
  return own != rowHeights_.end() ? own->second : defaultRowHeight_;
}

void StringGrid::SetDefaultRowHeight(int height) {
  height = std::max(height, 1);
  if (height == defaultRowHeight_) return;
  defaultRowHeight_ = height;
  topRow_ = std::clamp(topRow_, 1, MaxTopRow());
  Changed();
}

void StringGrid::SetRowHeight(int row, int height) {
  if (row < 0) return;
  height = std::max(height, 1);
  if (RowHeight(row) == height && rowHeights_.count(row)) return;
  rowHeights_[row] = height;
  topRow_ = std::clamp(topRow_, 1, MaxTopRow());
  Changed();
}

int StringGrid::ColLeft(int col) const {
  if (col <= 0) return 0;
  col = std::min(col, colCount_);
  int left = ColWidth(0) + kLineWidth;
  if (col >= leftCol_) {
    for (int c = leftCol_; c < col; ++c) left += ColWidth(c) + kLineWidth;
  } else {
    for (int c = col; c < leftCol_; ++c) left -= ColWidth(c) + kLineWidth;
  }
  return left;
}

bool StringGrid::ColShown(int col) const { return col == 0 || (col >= leftCol_ && col < colCount_); }

int StringGrid::ContentWidth() const { return ColLeft(colCount_); }

int StringGrid::BodyTop() const { return RowHeight(0) + kLineWidth; }

bool StringGrid::CellRect(int col, int row, Rect& rect) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return false;
  int top = 0;
  if (row > 0) {
    if (row < topRow_) return false;
    top = BodyTop();
    for (int r = topRow_; r < row; ++r) {
      top += RowHeight(r) + kLineWidth;
      if (top >= viewHeight_) return false;
    }
    if (top >= viewHeight_) return false;
  }
  if (!ColShown(col)) return false;
  rect.left = ColLeft(col);
  rect.right = rect.left + ColWidth(col);
  rect.top = top;
  rect.bottom = top + RowHeight(row);
  return true;
}

StringGrid::Hit StringGrid::HitTest(int x, int y) const {
  if (x < 0 || y < 0 || y >= viewHeight_) return {};
  int col = -1;
  for (int c = 0; c < colCount_; ++c) {
    if (!ColShown(c)) continue;
    if (x < ColLeft(c) + ColWidth(c) + kLineWidth) {
      col = c;
      break;
    }
  }
  if (col < 0) return {};
  if (y < BodyTop()) return {col, 0};
  for (int r = topRow_, top = BodyTop(); r < RowCount(); ++r) {
    top += RowHeight(r) + kLineWidth;
    if (y < top) return {col, r};
  }
  return {};
}

int StringGrid::ColumnBorderAt(int x, int y) const {
  if (y < 0 || y >= BodyTop() || y >= viewHeight_) return -1;
  for (int c = 0; c < colCount_; ++c) {
    if (!ColShown(c)) continue;
    const int line = ColLeft(c) + ColWidth(c);  // the x of the column's grid line
    if (x >= line - kBorderGrip && x <= line + kBorderGrip) return c;
  }
  return -1;
}

void StringGrid::SetViewHeight(int pixels) {
  pixels = std::max(pixels, 0);
  if (pixels == viewHeight_) return;
  viewHeight_ = pixels;
  topRow_ = std::clamp(topRow_, 1, MaxTopRow());
  Changed();
}

int StringGrid::ViewHeight() const { return viewHeight_; }

int StringGrid::TopRow() const { return topRow_; }

void StringGrid::SetTopRow(int row) {
  row = std::clamp(row, 1, MaxTopRow());
  if (row == topRow_) return;
  topRow_ = row;
  Changed();
}

void StringGrid::ScrollBy(int rows) {
  // In 64 bits, so a wheel's page count cannot overflow the sum.
  const long long wanted = static_cast<long long>(topRow_) + rows;
  SetTopRow(static_cast<int>(std::clamp<long long>(wanted, 1, std::max(1, EntryRows()))));
}

int StringGrid::TopRowShowing(int row) const {
  const int room = viewHeight_ - BodyTop();
  int top = row;
  int used = RowHeight(row);
  while (top > 1) {
    const int more = used + kLineWidth + RowHeight(top - 1);
    if (more > room) break;
    used = more;
    --top;
  }
  return top;
}

int StringGrid::MaxTopRow() const { return EntryRows() == 0 ? 1 : TopRowShowing(EntryRows()); }

int StringGrid::VisibleRowCount() const {
  if (EntryRows() == 0) return 0;
  int count = 0;
  for (int r = topRow_, bottom = BodyTop(); r < RowCount(); ++r) {
    bottom += RowHeight(r);
    if (bottom > viewHeight_) break;
    ++count;
    bottom += kLineWidth;
  }
  return std::max(count, 1);
}

void StringGrid::ScrollIntoView(int row) {
  if (row < 1 || row > EntryRows()) return;
  if (row < topRow_) {
    SetTopRow(row);
    return;
  }
  const int least = TopRowShowing(row);
  if (topRow_ < least) SetTopRow(least);
}

void StringGrid::SetViewWidth(int pixels) {
  pixels = std::max(pixels, 0);
  if (pixels == viewWidth_) return;
  viewWidth_ = pixels;
  leftCol_ = std::clamp(leftCol_, 1, MaxLeftCol());
  Changed();
}

int StringGrid::ViewWidth() const { return viewWidth_; }

int StringGrid::LeftCol() const { return leftCol_; }

void StringGrid::SetLeftCol(int col) {
  col = std::clamp(col, 1, MaxLeftCol());
  if (col == leftCol_) return;
  leftCol_ = col;
  Changed();
}

void StringGrid::ScrollColumnsBy(int cols) {
  const long long wanted = static_cast<long long>(leftCol_) + cols;
  SetLeftCol(static_cast<int>(std::clamp<long long>(wanted, 1, std::max(1, colCount_ - 1))));
}

int StringGrid::MaxLeftCol() const {
  if (colCount_ <= 1) return 1;
  const int room = viewWidth_ - (ColWidth(0) + kLineWidth);
  int left = colCount_ - 1;
  int used = ColWidth(left);
  while (left > 1) {
    const int more = used + kLineWidth + ColWidth(left - 1);
    if (more > room) break;
    used = more;
    --left;
  }
  return left;
}

int StringGrid::AnchorRow() const { return anchor_; }
int StringGrid::SelectionTop() const { return selTop_; }
int StringGrid::SelectionBottom() const { return selBottom_; }

bool StringGrid::IsRowSelected(int row) const { return row >= 1 && row >= selTop_ && row <= selBottom_; }

int StringGrid::ClampEntryRow(int row) const { return std::clamp(row, 1, std::max(1, EntryRows())); }

void StringGrid::SetSelection(int anchor, int current, int top, int bottom) {
  if (anchor == anchor_ && current == current_ && top == selTop_ && bottom == selBottom_) return;
  anchor_ = anchor;
  current_ = current;
  selTop_ = top;
  selBottom_ = bottom;
  Changed();
}

void StringGrid::SelectRows(int anchor, int current) {
  if (EntryRows() == 0) return;
  anchor = ClampEntryRow(anchor);
  current = ClampEntryRow(current);
  SetSelection(anchor, current, std::min(anchor, current), std::max(anchor, current));
  ScrollIntoView(current);
}

void StringGrid::SelectAll() {
  if (EntryRows() == 0) return;
  SetSelection(anchor_, current_, 1, EntryRows());
}

void StringGrid::MoveCurrent(Move move, bool extend) {
  if (EntryRows() == 0) return;
  const int page = VisibleRowCount();
  int target = current_;
  switch (move) {
    case Move::Up: target = current_ - 1; break;
    case Move::Down: target = current_ + 1; break;
    case Move::PageUp:
      target = current_ - page;
      ScrollBy(-page);
      break;
    case Move::PageDown:
      target = current_ + page;
      ScrollBy(page);
      break;
    case Move::Home: target = 1; break;
    case Move::End: target = EntryRows(); break;
  }
  target = ClampEntryRow(target);
  SelectRows(extend ? anchor_ : target, target);
}

int StringGrid::DragTargetRow(int y) const {
  // Past either edge of the view the drag reaches one row further, so the rows scroll under it.
  if (y < BodyTop()) return ClampEntryRow(topRow_ - 1);
  if (y >= viewHeight_) return ClampEntryRow(topRow_ + VisibleRowCount());
  for (int r = topRow_, bottom = BodyTop(); r < RowCount(); ++r) {
    bottom += RowHeight(r) + kLineWidth;
    if (y < bottom) return r;
  }
  return EntryRows();  // the empty space under the last row
}

StringGrid::Drag StringGrid::MouseDown(int x, int y, bool extend) {
  drag_ = Drag::None;
  const int border = ColumnBorderAt(x, y);
  if (border >= 0) {
    drag_ = Drag::ColumnSize;
    sizingCol_ = border;
    sizingOffset_ = ColLeft(border) + ColWidth(border) - x;
    return drag_;
  }
  const Hit hit = HitTest(x, y);
  if (hit.row < 1) return drag_;
  SelectRows(extend ? anchor_ : hit.row, hit.row);
  drag_ = Drag::Rows;
  return drag_;
}

void StringGrid::MouseMove(int x, int y) {
  if (drag_ == Drag::ColumnSize) {
    SetColWidth(sizingCol_, x + sizingOffset_ - ColLeft(sizingCol_));
  } else if (drag_ == Drag::Rows && EntryRows() > 0) {
    SelectRows(anchor_, DragTargetRow(y));
  }
}

void StringGrid::MouseUp() {
  drag_ = Drag::None;
  sizingCol_ = -1;
}

StringGrid::Drag StringGrid::Dragging() const { return drag_; }

std::string StringGrid::ClipboardText() const {
  std::string text;
  auto appendRow = [&](int row) {
    for (int c = 0; c < colCount_; ++c) {
      if (c > 0) text += '\t';
      text += Cell(c, row);
    }
    text += "\r\n";
  };
  appendRow(0);
  if (EntryRows() > 0) {
    for (int r = selTop_; r <= selBottom_; ++r) appendRow(r);
  }
  return text;
}

void StringGrid::Changed() {
  if (batchDepth_ > 0) {
    changedInBatch_ = true;
    return;
  }
  if (onChanged) onChanged();
}

}  // namespace teshmar
