#include "tuning/FrequencyText.h"

namespace pvx::tuning {

QString FrequencyText(qint64 hertz) {
  constexpr qint64 kHzPerMHz = 1000000;
  QString fraction = QStringLiteral("%1").arg(hertz % kHzPerMHz, 6, 10, QLatin1Char('0'));
  while (fraction.size() > 1 && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
  return QString::number(hertz / kHzPerMHz) + QLatin1Char('.') + fraction;
}

}  // namespace pvx::tuning
