#include <gtest/gtest.h>

#include <QTableWidget>

#include "util/GridRows.h"
#include "util/TimeFormat.h"

using namespace pvx::util;

TEST(TimeFormat, SecondsClockTextsSecondsBetweenBothWaysAndOleDates) {
  // clang-format off
  const std::pair<qint64, const char*> rows[] = {{0, "0:00:00"}, {59, "0:00:59"}, {60, "0:01:00"},
      {3725, "1:02:05"}, {86399, "23:59:59"}, {90000, "25:00:00"}, {-5, "0:00:00"}};  // no wrap
  // clang-format on
  for (const auto& [seconds, text] : rows) EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
  const QDate day(2026, 12, 6);
  // clang-format off
  for (auto [time, text] : {std::pair{QTime(9, 5, 7), "9:05:07"}, {QTime(0, 0, 0), "0:00:00"},
                            {QTime(23, 59, 59, 999), "23:59:59"}})
    // clang-format on
    EXPECT_EQ(FormatClock(QDateTime(day, time)), text);
  const QDateTime start(day, QTime(22, 0, 0));  // milliseconds are dropped
  // clang-format off
  const std::pair<QDateTime, qint64> spans[] = {{start, 0}, {start.addSecs(90), 90},
      {start.addSecs(-90), -90}, {start.addMSecs(1999), 1}, {start.addMSecs(-1999), -1},
      {start.addDays(2).addSecs(5), 2 * 86400 + 5}};
  // clang-format on
  for (const auto& [end, seconds] : spans) EXPECT_EQ(SecondsBetween(start, end), seconds);
  // OLE dates as they are defined.
  // clang-format off
  const std::tuple<QDate, QTime, double> oles[] = {{QDate(1899, 12, 30), QTime(0, 0), 0.0},
      {QDate(1900, 1, 1), QTime(0, 0), 2.0}, {QDate(2000, 1, 1), QTime(12, 0), 36526.5},
      {QDate(2000, 1, 1), QTime(6, 0), 36526.25},
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

namespace {

// Rows a, b and c, each with its file.
void Fill(QTableWidget& grid) {
  grid.setRowCount(3), grid.setColumnCount(2);
  for (int cell = 0; cell < 6; ++cell)
    grid.setItem(cell / 2, cell % 2,
                 new QTableWidgetItem(QChar('a' + cell / 2) + QString(cell % 2 ? ".mpg" : "")));
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
  Fill(grid);
  DeleteGridRow(grid, 3), DeleteGridRow(grid, -1);
  EXPECT_EQ(Cells(grid).size(), 6) << "out of range changes nothing";
  DeleteGridRow(grid, 1);
  EXPECT_EQ(Cells(grid), QStringList({"a", "a.mpg", "c", "c.mpg"}));
  DeleteGridRow(grid, 1), DeleteGridRow(grid, 0);  // the only row is cleared, not removed
  EXPECT_EQ(Cells(grid), QStringList({"", ""}));
  Fill(grid), ResetGrid(grid);
  EXPECT_EQ(Cells(grid), QStringList({"", ""}));
}
