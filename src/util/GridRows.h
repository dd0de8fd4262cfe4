#pragma once
// Row helpers for the list grids of the play-list dialogs. The grid's header row is its
// horizontal header, so a grid with one (possibly empty) row is an "empty" list.

class QTableWidget;

namespace pvx::util {

// Removes a data row; the last remaining row is only cleared, so the grid keeps one row.
void DeleteGridRow(QTableWidget& grid, int row);
// Leaves one empty row.
void ResetGrid(QTableWidget& grid);

}  // namespace pvx::util
