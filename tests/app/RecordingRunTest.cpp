// Recording and playing back through the running program on the virtual card: every format from
// the command a remote control sends, the Done list across a restart, a disk that fills,
// time-shifting, and playing a recording and the time-shift buffer. Then the scheduler's
// recordings, with a stand-in for the scheduler's window, in the running shell and in the real
// program started by the scheduler.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "ShellFixture.h"
#include "engine/AudioAdjustInfo.h"
#include "handoff/ScheduledRecording.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/Globals.h"
#include "playback/PlaybackInfo.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;
using Answers = std::vector<qint32>;
namespace ipc = pvx::platform::ipc;
using pvx::commands::CodeOf;
using pvx::commands::TCommand;

namespace {

struct FormatCase {
  const char* name;
  int format, kind, audioFormat;  // RecordFormat, RecordKind, AudioFormat
  int width, height, kbps, frameRateCode;
  const char* container;  // ffprobe's format_name
  QString picture, sound;  // empty: no such stream
  int mpeg4Codec = 2;      // "Divx", "... V3", "... V2"
};

// Each format with the size, bit rate and rate its profile offers first.
const FormatCase kFormats[] = {
    {"Mpeg1", 0, 0, 0, 320, 240, 1350, 5, "mpeg", test::PictureText("mpeg1video", 320, 240, 30), test::SoundText("mp2", 44100, 2)},
    {"Mpeg2", 1, 0, 0, 640, 480, 4000, 5, "mpeg", test::PictureText("mpeg2video", 640, 480, 30), test::SoundText("mp2", 44100, 2)},
    {"Mpeg4Avi", 2, 0, 0, 352, 240, 2000, 5, "avi", test::PictureText("msmpeg4v2", 352, 240, 30), test::SoundText("pcm_s16le", 48000, 2)},
    {"Mpeg4Divx", 2, 0, 0, 352, 240, 2000, 5, "avi", test::PictureText("mpeg4", 352, 240, 30), test::SoundText("pcm_s16le", 48000, 2), 0},
    {"Avi", 3, 0, 0, 352, 240, 2000, 5, "avi", test::PictureText("rawvideo", 352, 240, 30), test::SoundText("pcm_s16le", 48000, 2)},
    {"VcdNtsc", 4, 0, 0, 352, 240, 1150, 4, "mpeg", test::PictureText("mpeg1video", 352, 240, 29.97), test::SoundText("mp2", 44100, 2)},
    {"VcdPal", 5, 0, 0, 352, 288, 1150, 3, "mpeg", test::PictureText("mpeg1video", 352, 288, 25), test::SoundText("mp2", 44100, 2)},
    {"DvdNtsc", 6, 0, 0, 720, 480, 3950, 4, "mpeg", test::PictureText("mpeg2video", 720, 480, 29.97), test::SoundText("ac3", 48000, 2)},
    {"DvdPal", 7, 0, 0, 720, 576, 3950, 5, "mpeg", test::PictureText("mpeg2video", 720, 576, 25), test::SoundText("mp2", 48000, 2)},
    {"SvcdNtsc", 8, 0, 0, 480, 480, 2300, 4, "mpeg", test::PictureText("mpeg2video", 480, 480, 29.97), test::SoundText("mp2", 44100, 2)},
    {"SvcdPal", 9, 0, 0, 480, 576, 2300, 4, "mpeg", test::PictureText("mpeg2video", 480, 576, 25), test::SoundText("mp2", 44100, 2)},
    {"NoSound", 1, 2, 0, 640, 480, 4000, 5, "mpeg", test::PictureText("mpeg2video", 640, 480, 30), {}},
    {"Wave", 1, 1, 0, 640, 480, 4000, 5, "wav", {}, test::SoundText("pcm_s16le", 48000, 2)},
    {"Mp3", 1, 1, 1, 640, 480, 4000, 5, "mp3", {}, test::SoundText("mp3", 48000, 2)},
};

// Test names and failure lines name the format, not its bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class Recording : public test::Shell {
 protected:
  void SetUp() override { ASSERT_TRUE(Start()); }

