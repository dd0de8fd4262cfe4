#include "util/Services.h"

#include <gtest/gtest.h>

#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;

TEST(Services, DirectXVersionIsTheMediaFrameworkLevel) {
  EXPECT_EQ(util::DirectXVersion(), 9);
  test::System().MediaLevel = 0;
  EXPECT_EQ(util::DirectXVersion(), 0);
}

TEST(Services, WindowsVersionClassIsModern) { EXPECT_EQ(util::WindowsVersionClass(), 2); }

TEST(Services, FileVersionTextFormatsTheProgramVersion) {
  const QString self = test::Home() + "oka-pvx";
  test::WriteFile(self, "x");
  EXPECT_EQ(util::FileVersionText(self, "%d.%d.%d.%d"), "1.2.3.4");
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
