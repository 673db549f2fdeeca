#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace teshmar {

// The cells and the selection of a string grid with one fixed heading row and one fixed first
// column. Platform-free, so what the grid holds, and which row is current, is tested natively;
// the grid's window paints it and feeds it the mouse and the keyboard.
//
// Geometry is in pixels of the grid's client area. Every cell is followed by a grid line of
// kLineWidth to its right and below it; a point on that line belongs to the cell. The heading row
// is always shown at the top; entry rows scroll under it from TopRow(). The fixed first column is
// always shown at the left; the other columns scroll beside it from LeftCol(), when they are wider
// than the view.
class StringGrid {
 public:
  explicit StringGrid(int colCount);

  int ColCount() const;
  int RowCount() const;
  // Rows past the new count are dropped, new rows are empty; the heading row always stays.
  void SetRowCount(int rows);

  // Empty text outside the grid.
  const std::string& Cell(int col, int row) const;
  // Ignored outside the grid.
  void SetCell(int col, int row, std::string text);

  // The current row: the row last selected (1 while there is an entry row, whatever RowCount was).
  // 0 while the grid has no entry row.
  int Row() const;
  // Selects that one row and scrolls it into view; ignored unless it is an entry row.
  void SetRow(int row);

  // --- Layout
  static constexpr int kLineWidth = 1;
  // A column dragged narrower keeps this much, so its border can still be caught.
  static constexpr int kMinColWidth = 8;
  // Pixels either side of a heading border where a press starts resizing the column.
  static constexpr int kBorderGrip = 3;

  int ColWidth(int col) const;  // 0 outside the grid
  void SetColWidth(int col, int width);
  int RowHeight(int row) const;
  // Rows without a height of their own take the default (30 until set).
  void SetDefaultRowHeight(int height);
  // A height of one row; kept when the row count changes, so the row has it whenever it exists.
  void SetRowHeight(int row, int height);

  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // the cell without its grid lines
    bool operator==(const Rect&) const = default;
  };
  // Where a cell is drawn; false when its row or column is scrolled away or it is outside the grid.
  bool CellRect(int col, int row, Rect& rect) const;
  // Where a column begins in the view; a column scrolled away lies under the fixed one.
  int ColLeft(int col) const;
  // Whether a column is shown: the fixed one always, the others from LeftCol().
  bool ColShown(int col) const;
  // The width of the shown columns with their lines.
  int ContentWidth() const;

  struct Hit {
    int col = -1, row = -1;  // both -1 when the point is on no cell
    bool operator==(const Hit&) const = default;
  };
  Hit HitTest(int x, int y) const;
  // The column whose right border is under the point, when the point is in the heading row; -1 otherwise.
  int ColumnBorderAt(int x, int y) const;

  // --- View and scrolling
  // The height of the area the grid is shown in; until set, every row counts as shown.
  void SetViewHeight(int pixels);
  int ViewHeight() const;
  // The first entry row shown under the heading row; 1 while there is none.
  int TopRow() const;
  // Kept between 1 and MaxTopRow().
  void SetTopRow(int row);
  void ScrollBy(int rows);
  // The highest top row: from it the last row is shown whole (or it is the last row itself).
  int MaxTopRow() const;
  // Entry rows shown whole from TopRow(); at least 1 while there is an entry row, so a page moves.
  int VisibleRowCount() const;
  // Scrolls the least that shows the row whole.
  void ScrollIntoView(int row);

  // The width of the area the grid is shown in; until set, every column counts as shown.
  void SetViewWidth(int pixels);
  int ViewWidth() const;
  // The first column shown right of the fixed one; 1 until scrolled.
  int LeftCol() const;
  // Kept between 1 and MaxLeftCol().
  void SetLeftCol(int col);
  void ScrollColumnsBy(int cols);
  // The highest left column: from it the last column is shown whole (or it is the last column).
  int MaxLeftCol() const;

  // --- Selection: the rows from the anchor to the current row, both included, whole rows; the
  // fixed number column is drawn as fixed and is never shown selected.
  int AnchorRow() const;
  int SelectionTop() const;     // 0 while there is no entry row
  int SelectionBottom() const;  // 0 while there is no entry row
  bool IsRowSelected(int row) const;
  // The anchor stays at `anchor`, the current row moves to `current` (both kept among the entry
  // rows) and is scrolled into view.
  void SelectRows(int anchor, int current);
  // Every entry row, the current row kept where it is.
  void SelectAll();

  enum class Move { Up, Down, PageUp, PageDown, Home, End };
  // Moves the current row; `extend` keeps the anchor (Shift), otherwise the selection is the new row alone.
  void MoveCurrent(Move move, bool extend);

  // --- Mouse. A press on an entry row selects it (with `extend` from the anchor to it); a press on
  // a border in the heading row starts resizing that column. The view captures the mouse while
  // Dragging() is not None and passes every move until the release.
  enum class Drag { None, Rows, ColumnSize };
  Drag MouseDown(int x, int y, bool extend);
  void MouseMove(int x, int y);
  void MouseUp();
  Drag Dragging() const;

  // The headings and the selected rows, every cell as held, tab-separated, each line ended by CR LF.
  std::string ClipboardText() const;

  // Called after every change of cells, row count or selection, so the window repaints.
  std::function<void()> onChanged;

  // Holds onChanged back while many cells change at once (a list of thousands of entries): one
  // call at the end, if anything changed.
  class Batch {
   public:
    explicit Batch(StringGrid& grid) : grid_(grid) { ++grid_.batchDepth_; }
    ~Batch() {
      if (--grid_.batchDepth_ == 0 && grid_.changedInBatch_) {
        grid_.changedInBatch_ = false;
        grid_.Changed();
      }
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    StringGrid& grid_;
  };

 private:
  int EntryRows() const { return RowCount() - 1; }
  int ClampEntryRow(int row) const;
  // Top of the entry rows' area: under the heading row and its line.
  int BodyTop() const;
  // The least top row from which `row` is shown whole.
  int TopRowShowing(int row) const;
  // The row a drag points at, from a y that may be outside the view.
  int DragTargetRow(int y) const;
  void SetSelection(int anchor, int current, int top, int bottom);
  void Changed();

  int colCount_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<int> colWidths_;
  int defaultRowHeight_ = 30;
  std::map<int, int> rowHeights_;
  int viewHeight_;
  int viewWidth_;
  int topRow_ = 1;
  int leftCol_ = 1;
  int current_ = 0;
  int anchor_ = 0;
  int selTop_ = 0;
  int selBottom_ = 0;
  Drag drag_ = Drag::None;
  int sizingCol_ = -1;
  int sizingOffset_ = 0;
  int batchDepth_ = 0;
  bool changedInBatch_ = false;
};

}  // namespace teshmar
