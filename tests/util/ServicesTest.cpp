#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/LinuxSystemServices.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/Services.h"

using namespace pvx;

TEST(Services, SystemAnswersArePassedOn) {
  auto& system = test::System();
  EXPECT_EQ(util::DirectXVersion(), 9);
  EXPECT_EQ(util::WindowsVersionClass(), 2);
  EXPECT_TRUE(util::PowerOff());
  system.MediaLevel = 0, system.PowerOffResult = false;
  EXPECT_EQ(util::DirectXVersion(), 0);
  EXPECT_FALSE(util::PowerOff());
  EXPECT_EQ(system.PowerOffCalls, 2);
  util::OpenTVGuide();
  EXPECT_EQ(system.OpenedUrls, QStringList({util::kTVGuideAddress}));
}

TEST(Services, FileVersionTextReadsTheVersionTheFileCarries) {
  // This test program is a build of the program's code and carries its version.
  const platform::FileVersion v = platform::LinuxSystemServices().ProgramVersion();
  EXPECT_EQ(util::FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
            QString::asprintf("%d.%d.%d.%d", v.major, v.minor, v.release, v.build));
  const QByteArray marker(util::kVersionMarkerPrefix);
  const std::pair<QByteArray, const char*> rows[] = {
      {"junk" + marker + "7.8.9.10" + '\0' + "tail", "7.8.9.10"},
      {marker + '\0' + marker + "2.0.1.3", "2.0.1.3"},  // a bare prefix is passed over
      {marker + "1.2", ""},
      {"a file of another program", ""},
      {"", ""},
  };
  for (const auto& [bytes, text] : rows) {
    test::WriteFile(test::Home() + "other", bytes);
    EXPECT_EQ(util::FileVersionText(test::Home() + "other", "%d.%d.%d.%d"), text)
        << bytes.toStdString();
  }
  test::WriteFile(test::Home() + "other", marker + "4.5.6.7");
  EXPECT_EQ(util::FileVersionText(test::Home() + "other", "v%d-%d"), "v4-5");
  EXPECT_EQ(util::FileVersionText(test::Home() + "missing", "%d.%d.%d.%d"), "");
}
