#include <gtest/gtest.h>

#include "settings/CountryInfo.h"
#include "settings/MainInfo.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(MainInfo, SetPrefsMendsValuesResetKeepsModeSwitchesAndChipNamesAndOnlyConexantAndEmpiaAreNotStandard) {
  TMainInfo info;
  info.SetMode(amFMRadio), info.SetFMEnabled(false), info.SetTimeShiftEnabled(false);
  info.SetChip({.Maker = "Conexant", .Family = 2});
  info.SetPlayGivenFile(true), info.SetGivenFile("/x/a.mpg");
  // An empty base name reads "capture", levels outside 0..100 the device's own, a negative sleep 0.
  test::EditPrefs(info, [](TMainPreferences& p) {
    p.AlwaysOnTop = p.PIPEnabled = p.StartInFM = true;
    p.SleepMinutes = -5, p.MPEG4Codec = 0, p.CaptureFolder = "/x/", p.ColorLevels = {0, 100, 101, -1, -2};
    p.SecondBaseName = "";
  });
  const TMainPreferences& prefs = info.Prefs();
  EXPECT_EQ(QList<int>(prefs.ColorLevels.begin(), prefs.ColorLevels.end()) << prefs.SleepMinutes,
            QList<int>({0, 100, -1, -1, -1, 0}));
  EXPECT_EQ(prefs.SecondBaseName, "capture");
  info.ResetPreferences();
  EXPECT_EQ(QList<int>({info.Mode(), info.FMEnabled(), info.TimeShiftEnabled(), info.Chip().Family,
                        prefs.AlwaysOnTop || prefs.PIPEnabled || prefs.StartInFM || info.PlayGivenFile(),
                        prefs.SleepMinutes, prefs.MPEG4Codec}),
            QList<int>({amFMRadio, false, false, 0, false, 30, 2}));
  EXPECT_EQ(QStringList({info.Chip().Maker, prefs.CaptureFolder, info.GivenFilePath()}),
            QStringList({"Conexant", "/nonexistent/Documents/", ""}));
  QList<bool> standard;
  for (quint8 family = 0; family < 6; ++family)
    info.SetChip({.Family = quint8(family)}), standard << info.IsStandardTuner();
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
