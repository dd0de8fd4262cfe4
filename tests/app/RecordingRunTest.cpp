// Recording and playing back through the running program on the virtual card: every format from
// the command a remote control sends, the Done list across a restart, a disk that fills,
// time-shifting, and playing a recording and the time-shift buffer.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

#include "ShellFixture.h"
#include "engine/AudioAdjustInfo.h"
#include "platform/Clock.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/Globals.h"
#include "playback/PlaybackInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"

using namespace pvx;
using namespace pvx::settings;
using pvx::test::WaitUntil;
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
  static QString Listed(int index = 0) {
    const auto& items = playback::PlaybackInfo->Items;
    return index < int(items.size()) ? items[size_t(index)]->FilePath : QString();
  }
};

class EveryFormat : public Recording, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(EveryFormat, RecordsFromTheRemoteCommandAndPlaysElsewhere) {
  const FormatCase c = GetParam();
  engine::TCaptureInfo& e = Engine();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.RecordFormat = quint8(c.format), s.RecordKind = quint8(c.kind), s.AudioFormat = quint8(c.audioFormat);
    s.CaptureWidth = c.width, s.CaptureHeight = c.height, s.VideoBitRateKbps = c.kbps;
    s.FrameRateCode = c.frameRateCode;
    s.UseDateTimeName = false;
  });
  MainInfo->MPEG4Codec = c.mpeg4Codec;

  Remote(TCommand::Capture);
  ASSERT_EQ(MainInfo->Mode, amCapture) << test::Dialogs().Warnings.size();
  EXPECT_TRUE(Window().RecordingBadge()->isVisible());
  Record(2000);
  Tick();
  EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("REC  0:00:01"));
  Remote(TCommand::Stop);
  ASSERT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(Window().RecordingBadge()->isVisible());
  EXPECT_TRUE(PictureRuns()) << "live TV is back";

  const QString file = e.Recorder().CurrentFile;
  EXPECT_EQ(QFileInfo(file).fileName(), QString("capture.") + (c.kind == 1 ? (c.audioFormat ? "mp3" : "wav")
                                                                          : c.format == 2 || c.format == 3 ? "avi" : "mpg"));
  const test::TProbe probe = test::Probe(file);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_TRUE(probe.format.value("format_name").toString().split(',').contains(c.container))
      << probe.format.value("format_name").toString().toStdString();
  EXPECT_EQ(probe.video.isEmpty() ? QString() : probe.Picture(), c.picture);
  EXPECT_EQ(probe.audio.isEmpty() ? QString() : probe.Sound(), c.sound);
  EXPECT_GT(probe.Duration(), 1.0);
  EXPECT_EQ(Listed(), file);
  EXPECT_EQ(MainInfo->GivenFilePath, file);
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Recording, AFullDiskEndsTheRecordingPlayableAndTheDoneListKeepsItAfterARestart) {
  QTest::keyClick(&Window(), Qt::Key_F6);
  ASSERT_EQ(MainInfo->Mode, amCapture);
  const QString file = Engine().Recorder().CurrentFile;
  Record(1500);
  Tick();
  EXPECT_EQ(MainInfo->Mode, amCapture);
  test::System().Free = 500000;  // the last half million bytes are kept free
  Tick();
  EXPECT_EQ(MainInfo->Mode, amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Warnings[0].join(' ').contains("Disk will be full"));
  EXPECT_TRUE(test::Probe(file).ok);
  EXPECT_EQ(Listed(), file);

  // Refused while the disk stays full; nothing is listed for it.
  test::System().Free = 499999;
  Remote(TCommand::Capture);
  EXPECT_EQ(MainInfo->Mode, amTV);
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
  ASSERT_EQ(MainInfo->Mode, amCapture);
  const QString file = Engine().Recorder().CurrentFile;
  Record(1500);
  platform::devices::DefaultVirtualCard()->Unplug();
  ASSERT_TRUE(WaitUntil([] { return !test::Dialogs().Warnings.empty(); }));
  const QString shown = test::Dialogs().Warnings[0].join('\n');
  EXPECT_TRUE(shown.contains("is gone") && shown.contains(file)) << shown.toStdString();
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(Window().RecordingBadge()->isVisible());
  const test::TProbe probe = test::Probe(file);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_GT(probe.Duration(), 0.5);
  EXPECT_EQ(Listed(), file);

  // Without the card a new recording is refused with a message, and the program goes on.
  Remote(TCommand::Capture);
  EXPECT_EQ(MainInfo->Mode, amTV);
  ASSERT_EQ(test::Dialogs().Warnings.size(), 2u);
  EXPECT_TRUE(test::Dialogs().Warnings[1].join(' ').startsWith("Cannot preview"));
  Remote(TCommand::TVOrFM);
  EXPECT_EQ(MainInfo->Mode, amFMRadio);
}

