#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

#include "platform/LinuxSystemServices.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"
#include "util/Services.h"

using namespace pvx;

// With the system answers passed on, and the product texts below.
TEST(Services, FileVersionTextReadsTheVersionTheFileCarries) {
  test::System().PowerOffResult = false;
  EXPECT_EQ(QList<int>({util::DirectXVersion(), util::WindowsVersionClass(), util::PowerOff()}),
            QList<int>({9, 2, false}));
  util::OpenTVGuide();
  EXPECT_EQ(test::System().OpenedUrls, QStringList({util::kTVGuideAddress}));
  // This test program is a build of the program's code and carries its version.
  const platform::FileVersion v = platform::LinuxSystemServices().ProgramVersion();
  EXPECT_EQ(util::FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
            QString::asprintf("%d.%d.%d.%d", v.major, v.minor, v.release, v.build));
  const QByteArray marker(util::kVersionMarkerPrefix);
  const auto version = [](const QByteArray& bytes, const char* format = "%d.%d.%d.%d") {
    test::WriteFile(test::Home() + "other", bytes);
    return util::FileVersionText(test::Home() + "other", format);
  };
  // A bare prefix is passed over; a missing file has none.
  EXPECT_EQ(QStringList({version("junk" + marker + "7.8.9.10" + '\0' + "tail"),
                         version(marker + '\0' + marker + "2.0.1.3"), version(marker + "1.2"),
                         version("a file of another program"), version(""),
                         version(marker + "4.5.6.7", "v%d-%d"),
                         util::FileVersionText(test::Home() + "missing", "%d.%d.%d.%d")}),
            QStringList({"7.8.9.10", "2.0.1.3", "", "", "", "v4-5", ""}));
  // Six lines of PInfo.cfg replace the texts, lines seven to ten name devices, fewer keep the
  // defaults; a title picture is found beside the program.
  const auto lines = [](const util::TOEMInfo& i) {
    return QStringList({i.ProductName, i.MakerName, i.RightsText, i.VersionText, i.WebAddress,
                        i.MailAddress}) +
           QStringList(i.DeviceNames.begin(), i.DeviceNames.end());
  };
  const QString six =
      "Vision TV\nVision\n(c) Vision Ltd\nV 2.5 \nhttps://vision.example/\nmailto:help@vision.example\n";
  test::WriteFile(test::Home() + "PInfo.cfg", six.section('\n', 0, 4).toUtf8());
  EXPECT_EQ(lines(util::TOEMInfo()), lines(util::TOEMInfo(QString())));
  test::WriteFile(test::Home() + "PInfo.cfg", six.toUtf8());
  EXPECT_EQ(lines(util::TOEMInfo()), six.split('\n').mid(0, 6) + QStringList(4, ""));
  test::WriteFile(test::Home() + "PInfo.cfg", (six + "Capture X\nCrossbar X\nTuner X\n").toUtf8());
  EXPECT_EQ(lines(util::TOEMInfo()).mid(6), QStringList({"Capture X", "Crossbar X", "Tuner X", ""}));
  EXPECT_FALSE(util::TOEMInfo().HasTitleBitmap);
  test::WriteFile(test::Home() + "QTitle.bmp", "BM");
  EXPECT_TRUE(util::TOEMInfo().HasTitleBitmap);
}
