// The scheduler's recordings in the running shell on the virtual card, with a stand-in for the
// scheduler's window, and in the real program started by the scheduler.

#include <gtest/gtest.h>

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
using Answers = std::vector<qint32>;
namespace ipc = pvx::platform::ipc;
using pvx::commands::CodeOf;
using pvx::commands::TCommand;

namespace {

bool WriteOrder(qint32 source, qint32 channel, quint8 format) {
  handoff::TRelayRecord r;
  r.DurationSeconds = 3, r.Source = source, r.Channel = channel, r.Format = format, r.BaseName = "Evening News";
  return handoff::WriteRelayFile(test::Home() + "Relay.rec", r);
}

class Scheduled : public test::Shell {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    before = Selection();
  }
  // The order and its message, run from the event loop as the program runs it.
  void Order(qint32 source, qint32 channel = 5) {
    ASSERT_TRUE(WriteOrder(source, channel, 1));
    App().HandleMessage(ipc::kMsgScheduledStart, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return QCoreApplication::processEvents(), !App().Dispatcher().Busy(); }));
  }
  // Pictures and sound in the file, then the recording clock past the order's three seconds.
  void RecordToTheEnd() {
    ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 0; }));
    for (int s = 0; s < 4 && MainInfo->Mode == amScheduledCapture; ++s) test::Clock().Advance(1000);
  }
  static handoff::TChannelSelection Selection() {
    return {ChannelInfo->VideoSource, ChannelInfo->CurrentTable, ChannelInfo->CurrentChannel()};
  }
  std::unique_ptr<test::SchedulerWindow> scheduler = std::make_unique<test::SchedulerWindow>();
  handoff::TChannelSelection before;  // the channel the orders find
};

TEST_F(Scheduled, FMFromTVSwitchesAndBackAndCompositeLeavesTheChannel) {
  const quint32 tuned = Engine().Tuner().TVFrequency();
  const auto settings = Engine().SaveRecordingBlock();
  Order(handoff::rsFM, 2);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_TRUE(Window().Panels.FMPanelVisible() && Engine().RadioMode() && Engine().Unattended());
  EXPECT_TRUE(ChannelInfo->CurrentTable == TChannelInfo::kFM && ChannelInfo->CurFM == 2);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(Window().Panels.FMPanelVisible() || Engine().RadioMode() || Engine().Unattended());
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_TRUE(PictureRuns());
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Status() == Answers{ipc::kScheduledRecordingEnded}; }));
  const playback::TPlaybackItem& item = *playback::PlaybackInfo->Items.at(0);
  EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
  EXPECT_EQ(MainInfo->GivenFilePath, item.FilePath);

  Order(handoff::rsComposite, 9);
  ASSERT_EQ(MainInfo->Mode, amScheduledCapture);
  EXPECT_EQ(ChannelInfo->VideoSource, TChannelInfo::kComposite);
  RecordToTheEnd();
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().Tuner().TVFrequency(), tuned) << "the channel was never tuned";

  // From FM radio to a TV channel and back: leaving FM later finds the channel FM began on.
  App().ExecuteCommand(6000);
  Order(handoff::rsAntenna, 9);
  EXPECT_TRUE(MainInfo->Mode == amScheduledCapture && !Window().Panels.FMPanelVisible());
  RecordToTheEnd();
  EXPECT_TRUE(MainInfo->Mode == amFMRadio && Window().Panels.FMPanelVisible());
  App().ExecuteCommand(6000);
  EXPECT_EQ(Selection(), before);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

TEST_F(Scheduled, RefusedOrFailedStartsAreAnsweredAndChangeNothing) {
  App().ExecuteCommand(1001);
  scheduler->HandleMs = 300;
  Order(handoff::rsCable);
  // Sent, not posted: the answer is in before the program goes on.
  EXPECT_EQ(scheduler->Status(), Answers{ipc::kScheduledStartRefused});
  EXPECT_TRUE(MainInfo->Mode == amCapture && Engine().Recording());
  App().ExecuteCommand(1002);

  const auto settings = Engine().SaveRecordingBlock();
  MainInfo->FMEnabled = false;
  Order(handoff::rsFM);
  test::System().Free = 499999;  // too full to start: not shown, the scheduler is told
  Order(handoff::rsCable);
  // A start that fails after the switch to FM goes back to TV, where the order found it.
  MainInfo->FMEnabled = true;
  Order(handoff::rsFM);
  EXPECT_EQ(scheduler->Status(), (Answers{3, ipc::kScheduledSourceUnavailable, 3, 3}));
  EXPECT_TRUE(MainInfo->Mode == amTV && !Engine().Unattended());
  EXPECT_FALSE(Window().Panels.FMPanelVisible() || Engine().RadioMode());
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Scheduled, ScheduleShowsTheRunningSchedulerOrStartsItOrSaysWhyNot) {
  App().ExecuteCommand(10);
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Messages() == Answers{ipc::kMsgShowScheduler}; }));
  scheduler.reset();
  App().ExecuteCommand(10);
  EXPECT_EQ(test::System().StartedPrograms, QStringList{"Scheduled srec_tv"});
  test::System().StartProgramResult = false;
  App().ExecuteCommand(10);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("\"Scheduled\" could not be started"));
}

TEST(ScheduledProgramRun, StartedForTheSchedulerItRecordsListsAndAnswers) {
  test::SchedulerWindow scheduler;
  ASSERT_TRUE(WriteOrder(handoff::rsAntenna, 4, 0));
  const QProcessEnvironment env = test::ProgramEnvironment();
  QProcess program;
  program.setProcessEnvironment(env);
  // A fresh home: nobody attends this start, so it takes the country plan, not the wizard.
  program.start(PVX_PROGRAM, {"srec_tv"});
  ASSERT_TRUE(WaitUntil([&] { return !scheduler.Status().empty(); }, 60000));
  EXPECT_EQ(scheduler.Status(), Answers{ipc::kScheduledRecordingEnded});
  {
    playback::TPlaybackInfo lists;  // written at once, while the program still runs
    ASSERT_EQ(lists.Items.size(), 1u);
    EXPECT_TRUE(lists.Items[0]->Scheduled && lists.Items[0]->Description == "Scheduled");
    EXPECT_EQ(QFileInfo(lists.Items[0]->FilePath).fileName(), "Evening News.mpg");
    const test::TProbe probe = test::Probe(lists.Items[0]->FilePath);
    EXPECT_TRUE(probe.ok && probe.Duration() > 2.0) << probe.error.toStdString();
  }
  EXPECT_TRUE(ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(TCommand::Exit), 0));
  EXPECT_TRUE(program.waitForFinished(30000) && program.exitCode() == 0);
}

}  // namespace
