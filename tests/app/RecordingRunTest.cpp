// Recording and playing back through the running program on the virtual card: each container from
// the command a remote control sends, the Done list across a restart, a disk that fills, a card
// unplugged, time-shifting, and playing a recording and the time-shift buffer. Then the
// scheduler's recordings, with a stand-in for the scheduler's window.

#include <QFile>
#include <QFileInfo>
#include <QTableWidget>

#include "ShellFixture.h"
#include "engine/AudioAdjustInfo.h"
#include "handoff/ScheduledRecording.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/FormPlayback.h"
#include "playback/PlaybackSession.h"
#include "playback/PlaybackInfo.h"
#include "playback/TimeShiftPlayback.h"
#include "playback/TimeShiftRoutines.h"
#include "support/ModelEdits.h"

namespace pvx::test {
namespace {

using namespace settings;
using Answers = std::vector<qint32>;

struct FormatCase {
  const char* name;
  int format, kind, audioFormat;  // RecordFormat, RecordKind, AudioFormat
  int width, height, kbps, frameRateCode;
  // ffprobe's format_name, then the picture's codec and rate and the sound's codec (stereo) and
  // rate ("" for no such stream), and the MPEG-4 compressor ("Divx", "... V3", "... V2").
  const char *container, *picture;
  double fps;
  const char* sound;
  int rate, mpeg4Codec = 2;
};

// One recording per container, with the size, bit rate and rate its profile offers first; the
// AVI row takes the compressor the shell's settings choose (the engine tests cover the others).
const FormatCase kFormats[] = {
    {"Mpeg2", 1, 0, 0, 640, 480, 4000, 5, "mpeg", "mpeg2video", 30, "mp2", 44100},
    {"Mpeg4Divx", 2, 0, 0, 352, 240, 2000, 5, "avi", "mpeg4", 30, "pcm_s16le", 48000, 0},
    {"Wave", 1, 1, 0, 640, 480, 4000, 5, "wav", "", 0, "pcm_s16le", 48000},
    {"Mp3", 1, 1, 1, 640, 480, 4000, 5, "mp3", "", 0, "mp3", 48000},
    {"Mp4H264", 10, 0, 0, 720, 576, 0, 0, "mp4", "h264", 29.97, "aac", 48000},
    {"MatroskaH264", 11, 0, 0, 352, 288, 1500, 0, "matroska", "h264", 29.97, "aac", 48000},
    {"MatroskaHevc", 12, 0, 0, 720, 576, 0, 0, "matroska", "hevc", 29.97, "opus", 48000},
};

// Test names and failure lines name the format, not its bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class Recording : public LiveTV {
 protected:
  // The command a remote control sends, run from the event loop as the program runs it.
  void Remote(TCommand command) {
    const int code = CodeOf(command);
    EXPECT_EQ(App().HandleMessage(ipc::kMsgCommand, code, 0), 1) << code;
    QCoreApplication::processEvents();
  }
  // A second of the engine's recording clock.
  void Tick(int seconds = 1) { test::Clock().Advance(qint64(seconds) * 1000); }
  // Starts a recording with `start` and lets the card deliver `frames` more pictures (30 a
  // second) while it records, the same stream as the live picture's; the recording's file.
  QString Record(const std::function<void()>& start, int frames = 45, TAppMode mode = amCapture) {
    start();
    EXPECT_EQ(test::ProgramMain().Mode(), mode) << test::Dialogs().Warnings.size();
    const qint64 from = FramesShown();
    EXPECT_TRUE(WaitUntil([&] { return FramesShown() >= from + frames; }));
    return Engine().Recorder().CurrentFile;
  }
  // Play pauses the player, then plays on; the menu offers the other each time.
  void PauseAndPlayOn() {
    Remote(TCommand::Play);
    EXPECT_TRUE(MenuShows("itemPlay"));
    EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("Pause  ")) << "the badge says so too";
    Remote(TCommand::Play);
    EXPECT_TRUE(MenuShows("itemPause"));
  }
  // After something ended the recording of `file`: live TV, the file playable and listed, and a
  // warning that says `said`; a new recording is refused with a second one and nothing listed.
  void ExpectEndedAndTheNextRefused(const QString& file, const char* said) {
    ASSERT_TRUE(WaitUntil([] { return !test::Dialogs().Warnings.empty(); }));
    EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains(said));
    EXPECT_TRUE(test::ProgramMain().Mode() == amTV && !Window().RecordingBadge()->isVisible());
    const test::TProbe probe = test::Probe(file);
    EXPECT_TRUE(probe.ok && probe.duration > 0.5) << probe.error.toStdString();
    EXPECT_EQ(Listed(), file);
    Remote(TCommand::Capture);
    EXPECT_EQ(std::tuple(test::ProgramMain().Mode(), test::Dialogs().Warnings.size(),
                         App().Playback().Lists.Items.size()), std::tuple(amTV, 2u, 1u));
  }
  // The first recording in the Done list.
  QString Listed() {
    const auto& items = App().Playback().Lists.Items;
    return items.empty() ? QString() : items.front()->FilePath;
  }
};

