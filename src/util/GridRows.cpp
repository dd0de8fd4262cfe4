#include "util/GridRows.h"

#include <QTableWidget>

namespace pvx::util {
namespace {

void ClearRow(QTableWidget& grid, int row) {
  for (int column = 0; column < grid.columnCount(); ++column) {
    if (QTableWidgetItem* item = grid.item(row, column)) item->setText(QString());
  }
}

}  // namespace

void DeleteGridRow(QTableWidget& grid, int row) {
  if (row < 0 || row >= grid.rowCount()) return;
  if (grid.rowCount() == 1) {
    ClearRow(grid, row);
    return;
  }
  grid.removeRow(row);
}

void ResetGrid(QTableWidget& grid) {
  grid.setRowCount(1);
  ClearRow(grid, 0);
}

}  // namespace pvx::util
