#include "settings/MainInfo.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(MainInfo, Defaults) {
  TMainInfo info;
  EXPECT_EQ(info.ChipMakers, QStringList({"Philips", "Conexant", "Empia", "Wis"}));
  EXPECT_EQ(info.ChipModels.size(), 12);
  EXPECT_EQ(info.ChipModels.first(), "7130");
  EXPECT_EQ(info.ChipModels.last(), "2840");
  EXPECT_EQ(info.Mode, amClosed);
  EXPECT_TRUE(info.FMEnabled);
  EXPECT_TRUE(info.TimeShiftEnabled);
  EXPECT_FALSE(info.StartInFM);
  EXPECT_EQ(info.SleepMinutes, 30);
  EXPECT_EQ(info.MPEG4Codec, 2);
  EXPECT_EQ(info.CaptureFolder, "/nonexistent/Documents/");
  EXPECT_EQ(info.WaveFolder, "/nonexistent/Documents/");
  EXPECT_EQ(info.SecondBaseName, "capture");
  for (int level : info.ColorLevels) EXPECT_EQ(level, -1);
  EXPECT_EQ(info.ChipFamily, 0);
  EXPECT_FALSE(info.IsWisChip);
}

TEST(MainInfo, ResetKeepsModeSwitchesAndChipNames) {
  TMainInfo info;
  info.Mode = amFMRadio;
  info.FMEnabled = false;
  info.TimeShiftEnabled = false;
  info.ChipMaker = "Conexant";
  info.ChipFamily = 2;
  info.AlwaysOnTop = info.PIPEnabled = info.StartInFM = info.PlayGivenFile = true;
  info.SleepMinutes = 90;
  info.MPEG4Codec = 0;
  info.CaptureFolder = "/x/";
  info.GivenFilePath = "/x/a.mpg";
  info.ColorLevels = {1, 2, 3, 4, 5};
  info.ResetPreferences();
  EXPECT_EQ(info.Mode, amFMRadio);
  EXPECT_FALSE(info.FMEnabled);
  EXPECT_FALSE(info.TimeShiftEnabled);
  EXPECT_EQ(info.ChipMaker, "Conexant");
  EXPECT_EQ(info.ChipFamily, 0);
  EXPECT_FALSE(info.AlwaysOnTop || info.PIPEnabled || info.StartInFM || info.PlayGivenFile);
  EXPECT_EQ(info.SleepMinutes, 30);
  EXPECT_EQ(info.MPEG4Codec, 2);
  EXPECT_EQ(info.CaptureFolder, "/nonexistent/Documents/");
  EXPECT_EQ(info.GivenFilePath, "");
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