class EveryFormat : public Recording, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(EveryFormat, RecordsFromTheRemoteCommandAndPlaysElsewhere) {
  const FormatCase c = GetParam();
  test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) {
    s.RecordFormat = quint8(c.format), s.RecordKind = quint8(c.kind), s.AudioFormat = quint8(c.audioFormat);
    s.CaptureWidth = c.width, s.CaptureHeight = c.height, s.VideoBitRateKbps = c.kbps;
    s.FrameRateCode = c.frameRateCode, s.UseDateTimeName = false;
  });
  test::EditPrefs(test::ProgramMain(), [&](settings::TMainPreferences& p) { p.MPEG4Codec = c.mpeg4Codec; });

  const QString file = Record([&] { Remote(TCommand::Capture); }, 60);
  EXPECT_TRUE(Window().RecordingBadge()->isVisible());
  Tick();
  EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("REC  0:00:01"));
  Remote(TCommand::Stop);
  ASSERT_EQ(test::ProgramMain().Mode(), amTV);
  EXPECT_TRUE(!Window().RecordingBadge()->isVisible() && PictureRuns()) << "live TV is back";
  const QString container = c.container;
  const QString extension = container == "mpeg" ? "mpg" : container == "matroska" ? "mkv" : container;
  EXPECT_EQ(QFileInfo(file).fileName(), "capture." + extension);
  const test::TProbe probe = test::Probe(file);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_TRUE(probe.format.split(',').contains(container)) << probe.format.toStdString();
  const QString picture = *c.picture ? test::PictureText(c.picture, c.width, c.height, c.fps) : "";
  EXPECT_EQ(probe.picture + "|" + probe.sound, picture + "|" + (*c.sound ? test::SoundText(c.sound, c.rate, 2) : ""));
  EXPECT_GT(probe.duration, 1.0);
  if (c.format >= 10) {
    const int channel = test::ProgramChannels().CurrentChannel();
    EXPECT_EQ(probe.tags.value(probe.tags.contains("comment") ? "comment" : "COMMENT").toString(),
              QString("CH %1").arg(channel));
  }
  // Listed with the tuner's channel, as sound alone when it is.
  ASSERT_EQ(Listed(), file);
  const playback::TPlaybackItem& item = *App().Playback().Lists.Items.front();
  EXPECT_EQ(std::tuple(item.AudioOnly, item.Channel, test::ProgramMain().GivenFilePath()),
            std::tuple(c.kind == 1, test::ProgramChannels().CurrentChannel(), file));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// The recording plays in the window to its end, and the Done list keeps it after a restart.
TEST_F(Recording, AFullDiskEndsTheRecordingPlayableAndTheDoneListKeepsItAfterARestart) {
  const QString file = Record([&] { QTest::keyClick(&Window(), Qt::Key_F6); });
  Tick();
  EXPECT_EQ(test::ProgramMain().Mode(), amCapture);
  test::System().Free = 500000;  // the last half million bytes are kept free
  Tick();
  test::System().Free = 499999;  // and the next recording is refused while the disk stays full
  ExpectEndedAndTheNextRefused(file, "Disk will be full");
  EXPECT_TRUE(PictureRuns());

  Window().SetOverlayFullScreen(true);
  ASSERT_TRUE(Window().IsOverlayFullScreen());
  Remote(TCommand::PlayGivenFile);  // the file just recorded
  ASSERT_EQ(test::ProgramMain().Mode(), amPlayback);
  EXPECT_TRUE(Window().PlayerExists() && !Window().IsOverlayFullScreen()) << "in the window, not on the overlay";
  EXPECT_TRUE(App().AudioAdjustInfo()->LineMuted()) << "the card's sound gives way to the file's";
  Tick();
  EXPECT_TRUE(Window().RecordingBadge()->isVisible() && Window().RecordingBadge()->Text().startsWith("Play  0:00:0"))
      << "the position shows";
  PauseAndPlayOn();
  // The given file ends with Stop: live TV again.
  EXPECT_TRUE(WaitUntil([] { return test::ProgramMain().Mode() == amTV; }, 20000));
  EXPECT_TRUE(!Window().PlayerExists() && !App().AudioAdjustInfo()->LineMuted() && PictureRuns());
  ASSERT_TRUE(QFile::rename(file, file + ".away"));
  Remote(TCommand::PlayGivenFile);
  EXPECT_EQ(test::ProgramMain().Mode(), amTV) << "a given file that is gone plays nothing";
  ASSERT_TRUE(QFile::rename(file + ".away", file));
  // A play list of that one entry has no pop-up: at its end, live TV again.
  test::Answer<playback::TFormPlayback>([&] { Remote(TCommand::Play); }, [](playback::TFormPlayback& form) {
    form.findChild<QTableWidget*>("StringGridDoneList")->setCurrentCell(0, 0);
    form.BitBtnAddClick(), form.BitBtnOKClick();
  });
  ASSERT_EQ(test::ProgramMain().Mode(), amPlayback);
  EXPECT_TRUE(WaitUntil([] { return test::ProgramMain().Mode() == amTV; }, 20000));
  EXPECT_FALSE(Window().PlayerExists());

  App().ShutdownApplication(), app_.reset();
  ASSERT_TRUE(Start());
  EXPECT_EQ(Listed(), file);
}

