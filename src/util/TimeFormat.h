#pragma once
// Clock texts and second counts shown by the panels, the OSD and the recorder.

#include <QDateTime>
#include <QString>

namespace pvx::util {

// "h:mm:ss" of the date-time's time of day.
QString FormatClock(const QDateTime& when);
// "h:mm:ss" of a number of seconds; hours are not wrapped at 24. Negative counts show as 0.
QString FormatSeconds(qint64 seconds);
// Whole seconds from first to second; negative when second is earlier; milliseconds dropped.
qint64 SecondsBetween(const QDateTime& first, const QDateTime& second);
// The value, or 0 when it is negative.
inline qint64 NotNegative(qint64 value) { return value < 0 ? 0 : value; }

// OLE Automation dates (days since 1899-12-30, local time), the date-time of the binary lists.
double ToOleDate(const QDateTime& when);
QDateTime FromOleDate(double oleDate);

}  // namespace pvx::util
