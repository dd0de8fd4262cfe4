// The program on the virtual card: F4 in live TV, while playing a recording and while playing
// the time-shift buffer puts the shown picture into the store and brings up the browser on it.

#include <QTest>

#include "app/ShellFixture.h"
#include "platform/media/MediaTestSupport.h"
#include "platform/Clock.h"
#include "playback/FilePlayback.h"
#include "playback/TimeShiftRoutines.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "support/FakeDialogService.h"

using namespace pvx::settings;
using pvx::commands::TCommand;
using pvx::snapshots::SnapshotInfo;
using pvx::snapshots::SnapshotList;
using pvx::test::Shell;
using pvx::test::WaitUntil;
namespace test = pvx::test;
namespace playback = pvx::playback;

namespace {

// The command a remote control sends, run from the event loop as the program runs it.
void Remote(pvx::app::TApplication& app, TCommand command) {
  const int code = pvx::commands::CodeOf(command);
  EXPECT_EQ(app.HandleMessage(pvx::platform::ipc::kMsgCommand, code, 0), 1) << code;
  QCoreApplication::processEvents();
}

}  // namespace

TEST_F(Shell, F4LandsInTheStoreFromLiveTVARecordingAndTheBuffer) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(PictureRuns());
  QTest::keyClick(&Window(), Qt::Key_F4);
  ASSERT_TRUE(WaitUntil([] { return SnapshotInfo && SnapshotInfo->Count() == 1; }));
  EXPECT_GT(SnapshotInfo->Images.at(0).width(), 100);
  ASSERT_TRUE(SnapshotList() && SnapshotList()->isVisible());
  EXPECT_FALSE(SnapshotList()->Slot(0)->pixmap().isNull());
  // The main window keeps the keys, so the next F4 takes the next picture.
  EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == &Window(); }, 2000));

  QTest::keyClick(&Window(), Qt::Key_F6);
  ASSERT_TRUE(test::Played(*Engine().Preview().Graph(), 1500)) << "pictures reach the recorder";
  Remote(App(), TCommand::Stop);
  ASSERT_EQ(MainInfo->Mode(), amTV);
  Remote(App(), TCommand::PlayGivenFile);  // the file just recorded
  QImage frame;
  ASSERT_TRUE(WaitUntil([&] { return playback::FilePlayback && playback::FilePlayback->GrabFrame(frame); }));
  QTest::keyClick(&Window(), Qt::Key_F4);
  ASSERT_EQ(SnapshotInfo->Count(), 2);
  EXPECT_EQ(SnapshotInfo->Images.at(0).size(), frame.size());
  Remote(App(), TCommand::Stop);
  ASSERT_TRUE(WaitUntil([] { return MainInfo->Mode() == amTV; }));

  QTest::keyClick(&Window(), Qt::Key_F8);
  ASSERT_TRUE(test::Played(*Engine().Preview().Graph(), 1500));
  test::Clock().Advance(11000);
  QTest::keyClick(&Window(), Qt::Key_F7);
  ASSERT_EQ(MainInfo->Mode(), amTimeShiftPlayback);
  // The player's own grab shows when a picture is there; F4 then takes one more.
  ASSERT_TRUE(WaitUntil([] { return playback::TimeShiftPlayback->GrabFrame(); }));
  QTest::keyClick(&Window(), Qt::Key_F4);
  EXPECT_EQ(SnapshotInfo->Count(), 4);
  EXPECT_EQ(SnapshotList()->LabelPageIndicator()->text(), "1/1");
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  App().ShutdownApplication();
  EXPECT_EQ(SnapshotInfo, nullptr);
}
