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

QStringList FirstColumn(const QTableWidget& grid) {
  QStringList out;
  for (int r = 0; r < grid.rowCount(); ++r) out << (grid.item(r, 0) ? grid.item(r, 0)->text() : "");
  return out;
}

}  // namespace

TEST(GridRows, DeleteMovesFollowingRowsUpAndClearsTheLastOne) {
  QTableWidget grid;
  Fill(grid, {"a", "b", "c"});
  DeleteGridRow(grid, 3);
  DeleteGridRow(grid, -1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a", "b", "c"})) << "out of range changes nothing";
  DeleteGridRow(grid, 1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a", "c"}));
  DeleteGridRow(grid, 1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a"}));
  DeleteGridRow(grid, 0);  // the only row is cleared, not removed
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.item(0, 0)->text(), "");
  EXPECT_EQ(grid.item(0, 1)->text(), "");
}

TEST(GridRows, ResetLeavesOneEmptyRow) {
  QTableWidget grid;
  Fill(grid, {"a", "b", "c"});
  ResetGrid(grid);
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.item(0, 0)->text(), "");
}
