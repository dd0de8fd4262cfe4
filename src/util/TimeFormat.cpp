#include "util/TimeFormat.h"

#include <cmath>

namespace pvx::util {
namespace {

constexpr qint64 kMsPerDay = 24LL * 60 * 60 * 1000;

QDateTime OleEpoch() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::LocalTime); }

}  // namespace

QString FormatClock(const QDateTime& when) {
  const QTime t = when.time();
  return QString::asprintf("%d:%2.2d:%2.2d", t.hour(), t.minute(), t.second());
}

QString FormatSeconds(qint64 seconds) {
  seconds = NotNegative(seconds);
  return QString::asprintf("%lld:%2.2lld:%2.2lld", seconds / 3600, (seconds % 3600) / 60,
                           seconds % 60);
}

qint64 SecondsBetween(const QDateTime& first, const QDateTime& second) {
  return first.msecsTo(second) / 1000;
}

double ToOleDate(const QDateTime& when) {
  // Calendar arithmetic on local wall-clock fields, as the stored value is local time.
  const QDateTime local = when.toLocalTime();
  const qint64 days = OleEpoch().date().daysTo(local.date());
  const double dayFraction = local.time().msecsSinceStartOfDay() / double(kMsPerDay);
  // Before the epoch the fraction counts forward from the (negative) whole day.
  return days >= 0 ? days + dayFraction : days - dayFraction;
}

QDateTime FromOleDate(double oleDate) {
  const double whole = std::trunc(oleDate);
  const double fraction = std::fabs(oleDate - whole);
  QDate date = OleEpoch().date().addDays(static_cast<qint64>(whole));
  qint64 ms = std::llround(fraction * kMsPerDay);
  if (ms >= kMsPerDay) {  // rounding reached midnight
    date = date.addDays(1);
    ms = 0;
  }
  // Wall-clock fields, not elapsed time: a DST change that day must not shift the clock.
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::LocalTime);
}

}  // namespace pvx::util
