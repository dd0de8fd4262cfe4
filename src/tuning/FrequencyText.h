#pragma once
// A frequency as the tuning dialogs show it next to "MHz".

#include <QString>

namespace pvx::tuning {

// Whole megahertz, ".", then the remaining six digits without trailing zeros but at least one:
// 55250000 gives "55.25", 100000000 gives "100.0", 87900000 gives "87.9".
QString FrequencyText(qint64 hertz);

}  // namespace pvx::tuning
