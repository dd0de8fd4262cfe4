#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "EngineFixture.h"
#include "engine/CaptureFileName.h"
#include "platform/Clock.h"
#include "platform/media/MediaTestSupport.h"
#include "platform/video/TVideoRenderer.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"

namespace {

// The file's streams as ffprobe reads them, a space between two.
std::string Streams(const QString& file) {
  QProcess probe;
  const QString entries = "stream=codec_name,width,height,avg_frame_rate,sample_rate,channels";
  probe.start("ffprobe", {"-v", "error", "-show_entries", entries, "-of", "csv=p=0", file});
  EXPECT_TRUE(probe.waitForFinished(60000));
  return probe.readAllStandardOutput().simplified().toStdString();
}

struct Progress {
  bool stop, timeShift;
  qint64 freeLess500k, written, elapsed;
};

class Recording : public test::EngineFixture {
 protected:
  Recording() {
    test::EditPrefs(main_, [](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "rec/"; });
  }
  ~Recording() override { engine_.reset(); }

  // The engine with its preview running, every progress report kept.
  engine::TCaptureInfo& Live(const TComponentRegistry& components = test::Components()) {
    auto& e = Make({}, {}, components);
    EXPECT_TRUE(e.OpenDevices());
    e.OnCaptureProgress = [this](engine::TCaptureInfo&, bool stop, bool ts, qint64 free, qint64 written, qint64 s) {
      progress_.push_back({stop, ts, free, written, s});
    };
    EXPECT_TRUE(e.StartPreview());
    return e;
  }
  void Tick(int seconds = 1) { test::Clock().Advance(1000LL * seconds); }
  // Stops the recording and checks that the live picture can be built again on that graph.
  void StopAndResumePreview() {
    EXPECT_TRUE(engine_->StopRecording());
    EXPECT_FALSE(engine_->Recording() || engine_->Recorder().Timer.Enabled());
    EXPECT_TRUE(engine_->StartPreview());
    EXPECT_TRUE(test::WaitUntil([&] { return engine_->Preview().VideoWindow() && Graph().State() == GraphState::Running; }));
  }
  std::vector<Progress> progress_;
};

TEST(CaptureFileName, NumberedDateTimeAndFolders) {
  const QString folder = test::Home() + "names/";
  QDir().mkpath(folder);
  test::WriteFile(folder + "capture.mpg", "x");
  test::WriteFile(folder + "20260102_030405.mp3", "x");
  const QDateTime at(QDate(2026, 1, 2), QTime(3, 4, 5));
  // Format, audio only, radio, sound format, time-shift -> kind; numbered, base -> name.
  const std::tuple<engine::TStreamChoice, bool, QString, QString> rows[] = {
      {{1, 0, 0, false, false}, true, "capture", "capture_1.mpg"},  // capture.mpg exists
      {{2, 0, 0, false, false}, true, "capture", "capture.avi"},
      {{0, 0, 0, false, false}, false, "capture", "20260102_030405.mpg"},
      {{7, 0, 1, true, false}, false, "", "20260102_030405_1.mp3"},  // never over an earlier one
      {{1, 0, 0, false, false}, true, "", "20260102_030405.mpg"},  // not the hidden ".mpg"
      {{3, 1, 0, false, false}, true, "capture", "capture.wav"},
      {{1, 0, 0, false, true}, true, "/elsewhere/ts", "/elsewhere/ts.mpv"},  // its own folder
  };
  for (const auto& [choice, numbered, base, name] : rows) {
    const QString made = engine::MakeCaptureFileName(numbered, base, engine::StreamKindOf(choice), folder, at);
    EXPECT_EQ(made, name.startsWith('/') ? name : folder + name);
  }
}

// Each second's progress asks to stop once the disk is down to 500000 bytes free, and at the time
// limit, a limit lowered while recording too. A start with less free is refused (below).
TEST_F(Recording, ProgressAsksToStopAtTheFreeSpaceFloorAndAtTheTimeLimit) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimitOn = true;
    s.TimeLimit = 10;
  });
  test::System().Free = 504000;
  ASSERT_TRUE(e.StartRecording());
  EXPECT_TRUE(e.Recorder().Timer.Enabled());
  test::System().Free -= 4000;
  Tick();
  test::System().Free += 1;
  Tick(9);
  ASSERT_EQ(progress_.size(), 10u);
  EXPECT_TRUE(progress_[0].stop);
  EXPECT_EQ(QList<qint64>({progress_[0].freeLess500k, progress_[0].written}), QList<qint64>({0, 4000}));
  for (size_t i = 1; i < 9; ++i) EXPECT_FALSE(progress_[i].stop) << i;
  EXPECT_TRUE(progress_[9].stop && !progress_[9].timeShift);
  EXPECT_EQ(QList<qint64>({progress_[9].elapsed, progress_[9].written}), QList<qint64>({10, 3999}));
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimit = 5;  // changed while recording, past the seconds already recorded
  });
  Tick();
  EXPECT_TRUE(progress_.back().stop);
  StopAndResumePreview();
}

