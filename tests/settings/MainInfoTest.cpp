#include <gtest/gtest.h>

#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(MainInfo, ResetKeepsModeSwitchesAndChipNamesAndOnlyConexantAndEmpiaAreNotStandard) {
  TMainInfo info;
  info.SetMode(amFMRadio), info.FMEnabled = info.TimeShiftEnabled = false;
  info.ChipMaker = "Conexant", info.ChipFamily = 2;
  info.AlwaysOnTop = info.PIPEnabled = info.StartInFM = info.PlayGivenFile = true;
  info.SleepMinutes = 90, info.MPEG4Codec = 0;
  info.CaptureFolder = "/x/", info.GivenFilePath = "/x/a.mpg";
  info.ColorLevels = {1, 2, 3, 4, 5};
  info.ResetPreferences();
  EXPECT_EQ(QList<int>({info.Mode(), info.FMEnabled, info.TimeShiftEnabled, info.ChipFamily,
                        info.AlwaysOnTop || info.PIPEnabled || info.StartInFM || info.PlayGivenFile,
                        info.SleepMinutes, info.MPEG4Codec}),
            QList<int>({amFMRadio, false, false, 0, false, 30, 2}));
  EXPECT_EQ(QStringList({info.ChipMaker, info.CaptureFolder, info.GivenFilePath}),
            QStringList({"Conexant", "/nonexistent/Documents/", ""}));
  EXPECT_EQ(QList<int>(info.ColorLevels.begin(), info.ColorLevels.end()), QList<int>(5, -1));
  QList<bool> standard;
  for (quint8 family = 0; family < 6; ++family)
    info.ChipFamily = family, standard << info.IsStandardTuner();
  EXPECT_EQ(standard, QList<bool>({true, true, false, false, false, true}));
}

TEST(MainInfo, ModeChangesOnlyWhenLeavingAndEnteringAgreeAndIsAnnounced) {
  TMainInfo info;
  QStringList heard;
  info.LeaveMode = [&](TAppMode from, TAppMode to) { return heard << "leave", from != to; };
  info.EnterMode = [&](TAppMode, TAppMode to) { return heard << "enter", to != amFMRadio; };
  info.OnModeChange = [&](TMainInfo&, TAppMode mode) { heard << QString::number(mode); };
  EXPECT_EQ(QList<bool>({info.SetMode(amTV), info.SetMode(amTV), info.SetMode(amFMRadio)}),
            QList<bool>({true, true, false}));
  info.LeaveMode = [&](TAppMode, TAppMode) { return false; };
  EXPECT_FALSE(info.SetMode(amTimeShiftPlayback));
  EXPECT_EQ(info.Mode(), amTV);
  EXPECT_EQ(heard, QStringList({"leave", "enter", QString::number(amTV), "leave", "enter"}));
}

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
