#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/LinuxSystemServices.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/Services.h"

using namespace pvx;

TEST(Services, DirectXVersionIsTheMediaFrameworkLevel) {
  EXPECT_EQ(util::DirectXVersion(), 9);
  test::System().MediaLevel = 0;
  EXPECT_EQ(util::DirectXVersion(), 0);
}

TEST(Services, WindowsVersionClassIsModern) { EXPECT_EQ(util::WindowsVersionClass(), 2); }

TEST(Services, FileVersionTextReadsTheVersionTheFileCarries) {
  // This test program is a build of the program's code and carries its version.
  const platform::FileVersion v = platform::LinuxSystemServices().ProgramVersion();
  EXPECT_EQ(util::FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
            QString::asprintf("%d.%d.%d.%d", v.major, v.minor, v.release, v.build));
  const QByteArray marker(util::kVersionMarkerPrefix);
  const struct {
    QByteArray bytes;
    const char* text;
  } rows[] = {
      {"junk" + marker + "7.8.9.10" + '\0' + "tail", "7.8.9.10"},
      {marker + '\0' + marker + "2.0.1.3", "2.0.1.3"},  // a bare prefix is passed over
      {marker + "1.2", ""},
      {"a file of another program", ""},
  };
  for (const auto& row : rows) {
    test::WriteFile(test::Home() + "other", row.bytes);
    EXPECT_EQ(util::FileVersionText(test::Home() + "other", "%d.%d.%d.%d"), row.text)
        << row.bytes.toStdString();
  }
  test::WriteFile(test::Home() + "other", marker + "4.5.6.7");
  EXPECT_EQ(util::FileVersionText(test::Home() + "other", "v%d-%d"), "v4-5");
  EXPECT_EQ(util::FileVersionText(test::Home() + "missing", "%d.%d.%d.%d"), "");
}

TEST(Services, PowerOffReportsTheSystemAnswer) {
  EXPECT_TRUE(util::PowerOff());
  test::System().PowerOffResult = false;
  EXPECT_FALSE(util::PowerOff());
  EXPECT_EQ(test::System().PowerOffCalls, 2);
}

TEST(Services, OpenTVGuideOpensTheGuidePage) {
  util::OpenTVGuide();
  ASSERT_EQ(test::System().OpenedUrls.size(), 1);
  EXPECT_EQ(test::System().OpenedUrls[0], util::kTVGuideAddress);
}