// Recordings made while the preview runs, each into a numbered file of the folder its mode writes
// to, and what each holds. A picture taller than 300 lines is deinterlaced in the preview; the
// radio records its sound alone, dropping the picture and leaving the capture format as it was.
TEST_F(Recording, EachRecordingHoldsThePictureAndSoundAsked) {
  test::EditPrefs(main_,
                  [&](settings::TMainPreferences& p) { p.CaptureFolder = test::Home() + "not/made/yet/"; });
  test::EditPrefs(main_, [&](settings::TMainPreferences& p) { p.WaveFolder = test::Home() + "wave/"; });
  auto& e = Live();
  e.WaveFolderActive = [&] { return e.RadioMode(); };
  EXPECT_EQ(e.MakeCaptureFileName(true, "x", engine::kStreamMp3), main_.Prefs().CaptureFolder + "x.mp3");
  const struct {
    const char* file;
    int format, kind, sound;  // record format; kind 1 sound only, 2 picture only; sound 1 MP3
    QSize size;
    std::string streams;  // codec, size and frames per second, or sample rate and channels
  } rows[] = {
      {"not/made/yet/capture.mpg", 7, 0, 0, {720, 576},  // DVD PAL: 25 frames, 48 kHz
       "dvd_nav_packet,0/0 mpeg2video,720,576,25/1, mp2,48000,2,0/0"},
      {"not/made/yet/capture_1.mpg", 0, 2, 0, {320, 240}, "mpeg1video,320,240,30/1"},
      {"not/made/yet/capture.avi", 2, 0, 0, {640, 480}, "msmpeg4v2,640,480,30/1 pcm_s16le,48000,2,0/0"},
      {"not/made/yet/capture_1.avi", 3, 2, 0, {352, 288}, "rawvideo,352,288,30/1"},
      {"not/made/yet/capture.mp3", 1, 1, 1, {640, 480}, "mp3,48000,2,0/0"},
      {"wave/capture.wav", 1, 0, 0, {640, 480}, "pcm_s16le,48000,2,0/0"},  // the radio
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const bool radio = QString(row.file).startsWith("wave/");
    if (radio) e.SetRadioMode(true);
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
      s.RecordFormat = quint8(row.format);
      s.RecordKind = quint8(row.kind);
      s.AudioFormat = quint8(row.sound);
      s.CaptureWidth = row.size.width();
      s.CaptureHeight = row.size.height();
      s.FrameRateCode = 5;
      s.UseDateTimeName = false;
      s.AudioInputIndex = 1;
    });
    ASSERT_TRUE(e.StartRecording());
    EXPECT_EQ(e.Recorder().CurrentFile, test::Home() + row.file);
    EXPECT_EQ(card_->EnabledAudioInput(), 1) << "the stored sound line is the one recorded";
    EXPECT_EQ(CaptureSize(), radio ? QSize(320, 240) : row.size);
    EXPECT_EQ(Graph().FindFilter("Deinterlace") != nullptr, !radio && row.size.height() > 300);
    auto* window = dynamic_cast<platform::video::TVideoRenderer*>(Graph().FindFilter("VideoWindow"));
    EXPECT_EQ(window != nullptr, !radio) << "the picture stays on while recording TV";
    ASSERT_TRUE(test::Played(Graph(), 1000));
    EXPECT_GT(e.RecordedBytes(), 0);
    const quint64 frames = window ? window->FramesRendered() : 0;
    EXPECT_TRUE(!window || test::WaitUntil([&] { return window->FramesRendered() > frames + 2; }));
    StopAndResumePreview();
    EXPECT_EQ(Streams(e.Recorder().CurrentFile), row.streams);
  }
}

