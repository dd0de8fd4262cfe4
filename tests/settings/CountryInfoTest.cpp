#include <gtest/gtest.h>

#include "settings/CountryInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::TCountryInfo;

TEST(CountryInfo, DefaultLanguageByCountryCode) {
  const std::pair<int, const char*> rows[] = {
      {886, "Chinese"}, {852, "Chinese"}, {86, "Chinese(simplified)"},
      {49, "German"},   {43, "German"},   {7, "Russian"},
      {968, "Arabic"},  {598, "Spanish"}, {41, "French"},
      {994, "Azeri"},   {1, "English"},   {84, "English"},
      {0, "English"},   {-1, "English"}};
  for (const auto& [code, language] : rows)
    EXPECT_EQ(TCountryInfo::DefaultLanguageFor(code), language) << code;
}

TEST(CountryInfo, CountryComesFromTheLocale) {
  test::System().CountryCode = 886;
  TCountryInfo info;
  EXPECT_EQ(info.CountryCode, 886);
  EXPECT_EQ(info.DefaultLanguage, "Chinese");
}
