#include <gtest/gtest.h>

#include <QTableWidget>

#include "util/GridRows.h"

using namespace pvx::util;

namespace {

void Fill(QTableWidget& grid, const QStringList& rows) {
  grid.setColumnCount(2);
  grid.setRowCount(rows.size());
  for (int r = 0; r < rows.size(); ++r) {
    grid.setItem(r, 0, new QTableWidgetItem(rows[r]));
    grid.setItem(r, 1, new QTableWidgetItem(rows[r] + ".mpg"));
  }
}

// Every cell, row by row.
QStringList Cells(const QTableWidget& grid) {
  QStringList out;
  for (int r = 0; r < grid.rowCount(); ++r)
    for (int c = 0; c < grid.columnCount(); ++c) out << grid.item(r, c)->text();
  return out;
}

}  // namespace

TEST(GridRows, DeleteMovesFollowingRowsUpAndClearsTheLastOneAsResetDoes) {
  QTableWidget grid;
  Fill(grid, {"a", "b", "c"});
  DeleteGridRow(grid, 3);
  DeleteGridRow(grid, -1);
  EXPECT_EQ(Cells(grid).size(), 6) << "out of range changes nothing";
  DeleteGridRow(grid, 1);
  EXPECT_EQ(Cells(grid), QStringList({"a", "a.mpg", "c", "c.mpg"}));
  DeleteGridRow(grid, 1);
  DeleteGridRow(grid, 0);  // the only row is cleared, not removed
  EXPECT_EQ(Cells(grid), QStringList({"", ""}));
  Fill(grid, {"a", "b", "c"});
  ResetGrid(grid);
  EXPECT_EQ(Cells(grid), QStringList({"", ""}));
}
