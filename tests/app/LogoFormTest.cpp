#include "app/LogoForm.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "support/TestEnvironment.h"

using namespace pvx;

TEST(LogoForm, ShowsTheShippedBitmapOnTop) {
  app::TFormLogo logo;
  logo.ShowLogo();
  EXPECT_TRUE(logo.HasLogo());
  EXPECT_TRUE(logo.isVisible());
  EXPECT_EQ(logo.size(), QSize(641, 481));
  EXPECT_TRUE(logo.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(logo.windowFlags() & Qt::FramelessWindowHint);
  auto* image = logo.findChild<QLabel*>("Image1");
  ASSERT_NE(image, nullptr);
  EXPECT_FALSE(image->pixmap().isNull());
}

TEST(LogoForm, UnreadableBitmapLeavesTheWindowHidden) {
  test::WriteFile(test::Home() + "QLOGO.BMP", "not a bitmap");
  app::TFormLogo logo;
  logo.ShowLogo();
  EXPECT_FALSE(logo.HasLogo());
  EXPECT_FALSE(logo.isVisible());
}
