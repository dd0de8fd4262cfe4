// The capture-format profiles, the size and level texts, and the order in which OK applies the
// dialog's choices.

#include <gtest/gtest.h>

#include <QSize>
#include <QStringList>

#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "ui/settings/CaptureProfiles.h"
#include "ui/settings/ConfigApply.h"

namespace pvx::ui {
namespace {

using settings::TChannelInfo;

TEST(CaptureProfiles, EachFormatSetsItsControls) {
  // The choices' values; `free` tells which of size, bit rate, quality and rate the user may change.
  const struct { int format; const char* size; int sizes, bitRate, quality, rate; const char* free; } rows[] {
      {0, "320x240", 6, 1350, kQualityNormal, kRate30, "1111"},
      {1, "640x240", 8, 4000, kQualityFastest, kRate30, "1111"},
      {2, "352x240", 8, 2000, kQualityFastest, kRate30, "1001"},
      {5, "352x288", 1, 1150, kQualityNormal, kRate25, "0000"},
      {6, "720x480", 1, 3950, kQualityFastest, kRate2997, "0110"},
      {9, "480x576", 1, 2300, kQualityNormal, kRate25, "0000"},  // a PAL SVCD is 25 frames a second
      {42, "640x240", 8, 4000, kQualityFastest, kRate30, "1111"},  // unknown formats fall back to MPEG 2
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.format);
    const TCaptureProfile p = CaptureProfile(r.format, 0);
    EXPECT_EQ(std::tuple(p.Size, p.Sizes.size(), p.BitRate, p.Quality, p.FrameRate),
              std::tuple(QString(r.size), qsizetype(r.sizes), r.bitRate, r.quality, r.rate));
    EXPECT_EQ(QString("%1%2%3%4").arg(p.SizeEnabled).arg(p.BitRateEnabled).arg(p.QualityEnabled)
                  .arg(p.FrameRateEnabled), r.free);
    EXPECT_TRUE(p.Sizes.contains(p.Size));
  }
  EXPECT_EQ(CaptureProfile(3, 3).Sizes.value(4), "640x576") << "the Empia 2800 offers 640x576 instead";
  EXPECT_EQ(CaptureProfile(3, 1).Sizes.value(4), "640x240");
}

TEST(CaptureProfiles, SizeAndLevelTexts) {
  EXPECT_EQ(SizeText(352, 288), "352x288");
  EXPECT_EQ(SizeText(80, 60), " 80x 60");
  int w = 0, h = 0;
  EXPECT_TRUE(ParseSizeText(" 80x 60", &w, &h));
  EXPECT_EQ(QSize(w, h), QSize(80, 60));
  for (const char* bad : {"", "abcxdef", "352x"}) EXPECT_FALSE(ParseSizeText(bad, &w, &h)) << bad;
  EXPECT_EQ(QSize(w, h), QSize(80, 60)) << "a failed parse leaves the numbers";

  EXPECT_EQ(LevelText(32768, 65536), "50%");
  EXPECT_EQ(LevelText(99, 99), "100%");
  EXPECT_EQ(LevelText(5, 0), "0%");
  EXPECT_EQ(LevelFromPosition(99, 99), 65536);
  EXPECT_EQ(PositionFromLevel(32768, 99), 50);
  EXPECT_EQ(AudioFormatText("Major Type: Audio - Sub Type: PCM Format: 48000 Hz, 16 bit"),
            "48000 Hz, 16 bit");
  EXPECT_EQ(AudioFormatText("AAC 44100"), "AAC 44100");
}

// The settings and a log of every operation OK runs.
struct Scenario {
  Scenario() {
    channels.CurrentTable = TChannelInfo::kAntenna;
    channels.VideoSource = TChannelInfo::kTuner;
    main.CaptureFolder = "/old/";
    target.EnsureFolder = [](const QString& f) { return !f.startsWith("/cdrom"); };
    target.SetAspect = [this](int a) { Log("aspect", a); };
    target.SetRecordLevel = [this](int l) { Log("level", l); };
    target.SelectTVChannel = [this] { Log("select-tv"); };
    target.SelectFMChannel = [this] { Log("select-fm"); };
    target.ApplyInputStandard = [this](int s) { Log("input-standard", s); };
    target.ApplyCapture = [this](const settings::TCaptureSettings& next) {
      applied = next;
      return Log("apply"), applyResult;
    };
    target.SwitchSource = [this](int s) { Log("switch", s); };
    target.SetVendorStandard = [this](int c) { Log("vendor", c); };
    target.OverlayFullScreen = [this] { return overlay; };
    target.SetOverlayFullScreen = [this](bool on) { Log("overlay", on); };
    target.SetDeinterlace = [this](bool on) { Log("deinterlace", on); };
    choices.Capture = capture;
    choices.SizeText = "352x288";
    choices.FrameRateIndex = kRate25;
    choices.CaptureFolder = "/new/";
    choices.RecordLevel = 100;
  }
  void Log(const char* what, int value = -1) {
    log << (value < 0 ? QString(what) : QString("%1 %2").arg(what).arg(value));
  }

