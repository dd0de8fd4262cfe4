#include <QDir>
#include <QFileInfo>

#include "EngineFixture.h"
#include "engine/CaptureFileName.h"
#include "platform/Clock.h"
#include "platform/video/TVideoRenderer.h"
#include "support/FakeSystemServices.h"
#include "../platform/media/MediaTestSupport.h"

namespace {

struct Progress {
  bool stop, timeShift;
  qint64 freeLess500k, written, elapsed;
};

class Recording : public test::EngineFixture {
 protected:
  Recording() { main_.CaptureFolder = test::Home() + "rec/"; }
  ~Recording() override { engine_.reset(); }

  // The engine with its preview running, every progress report kept.
  engine::TCaptureInfo& Live(const TComponentRegistry* components = nullptr) {
    if (components) {
      card_ = dev::InstallVirtualCard({});
      engine::TEngineConfig config;
      WithProgram(config);
      engine_ = std::make_unique<engine::TCaptureInfo>(*components, config);
      EXPECT_TRUE(engine_->OpenDevices());
    } else {
      Open();
    }
    auto& e = *engine_;
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

TEST_F(Recording, FileGoesToTheWaveFolderWhileTheFMPanelShows) {
  auto& e = Open();
  main_.WaveFolder = test::Home() + "wave/";
  bool fm = true;
  e.WaveFolderActive = [&] { return fm; };
  EXPECT_EQ(e.MakeCaptureFileName(true, "capture", engine::kStreamMp3), main_.WaveFolder + "capture.mp3");
  fm = false;
  EXPECT_EQ(e.MakeCaptureFileName(true, "capture", engine::kStreamMp3), main_.CaptureFolder + "capture.mp3");
}

TEST_F(Recording, FreeSpaceAtStartAndEveryTick) {
  for (const qint64 free : {499999LL, 500000LL}) {
    test::Dialogs().Warnings.clear();
    progress_.clear();
    test::System().Free = free;
    auto& e = Live();
    const bool started = e.StartRecording();
    EXPECT_EQ(started, free == 500000);
    EXPECT_EQ(e.Recorder().Timer.Enabled(), started);
    EXPECT_EQ(Warnings().size(), started ? 0 : 1);
    if (!started) {
      EXPECT_TRUE(Warnings()[0].contains("Disk free space is too small")) << Warnings()[0].toStdString();
      continue;
    }
    Tick();
    ASSERT_EQ(progress_.size(), 1u);
    EXPECT_TRUE(progress_[0].stop);
    EXPECT_EQ(progress_[0].freeLess500k, 0);
    StopAndResumePreview();
  }
}

TEST_F(Recording, TimeLimitStopsAtItsSecondAndALoweredLimitStillStops) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimitOn = true;
    s.TimeLimit = 10;
  });
  ASSERT_TRUE(e.StartRecording());
  test::System().Free -= 4000;
  Tick(10);
  ASSERT_EQ(progress_.size(), 10u);
  for (size_t i = 0; i < 9; ++i) EXPECT_FALSE(progress_[i].stop) << i;
  EXPECT_TRUE(progress_[9].stop);
  EXPECT_EQ(progress_[9].elapsed, 10);
  EXPECT_EQ(progress_[9].written, 4000);
  EXPECT_FALSE(progress_[9].timeShift);
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimit = 5;  // changed while recording, past the seconds already recorded
  });
  Tick();
  EXPECT_TRUE(progress_.back().stop);
  StopAndResumePreview();
}

TEST_F(Recording, CopyProtectedStationIsRefusedEvenUnattended) {
  auto& e = Live();
  ASSERT_TRUE(e.SetTVFrequency(193250000, false));
  e.SetUnattended(true);
  EXPECT_FALSE(e.StartRecording());
  EXPECT_EQ(Warnings(), QStringList({"Cannot capture current video with macrovision protection..."}));
  EXPECT_FALSE(e.Recording() || e.Recorder().Timer.Enabled());
  EXPECT_TRUE(e.StartPreview());
}

TEST_F(Recording, AFileThatCannotBeMadeIsReportedAtTheStart) {
  main_.CaptureFolder = "/proc/no/such/folder/";
  auto& e = Live();
  EXPECT_FALSE(e.StartRecording());
  EXPECT_EQ(Warnings(), QStringList({"Cannot write file..."}));
  EXPECT_TRUE(e.StartPreview());
}

TEST_F(Recording, DvdPalIsRecordedAt25FramesAnd48kHzWhileThePreviewRuns) {
  main_.CaptureFolder = test::Home() + "not/made/yet/";
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.RecordFormat = 7;
    s.CaptureWidth = 720;
    s.CaptureHeight = 576;
    s.FrameRateCode = 5;
    s.UseDateTimeName = false;
    s.AudioInputIndex = 1;
  });
  ASSERT_TRUE(e.StartRecording());
  EXPECT_EQ(e.Recorder().CurrentFile, main_.CaptureFolder + "capture.mpg");
  EXPECT_EQ(card_->EnabledAudioInput(), 1) << "the stored sound line is the one recorded";
  ASSERT_TRUE(test::Played(Graph(), 2000));
  EXPECT_GT(e.RecordedBytes(), 0);
  auto* window = dynamic_cast<platform::video::TVideoRenderer*>(Graph().FindFilter("VideoWindow"));
  ASSERT_TRUE(window) << "the picture stays on while recording";
  const quint64 frames = window->FramesRendered();
  EXPECT_TRUE(test::WaitUntil([&] { return window->FramesRendered() > frames + 2; }));
  StopAndResumePreview();
  const test::TProbe probe = test::Probe(e.Recorder().CurrentFile);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.picture, test::PictureText("mpeg2video", 720, 576, 25));
  EXPECT_TRUE(probe.sound.contains(" 48000/")) << probe.sound.toStdString();
}

