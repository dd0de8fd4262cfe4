#include <gtest/gtest.h>

#include "settings/CountryInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::TCountryInfo;

TEST(CountryInfo, DefaultLanguageByCountryCodeAndTheCountryFromTheLocale) {
  // clang-format off
  const std::pair<int, const char*> rows[] = {
      {886, "Chinese"}, {852, "Chinese"}, {86, "Chinese(simplified)"}, {49, "German"},
      {43, "German"}, {7, "Russian"}, {968, "Arabic"}, {598, "Spanish"}, {41, "French"},
      {994, "Azeri"}, {1, "English"}, {84, "English"}, {0, "English"}, {-1, "English"}};
  // clang-format on
  for (const auto& [code, language] : rows)
    EXPECT_EQ(TCountryInfo::DefaultLanguageFor(code), language) << code;
  test::System().CountryCode = 886;
  const TCountryInfo info;
  EXPECT_EQ(QString::number(info.CountryCode) + info.DefaultLanguage, "886Chinese");
}
