#include <gtest/gtest.h>

#include <QTableWidget>

#include "util/GridRows.h"

using namespace pvx::util;

namespace {

void Fill(QTableWidget& grid, const QStringList& rows) {
  grid.setColumnCount(2);
  grid.setRowCount(rows.size());
  for (int cell = 0; cell < 2 * rows.size(); ++cell)
    grid.setItem(cell / 2, cell % 2,
                 new QTableWidgetItem(rows[cell / 2] + (cell % 2 ? ".mpg" : "")));
}

// Every cell, row by row.
QStringList Cells(const QTableWidget& grid) {
  QStringList out;
  for (int cell = 0; cell < grid.rowCount() * grid.columnCount(); ++cell)
    out << grid.item(cell / grid.columnCount(), cell % grid.columnCount())->text();
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
