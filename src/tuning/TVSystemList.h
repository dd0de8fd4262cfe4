#pragma once
// The setup wizard's TV-system list: the alternative to choosing a country.

#include <QStringList>

#include "tuning/TuningEntry.h"

namespace pvx::tuning {

inline constexpr int kTVSystemCount = 11;

// "NTSC", "NTSC_J", ... "PAL/SECAM", in list order.
QStringList TVSystemTexts();

// TV-system entry: table, standard index and country code of a list position; any other
// position gives table 0, standard 0, code 1 with an empty text.
TTuningEntry TVSystemEntry(int position);

}  // namespace pvx::tuning
