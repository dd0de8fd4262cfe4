#include <gtest/gtest.h>

#include <QTableWidget>

#include "util/GridRows.h"
#include "util/TimeFormat.h"

using namespace pvx::util;

TEST(TimeFormat, SecondsClockTextsSecondsBetweenBothWaysAndOleDates) {
  // Hours are not wrapped at 24, a negative count shows as 0, milliseconds are dropped.
  const QDateTime start(QDate(2026, 12, 6), QTime(9, 5, 7, 999));
  EXPECT_EQ(QStringList({FormatSeconds(3725), FormatSeconds(90000), FormatSeconds(-5), FormatClock(start)}),
            QStringList({"1:02:05", "25:00:00", "0:00:00", "9:05:07"}));
  EXPECT_EQ(QList<qint64>({SecondsBetween(start, start.addMSecs(-1999)),
                           SecondsBetween(start, start.addDays(2).addSecs(5))}),
            QList<qint64>({-1, 2 * 86400 + 5}));
  // OLE dates as they are defined.
  // clang-format off
  const std::tuple<QDate, QTime, double> oles[] = {{QDate(1899, 12, 30), QTime(0, 0), 0.0},
      {QDate(1899, 12, 30), QTime(6, 0), 0.25}, {QDate(1900, 1, 1), QTime(0, 0), 2.0},
      {QDate(2000, 1, 1), QTime(12, 0), 36526.5}, {QDate(2000, 1, 1), QTime(6, 0), 36526.25},
      {QDate(2026, 12, 6), QTime(21, 30, 15), 46362.896006944444}};
  // clang-format on
  for (const auto& [date, time, ole] : oles) {
    EXPECT_NEAR(ToOleDate(QDateTime(date, time)), ole, 1e-9) << ole;
    EXPECT_EQ(FromOleDate(ole), QDateTime(date, time)) << ole;
  }
  // Before the epoch the fraction still counts forward: -1.25 is 1899-12-29 06:00. A fraction
  // that rounds to a whole day is the next midnight.
  EXPECT_EQ(FromOleDate(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
  EXPECT_EQ(ToOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
  EXPECT_EQ(FromOleDate(2.9999999999), QDateTime(QDate(1900, 1, 2), QTime(0, 0)));
}

TEST(GridRows, DeleteMovesFollowingRowsUpAndClearsTheLastOneAsResetDoes) {
  QTableWidget grid(3, 2);  // rows a, b and c, each with its file
  for (int cell = 0; cell < 6; ++cell)
    grid.setItem(cell / 2, cell % 2,
                 new QTableWidgetItem(QChar('a' + cell / 2) + QString(cell % 2 ? ".mpg" : "")));
  const auto cells = [&] {
    QStringList out;
    for (int cell = 0; cell < grid.rowCount() * 2; ++cell) out << grid.item(cell / 2, cell % 2)->text();
    return out.join(' ');
  };
  DeleteGridRow(grid, 3);  // out of range changes nothing
  DeleteGridRow(grid, -1);
  DeleteGridRow(grid, 0);
  EXPECT_EQ(cells(), "b b.mpg c c.mpg");
  DeleteGridRow(grid, 1);
  DeleteGridRow(grid, 0);  // the only row is cleared, not removed
  EXPECT_EQ(cells(), " ");
  grid.item(0, 1)->setText("b.mpg");
  grid.setRowCount(2);
  ResetGrid(grid);
  EXPECT_EQ(cells(), " ");
}