  // The command a remote control sends, run from the event loop as the program runs it.
  void Remote(TCommand command) {
    const int code = CodeOf(command);
    EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, code, 0), 1) << code;
    QCoreApplication::processEvents();
  }
  // A second of the engine's recording clock.
  void Tick(int seconds = 1) { test::Clock().Advance(qint64(seconds) * 1000); }
  // Real time for the card to deliver pictures and sound.
  static void Record(int ms) {
    QElapsedTimer t;
    t.start();
    WaitUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
  }
  // The first recording in the Done list.
  static QString Listed() {
    const auto& items = playback::PlaybackInfo->Items;
    return items.empty() ? QString() : items.front()->FilePath;
  }
};

class EveryFormat : public Recording, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(EveryFormat, RecordsFromTheRemoteCommandAndPlaysElsewhere) {
  const FormatCase c = GetParam();
  test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) {
    s.RecordFormat = quint8(c.format), s.RecordKind = quint8(c.kind), s.AudioFormat = quint8(c.audioFormat);
    s.CaptureWidth = c.width, s.CaptureHeight = c.height, s.VideoBitRateKbps = c.kbps;
    s.FrameRateCode = c.frameRateCode;
    s.UseDateTimeName = false;
  });
  MainInfo->MPEG4Codec = c.mpeg4Codec;

  Remote(TCommand::Capture);
  ASSERT_EQ(MainInfo->Mode(), amCapture) << test::Dialogs().Warnings.size();
  EXPECT_TRUE(Window().RecordingBadge()->isVisible());
  Record(2000);
  Tick();
  EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("REC  0:00:01"));
  Remote(TCommand::Stop);
  ASSERT_EQ(MainInfo->Mode(), amTV);
  EXPECT_FALSE(Window().RecordingBadge()->isVisible());
  EXPECT_TRUE(PictureRuns()) << "live TV is back";

  const QString file = Engine().Recorder().CurrentFile;
  EXPECT_EQ(QFileInfo(file).fileName(), QString("capture.") + (c.kind == 1 ? (c.audioFormat ? "mp3" : "wav")
                                                                          : c.format == 2 || c.format == 3 ? "avi" : "mpg"));
  const test::TProbe probe = test::Probe(file);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_TRUE(probe.format.split(',').contains(c.container)) << probe.format.toStdString();
  EXPECT_EQ(probe.picture, c.picture);
  EXPECT_EQ(probe.sound, c.sound);
  EXPECT_GT(probe.duration, 1.0);
  EXPECT_EQ(Listed(), file);
  EXPECT_EQ(MainInfo->GivenFilePath, file);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Recording, AFullDiskEndsTheRecordingPlayableAndTheDoneListKeepsItAfterARestart) {
  QTest::keyClick(&Window(), Qt::Key_F6);
  ASSERT_EQ(MainInfo->Mode(), amCapture);
  const QString file = Engine().Recorder().CurrentFile;
  Record(1500);
  Tick();
  EXPECT_EQ(MainInfo->Mode(), amCapture);
  test::System().Free = 500000;  // the last half million bytes are kept free
  Tick();
  EXPECT_EQ(MainInfo->Mode(), amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("Disk will be full"));
  EXPECT_TRUE(test::Probe(file).ok);
  EXPECT_EQ(Listed(), file);

  // Refused while the disk stays full; nothing is listed for it.
  test::System().Free = 499999;
  Remote(TCommand::Capture);
  EXPECT_EQ(MainInfo->Mode(), amTV);
  EXPECT_EQ(test::Dialogs().Warnings.size(), 2u);
  EXPECT_EQ(playback::PlaybackInfo->Items.size(), 1u);
  EXPECT_TRUE(PictureRuns());

  App().ShutdownApplication();
  app_.reset();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Listed(), file);
}

