#include <gtest/gtest.h>

#include <QStringList>

#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"

using namespace pvx;
using util::TOEMInfo;

namespace {
const QByteArray kSixLines =
    "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\n"
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

TEST(OEMInfo, SixLinesReplaceTextsAndLinesSevenToTenNameDevices) {
  test::WriteFile(test::Home() + "PInfo.cfg", "A\nB\nC\nD\nE\n");
  EXPECT_EQ(TOEMInfo().ProductName, "OKA TV") << "fewer than six lines keep the defaults";
  test::WriteFile(test::Home() + "PInfo.cfg", kSixLines);
  TOEMInfo six;
  EXPECT_EQ(QStringList({six.ProductName, six.MakerName, six.RightsText, six.VersionText,
                         six.WebAddress, six.MailAddress}),
            QString(kSixLines).split('\n').mid(0, 6));
  for (const QString& name : six.DeviceNames) EXPECT_TRUE(name.isEmpty());
  test::WriteFile(test::Home() + "PInfo.cfg", kSixLines + "Capture X\nCrossbar X\nTuner X\n");
  const TOEMInfo ten;
  EXPECT_EQ(QStringList(ten.DeviceNames.begin(), ten.DeviceNames.end()),
            QStringList({"Capture X", "Crossbar X", "Tuner X", ""}));
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(TOEMInfo().HasTitleBitmap);
}
