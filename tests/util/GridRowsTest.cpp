#include "util/GridRows.h"

#include <gtest/gtest.h>

#include <QTableWidget>

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

TEST(GridRows, DeleteMovesFollowingRowsUp) {
  QTableWidget grid;
  Fill(grid, {"a", "b", "c"});
  DeleteGridRow(grid, 1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a", "c"}));
  DeleteGridRow(grid, 1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a"}));
}

TEST(GridRows, DeletingTheOnlyRowClearsIt) {
  QTableWidget grid;
  Fill(grid, {"only"});
  DeleteGridRow(grid, 0);
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.item(0, 0)->text(), "");
  EXPECT_EQ(grid.item(0, 1)->text(), "");
}

TEST(GridRows, DeleteOutOfRangeChangesNothing) {
  QTableWidget grid;
  Fill(grid, {"a", "b"});
  DeleteGridRow(grid, 2);
  DeleteGridRow(grid, -1);
  EXPECT_EQ(FirstColumn(grid), QStringList({"a", "b"}));
}

TEST(GridRows, ResetLeavesOneEmptyRow) {
  QTableWidget grid;
  Fill(grid, {"a", "b", "c"});
  ResetGrid(grid);
  ASSERT_EQ(grid.rowCount(), 1);
  EXPECT_EQ(grid.item(0, 0)->text(), "");
}