TEST_F(Recording, ACardUnpluggedWhileRecordingLeavesAPlayableFileAndTheProgramRunning) {
  Remote(TCommand::Capture);
  ASSERT_EQ(MainInfo->Mode(), amCapture);
  const QString file = Engine().Recorder().CurrentFile;
  Record(1500);
  platform::devices::DefaultVirtualCard()->Unplug();
  ASSERT_TRUE(WaitUntil([] { return !test::Dialogs().Warnings.empty(); }));
  const QString shown = test::Dialogs().Warnings[0].join('\n');
  EXPECT_TRUE(shown.contains("is gone") && shown.contains(file)) << shown.toStdString();
  EXPECT_EQ(MainInfo->Mode(), amTV);
  EXPECT_FALSE(Window().RecordingBadge()->isVisible());
  const test::TProbe probe = test::Probe(file);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_GT(probe.duration, 0.5);
  EXPECT_EQ(Listed(), file);

  // Without the card a new recording is refused with a message, and the program goes on.
  Remote(TCommand::Capture);
  EXPECT_EQ(MainInfo->Mode(), amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 2u);
  EXPECT_TRUE(test::Dialogs().Warnings[1].join(' ').startsWith("Cannot preview"));
  Remote(TCommand::TVOrFM);
  EXPECT_EQ(MainInfo->Mode(), amFMRadio);
}

TEST_F(Recording, TimeShiftingIsReadyAfterElevenSecondsAndLeavesNothingUnlessSaved) {
  for (const bool save : {false, true}) {
    test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) {
      s.SaveTimeShift = save;
      s.TimeLimitOn = true, s.TimeLimit = 10;  // not applied to a time-shift buffer
    });
    QTest::keyClick(&Window(), Qt::Key_F8);
    ASSERT_EQ(MainInfo->Mode(), amTimeShifting);
    const QString file = Engine().Recorder().CurrentFile;
    EXPECT_EQ(QFileInfo(file).fileName() == "ts0.mpv", !save) << file.toStdString();
    Record(1000);
    Tick(10);
    EXPECT_FALSE(MenuShows("itemPlay"));
    EXPECT_EQ(App().ExecuteCommand(3000), app::TCommandResult::Refused);
    Tick();
    EXPECT_TRUE(MenuShows("itemPlay"));
    EXPECT_EQ(MainInfo->Mode(), amTimeShifting);
    EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("Time-Shifting  0:00:11"));
    Remote(TCommand::Stop);
    ASSERT_EQ(MainInfo->Mode(), amTV);
    EXPECT_EQ(QFile::exists(file), save);
    EXPECT_EQ(Listed() == file, save);
  }
  EXPECT_EQ(playback::PlaybackInfo->Items.front()->Description, "Time Shifting");
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Recording, ACopyProtectedStationIsRefusedAndLiveTVGoesOn) {
  // "Ten Movies" of the shipped broadcast carries copy protection.
  ASSERT_TRUE(Engine().SetTVFrequency(193250000, false));
  Remote(TCommand::Capture);
  EXPECT_EQ(MainInfo->Mode(), amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("macrovision"));
  EXPECT_FALSE(QFile::exists(Engine().Recorder().CurrentFile)) << "no empty file is left";
  EXPECT_TRUE(playback::PlaybackInfo->Items.empty());
  EXPECT_TRUE(PictureRuns());
}

