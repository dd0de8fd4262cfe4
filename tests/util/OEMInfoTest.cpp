#include <gtest/gtest.h>

#include <QStringList>

#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"

using namespace pvx;
using util::TOEMInfo;

namespace {
// The six texts, then the four device names.
QStringList Lines(const TOEMInfo& i) {
  return QStringList({i.ProductName, i.MakerName, i.RightsText, i.VersionText, i.WebAddress,
                      i.MailAddress}) +
         QStringList(i.DeviceNames.begin(), i.DeviceNames.end());
}
}  // namespace

TEST(OEMInfo, SixLinesReplaceTheTextsLinesSevenToTenNameDevicesFewerKeepTheDefaults) {
  const TOEMInfo defaults;
  EXPECT_EQ(Lines(defaults).mid(0, 1) + Lines(defaults).mid(6),
            QStringList({"OKA TV", "", "", "", ""}));
  const QByteArray six =
      "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\n"
      "mailto:help@vision.example\n";
  test::WriteFile(test::Home() + "PInfo.cfg", "A\nB\nC\nD\nE\n");
  EXPECT_EQ(Lines(TOEMInfo()), Lines(defaults));
  test::WriteFile(test::Home() + "PInfo.cfg", six);
  EXPECT_EQ(Lines(TOEMInfo()), QString(six).split('\n').mid(0, 6) + QStringList(4, ""));
  test::WriteFile(test::Home() + "PInfo.cfg", six + "Capture X\nCrossbar X\nTuner X\n");
  EXPECT_EQ(Lines(TOEMInfo()).mid(6), QStringList({"Capture X", "Crossbar X", "Tuner X", ""}));
  EXPECT_FALSE(defaults.HasTitleBitmap);
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(TOEMInfo().HasTitleBitmap);
}
