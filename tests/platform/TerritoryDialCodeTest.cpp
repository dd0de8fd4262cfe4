#include "platform/TerritoryDialCode.h"

#include <gtest/gtest.h>

using namespace pvx::platform;

// Any case; unknown or malformed codes, and any territory, give 1 (North America).
TEST(TerritoryDialCode, OfIsoCodesAndQtTerritories) {
  const std::pair<const char*, int> rows[] = {{"US", 1},   {"CA", 1},   {"GB", 44}, {"DE", 49}, {"de", 49},
                                              {"TW", 886}, {"HK", 852}, {"CN", 86}, {"JP", 81}, {"RU", 7},
                                              {"OM", 968}, {"IL", 972}, {"HU", 36}, {"AF", 93}, {"", 1},
                                              {"X", 1},    {"XX", 1},   {"DEU", 1}, {"1", 1},   {"d3", 1}};
  for (const auto& [iso, code] : rows) EXPECT_EQ(DialCodeForIsoCode(QString(iso)), code) << iso;
  EXPECT_EQ(DialCodeForTerritory(QLocale::Germany), 49);
  EXPECT_EQ(DialCodeForTerritory(QLocale::Taiwan), 886);
  EXPECT_EQ(DialCodeForTerritory(QLocale::AnyTerritory), 1);
}