  settings::TMainInfo main;
  settings::TCaptureSettings capture;
  TChannelInfo channels;
  settings::TPreviewInfo preview{channels};
  TApplyTarget target{main, capture, channels, preview};
  TTVChoices choices;
  QStringList log;
  bool overlay = false;
  bool applyResult = true;
  settings::TCaptureSettings applied;
};

class ApplyOrder : public ::testing::Test, public Scenario {};

TEST_F(ApplyOrder, TVRunsItsStepsInOrder) {
  const struct { const char* name; std::function<void(Scenario&)> setup; QStringList expected; } rows[] = {
      {"nothing structural", [](Scenario&) {}, {"aspect 0", "select-tv", "level 100", "apply"}},
      {"other video device: the engine opens it, then the source is chosen again",
       [](Scenario& t) { t.choices.Capture.VideoDeviceIndex = 1; },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0"}},
      {"reopen fails: the source is still switched back",
       [](Scenario& t) { t.choices.Capture.AudioDeviceIndex = 2, t.applyResult = false; },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0"}},
      {"Empia with a tuner gets its standard code",
       [](Scenario& t) {
         t.main.ChipFamily = 3, t.channels.Standard = 1, t.choices.Capture.VideoDeviceIndex = 1;
       },
       {"aspect 0", "select-tv", "level 100", "apply", "switch 0", "vendor 2"}},
      {"camera source without a camera comes back as composite",
       [](Scenario& t) {
         t.channels.VideoSource = TChannelInfo::kCamera, t.choices.Capture.VideoDeviceIndex = 1;
       },
       {"aspect 0", "level 100", "apply", "switch 1"}},
      {"overlay change in overlay full screen rebuilds the preview",
       [](Scenario& t) { t.choices.NoOverlay = true, t.overlay = true, t.choices.Aspect = 2; },
       {"aspect 2", "select-tv", "level 100", "overlay 0", "apply", "deinterlace 0", "overlay 1"}},
      {"high quality preview: the engine rebuilds it itself",
       [](Scenario& t) { t.choices.HighQualityPreview = true; },
       {"aspect 0", "select-tv", "level 100", "apply"}},
      {"S-Video input takes its standard",
       [](Scenario& t) { t.channels.VideoSource = TChannelInfo::kSVideo; },
       {"aspect 0", "input-standard 2", "level 100", "apply"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Scenario fresh;
    row.setup(fresh);
    ApplyTV(fresh.choices, fresh.target);
    EXPECT_EQ(fresh.log, row.expected);
    EXPECT_EQ(fresh.applied, fresh.capture) << "the engine gets the settings stored";
  }
}

TEST_F(ApplyOrder, TVStoresTheChoices) {
  choices.Capture.RecordFormat = 5;
  choices.MemoryTable = true;
  choices.DimensionIndex = 2;
  ApplyTV(choices, target);
  EXPECT_EQ(main.CaptureFolder, "/new/");
  EXPECT_EQ(capture.RecordFormat, 5);
  EXPECT_EQ(QSize(capture.CaptureWidth, capture.CaptureHeight), QSize(352, 288));
  EXPECT_EQ(capture.FrameRateCode, kRate25 + 1);
  EXPECT_EQ(channels.CurrentTable, TChannelInfo::kMemory);
  EXPECT_EQ(preview.Dimension, 4);

  // Without the TV Tuner page the table is not touched.
  choices.TableShown = false;
  choices.MemoryTable = false;
  ApplyTV(choices, target);
  EXPECT_EQ(channels.CurrentTable, TChannelInfo::kMemory);
}

TEST_F(ApplyOrder, RefusedFolderAndAudioOnlyKeepTheOldValues) {
  settings::TCaptureSettings expected = capture;
  choices.CaptureFolder = "/cdrom/rec/";
  choices.Capture.RecordKind = 1;
  choices.Capture.RecordFormat = 5;
  choices.Capture.VideoBitRateKbps = 1150;
  choices.Capture.Quality = kQualityNormal;
  ApplyTV(choices, target);
  EXPECT_EQ(main.CaptureFolder, "/old/");
  expected.RecordKind = 1;
  expected.AudioInputIndex = 0;  // a negative index is stored as 0
  EXPECT_EQ(capture, expected) << "format, size, bit rate, quality and rate kept";
}

TEST_F(ApplyOrder, Empia720x480BecomesNarrowOutsideNTSC) {
  const struct { int chip; bool tuner; int standard, composite, svideo, width; } rows[] = {
      {3, true, 2, 0, 0, 640},  {3, true, 0, 2, 2, 720},  {3, true, 1, 0, 0, 720},
      {3, false, 0, 0, 4, 640}, {3, false, 2, 1, 0, 720}, {1, true, 2, 0, 0, 720}};
  for (const auto& r : rows) {
    Scenario t;
    t.main.ChipFamily = quint8(r.chip);
    t.target.HasTuner = r.tuner;
    t.channels.Standard = quint8(r.standard);
    t.channels.CompositeStandard = quint8(r.composite);
    t.channels.SVideoStandard = quint8(r.svideo);
    t.choices.SizeText = "720x480";
    ApplyTV(t.choices, t.target);
    EXPECT_EQ(QSize(t.capture.CaptureWidth, t.capture.CaptureHeight), QSize(r.width, 480))
        << "chip " << r.chip << " tuner " << r.tuner << " standard " << r.standard;
  }
}

TEST_F(ApplyOrder, FMStoresItsFieldsThenTunesAndSetsTheLevel) {
  main.WaveFolder = "/old-fm/";
  TFMChoices fm{"/cdrom/fm/", 2, -1, 1, 32768};
  ApplyFM(fm, target);
  EXPECT_EQ(main.WaveFolder, "/old-fm/");
  EXPECT_EQ(capture.AudioInputIndex, 2);
  EXPECT_EQ(capture.AudioMediaTypeIndex, 0);
  EXPECT_EQ(capture.AudioFormat, 1);
  EXPECT_EQ(log, QStringList({"apply", "select-fm", "level 32768"}));
  EXPECT_EQ(applied, capture);
  fm.WaveFolder = "/fm/";
  ApplyFM(fm, target);
  EXPECT_EQ(main.WaveFolder, "/fm/");
}

}  // namespace
}  // namespace pvx::ui