TEST_F(Recording, ACardUnpluggedWhileRecordingLeavesAPlayableFileAndTheProgramRunning) {
  const QString file = Record([&] { Remote(TCommand::Capture); });
  platform::devices::DefaultVirtualCard()->Unplug();
  // Without the card a new recording is refused with a message, and the program goes on.
  ExpectEndedAndTheNextRefused(file, "is gone");
  EXPECT_TRUE(test::Dialogs().Warnings.at(0).join(' ').contains(file) &&
              test::Dialogs().Warnings.at(1).join(' ').startsWith("Cannot preview"));
  Remote(TCommand::TVOrFM);
  EXPECT_EQ(test::ProgramMain().Mode(), amFMRadio);
}

// The buffer plays while it goes on recording behind the player.
TEST_F(Recording, TimeShiftingIsReadyAfterElevenSecondsPlaysAndLeavesNothingUnlessSaved) {
  for (const bool save : {false, true}) {
    test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) { s.SaveTimeShift = save; });
    const QString file = Record([&] { QTest::keyClick(&Window(), Qt::Key_F8); }, 45, amTimeShifting);
    EXPECT_EQ(QFileInfo(file).fileName() == "ts0.mpv", !save) << file.toStdString();
    Tick(10);
    EXPECT_FALSE(MenuShows("itemPlay"));
    EXPECT_EQ(App().ExecuteCommand(3000), app::TCommandResult::Refused);
    Tick();
    EXPECT_TRUE(MenuShows("itemPlay") && test::ProgramMain().Mode() == amTimeShifting &&
                Window().RecordingBadge()->Text().startsWith("Time-Shifting  0:00:11"));
    // The real-screen command shows the time-shifting picture (until it is given again), and
    // hides the played one.
    App().ExecuteCommand(TCommand::RealScreen);
    EXPECT_EQ(Window().findChild<QWidget*>("ImageTimeShiftingPreview")->isVisible(), !save);
    QTest::keyClick(&Window(), Qt::Key_F7);
    ASSERT_EQ(test::ProgramMain().Mode(), amTimeShiftPlayback);
    EXPECT_TRUE(Window().PlayerExists() && Engine().Recording());
    App().ExecuteCommand(TCommand::RealScreen);
    EXPECT_TRUE(App().Playback().TimeShift->IsVideoHidden());
    Tick();
    EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("Play  ")) << "the position shows";
    PauseAndPlayOn();
    Remote(TCommand::Stop);
    ASSERT_EQ(test::ProgramMain().Mode(), amTV);
    EXPECT_EQ(std::pair(QFile::exists(file), Listed() == file), std::pair(save, save));
  }
  EXPECT_EQ(App().Playback().Lists.Items.front()->Description, "Time Shifting");
  EXPECT_TRUE(PictureRuns() && test::Dialogs().Warnings.empty());
}

// --- the scheduler's recordings ----------------------------------------------------------------

