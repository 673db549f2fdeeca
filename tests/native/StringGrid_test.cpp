#include "links/grid/StringGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "links/grid/EntryGridPaint.h"

namespace teshmar {
namespace {

// The grid as RgInfo lays it out, with `entries` rows under the heading row, the number column
// holding the row numbers.
StringGrid EntryGrid(int entries, int viewHeight = 0) {
  StringGrid grid(kRgInfoColCount);
  ApplyRgInfoLayout(grid);
  grid.SetRowCount(entries + 1);
  for (int r = 1; r <= entries; ++r) grid.SetCell(0, r, std::to_string(r));
  if (viewHeight > 0) grid.SetViewHeight(viewHeight);
  return grid;
}

struct Selection {
  int current, anchor, top, bottom;
  bool operator==(const Selection&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Selection& s) {
  return out << "current " << s.current << " anchor " << s.anchor << " rows " << s.top << ".." << s.bottom;
}
Selection SelectionOf(const StringGrid& grid) {
  return {grid.Row(), grid.AnchorRow(), grid.SelectionTop(), grid.SelectionBottom()};
}

TEST(StringGrid, CellsOutsideTheGridAreEmptyAndIgnored) {
  StringGrid grid(5);
  EXPECT_EQ(grid.ColCount(), 5);
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetCell(4, 0, "连接状态");
  grid.SetCell(5, 0, "x");
  grid.SetCell(0, 1, "x");
  grid.SetCell(-1, 0, "x");
  EXPECT_EQ(grid.Cell(4, 0), "连接状态");
  EXPECT_EQ(grid.Cell(5, 0), "");
  EXPECT_EQ(grid.Cell(0, 1), "");
  EXPECT_EQ(grid.Cell(-1, -1), "");
}

TEST(StringGrid, RowCountKeepsTheHeadingRowAndEmptiesNewRows) {
  StringGrid grid(2);
  grid.SetCell(0, 0, "序号");
  grid.SetRowCount(3);
  grid.SetCell(1, 2, "东城店");
  grid.SetRowCount(2);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cell(1, 2), "") << "a dropped row comes back empty";
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(0, 0), "序号");
}

TEST(StringGrid, EveryChangeIsReportedAndNothingElse) {
  StringGrid grid(5);
  int changes = 0;
  grid.onChanged = [&] { ++changes; };
  struct Step {
    const char* what;
    std::function<void()> act;
    bool changes;
  };
  const std::vector<Step> steps = {
      {"row count", [&] { grid.SetRowCount(4); }, true},
      {"same row count", [&] { grid.SetRowCount(4); }, false},
      {"cell", [&] { grid.SetCell(1, 1, "a"); }, true},
      {"same cell text", [&] { grid.SetCell(1, 1, "a"); }, false},
      {"cell outside", [&] { grid.SetCell(1, 9, "a"); }, false},
      {"row", [&] { grid.SetRow(3); }, true},
      {"same row", [&] { grid.SetRow(3); }, false},
      {"heading row as current", [&] { grid.SetRow(0); }, false},
      {"select all", [&] { grid.SelectAll(); }, true},
      {"column width", [&] { grid.SetColWidth(2, 100); }, true},
      {"row height", [&] { grid.SetRowHeight(1, 29); }, true},
      {"view height", [&] { grid.SetViewHeight(62); }, true},
      {"top row", [&] { grid.SetTopRow(2); }, true},
      {"key move", [&] { grid.MoveCurrent(StringGrid::Move::Home, false); }, true},
  };
  for (const Step& step : steps) {
    const int before = changes;
    step.act();
    EXPECT_EQ(changes > before, step.changes) << step.what;
  }
}

TEST(StringGrid, ABatchReportsItsChangesOnceAtTheEnd) {
  StringGrid grid(5);
  int changes = 0;
  grid.onChanged = [&] { ++changes; };
  {
    StringGrid::Batch batch(grid);
    grid.SetRowCount(10000);
    {
      StringGrid::Batch inner(grid);
      for (int row = 1; row < 10000; ++row) grid.SetCell(0, row, std::to_string(row));
    }
    EXPECT_EQ(changes, 0) << "an inner batch waits for the outer one";
    EXPECT_EQ(grid.Cell(0, 9999), "9999");
  }
  EXPECT_EQ(changes, 1);
  { StringGrid::Batch nothing(grid); grid.SetCell(0, 1, "1"); }
  EXPECT_EQ(changes, 1) << "a batch that changed nothing says nothing";
  grid.SetCell(0, 1, "x");
  EXPECT_EQ(changes, 2) << "outside a batch every change is reported again";
}

TEST(StringGrid, CurrentRowFollowsTheRowCount) {
  StringGrid grid(5);
  EXPECT_EQ(grid.Row(), 0) << "no entry row";
  grid.SetRowCount(4);
  EXPECT_EQ(SelectionOf(grid), (Selection{1, 1, 1, 1}));
  grid.SetRow(3);
  EXPECT_EQ(grid.Row(), 3);
  grid.SetRowCount(6);
  EXPECT_EQ(grid.Row(), 3) << "more rows keep the current row";
  grid.SetRowCount(3);
  EXPECT_EQ(SelectionOf(grid), (Selection{2, 2, 2, 2})) << "kept on the last row";
  grid.SetRowCount(1);
  EXPECT_EQ(SelectionOf(grid), (Selection{0, 0, 0, 0}));
  grid.SetRowCount(5);
  EXPECT_EQ(SelectionOf(grid), (Selection{1, 1, 1, 1}));
  grid.SetRow(5);
  EXPECT_EQ(grid.Row(), 1) << "past the last row: ignored";
}

TEST(StringGrid, RgInfoLayout) {
  const StringGrid grid = EntryGrid(3);
  const std::vector<int> widths = {40, 85, 141, 109, 61};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(grid.ColWidth(c), widths[static_cast<size_t>(c)]) << c;
  EXPECT_EQ(grid.RowHeight(0), 30);
  EXPECT_EQ(grid.RowHeight(1), 29);
  EXPECT_EQ(grid.RowHeight(2), 30);
  EXPECT_EQ(grid.RowHeight(300), 30);
  EXPECT_EQ(grid.ContentWidth(), 40 + 85 + 141 + 109 + 61 + 5);
}

TEST(StringGrid, CellRectangles) {
  StringGrid grid = EntryGrid(10, 153);
  struct Case {
    int top, col, row;
    bool shown;
    StringGrid::Rect rect;
  };
  const std::vector<Case> cases = {
      {1, 0, 0, true, {0, 0, 40, 30}},
      {1, 1, 0, true, {41, 0, 126, 30}},
      {1, 4, 1, true, {379, 31, 440, 60}},
      {1, 2, 2, true, {127, 61, 268, 91}},
      {1, 3, 4, true, {269, 123, 378, 153}},
      {1, 0, 5, false, {}},  // starts at the view's edge
      {3, 0, 0, true, {0, 0, 40, 30}},
      {3, 0, 3, true, {0, 31, 40, 61}},
      {3, 0, 2, false, {}},  // scrolled away
      {3, 0, 11, false, {}},
      {3, 5, 3, false, {}},
  };
  for (const Case& c : cases) {
    grid.SetTopRow(c.top);
    StringGrid::Rect rect;
    EXPECT_EQ(grid.CellRect(c.col, c.row, rect), c.shown) << c.col << "," << c.row << " from " << c.top;
    if (c.shown) EXPECT_EQ(rect, c.rect) << c.col << "," << c.row << " from " << c.top;
  }
}

TEST(StringGrid, HitTestingIncludesTheLineAfterEachCell) {
  StringGrid grid = EntryGrid(6, 153);
  struct Case {
    int top, x, y;
    StringGrid::Hit hit;
  };
  const std::vector<Case> cases = {
      {1, 0, 0, {0, 0}},       {1, 39, 29, {0, 0}},     {1, 40, 30, {0, 0}},  // the lines belong to the cell
      {1, 41, 31, {1, 1}},     {1, 126, 60, {1, 1}},    {1, 127, 61, {2, 2}},
      {1, 440, 152, {4, 4}},   {1, 441, 40, {-1, -1}},  // right of the last column
      {1, -1, 40, {-1, -1}},   {1, 10, -1, {-1, -1}},   {1, 10, 153, {-1, -1}},  // outside the view
      {3, 10, 20, {0, 0}},     {3, 10, 31, {0, 3}},     {3, 300, 62, {3, 4}},
      {3, 10, 123, {0, 5}},    {3, 10, 152, {0, 6}},    {4, 10, 123, {0, 6}},
      {4, 10, 124, {-1, -1}},  // under the last row
  };
  for (const Case& c : cases) {
    grid.SetTopRow(c.top);
    const StringGrid::Hit hit = grid.HitTest(c.x, c.y);
    EXPECT_EQ(hit, c.hit) << "(" << c.x << "," << c.y << ") from " << c.top << ": got " << hit.col << ","
                          << hit.row;
  }
  StringGrid empty = EntryGrid(0, 153);
  EXPECT_EQ(empty.HitTest(10, 10), (StringGrid::Hit{0, 0}));
  EXPECT_EQ(empty.HitTest(10, 40), (StringGrid::Hit{-1, -1}));
}

TEST(StringGrid, ColumnBordersAreCaughtOnlyInTheHeadingRow) {
  const StringGrid grid = EntryGrid(3);
  struct Case {
    int x, y, col;
  };
  const std::vector<Case> cases = {
      {40, 10, 0},  {37, 10, 0},  {43, 10, 0},  {36, 10, -1}, {44, 10, -1}, {126, 0, 1},
      {378, 30, 3}, {440, 15, 4}, {443, 15, 4}, {444, 15, -1}, {126, 31, -1}, {126, 45, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(grid.ColumnBorderAt(c.x, c.y), c.col) << c.x << "," << c.y;
}

// "客户地址" widened by 60 px in a grid 493 px wide: the columns no longer fit, and scroll beside
// the fixed number column as a string grid's do.
TEST(StringGrid, ColumnsWiderThanTheViewScrollBesideTheFixedOne) {
  StringGrid grid = EntryGrid(3, 153);
  EXPECT_EQ(grid.MaxLeftCol(), 1) << "until the view's width is known, everything fits";
  grid.SetViewWidth(493);
  EXPECT_EQ(grid.MaxLeftCol(), 1);
  grid.SetColWidth(2, 141 + 60);
  EXPECT_EQ(grid.MaxLeftCol(), 2);
  EXPECT_EQ(grid.LeftCol(), 1);
  StringGrid::Rect rect;
  ASSERT_TRUE(grid.CellRect(4, 1, rect));
  EXPECT_GT(rect.right, 493) << "the state column leaves the view";

  grid.ScrollColumnsBy(1);
  EXPECT_EQ(grid.LeftCol(), 2);
  EXPECT_FALSE(grid.CellRect(1, 1, rect)) << "the name column scrolled away";
  ASSERT_TRUE(grid.CellRect(0, 1, rect));
  EXPECT_EQ(rect.left, 0) << "the number column stays";
  ASSERT_TRUE(grid.CellRect(2, 1, rect));
  EXPECT_EQ(rect.left, 41);
  ASSERT_TRUE(grid.CellRect(4, 1, rect));
  EXPECT_EQ(rect.right, 41 + 202 + 110 + 61);
  EXPECT_LE(rect.right, 493);
  EXPECT_EQ(grid.HitTest(45, 40), (StringGrid::Hit{2, 1}));
  EXPECT_EQ(grid.HitTest(20, 40), (StringGrid::Hit{0, 1}));
  EXPECT_EQ(grid.ColumnBorderAt(41 + 201, 10), 2);
  EXPECT_EQ(grid.ColumnBorderAt(126, 10), -1) << "no border of a column scrolled away";
  EXPECT_EQ(grid.ContentWidth(), 41 + 202 + 110 + 62);

  // Never past the last column shown whole; a wider view or a narrower column pulls it back.
  grid.ScrollColumnsBy(5);
  EXPECT_EQ(grid.LeftCol(), 2);
  grid.SetViewWidth(600);
  EXPECT_EQ(grid.LeftCol(), 1);
  grid.SetViewWidth(493);
  grid.SetLeftCol(2);
  grid.SetColWidth(2, 141);
  EXPECT_EQ(grid.LeftCol(), 1);
  // A view narrower than any column still reaches the last one.
  grid.SetViewWidth(60);
  grid.SetLeftCol(99);
  EXPECT_EQ(grid.LeftCol(), 4);
}

TEST(StringGrid, ScrollingKeepsTheLastRowsInView) {
  struct Case {
    int entries, viewHeight;
    int maxTop, visibleFromTop;
  };
  const std::vector<Case> cases = {
      {0, 153, 1, 0},
      {3, 153, 1, 3},
      {4, 153, 1, 4},    // 29 + 30 + 30 + 30 and their lines fill 153 exactly
      {5, 153, 3, 4},    // 3 is the least top from which row 5 shows whole: 4 rows of 30 do not fit
      {10, 153, 8, 4},
      {10, 152, 8, 3},
      {10, 20, 10, 1},   // even the heading does not fit: still a page of one row
      {10, 100000, 1, 10},
  };
  for (const Case& c : cases) {
    StringGrid grid = EntryGrid(c.entries, c.viewHeight);
    EXPECT_EQ(grid.MaxTopRow(), c.maxTop) << c.entries << " rows in " << c.viewHeight;
    EXPECT_EQ(grid.VisibleRowCount(), c.visibleFromTop) << c.entries << " rows in " << c.viewHeight;
    grid.SetTopRow(1000);
    EXPECT_EQ(grid.TopRow(), c.maxTop);
    grid.ScrollBy(-2);
    EXPECT_EQ(grid.TopRow(), std::max(1, c.maxTop - 2));
    grid.ScrollBy(-1000000000);
    EXPECT_EQ(grid.TopRow(), 1);
    grid.ScrollBy(2000000000);
    EXPECT_EQ(grid.TopRow(), c.maxTop);
  }
}

TEST(StringGrid, FewerRowsOrATallerViewPullTheTopBack) {
  StringGrid grid = EntryGrid(20, 153);
  grid.SetTopRow(15);
  ASSERT_EQ(grid.TopRow(), 15);
  grid.SetRowCount(11);
  EXPECT_EQ(grid.TopRow(), 8);
  grid.SetViewHeight(400);
  EXPECT_EQ(grid.TopRow(), 1);
  grid.SetRowCount(1);
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST(StringGrid, KeyboardMoves) {
  using Move = StringGrid::Move;
  struct Case {
    const char* what;
    int startRow, startTop;
    Move move;
    bool extend;
    Selection after;
    int topAfter;
  };
  // 20 entries in a view of 4 rows from the top (3 further down).
  const std::vector<Case> cases = {
      {"down", 1, 1, Move::Down, false, {2, 2, 2, 2}, 1},
      {"down off the view scrolls", 4, 1, Move::Down, false, {5, 5, 5, 5}, 3},
      {"down on the last row", 20, 18, Move::Down, false, {20, 20, 20, 20}, 18},
      {"up", 5, 3, Move::Up, false, {4, 4, 4, 4}, 3},
      {"up above the view scrolls", 5, 5, Move::Up, false, {4, 4, 4, 4}, 4},
      {"up on the first row", 1, 1, Move::Up, false, {1, 1, 1, 1}, 1},
      {"page down", 2, 1, Move::PageDown, false, {6, 6, 6, 6}, 5},
      {"page down near the end", 19, 17, Move::PageDown, false, {20, 20, 20, 20}, 18},
      {"page up", 10, 8, Move::PageUp, false, {7, 7, 7, 7}, 5},
      {"page up near the start", 2, 1, Move::PageUp, false, {1, 1, 1, 1}, 1},
      {"home", 12, 10, Move::Home, false, {1, 1, 1, 1}, 1},
      {"end", 3, 1, Move::End, false, {20, 20, 20, 20}, 18},
      {"shift down", 3, 1, Move::Down, true, {4, 3, 3, 4}, 1},
      {"shift up", 3, 1, Move::Up, true, {2, 3, 2, 3}, 1},
      {"shift end", 3, 1, Move::End, true, {20, 3, 3, 20}, 18},
      {"shift home", 3, 1, Move::Home, true, {1, 3, 1, 3}, 1},
  };
  for (const Case& c : cases) {
    StringGrid grid = EntryGrid(20, 153);
    grid.SetRow(c.startRow);
    grid.SetTopRow(c.startTop);
    ASSERT_EQ(grid.TopRow(), c.startTop) << c.what;
    grid.MoveCurrent(c.move, c.extend);
    EXPECT_EQ(SelectionOf(grid), c.after) << c.what;
    EXPECT_EQ(grid.TopRow(), c.topAfter) << c.what;
  }
  StringGrid empty = EntryGrid(0, 153);
  empty.MoveCurrent(Move::Down, false);
  empty.MoveCurrent(Move::End, true);
  EXPECT_EQ(SelectionOf(empty), (Selection{0, 0, 0, 0}));
}

TEST(StringGrid, SelectAllKeepsTheCurrentRowAndAShiftMoveNarrowsAgain) {
  StringGrid grid = EntryGrid(6, 153);
  grid.SetRow(3);
  grid.SelectAll();
  EXPECT_EQ(SelectionOf(grid), (Selection{3, 3, 1, 6}));
  for (int r = 1; r <= 6; ++r) EXPECT_TRUE(grid.IsRowSelected(r)) << r;
  EXPECT_FALSE(grid.IsRowSelected(0));
  EXPECT_FALSE(grid.IsRowSelected(7));
  grid.MoveCurrent(StringGrid::Move::Down, true);
  EXPECT_EQ(SelectionOf(grid), (Selection{4, 3, 3, 4}));
  grid.MoveCurrent(StringGrid::Move::Down, false);
  EXPECT_EQ(SelectionOf(grid), (Selection{5, 5, 5, 5}));

  StringGrid empty = EntryGrid(0);
  empty.SelectAll();
  EXPECT_EQ(SelectionOf(empty), (Selection{0, 0, 0, 0}));
}

// y of the middle of an entry row, with the top row 1
int MidY(int row) { return row == 1 ? 45 : 61 + (row - 2) * 31 + 15; }

TEST(StringGrid, PressAndDragSelectWholeRows) {
  struct Case {
    const char* what;
    int startRow;  // current before the press
    int x, y;
    bool shift;
    std::vector<int> dragYs;
    StringGrid::Drag drag;
    Selection after;
    int topAfter;
  };
  using Drag = StringGrid::Drag;
  // 10 entries, 4 rows shown from the top
  const std::vector<Case> cases = {
      {"click a row", 1, 200, MidY(3), false, {}, Drag::Rows, {3, 3, 3, 3}, 1},
      {"click the number column", 1, 20, MidY(2), false, {}, Drag::Rows, {2, 2, 2, 2}, 1},
      {"drag down", 1, 200, MidY(1), false, {MidY(2), MidY(3)}, Drag::Rows, {3, 1, 1, 3}, 1},
      {"drag up", 1, 200, MidY(4), false, {MidY(3), MidY(2)}, Drag::Rows, {2, 4, 2, 4}, 1},
      {"drag down and back", 1, 200, MidY(2), false, {MidY(4), MidY(1)}, Drag::Rows, {1, 2, 1, 2}, 1},
      {"drag below the view scrolls a row at a time", 1, 200, MidY(3), false, {MidY(4), 170, 170},
       Drag::Rows, {6, 3, 3, 6}, 4},
      {"drag over the heading from the top", 1, 200, MidY(2), false, {10}, Drag::Rows, {1, 2, 1, 2}, 1},
      {"shift click extends from the anchor", 2, 200, MidY(4), true, {}, Drag::Rows, {4, 2, 2, 4}, 1},
      {"shift click upwards", 4, 200, MidY(1), true, {}, Drag::Rows, {1, 4, 1, 4}, 1},
      {"click the heading row", 2, 200, 15, false, {MidY(4)}, Drag::None, {2, 2, 2, 2}, 1},
      {"click right of the columns", 2, 460, MidY(3), false, {}, Drag::None, {2, 2, 2, 2}, 1},
  };
  for (const Case& c : cases) {
    StringGrid grid = EntryGrid(10, 153);
    grid.SetRow(c.startRow);
    EXPECT_EQ(grid.MouseDown(c.x, c.y, c.shift), c.drag) << c.what;
    for (int y : c.dragYs) {
      if (grid.Dragging() != Drag::None) grid.MouseMove(c.x, y);
    }
    grid.MouseUp();
    EXPECT_EQ(grid.Dragging(), Drag::None);
    EXPECT_EQ(SelectionOf(grid), c.after) << c.what;
    EXPECT_EQ(grid.TopRow(), c.topAfter) << c.what;
  }
}

TEST(StringGrid, DragUnderTheLastRowReachesTheLastRow) {
  StringGrid grid = EntryGrid(3, 153);
  grid.MouseDown(200, MidY(1), false);
  grid.MouseMove(200, 140);
  EXPECT_EQ(SelectionOf(grid), (Selection{3, 1, 1, 3}));
  grid.MouseMove(200, 400);
  EXPECT_EQ(SelectionOf(grid), (Selection{3, 1, 1, 3}));
  EXPECT_EQ(grid.TopRow(), 1);
}

TEST(StringGrid, DragOverTheHeadingScrollsUp) {
  StringGrid grid = EntryGrid(10, 153);
  grid.SetTopRow(5);
  grid.MouseDown(200, 45, false);
  EXPECT_EQ(grid.Row(), 5);
  grid.MouseMove(200, 10);
  EXPECT_EQ(SelectionOf(grid), (Selection{4, 5, 4, 5}));
  EXPECT_EQ(grid.TopRow(), 4);
  grid.MouseMove(200, -30);
  EXPECT_EQ(SelectionOf(grid), (Selection{3, 5, 3, 5}));
  EXPECT_EQ(grid.TopRow(), 3);
}

TEST(StringGrid, DraggingAHeadingBorderResizesTheColumn) {
  struct Case {
    int pressX, moveX;
    int col, width;
  };
  const std::vector<Case> cases = {
      {126, 146, 1, 105},  // on the line
      {124, 146, 1, 107},  // the grip's offset is kept
      {40, 60, 0, 60},
      {440, 400, 4, 21},
      {440, 300, 4, StringGrid::kMinColWidth},
  };
  for (const Case& c : cases) {
    StringGrid grid = EntryGrid(3);
    grid.SetRow(2);
    EXPECT_EQ(grid.MouseDown(c.pressX, 12, false), StringGrid::Drag::ColumnSize) << c.pressX;
    grid.MouseMove(c.moveX, 200);
    grid.MouseUp();
    EXPECT_EQ(grid.ColWidth(c.col), c.width) << c.pressX << " to " << c.moveX;
    EXPECT_EQ(grid.Row(), 2) << "the selection stays";
    grid.MouseMove(c.moveX + 50, 12);
    EXPECT_EQ(grid.ColWidth(c.col), c.width) << "no move after the release";
  }
}

TEST(StringGrid, ClipboardTextHoldsTheHeadingsAndTheSelectedRows) {
  StringGrid grid = EntryGrid(3);
  const char* headings[] = {"序号", "客户名称", "客户地址", "连接数据库(名)", "连接状态"};
  for (int c = 0; c < 5; ++c) grid.SetCell(c, 0, headings[c]);
  const char* rows[][4] = {{"东城店", "广东省,东莞市,,东城路", "store1", "连接"},
                           {"南城店", "", "   <双击>", "断开"},
                           {"a\tb", " x ", "", ""}};
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c < 5; ++c) grid.SetCell(c, r, rows[r - 1][c - 1]);

  const std::string heading = "序号\t客户名称\t客户地址\t连接数据库(名)\t连接状态\r\n";
  const std::string row1 = "1\t东城店\t广东省,东莞市,,东城路\tstore1\t连接\r\n";
  const std::string row2 = "2\t南城店\t\t   <双击>\t断开\r\n";
  const std::string row3 = "3\ta\tb\t x \t\t\r\n";
  EXPECT_EQ(grid.ClipboardText(), heading + row1);
  grid.SetRow(2);
  EXPECT_EQ(grid.ClipboardText(), heading + row2);
  grid.MoveCurrent(StringGrid::Move::Down, true);
  EXPECT_EQ(grid.ClipboardText(), heading + row2 + row3);
  grid.SelectAll();
  EXPECT_EQ(grid.ClipboardText(), heading + row1 + row2 + row3);

  grid.SetRowCount(1);
  EXPECT_EQ(grid.ClipboardText(), heading);
}

}  // namespace
}  // namespace teshmar
