#include "util/FrequencyFormat.h"

namespace pvx::util {

QString MHzText(quint32 hertz) {
  // Whole numbers: no floating-point rounding of values like 87.655.
  const quint64 hundredths = (quint64(hertz) + 5000) / 10000;
  return QStringLiteral("%1.%2 MHz").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace pvx::util
