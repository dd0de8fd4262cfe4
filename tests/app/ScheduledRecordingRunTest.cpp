// The scheduler's recordings in the running shell on the virtual card, with a stand-in for the
// scheduler's window: the TV/FM switch and back, an input without the channel touched, a start
// refused during a manual recording or failing, and the real program started by the scheduler.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include "ShellFixture.h"
#include "handoff/ScheduledRecording.h"
#include "platform/Clock.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/Globals.h"
#include "playback/PlaybackInfo.h"
#include "settings/ChannelInfo.h"
#include "support/FakeDialogService.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;
namespace ipc = pvx::platform::ipc;

namespace {

class Scheduled : public test::Shell {
 protected:
  // An order as the scheduler writes it, then its message, run from the event loop.
  void Order(qint32 source, qint32 channel, quint8 format = 1) {
    handoff::TRelayRecord r;
    r.DurationSeconds = 3, r.Source = source, r.Channel = channel, r.Format = format;
    r.BaseName = "Evening News";
    ASSERT_TRUE(handoff::WriteRelayFile(test::Home() + "Relay.rec", r));
    App().HandleMessage(ipc::kMsgScheduledStart, 0, 0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return !App().Dispatcher().Busy(); }));
  }
  // Real time for pictures and sound, then the recording clock past the order's three seconds.
  void RecordToTheEnd() {
    QElapsedTimer t;
    t.start();
    WaitUntil([&] { return t.elapsed() >= 1500; });
    for (int s = 0; s < 4 && MainInfo->Mode == amScheduledCapture; ++s) test::Clock().Advance(1000);
  }
  bool FMShown() { return Window().Panels.FMPanelVisible(); }
  TChannelInfo& Channels() { return *ChannelInfo; }
  test::SchedulerWindow scheduler;
};

TEST_F(Scheduled, FMWhileTVShowsSwitchesRecordsTheRadioAndSwitchesBack) {
  ASSERT_TRUE(Start());
  const int channel = Channels().CurrentChannel();
  const auto settings = Engine().SaveRecordingBlock();
  Order(handoff::rsFM, 2);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_TRUE(FMShown() && Engine().RadioMode() && Engine().Unattended());
  EXPECT_EQ(Channels().CurrentTable, TChannelInfo::kFM);
  EXPECT_EQ(Channels().CurFM, 2);
  EXPECT_TRUE(Engine().TimeLimitOn && Engine().TimeLimit == 3);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(FMShown() || Engine().RadioMode() || Engine().Unattended());
  EXPECT_EQ(Channels().CurrentChannel(), channel);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_TRUE(PictureRuns());
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == std::vector<qint32>{ipc::kScheduledRecordingEnded}; }));
  const playback::TPlaybackItem& item = *playback::PlaybackInfo->Items.at(0);
  EXPECT_EQ(QFileInfo(item.FilePath).fileName(), "Evening News.mp3");
  EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
  EXPECT_EQ(MainInfo->GivenFilePath, item.FilePath);
  EXPECT_TRUE(test::Probe(item.FilePath).ok);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(Scheduled, CompositeRecordsWithoutTouchingTheChannel) {
  ASSERT_TRUE(Start());
  const int channel = Channels().CurrentChannel();
  const quint32 tuned = Engine().Tuner().TVFrequency();
  Order(handoff::rsComposite, 9);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_EQ(Channels().VideoSource, TChannelInfo::kComposite);
  EXPECT_EQ(Engine().Tuner().TVFrequency(), tuned);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ(Channels().VideoSource, TChannelInfo::kTuner);
  EXPECT_EQ(Channels().CurrentChannel(), channel);
  EXPECT_EQ(Engine().Tuner().TVFrequency(), tuned);
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == std::vector<qint32>{ipc::kScheduledRecordingEnded}; }));
  const test::TProbe probe = test::Probe(MainInfo->GivenFilePath);
  EXPECT_TRUE(probe.ok && !probe.video.isEmpty()) << probe.error.toStdString();
}

TEST_F(Scheduled, RefusedDuringAManualRecordingAndAFailedStartPutsEverythingBack) {
  ASSERT_TRUE(Start());
  App().ExecuteCommand(1001);
  ASSERT_EQ(MainInfo->Mode, amCapture);
  Order(handoff::rsCable, 5);
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status() == std::vector<qint32>{ipc::kScheduledStartRefused}; }));
  EXPECT_TRUE(MainInfo->Mode == amCapture && Engine().Recording());
  App().ExecuteCommand(1002);

  // The disk is too full to start: nothing is shown, the scheduler is told, all is as before.
  const handoff::TChannelSelection before{Channels().VideoSource, Channels().CurrentTable, Channels().CurrentChannel()};
  const auto settings = Engine().SaveRecordingBlock();
  test::System().Free = 499999;
  Order(handoff::rsCable, 5);
  EXPECT_TRUE(WaitUntil([&] { return scheduler.Status().size() == 2; }));
  EXPECT_EQ(scheduler.Status().back(), ipc::kScheduledStartRefused);
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ((handoff::TChannelSelection{Channels().VideoSource, Channels().CurrentTable, Channels().CurrentChannel()}), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_FALSE(Engine().Unattended());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  EXPECT_TRUE(PictureRuns());
}

}  // namespace
