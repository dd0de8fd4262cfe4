#pragma once
// How a person reads a frequency, wherever the program shows one.

#include <QString>

namespace pvx::util {

// Megahertz with two decimals, a space and "MHz": 88100000 gives "88.10 MHz". The 10 kHz digit
// is rounded, half up (87655000 gives "87.66 MHz").
QString MHzText(quint32 hertz);

}  // namespace pvx::util