TEST_F(Recording, DisabledSoundRecordsThePictureAlone) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.RecordKind = 2;
    s.UseDateTimeName = false;
  });
  for (const int format : {1, 3}) {
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.RecordFormat = quint8(format); });
    ASSERT_TRUE(e.StartRecording()) << format;
    ASSERT_TRUE(test::Played(Graph(), 1000));
    StopAndResumePreview();
    const test::TProbe probe = test::Probe(e.Recorder().CurrentFile);
    EXPECT_TRUE(probe.ok && !probe.picture.isEmpty() && probe.sound.isEmpty()) << format;
  }
}

TEST_F(Recording, WisCardWithoutItsEncoderPinsFailsWith1020AndLeavesNoMultiplexer) {
  auto& e = Open({.Maker = "Wis", .Model = "GO7007"});
  EXPECT_FALSE(e.StartRecording());
  EXPECT_EQ(Warnings(), QStringList({"Cannot write file..."}));
  EXPECT_FALSE(Graph().FindFilter("MPEGMux") || e.Recording());
}

TEST_F(Recording, TimeShiftIsReadyAfterTheEleventhSecondAndIgnoresTheTimeLimit) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
    s.TimeLimitOn = true;
    s.TimeLimit = 10;
  });
  int ready = 0;
  e.OnTimeShiftReady = [&](engine::TCaptureInfo&, bool) { ++ready; };
  const engine::TRecordingSettingsBlock before = e.SaveRecordingBlock();
  ASSERT_TRUE(e.StartTimeShift());
  EXPECT_EQ(e.Recorder().CurrentFile, main_.CaptureFolder + "ts0.mpv");
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.RecordFormat = 3; });
  Tick(10);
  EXPECT_FALSE(e.TimeShiftReady());
  Tick(3);
  EXPECT_TRUE(e.TimeShiftReady());
  EXPECT_EQ(ready, 1);
  for (const Progress& p : progress_) EXPECT_TRUE(p.timeShift && !p.stop);
  ASSERT_TRUE(test::WaitUntil([&] { return QFileInfo(main_.CaptureFolder + "ts0.mpa").size() > 0; }));
  EXPECT_TRUE(e.StopTimeShift());
  EXPECT_EQ(e.SaveRecordingBlock(), before);
  EXPECT_FALSE(e.TimeShift().Active);
  EXPECT_GT(QFileInfo(main_.CaptureFolder + "ts0.mpv").size(), 0);
}

TEST_F(Recording, AWriterThatFailsStopsTheRecordingAndTheStopSaysSo) {
  auto& e = Live();
  QDir().mkpath(main_.CaptureFolder);
  ASSERT_TRUE(QFile::link("/dev/full", main_.CaptureFolder + "ts0.mpv"));
  ASSERT_TRUE(e.StartTimeShift());
  ASSERT_TRUE(test::WaitUntil([&] {
    Tick();
    return progress_.back().stop;
  }));
  EXPECT_FALSE(e.StopTimeShift());
  EXPECT_EQ(Warnings(), QStringList({"Cannot write file..."}));
  EXPECT_FALSE(e.Recording());
}

TEST_F(Recording, SavedTimeShiftsAreTwoFiles) {
  auto& e = Live();
  test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.SaveTimeShift = true; });
  QStringList files;
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(e.StartTimeShift());
    files << e.Recorder().CurrentFile;
    ASSERT_TRUE(test::WaitUntil([&] { return QFileInfo(files.last()).size() > 0; }));
    EXPECT_TRUE(e.StopTimeShift());
    EXPECT_TRUE(e.StartPreview());
  }
  EXPECT_NE(files[0], files[1]);
  EXPECT_TRUE(files[1].endsWith(".mpv") && QFileInfo::exists(files[0]));
}

TEST_F(Recording, AMissingComponentFailsWithItsCodeAndLeavesThePreviewRestartable) {
  // Component; record format, audio only, sound format, MPEG-4 codec; the warning.
  const std::tuple<QString, int, int, int, int, QString> rows[] = {
      {"OKA Mpeg1/2 Recorder Filter", 1, 0, 0, 2, "Cannot find MPEG1/2 capture filter interface.."},
      {"Divx", 2, 0, 0, 0, "Cannot find MPEG4 capture filter interface.."},
      {"AVI Mux", 3, 0, 0, 2, "Cannot write file..."},
      {"MPEG Layer-3", 1, 1, 1, 2, "Cannot find MP3 compressor, fail to capture..."},
      {"WAV Dest", 1, 1, 0, 2, "Cannot find wave dest filter.."},
  };
  for (const auto& [component, format, audioOnly, sound, codec, warning] : rows) {
    SCOPED_TRACE(component.toStdString());
    test::Dialogs().Warnings.clear();
    TComponentRegistry components = test::Components();
    components.Unregister(component);
    main_.MPEG4Codec = codec;
    auto& e = Live(&components);
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) {
      s.RecordFormat = quint8(format);
      s.RecordKind = quint8(audioOnly);
      s.AudioFormat = quint8(sound);
    });
    EXPECT_FALSE(component == "OKA Mpeg1/2 Recorder Filter" ? e.StartTimeShift() : e.StartRecording());
    EXPECT_EQ(Warnings(), QStringList({warning}));
    EXPECT_FALSE(e.Recording() || e.Recorder().Timer.Enabled() || e.TimeShift().Active);
    EXPECT_TRUE(e.StartPreview());
    engine_.reset();
  }
}

}  // namespace
