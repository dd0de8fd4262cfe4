// The QR code of a text: its size, finders, level and quiet zone; none for a text no code holds.

#include <gtest/gtest.h>
#include <algorithm>

#include "util/QrCode.h"

TEST(QrCode, HasThreeFindersLevelMAndAWhiteQuietZoneAndIsNullForTextNoCodeHolds) {
  const std::pair<QString, int> rows[] = {  // a text and its side in pixels; 0: any, -1: no code
      {"PVX", 29}, {"http://10.0.0.2:8765/?token=" + QString(32, 'k'), 0}, {"", -1}, {QString(3000, 'x'), -1}};
  for (const auto& [text, expected] : rows) {
    const QImage code = pvx::util::QrCodeImage(text);
    ASSERT_EQ(code.isNull(), expected < 0);
    if (code.isNull()) continue;
    const int side = code.width(), last = side - 1;
    EXPECT_TRUE(code.height() == side && side >= 29 && (side - 29) % 4 == 0 && (!expected || side == expected));
    const auto dark = [&](int x, int y) { return qGray(code.pixel(x, y)) == 0; };
    // Pixels off a white quiet zone and off finder rings (##.#.) 7 in from each corner, where the
    // fourth has none; level M shows as dark, white in the first two format bits.
    int off[5] = {};
    for (int i = 0, x = 0, y = 0; i < side * side; x = ++i % side, y = i / side) {
      off[0] += std::min({x, y, last - x, last - y}) < 4 && dark(x, y);
      if (const int d = std::max(std::abs(std::min(x, last - x) - 7), std::abs(std::min(y, last - y) - 7)); d <= 4)
        off[1 + (x > last / 2) + 2 * (y > last / 2)] += dark(x, y) != (d % 2 == 1 || d == 0);
    }
    EXPECT_EQ(QList<int>({off[0], off[1], off[2], off[3], off[4] > 0, dark(4, 12) && !dark(5, 12)}),
              QList<int>({0, 0, 0, 0, 1, 1}));
  }
}