// A Wis card records what its capture pin delivers through its own multiplexer. Before a preview
// there is no pin to record from; the preview lacks the encoder's sound pin here (1004) but finds
// the pins. An MPEG file then wants that sound (1026); an MPEG-4 AVI needs none.
TEST_F(Recording, AWisCardMultiplexesItsCapturePinAndAnMpegFileWantsItsSound) {
  auto& e = Open({.Maker = "Wis", .Model = "GO7007"});
  EXPECT_FALSE(e.StartRecording() || e.StartPreview() || e.StartRecording()) << "then MPEG 2";
  EXPECT_EQ(Warnings(), QStringList({"Cannot write file...", "Cannot find any audio capture interface...",
                                     "Cannot capture audio...", "Cannot write file..."}));
  EXPECT_FALSE(Graph().FindFilter("MPEGMux") || e.Recording());
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.RecordFormat = 2; });
  ASSERT_TRUE(e.StartRecording());
  EXPECT_TRUE(Graph().FindFilter("MPEGMux"));
  ASSERT_TRUE(test::Played(Graph(), 1000));
  // The picture stays on while the card records, straight from the preview pin when no decoder takes it.
  auto* window = dynamic_cast<platform::video::TVideoRenderer*>(Graph().FindFilter("VideoWindow"));
  ASSERT_TRUE(window && test::WaitUntil([&] { return window->FramesRendered() > 2; }));
  EXPECT_TRUE(e.StopRecording());
  EXPECT_FALSE(Graph().FindFilter("MPEGMux"));
  EXPECT_EQ(Streams(e.Recorder().CurrentFile), "rawvideo,640,480,30000/1001");
  // Its encoder makes no H.264: refused, rather than MPEG in a file named .mp4.
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.RecordFormat = 10; });
  EXPECT_FALSE(e.StartRecording());
  EXPECT_TRUE(Warnings().last().startsWith("This card's own encoder records MPEG only"));
}

TEST_F(Recording, TimeShiftIsReadyAfterTheEleventhSecondIgnoresTheTimeLimitAndMayBeKept) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimitOn = true;
    s.TimeLimit = 10;
  });
  int ready = 0;
  e.OnTimeShiftReady = [&](engine::TCaptureInfo&, bool) { ++ready; };
  const engine::TRecordingSettingsBlock before = e.SaveRecordingBlock();
  ASSERT_TRUE(e.StartTimeShift());
  EXPECT_EQ(e.Recorder().CurrentFile, main_.Prefs().CaptureFolder + "ts0.mpv");
  EXPECT_TRUE(Graph().FindFilter("VideoWindow") && !Graph().FindFilter("Deinterlace"));
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.RecordFormat = 3; });
  Tick(10);
  EXPECT_FALSE(e.TimeShiftReady());
  Tick(3);
  EXPECT_TRUE(e.TimeShiftReady() && ready == 1);
  for (const Progress& p : progress_) EXPECT_TRUE(p.timeShift && !p.stop);
  ASSERT_TRUE(test::WaitUntil([&] { return QFileInfo(main_.Prefs().CaptureFolder + "ts0.mpa").size() > 0; }));
  EXPECT_TRUE(e.StopTimeShift());
  EXPECT_TRUE(e.SaveRecordingBlock() == before && !e.TimeShift().Active);
  EXPECT_GT(QFileInfo(main_.Prefs().CaptureFolder + "ts0.mpv").size(), 0);
  // A time shift kept is a file of its own, named as a recording.
  EXPECT_TRUE(e.StartPreview());
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.SaveTimeShift = true; });
  ASSERT_TRUE(e.StartTimeShift());
  const QString kept = e.Recorder().CurrentFile;
  EXPECT_TRUE(kept.startsWith(main_.Prefs().CaptureFolder + "2") && kept.endsWith(".mpv"))
      << kept.toStdString();
  ASSERT_TRUE(test::WaitUntil([&] { return QFileInfo(kept).size() > 0; }));
  EXPECT_TRUE(e.StopTimeShift());
}

