#include <gtest/gtest.h>

#include "settings/ChannelInfo.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "settings/PreviewInfo.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
::testing::TestEventListener* NewTestEnvironmentListener();
}

using namespace pvx;
using namespace pvx::settings;

TEST(MainInfo, ResetKeepsModeSwitchesAndChipNames) {
  TMainInfo info;
  info.Mode = amFMRadio, info.FMEnabled = info.TimeShiftEnabled = false;
  info.ChipMaker = "Conexant", info.ChipFamily = 2;
  info.AlwaysOnTop = info.PIPEnabled = info.StartInFM = info.PlayGivenFile = true;
  info.SleepMinutes = 90, info.MPEG4Codec = 0;
  info.CaptureFolder = "/x/", info.GivenFilePath = "/x/a.mpg";
  info.ColorLevels = {1, 2, 3, 4, 5};
  info.ResetPreferences();
  EXPECT_EQ(QList<int>({info.Mode, info.FMEnabled, info.TimeShiftEnabled, info.ChipFamily,
                        info.AlwaysOnTop || info.PIPEnabled || info.StartInFM || info.PlayGivenFile,
                        info.SleepMinutes, info.MPEG4Codec}),
            QList<int>({amFMRadio, false, false, 0, false, 30, 2}));
  EXPECT_EQ(QStringList({info.ChipMaker, info.CaptureFolder, info.GivenFilePath}),
            QStringList({"Conexant", "/nonexistent/Documents/", ""}));
  for (int level : info.ColorLevels) EXPECT_EQ(level, -1);
}

TEST(MainInfo, StandardTunerUnlessConexantOrEmpia) {
  TMainInfo info;
  const bool expected[] = {true, true, false, false, false, true};
  for (quint8 family = 0; family < 6; ++family) {
    info.ChipFamily = family;
    EXPECT_EQ(info.IsStandardTuner(), expected[family]) << int(family);
  }
}

TEST(SettingsGlobals, TheNextTestStartsWithoutThem) {
  TMainInfo main;
  TCountryInfo country(49);
  TMultiLangInfo language(test::Home() + "Lang.cfg");
  TChannelInfo channels;
  TPreviewInfo preview(channels);
  MainInfo = &main;
  CountryInfo = &country;
  MultiLangInfo = &language;
  ChannelInfo = &channels;
  PreviewInfo = &preview;
  // What the test listener does between this test and the next one.
  std::unique_ptr<::testing::TestEventListener> listener(test::NewTestEnvironmentListener());
  const ::testing::TestInfo& self = *::testing::UnitTest::GetInstance()->current_test_info();
  listener->OnTestEnd(self);
  listener->OnTestStart(self);
  EXPECT_EQ(MainInfo, nullptr);
  EXPECT_EQ(CountryInfo, nullptr);
  EXPECT_EQ(MultiLangInfo, nullptr);
  EXPECT_EQ(ChannelInfo, nullptr);
  EXPECT_EQ(PreviewInfo, nullptr);
}