TEST_F(Recording, ARecordingPlaysBackToItsEndAndTheBufferPlaysWhileItRecords) {
  QTest::keyClick(&Window(), Qt::Key_F6);
  Record(1500);
  Remote(TCommand::Stop);
  ASSERT_EQ(MainInfo->Mode(), amTV);
  Window().SetOverlayFullScreen(true);
  ASSERT_TRUE(Window().IsOverlayFullScreen());
  Remote(TCommand::PlayGivenFile);  // the file just recorded
  ASSERT_EQ(MainInfo->Mode(), amPlayback);
  EXPECT_TRUE(Window().PlayerExists());
  EXPECT_FALSE(Window().IsOverlayFullScreen()) << "a file plays in the window, not on the overlay";
  EXPECT_TRUE(App().AudioAdjustInfo()->LineMuted()) << "the card's sound gives way to the file's";
  Remote(TCommand::Play);  // pause, then play on
  EXPECT_TRUE(MenuShows("itemPlay"));
  Remote(TCommand::Play);
  EXPECT_TRUE(MenuShows("itemPause"));
  // The given file ends with Stop: live TV again.
  EXPECT_TRUE(WaitUntil([] { return MainInfo->Mode() == amTV; }, 20000));
  EXPECT_FALSE(Window().PlayerExists());
  EXPECT_FALSE(App().AudioAdjustInfo()->LineMuted());
  EXPECT_TRUE(PictureRuns());

  QTest::keyClick(&Window(), Qt::Key_F8);
  ASSERT_EQ(MainInfo->Mode(), amTimeShifting);
  const QString buffer = Engine().Recorder().CurrentFile;
  Record(1500);
  Tick(11);
  QTest::keyClick(&Window(), Qt::Key_F7);
  ASSERT_EQ(MainInfo->Mode(), amTimeShiftPlayback);
  EXPECT_TRUE(Window().PlayerExists());
  EXPECT_TRUE(Engine().Recording()) << "the buffer goes on recording behind the player";
  Remote(TCommand::Play);  // pause the buffer, then play on
  EXPECT_TRUE(MenuShows("itemPlay"));
  Remote(TCommand::Play);
  EXPECT_TRUE(MenuShows("itemPause"));
  Remote(TCommand::Stop);
  EXPECT_EQ(MainInfo->Mode(), amTV);
  EXPECT_FALSE(QFile::exists(buffer));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

// --- the scheduler's recordings ----------------------------------------------------------------

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
    Settle();
  }
  // Pictures and sound in the file, then the recording clock past the order's three seconds.
  void RecordToTheEnd() {
    ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 0; }));
    for (int s = 0; s < 4 && MainInfo->Mode() == amScheduledCapture; ++s) test::Clock().Advance(1000);
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
  ASSERT_EQ(MainInfo->Mode(), amScheduledCapture);
  EXPECT_TRUE(Window().Panels.FMPanelVisible() && Engine().RadioMode() && Engine().Unattended());
  EXPECT_TRUE(ChannelInfo->CurrentTable == TChannelInfo::kFM && ChannelInfo->CurFM == 2);
  RecordToTheEnd();
  ASSERT_EQ(MainInfo->Mode(), amTV);
  EXPECT_FALSE(Window().Panels.FMPanelVisible() || Engine().RadioMode() || Engine().Unattended());
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().SaveRecordingBlock(), settings);
  EXPECT_TRUE(PictureRuns());
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Status() == Answers{ipc::kScheduledRecordingEnded}; }));
  const playback::TPlaybackItem& item = *playback::PlaybackInfo->Items.at(0);
  EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
  EXPECT_EQ(MainInfo->GivenFilePath, item.FilePath);

  Order(handoff::rsComposite, 9);
  ASSERT_EQ(MainInfo->Mode(), amScheduledCapture);
  EXPECT_EQ(ChannelInfo->VideoSource, TChannelInfo::kComposite);
  RecordToTheEnd();
  EXPECT_EQ(MainInfo->Mode(), amTV);
  EXPECT_EQ(Selection(), before);
  EXPECT_EQ(Engine().Tuner().TVFrequency(), tuned) << "the channel was never tuned";

  // From FM radio to a TV channel and back: leaving FM later finds the channel FM began on.
  App().ExecuteCommand(6000);
  Order(handoff::rsAntenna, 9);
  EXPECT_TRUE(MainInfo->Mode() == amScheduledCapture && !Window().Panels.FMPanelVisible());
  RecordToTheEnd();
  EXPECT_TRUE(MainInfo->Mode() == amFMRadio && Window().Panels.FMPanelVisible());
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
  EXPECT_TRUE(MainInfo->Mode() == amCapture && Engine().Recording());
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
  EXPECT_TRUE(MainInfo->Mode() == amTV && !Engine().Unattended());
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
    EXPECT_TRUE(probe.ok && probe.duration > 2.0) << probe.error.toStdString();
  }
  EXPECT_TRUE(ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(TCommand::Exit), 0));
  EXPECT_TRUE(program.waitForFinished(30000) && program.exitCode() == 0);
}

}  // namespace
