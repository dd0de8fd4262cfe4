#include "platform/TerritoryDialCode.h"

#include <gtest/gtest.h>

using namespace pvx::platform;

TEST(TerritoryDialCode, KnownCodes) {
  const std::pair<const char*, int> rows[] = {
      {"US", 1},  {"CA", 1},  {"GB", 44}, {"DE", 49},  {"de", 49},  {"TW", 886}, {"HK", 852},
      {"CN", 86}, {"JP", 81}, {"RU", 7},  {"OM", 968}, {"IL", 972}, {"HU", 36},  {"AF", 93}};
  for (const auto& [iso, code] : rows) EXPECT_EQ(DialCodeForIsoCode(QString(iso)), code) << iso;
}

TEST(TerritoryDialCode, UnknownOrMalformedIsOne) {
  for (const char* iso : {"", "X", "XX", "DEU", "1", "d3"})
    EXPECT_EQ(DialCodeForIsoCode(QString(iso)), 1) << iso;
}

TEST(TerritoryDialCode, FromQtTerritory) {
  EXPECT_EQ(DialCodeForTerritory(QLocale::Germany), 49);
  EXPECT_EQ(DialCodeForTerritory(QLocale::Taiwan), 886);
  EXPECT_EQ(DialCodeForTerritory(QLocale::AnyTerritory), 1);
}