// A card lost while recording is said with the file; the recording and the preview end.
TEST_F(Recording, AWriterThatFailsOrALostCardEndsTheRecordingAndSaysSo) {
  auto& e = Live();
  QDir().mkpath(main_.Prefs().CaptureFolder);
  ASSERT_TRUE(QFile::link("/dev/full", main_.Prefs().CaptureFolder + "ts0.mpv"));
  ASSERT_TRUE(e.StartTimeShift());
  ASSERT_TRUE(test::WaitUntil([&] {
    Tick();
    return progress_.back().stop;
  }));
  EXPECT_FALSE(e.StopTimeShift());
  EXPECT_EQ(Warnings(), QStringList({"Cannot write file..."}));
  EXPECT_FALSE(e.Recording());
  ASSERT_TRUE(e.StartPreview() && e.StartRecording());
  QString lost;
  e.OnDeviceLost = [&](engine::TCaptureInfo&, const QString&, const QString& file) { lost = file; };
  EXPECT_FALSE(e.DeviceLost());
  card_->Unplug();
  ASSERT_TRUE(test::WaitUntil([&] { return !lost.isEmpty(); }));
  EXPECT_EQ(lost, e.Recorder().CurrentFile);
  EXPECT_TRUE(e.DeviceLost() && !e.Recording());
  EXPECT_EQ(Graph().State(), GraphState::Stopped);
}

// A start that cannot work says why once, records nothing and leaves a preview that starts again.
TEST_F(Recording, ARefusedStartSaysWhyAndLeavesThePreviewRestartable) {
  // What is missing or refused; record format, audio only, sound format, MPEG-4 codec; the warning.
  const std::tuple<QString, int, int, int, int, QString> rows[] = {
      {"OKA Mpeg1/2 Recorder Filter", 1, 0, 0, 2, "Cannot find MPEG1/2 capture filter interface.."},
      {"Divx", 2, 0, 0, 0, "Cannot find MPEG4 capture filter interface.."},
      {"AVI Mux", 3, 0, 0, 2, "Cannot write file..."},
      {"MPEG Layer-3", 1, 1, 1, 2, "Cannot find MP3 compressor, fail to capture..."},
      {"WAV Dest", 1, 1, 0, 2, "Cannot find wave dest filter.."},
      {"a folder", 1, 0, 0, 2, "Cannot write file..."},
      {"a copy-protected station", 1, 0, 0, 2, "Cannot record: the programme is copy-protected. Live TV goes on."},
      {"disk space", 1, 0, 0, 2,
       "Disk free space is too small to capture, please re-assign another file folder..."},
  };
  for (const auto& [missing, format, audioOnly, sound, codec, warning] : rows) {
    SCOPED_TRACE(missing.toStdString());
    test::Dialogs().Warnings.clear();
    TComponentRegistry components = test::Components();
    components.Unregister(missing);
    test::EditPrefs(main_, [&](settings::TMainPreferences& p) { p.MPEG4Codec = codec; });
    test::EditPrefs(main_, [&](settings::TMainPreferences& p) {
      p.CaptureFolder = missing == "a folder" ? "/proc/no/such/folder/" : test::Home() + "rec/";
    });
    if (missing == "disk space") test::System().Free = 499999;
    auto& e = Live(components);
    AskRecording(format, audioOnly, sound);
    // A copy-protected station is refused even unattended.
    const bool copyProtected = missing == "a copy-protected station";
    ASSERT_TRUE(!copyProtected || e.SetTVFrequency(193250000, false));
    e.SetUnattended(copyProtected);
    // The recorder's row is a time shift.
    EXPECT_FALSE(missing == "OKA Mpeg1/2 Recorder Filter" ? e.StartTimeShift() : e.StartRecording());
    EXPECT_EQ(Warnings(), QStringList({warning}));
    EXPECT_FALSE(e.Recording() || e.Recorder().Timer.Enabled() || e.TimeShift().Active);
    EXPECT_TRUE(!copyProtected || Graph().State() == GraphState::Running) << "live TV goes on";
    EXPECT_TRUE(e.StartPreview());
    engine_.reset();  // before the registry it was made from
  }
}

}  // namespace
