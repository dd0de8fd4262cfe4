// The program on the virtual card: F4 in live TV puts the live picture into the store and
// brings up the browser on it.

#include <QTest>

#include "app/ShellFixture.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "support/FakeDialogService.h"

using pvx::snapshots::SnapshotInfo;
using pvx::snapshots::SnapshotList;
using pvx::test::Shell;
using pvx::test::WaitUntil;
namespace test = pvx::test;

TEST_F(Shell, F4InLiveTVLandsInTheStore) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PictureRuns());
  QTest::keyClick(&Window(), Qt::Key_F4);
  ASSERT_TRUE(WaitUntil([] { return SnapshotInfo && SnapshotInfo->Count() == 1; }));
  const QImage shot = SnapshotInfo->Images.at(0);
  EXPECT_FALSE(shot.isNull());
  EXPECT_GT(shot.width(), 100);
  ASSERT_TRUE(SnapshotList());
  EXPECT_TRUE(SnapshotList()->isVisible());
  EXPECT_EQ(SnapshotList()->LabelPageIndicator()->text(), "1/1");
  EXPECT_FALSE(SnapshotList()->Slot(0)->pixmap().isNull());
  // The main window keeps the keys, so the next F4 takes the next picture.
  EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &Window(); }, 2000));
  QTest::keyClick(&Window(), Qt::Key_F4);
  ASSERT_TRUE(WaitUntil([] { return SnapshotInfo->Count() == 2; }));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  App().ShutdownApplication();
  EXPECT_EQ(SnapshotInfo, nullptr);
}