class Scheduled : public Shell {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    before = Selection();
  }
  // The order and its message, run from the event loop as the program runs it; the mode it leaves.
  void Order(qint32 source, qint32 channel = 5, TAppMode then = amScheduledCapture) {
    handoff::TRelayRecord r;
    r.DurationSeconds = 3, r.Source = source, r.Channel = channel, r.Format = 1, r.BaseName = "Evening News";
    ASSERT_TRUE(handoff::WriteRelayFile(test::Home() + "Relay.rec", r));
    App().HandleMessage(ipc::kMsgScheduledStart, 0, 0), Settle();
    EXPECT_EQ(test::ProgramMain().Mode(), then);
  }
  // Pictures and sound in the file, then the recording clock past the order's three seconds.
  void RecordToTheEnd(TAppMode then = amTV) {
    ASSERT_TRUE(WaitUntil([&] { return Engine().RecordedBytes() > 0; }));
    for (int s = 0; s < 4 && test::ProgramMain().Mode() == amScheduledCapture; ++s) test::Clock().Advance(1000);
    EXPECT_EQ(test::ProgramMain().Mode(), then);
  }
  static handoff::TChannelSelection Selection() {
    return {test::ProgramChannels().VideoSource(), test::ProgramChannels().CurrentTable(), test::ProgramChannels().CurrentChannel()};
  }
  std::unique_ptr<test::SchedulerWindow> scheduler = std::make_unique<test::SchedulerWindow>();
  handoff::TChannelSelection before;  // the channel the orders find
};

TEST_F(Scheduled, FMFromTVSwitchesAndBackAndCompositeLeavesTheChannel) {
  const quint32 tuned = Engine().Tuner().TVFrequency();
  const auto settings = Engine().SaveRecordingBlock();
  Order(handoff::rsFM, 2);
  EXPECT_TRUE(Window().Panels.FMPanelVisible() && Engine().RadioMode() && Engine().Unattended());
  EXPECT_TRUE(test::ProgramChannels().CurrentTable() == TChannelInfo::kFM && test::ProgramChannels().CurFM() == 2);
  RecordToTheEnd();
  EXPECT_FALSE(Window().Panels.FMPanelVisible() || Engine().RadioMode() || Engine().Unattended());
  EXPECT_TRUE(Selection() == before && Engine().SaveRecordingBlock() == settings && PictureRuns());
  EXPECT_TRUE(WaitUntil([&] { return scheduler->Status() == Answers{ipc::kScheduledRecordingEnded}; }));
  const playback::TPlaybackItem& item = *App().Playback().Lists.Items.at(0);
  EXPECT_TRUE(item.Scheduled && item.Description == "Scheduled");
  EXPECT_EQ(test::ProgramMain().GivenFilePath(), item.FilePath);
  // The desktop heard of the start, with the file, and of the end.
  EXPECT_EQ(test::System().Notifications, QStringList({"Scheduled recording started: " + QFileInfo(item.FilePath).fileName(),
                                                       "Scheduled recording finished: "}));

  Order(handoff::rsComposite, 9);
  EXPECT_EQ(test::ProgramChannels().VideoSource(), TChannelInfo::kComposite);
  RecordToTheEnd();
  EXPECT_TRUE(Selection() == before && Engine().Tuner().TVFrequency() == tuned) << "the channel was never tuned";

  // From FM radio to a TV channel and back: leaving FM later finds the channel FM began on.
  App().ExecuteCommand(6000);
  Order(handoff::rsAntenna, 9);
  EXPECT_FALSE(Window().Panels.FMPanelVisible());
  RecordToTheEnd(amFMRadio);
  EXPECT_TRUE(Window().Panels.FMPanelVisible());
  App().ExecuteCommand(6000);
  EXPECT_TRUE(Selection() == before && test::Dialogs().Warnings.empty());
}

TEST_F(Scheduled, RefusedOrFailedStartsAreAnsweredAndChangeNothing) {
  App().ExecuteCommand(1001);
  scheduler->HandleMs = 300;
  Order(handoff::rsCable, 5, amCapture);
  // Sent, not posted: the answer is in before the program goes on.
  EXPECT_EQ(scheduler->Status(), Answers{ipc::kScheduledStartRefused});
  EXPECT_TRUE(Engine().Recording());
  App().ExecuteCommand(1002);

  const auto settings = Engine().SaveRecordingBlock();
  test::ProgramMain().SetFMEnabled(false);
  Order(handoff::rsFM, 5, amTV);
  test::System().Free = 499999;  // too full to start: not shown, the scheduler is told
  Order(handoff::rsCable, 5, amTV);
  // A start that fails after the switch to FM goes back to TV, where the order found it.
  test::ProgramMain().SetFMEnabled(true);
  Order(handoff::rsFM, 5, amTV);
  EXPECT_EQ(scheduler->Status(), (Answers{3, ipc::kScheduledSourceUnavailable, 3, 3}));
  EXPECT_FALSE(Engine().Unattended() || Window().Panels.FMPanelVisible() || Engine().RadioMode());
  EXPECT_TRUE(Selection() == before && Engine().SaveRecordingBlock() == settings);
  EXPECT_TRUE(test::Dialogs().Warnings.empty() && PictureRuns());
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

}  // namespace
}  // namespace pvx::test
