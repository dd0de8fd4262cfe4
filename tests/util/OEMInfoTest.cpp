#include <gtest/gtest.h>

#include <QStringList>

#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"

using namespace pvx;
using util::TOEMInfo;

namespace {
QStringList Texts(const TOEMInfo& i) {
  return {i.ProductName, i.MakerName, i.RightsText, i.VersionText, i.WebAddress, i.MailAddress};
}
QStringList Devices(const TOEMInfo& i) { return {i.DeviceNames.begin(), i.DeviceNames.end()}; }
}  // namespace

TEST(OEMInfo, SixLinesReplaceTheTextsLinesSevenToTenNameDevicesFewerKeepTheDefaults) {
  const TOEMInfo defaults;
  EXPECT_EQ(defaults.ProductName, "OKA TV");
  EXPECT_EQ(Devices(defaults), QStringList(4, ""));
  EXPECT_FALSE(defaults.HasTitleBitmap);
  EXPECT_TRUE(defaults.TuningPause);
  const QByteArray six =
      "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\n"
      "mailto:help@vision.example\n";
  test::WriteFile(test::Home() + "PInfo.cfg", "A\nB\nC\nD\nE\n");
  EXPECT_EQ(Texts(TOEMInfo()), Texts(defaults));
  test::WriteFile(test::Home() + "PInfo.cfg", six);
  EXPECT_EQ(Texts(TOEMInfo()), QString(six).split('\n').mid(0, 6));
  EXPECT_EQ(Devices(TOEMInfo()), QStringList(4, ""));
  test::WriteFile(test::Home() + "PInfo.cfg", six + "Capture X\nCrossbar X\nTuner X\n");
  EXPECT_EQ(Devices(TOEMInfo()), QStringList({"Capture X", "Crossbar X", "Tuner X", ""}));
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(TOEMInfo().HasTitleBitmap);
}
