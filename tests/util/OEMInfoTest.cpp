#include "util/OEMInfo.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

using namespace pvx;
using util::TOEMInfo;

namespace {
const QByteArray kSixLines = "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\n"
                             "mailto:help@vision.example\n";
}

TEST(OEMInfo, DefaultsWithoutInfoFile) {
  TOEMInfo info;
  EXPECT_EQ(info.ProductName, "OKA TV");
  EXPECT_EQ(info.MakerName, "OKA");
  EXPECT_EQ(info.VersionText, "V 1.0 ");
  EXPECT_FALSE(info.WebAddress.isEmpty());
  EXPECT_FALSE(info.MailAddress.isEmpty());
  for (const QString& name : info.DeviceNames) EXPECT_TRUE(name.isEmpty());
  EXPECT_FALSE(info.HasTitleBitmap);
  EXPECT_TRUE(info.TuningPause);
}

TEST(OEMInfo, FewerThanSixLinesKeepDefaults) {
  test::WriteFile(test::Home() + "PInfo.cfg", "A\nB\nC\nD\nE\n");
  TOEMInfo info;
  EXPECT_EQ(info.ProductName, "OKA TV");
}

TEST(OEMInfo, SixLinesReplaceTextsButNotDeviceNames) {
  test::WriteFile(test::Home() + "PInfo.cfg", kSixLines);
  TOEMInfo info;
  EXPECT_EQ(info.ProductName, "Vision TV");
  EXPECT_EQ(info.MakerName, "Vision");
  EXPECT_EQ(info.RightsText, "(c) Vision Ltd");
  EXPECT_EQ(info.VersionText, "V 2.5 ");
  EXPECT_EQ(info.WebAddress, "https://vision.example/");
  EXPECT_EQ(info.MailAddress, "mailto:help@vision.example");
  for (const QString& name : info.DeviceNames) EXPECT_TRUE(name.isEmpty());
}

TEST(OEMInfo, LinesSevenToTenAreDeviceNameOverrides) {
  test::WriteFile(test::Home() + "PInfo.cfg", kSixLines + "Capture X\nCrossbar X\nTuner X\n");
  TOEMInfo info;
  EXPECT_EQ(info.DeviceNames[0], "Capture X");
  EXPECT_EQ(info.DeviceNames[1], "Crossbar X");
  EXPECT_EQ(info.DeviceNames[2], "Tuner X");
  EXPECT_EQ(info.DeviceNames[3], "");
}

TEST(OEMInfo, TitleBitmapPresence) {
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(TOEMInfo().HasTitleBitmap);
}
