// The scheduler's recordings in the running shell on the virtual card, with a stand-in for the
// scheduler's window: the TV/FM switch and back, an input without the channel touched, starts
// refused or failing, the Schedule command, and the real program started by the scheduler.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include "ShellFixture.h"
#include "handoff/ScheduledRecording.h"
#include "platform/Clock.h"
#include "platform/ipc/MessageClient.h"
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

using Answers = std::vector<qint32>;

bool WriteOrder(qint32 source, qint32 channel, quint8 format) {
  handoff::TRelayRecord r;
  r.DurationSeconds = 3, r.Source = source, r.Channel = channel, r.Format = format;
  r.BaseName = "Evening News";
  return handoff::WriteRelayFile(test::Home() + "Relay.rec", r);
}

class Scheduled : public test::Shell {
 protected:
  // The order and its message, run from the event loop as the program runs it.
  void Order(qint32 source, qint32 channel, quint8 format = 1) {
    ASSERT_TRUE(WriteOrder(source, channel, format));
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
  handoff::TChannelSelection Selection() {
    return {ChannelInfo->VideoSource, ChannelInfo->CurrentTable, ChannelInfo->CurrentChannel()};
  }
  std::unique_ptr<test::SchedulerWindow> scheduler = std::make_unique<test::SchedulerWindow>();
};

TEST_F(Scheduled, FMFromTVSwitchesAndBackAndCompositeLeavesTheChannel) {
  ASSERT_TRUE(Start());
  const handoff::TChannelSelection before = Selection();
  const quint32 tuned = Engine().Tuner().TVFrequency();
  const auto settings = Engine().SaveRecordingBlock();
  Order(handoff::rsFM, 2);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_TRUE(Window().Panels.FMPanelVisible() && Engine().RadioMode() && Engine().Unattended());
  EXPECT_TRUE(ChannelInfo->CurrentTable == TChannelInfo::kFM && ChannelInfo->CurFM == 2);
  EXPECT_TRUE(Engine().TimeLimitOn && Engine().TimeLimit == 3);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(Window().Panels.FMPanelVisible() || Engine().RadioMode() || Engine().Unattended());
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_TRUE(PictureRuns());
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Status() == Answers{ipc::kScheduledRecordingEnded}; }));
  const playback::TPlaybackItem& item = *playback::PlaybackInfo->Items.at(0);
  // One index names the video format and the sound format: 1 is MPEG 2, and MP3 for sound.
  EXPECT_EQ(QFileInfo(item.FilePath).fileName(), "Evening News.mp3");
  EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
  EXPECT_EQ(MainInfo->GivenFilePath, item.FilePath);

  Order(handoff::rsComposite, 9);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_EQ(ChannelInfo->VideoSource, TChannelInfo::kComposite);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().Tuner().TVFrequency(), tuned) << "the channel was never tuned";
  const test::TProbe probe = test::Probe(MainInfo->GivenFilePath);
  EXPECT_TRUE(probe.ok && !probe.video.isEmpty()) << probe.error.toStdString();
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(Scheduled, RefusedOrFailedStartsAreAnsweredAndChangeNothing) {
  ASSERT_TRUE(Start());
  App().ExecuteCommand(1001);
  ASSERT_EQ(MainInfo->Mode, amCapture);
  scheduler->HandleMs = 300;
  Order(handoff::rsCable, 5);
  // Sent, not posted: the answer is in before the program goes on.
  EXPECT_EQ(scheduler->Status(), Answers{ipc::kScheduledStartRefused});
  EXPECT_TRUE(MainInfo->Mode == amCapture && Engine().Recording());
  App().ExecuteCommand(1002);

  const handoff::TChannelSelection before = Selection();
  const auto settings = Engine().SaveRecordingBlock();
  MainInfo->FMEnabled = false;
  Order(handoff::rsFM, 2);
  test::System().Free = 499999;  // too full to start: not shown, the scheduler is told
  Order(handoff::rsCable, 5);
  EXPECT_EQ(scheduler->Status(), (Answers{3, ipc::kScheduledSourceUnavailable, ipc::kScheduledStartRefused}));
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_FALSE(Engine().Unattended());
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Scheduled, ScheduleShowsTheRunningSchedulerOrStartsItOrSaysWhyNot) {
  ASSERT_TRUE(Start());
  App().ExecuteCommand(10);
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Messages() == std::vector<quint32>{ipc::kMsgShowScheduler}; }));
  scheduler.reset();
  App().ExecuteCommand(10);
  EXPECT_EQ(test::System().StartedPrograms, QStringList{"Scheduled srec_tv"});
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  test::System().StartProgramResult = false;
  App().ExecuteCommand(10);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("\"Scheduled\" could not be started"));
}

TEST(ScheduledProgramRun, StartedForTheSchedulerItRecordsListsAndAnswers) {
  test::SchedulerWindow scheduler;
  ASSERT_TRUE(WriteOrder(handoff::rsAntenna, 4, 0));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* home : {"OKA_PVX_HOME", "HOME"}) env.insert(home, test::Home());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("OKA_PVX_AUDIO_SINK", "null");
  QProcess program;
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(PVX_PROGRAM, {"srec_tv"});
  ASSERT_TRUE(WaitUntil([&] { return !scheduler.Status().empty(); }, 60000));
  EXPECT_EQ(scheduler.Status(), Answers{ipc::kScheduledRecordingEnded});
  {
    // The Done list is on disk while the program still runs.
    playback::TPlaybackInfo lists;
    ASSERT_EQ(lists.Items.size(), 1u);
    const playback::TPlaybackItem& item = *lists.Items[0];
    EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
    EXPECT_EQ(QFileInfo(item.FilePath).fileName(), "Evening News.mpg");
    const test::TProbe probe = test::Probe(item.FilePath);
    EXPECT_TRUE(probe.ok && probe.Duration() > 2.0) << probe.error.toStdString();
  }
  EXPECT_TRUE(ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, 1, 0));
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
