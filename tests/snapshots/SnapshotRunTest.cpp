// The program on the virtual card: F4 in live TV, while playing a recording and while playing
// the time-shift buffer puts the shown picture into the store and brings up the browser on it.

#include <QElapsedTimer>
#include <QTest>

#include "app/ShellFixture.h"
#include "platform/Clock.h"
#include "playback/FilePlayback.h"
#include "playback/TimeShiftRoutines.h"
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

namespace {

// Real time for the card to deliver pictures to the recorder.
// The command a remote control sends, run from the event loop as the program runs it.
void Remote(pvx::app::TApplication& app, int code) {
  EXPECT_EQ(app.HandleMessage(pvx::platform::ipc::kMsgCommand, code, 0), 1) << code;
  QCoreApplication::processEvents();
}

void Record(int ms) {
  QElapsedTimer t;
  t.start();
  WaitUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
}

}  // namespace

TEST_F(Shell, F4WhilePlayingARecordingOrTheBufferLandsInTheStore) {
  ASSERT_TRUE(Start());
  QTest::keyClick(&Window(), Qt::Key_F6);
  Record(1500);
  Remote(App(), 1002);
  ASSERT_EQ(pvx::settings::MainInfo->Mode, pvx::settings::amTV);
  Remote(App(), 3001);  // the file just recorded
  QImage frame;
  ASSERT_TRUE(WaitUntil([&] { return pvx::playback::FilePlayback && pvx::playback::FilePlayback->GrabFrame(frame); }));
  QTest::keyClick(&Window(), Qt::Key_F4);
  ASSERT_EQ(SnapshotInfo->Count(), 1);
  EXPECT_EQ(SnapshotInfo->Images.at(0).size(), frame.size());
  EXPECT_TRUE(SnapshotList() && SnapshotList()->isVisible());
  Remote(App(), 1002);
  ASSERT_TRUE(WaitUntil([] { return pvx::settings::MainInfo->Mode == pvx::settings::amTV; }));

  QTest::keyClick(&Window(), Qt::Key_F8);
  Record(1500);
  test::Clock().Advance(11000);
  QTest::keyClick(&Window(), Qt::Key_F7);
  ASSERT_EQ(pvx::settings::MainInfo->Mode, pvx::settings::amTimeShiftPlayback);
  // The player's own grab shows when a picture is there; F4 then takes one more.
  ASSERT_TRUE(WaitUntil([] { return pvx::playback::TimeShiftPlayback->GrabFrame(); }));
  QTest::keyClick(&Window(), Qt::Key_F4);
  EXPECT_EQ(SnapshotInfo->Count(), 3);
  EXPECT_EQ(SnapshotList()->LabelPageIndicator()->text(), "1/1");
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}
