#include "links/grid/EntryGridPaint.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace teshmar {
namespace {

using Kind = CellDrawing::Kind;

// One entry row (row 1) under the headings, holding the given number, database and state cells.
StringGrid OneRow(const std::string& number, const std::string& database, const std::string& state) {
  StringGrid grid(kRgInfoColCount);
  ApplyRgInfoLayout(grid);
  grid.SetRowCount(2);
  grid.SetCell(kRgInfoNumberCol, 0, "序号");
  grid.SetCell(kRgInfoNumberCol, 1, number);
  grid.SetCell(kRgInfoNameCol, 1, "东城店");
  grid.SetCell(kRgInfoAddressCol, 1, "广东省,东莞市,,东城路");
  grid.SetCell(kRgInfoDatabaseCol, 1, database);
  grid.SetCell(kRgInfoStateCol, 1, state);
  return grid;
}

TEST(RgInfoDrawCell, NumberCellBlinksRedOnPhaseOneUnlessConnected) {
  struct Case {
    const char* state;
    int phase;
    GridColour background;
  };
  const std::vector<Case> cases = {
      {"连接", 0, GridColour::ButtonFace},  {"连接", 1, GridColour::ButtonFace},
      {"连接", 2, GridColour::ButtonFace},  {" 连接  ", 1, GridColour::ButtonFace},  // trimmed
      {"断开", 0, GridColour::ButtonFace},  {"断开", 1, GridColour::Red},
      {"断开", 2, GridColour::ButtonFace},  {"", 0, GridColour::ButtonFace},
      {"", 1, GridColour::Red},             {"", 2, GridColour::ButtonFace},
      {"连接中", 1, GridColour::Red},       {"连", 1, GridColour::Red},
      {"断开", 3, GridColour::ButtonFace},  {"断开", -1, GridColour::ButtonFace},
  };
  for (const Case& c : cases) {
    StringGrid grid = OneRow("1", "store1", c.state);
    const CellDrawing drawing = RgInfoDrawCell(grid, kRgInfoNumberCol, 1, c.phase);
    EXPECT_EQ(drawing, (CellDrawing{Kind::Number, c.background})) << "'" << c.state << "' phase " << c.phase;
  }
}

TEST(RgInfoDrawCell, DatabaseCellGetsTheHintWhenEmptyAndNotConnected) {
  struct Case {
    const char* database;
    const char* state;
    bool hint;
  };
  const std::vector<Case> cases = {
      {"", "断开", true},          {"", "", true},           {"   ", "断开", true},
      {"", "连接", false},         {"", "  连接 ", false},   {"", "连接x", true},
      {"store1", "断开", false},   {"store1", "", false},    {" s ", "断开", false},
      {"   <双击>", "断开", false},  // already written: the default drawing shows it
  };
  for (const Case& c : cases) {
    for (int phase : {0, 1, 2}) {
      StringGrid grid = OneRow("1", c.database, c.state);
      int changes = 0;
      grid.onChanged = [&] { ++changes; };
      const CellDrawing drawing = RgInfoDrawCell(grid, kRgInfoDatabaseCol, 1, phase);
      const std::string what = std::string("'") + c.database + "' '" + c.state + "' phase " + std::to_string(phase);
      EXPECT_EQ(drawing.kind, c.hint ? Kind::DoubleClickHint : Kind::Default) << what;
      EXPECT_EQ(grid.Cell(kRgInfoDatabaseCol, 1), c.hint ? std::string(kRgInfoDoubleClickHint) : c.database) << what;
      EXPECT_EQ(changes, c.hint ? 1 : 0) << what << ": writing the hint makes the grid repaint";
      EXPECT_EQ(grid.Cell(kRgInfoStateCol, 1), c.state) << what;
    }
  }
}

TEST(RgInfoDrawCell, HintIsWrittenOnceThenTheDefaultDrawingShowsIt) {
  StringGrid grid = OneRow("1", "", "断开");
  EXPECT_EQ(RgInfoDrawCell(grid, kRgInfoDatabaseCol, 1, 1).kind, Kind::DoubleClickHint);
  EXPECT_EQ(grid.Cell(kRgInfoDatabaseCol, 1), "   <双击>");
  EXPECT_EQ(RgInfoDrawCell(grid, kRgInfoDatabaseCol, 1, 1).kind, Kind::Default);
  EXPECT_EQ(grid.Cell(kRgInfoDatabaseCol, 1), "   <双击>");
}

TEST(RgInfoDrawCell, OnlyNumberAndDatabaseCellsOfNumberedEntryRows) {
  struct Case {
    const char* what;
    const char* number;
    int col, row;
  };
  const std::vector<Case> cases = {
      {"name cell", "1", kRgInfoNameCol, 1},      {"address cell", "1", kRgInfoAddressCol, 1},
      {"state cell", "1", kRgInfoStateCol, 1},    {"heading number", "1", kRgInfoNumberCol, 0},
      {"heading database", "1", kRgInfoDatabaseCol, 0},
      {"row past the grid", "1", kRgInfoNumberCol, 2},
      {"empty number: number cell", "", kRgInfoNumberCol, 1},
      {"blank number: database cell", "   ", kRgInfoDatabaseCol, 1},
  };
  for (const Case& c : cases) {
    StringGrid grid = OneRow(c.number, "", "断开");
    EXPECT_EQ(RgInfoDrawCell(grid, c.col, c.row, 1), CellDrawing{}) << c.what;
    EXPECT_EQ(grid.Cell(kRgInfoDatabaseCol, 1), "") << c.what;
    EXPECT_EQ(grid.Cell(kRgInfoDatabaseCol, 0), "") << c.what;
  }
  StringGrid numbered = OneRow(" 7 ", "", "断开");
  EXPECT_EQ(RgInfoDrawCell(numbered, kRgInfoNumberCol, 1, 1), (CellDrawing{Kind::Number, GridColour::Red}));
}

TEST(DefaultCellLook, FixedSelectedAndNormalCells) {
  StringGrid grid(kRgInfoColCount);
  grid.SetRowCount(5);
  grid.SetRow(2);
  grid.MoveCurrent(StringGrid::Move::Down, true);  // rows 2 and 3
  const CellLook fixed{GridColour::ButtonFace, GridColour::WindowText};
  const CellLook selected{GridColour::Highlight, GridColour::HighlightText};
  const CellLook normal{GridColour::Window, GridColour::WindowText};
  struct Case {
    int col, row;
    CellLook look;
  };
  const std::vector<Case> cases = {
      {0, 0, fixed},    {3, 0, fixed},    {0, 1, fixed},    {0, 2, fixed},  // the number column is never selected
      {1, 1, normal},   {4, 1, normal},   {1, 2, selected}, {4, 2, selected},
      {2, 3, selected}, {2, 4, normal},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultCellLook(grid, c.col, c.row), c.look) << c.col << "," << c.row;
  EXPECT_TRUE(IsFixedCell(0, 3));
  EXPECT_TRUE(IsFixedCell(2, 0));
  EXPECT_FALSE(IsFixedCell(1, 1));
}

TEST(RgInfoMouseMove, TooltipFollowsTheStateCellOfTheEntryRowUnderThePointer) {
  const std::string first = kRgInfoFirstTooltip;
  const std::string down = kRgInfoLinkDownTooltip;
  struct Case {
    const char* state;
    int row;
    std::string before, after;
  };
  const std::vector<Case> cases = {
      {"断开", 1, first, down},  {"断开", 1, "", down},    {"断开", 1, down, down},
      {"连接", 1, first, ""},    {"连接", 1, down, ""},    {"", 1, down, ""},
      {" 断开", 1, down, ""},    {"断开 ", 1, first, ""},  // exactly "断开", no trimming
      {"断开", 0, first, first}, {"断开", 0, "", ""},      // the heading row changes nothing
      {"断开", -1, first, first}, {"连接", -1, down, down},  // nor does a point off the cells
      {"断开", 2, first, first},                             // a row the grid does not have
  };
  for (const Case& c : cases) {
    const StringGrid grid = OneRow("1", "", c.state);
    std::string tooltip = c.before;
    const bool changed = RgInfoMouseMove(grid, c.row, tooltip);
    EXPECT_EQ(tooltip, c.after) << "'" << c.state << "' row " << c.row << " from '" << c.before << "'";
    EXPECT_EQ(changed, c.after != c.before) << "'" << c.state << "' row " << c.row;
  }
  EXPECT_EQ(first, "双击条目修改数据库连接");
  EXPECT_EQ(down, "数据库连接断开,请检查!");
}

}  // namespace
}  // namespace teshmar