TEST_F(Recording, TimeShiftingIsReadyAfterElevenSecondsAndLeavesNothingUnlessSaved) {
  for (const bool save : {false, true}) {
    test::ChangeSettings(Engine(), [&](settings::TCaptureSettings& s) {
      s.SaveTimeShift = save;
      s.TimeLimitOn = true, s.TimeLimit = 10;  // not applied to a time-shift buffer
    });
    QTest::keyClick(&Window(), Qt::Key_F8);
    ASSERT_EQ(MainInfo->Mode, amTimeShifting);
    const QString file = Engine().Recorder().CurrentFile;
    EXPECT_EQ(QFileInfo(file).fileName() == "ts0.mpv", !save) << file.toStdString();
    Record(1000);
    Tick(10);
    EXPECT_FALSE(MenuShows("itemPlay"));
    EXPECT_EQ(App().ExecuteCommand(3000), app::TCommandResult::Refused);
    Tick();
    EXPECT_TRUE(MenuShows("itemPlay"));
    EXPECT_EQ(MainInfo->Mode, amTimeShifting);
    EXPECT_TRUE(Window().RecordingBadge()->Text().startsWith("Time-Shifting  0:00:11"));
    Remote(TCommand::Stop);
    ASSERT_EQ(MainInfo->Mode, amTV);
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
  EXPECT_EQ(MainInfo->Mode, amTV);
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
  ASSERT_EQ(MainInfo->Mode, amTV);
  Window().SetOverlayFullScreen(true);
  ASSERT_TRUE(Window().IsOverlayFullScreen());
  Remote(TCommand::PlayGivenFile);  // the file just recorded
  ASSERT_EQ(MainInfo->Mode, amPlayback);
  EXPECT_TRUE(Window().PlayerExists());
  EXPECT_FALSE(Window().IsOverlayFullScreen()) << "a file plays in the window, not on the overlay";
  EXPECT_TRUE(App().AudioAdjustInfo()->LineMuted()) << "the card's sound gives way to the file's";
  Remote(TCommand::Play);  // pause, then play on
  EXPECT_TRUE(MenuShows("itemPlay"));
  Remote(TCommand::Play);
  EXPECT_TRUE(MenuShows("itemPause"));
  // The given file ends with Stop: live TV again.
  EXPECT_TRUE(WaitUntil([] { return MainInfo->Mode == amTV; }, 20000));
  EXPECT_FALSE(Window().PlayerExists());
  EXPECT_FALSE(App().AudioAdjustInfo()->LineMuted());
  EXPECT_TRUE(PictureRuns());

  QTest::keyClick(&Window(), Qt::Key_F8);
  ASSERT_EQ(MainInfo->Mode, amTimeShifting);
  const QString buffer = Engine().Recorder().CurrentFile;
  Record(1500);
  Tick(11);
  QTest::keyClick(&Window(), Qt::Key_F7);
  ASSERT_EQ(MainInfo->Mode, amTimeShiftPlayback);
  EXPECT_TRUE(Window().PlayerExists());
  EXPECT_TRUE(Engine().Recording()) << "the buffer goes on recording behind the player";
  Remote(TCommand::Play);  // pause the buffer, then play on
  EXPECT_TRUE(MenuShows("itemPlay"));
  Remote(TCommand::Play);
  EXPECT_TRUE(MenuShows("itemPause"));
  Remote(TCommand::Stop);
  EXPECT_EQ(MainInfo->Mode, amTV);
  EXPECT_FALSE(QFile::exists(buffer));
  EXPECT_TRUE(test::Dialogs().Warnings.empty());
}

}  // namespace
