#pragma once
#include <functional>
#include <string>
#include <vector>

namespace teshmar {

// The cells and the selection of a string grid with one fixed heading row and one fixed first
// column. Platform-free, so what the grid holds, and which row is current, is tested natively;
// the grid's window paints it and feeds it the mouse and the keyboard.
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
  int Row() const;
  void SetRow(int row);

  // Called after every change of cells, row count or selection, so the window repaints.
  std::function<void()> onChanged;
};

}  // namespace teshmar
