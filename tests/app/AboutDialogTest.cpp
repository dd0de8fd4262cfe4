#include "app/AboutDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"

using namespace pvx;

TEST(AboutDialog, ShowsTheProductTextsAndOpensItsLinks) {
  test::WriteFile(test::Home() + "PInfo.cfg",
                  "Vision TV\nVision\n(c) Vision\nV 2.0 \nhttps://vision.example/\nmailto:a@vision.example\n");
  util::TOEMInfo info;
  app::TDialogAbout dialog(info);
  EXPECT_EQ(dialog.size(), QSize(313, 214));
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelProduct")->text(), "Vision TV");
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelMaker")->text(), "Vision");
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelRights")->text(), "(c) Vision");
  EXPECT_EQ(dialog.findChild<QLabel*>("LabelVersion")->text(), "V 2.0 ");
  EXPECT_TRUE(dialog.findChild<QLabel*>("LabelWWW")->text().contains("https://vision.example/"));
  ASSERT_TRUE(dialog.findChild<QPushButton*>("BtnOK"));
  dialog.LabelWWWClick();
  dialog.LabelEmailClick();
  EXPECT_EQ(test::System().OpenedUrls,
            QStringList({"https://vision.example/", "mailto:a@vision.example"}));
}
