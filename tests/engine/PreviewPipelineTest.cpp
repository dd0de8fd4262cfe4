#include "EngineFixture.h"
#include "engine/PreviewPipeline.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/TVideoRenderer.h"
#include "support/ModelEdits.h"

namespace {

// Takes a registered component away for one test.
class Unregistered {
 public:
  explicit Unregistered(const QString& name) : name_(name) {
    for (const auto& m : test::Components().Enumerate(DeviceCategory::LegacyFilter))
      if (m.FriendlyName == name) factory_ = m.Bind;
    test::Components().Unregister(name);
  }
  ~Unregistered() { test::Components().Register(DeviceCategory::LegacyFilter, name_, factory_); }

 private:
  QString name_;
  FilterFactory factory_;
};

}  // namespace

class PreviewPipeline : public test::EngineFixture {
 protected:
  platform::video::TVideoRenderer* Renderer() {
    return dynamic_cast<platform::video::TVideoRenderer*>(Graph().FindFilter("VideoWindow"));
  }
};

TEST_F(PreviewPipeline, MissingPartsAndTheirErrors) {
  // The missing component, deinterlacing, colour controls, audio lines (one: the sound is played
  // through the video capture's Smart Tee); whether the preview starts and its warnings.
  const std::tuple<QString, bool, bool, int, bool, QStringList> rows[] = {
      {"Smart Tee", false, true, 2, true, {}},  // the device's own preview pin is rendered instead
      {"OKA Deinterlacer", true, true, 2, true, {"Cannot find de-interlace filter"}},  // no grabber either
      {"Video Renderer", false, true, 2, false, {"Cannot preview, maybe some program use same interface or something wrong..."}},
      {"", false, false, 2, false, {}},  // a capture device without colour controls
      {"", false, true, 1, true, {}},
  };
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  for (const auto& [component, deinterlace, procAmp, audioInputs, starts, warnings] : rows) {
    SCOPED_TRACE(component.toStdString() + std::to_string(audioInputs));
    test::Dialogs().Warnings.clear();
    std::unique_ptr<Unregistered> gone;
    if (!component.isEmpty()) gone = std::make_unique<Unregistered>(component);
    auto& e = Open({.AudioInputs = audioInputs, .HasPreviewPin = component == "Smart Tee", .HasProcAmp = procAmp});
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.Deinterlace = deinterlace; });
    EXPECT_EQ(e.StartPreview(), starts);
    EXPECT_EQ(Warnings(), warnings);
    EXPECT_EQ(Graph().State(), starts ? GraphState::Running : GraphState::Stopped);
    EXPECT_EQ(CaptureSize().width(), deinterlace ? 640 : 320);
    EXPECT_EQ(e.Preview().SmartTee() != nullptr, component != "Smart Tee");
    EXPECT_EQ(e.Preview().Snapshot() != nullptr, component != "OKA Deinterlacer");
    EXPECT_TRUE(!starts || test::WaitUntil([&] { return Renderer()->FramesRendered() >= 2; }));
    const bool viaCapture = audioInputs == 1;
    EXPECT_EQ(e.Preview().AudioThroughCapture(), viaCapture);
    EXPECT_EQ(e.Preview().SmartTeeAudio() && e.Preview().AudioTeePin() && Graph().FindFilter("Audio Renderer"), viaCapture);
    // The crossbar sound fix routed the sound output to the tuner's sound.
    EXPECT_TRUE(!viaCapture || card_->Crossbar(0).Routes[1] == 3);
    e.StopPreview();
  }
  qunsetenv("OKA_PVX_AUDIO_SINK");
}

TEST_F(PreviewPipeline, CaptureSizesByStandardDeinterlaceAndFamily) {
  const std::tuple<const char*, int, bool, QSize, QSize> rows[] = {  // model, standard, deinterlace, refused, size
      {"7134", 0x1, false, {}, {320, 240}},   {"7134", 0x1, true, {}, {640, 480}},
      {"7134", 0x10, false, {}, {352, 288}},  {"7134", 0x10, true, {}, {640, 480}},
      {"2800", 0x10, true, {}, {640, 576}},   {"2800", 0x10, true, {640, 576}, {720, 576}},
      {"2800", 0x1, false, {}, {320, 240}},
  };
  for (const auto& [model, standard, deinterlace, refused, size] : rows) {
    auto& e = Open({.Maker = QString(model) == "2800" ? "Empia" : "Philips", .Model = model, .RefusedSizes = {refused}});
    ASSERT_TRUE(e.SetVideoStandard(standard));
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.Deinterlace = deinterlace; });
    ASSERT_TRUE(e.BuildPreviewGraph());
    EXPECT_EQ(CaptureSize(), size) << model << " " << standard;
    // The Empia 2800 is told its input (composite until one is chosen) after each size.
    EXPECT_EQ(card_->VendorSource, e.Chip().Family == 3 ? 1 : -1);
  }
}

TEST_F(PreviewPipeline, PixelFormatChoiceAndFallback) {
  auto& e = Open();
  const std::tuple<bool, int, int, int> rows[] = {  // formats listed, choice; the choice kept, the mode
      {false, 0, 1, 0}, {false, 2, 1, 0},  // nothing listed yet: neither UYVY nor RGB24 is offered
      {true, 0, 0, 1}, {true, 1, 1, 0}, {true, 2, 2, 3}, {true, 7, 7, 0}};
  for (const auto& [listed, choice, kept, mode] : rows) {
    ASSERT_TRUE(!listed || e.Formats().UYVYIndex() >= 0 || e.BuildPreviewGraph());
    e.SetPixelFormatChoice(choice);
    EXPECT_EQ(e.Settings().PixelFormatChoice, kept) << choice;
    EXPECT_EQ(e.Formats().PixelFormatMode(), mode) << choice;
  }
  // The choice is the capture format from the next build on.
  for (const auto& [choice, subtype] : {std::pair{2, "RGB24"}, {0, "UYVY"}, {1, "YUY2"}}) {
    e.SetPixelFormatChoice(choice);
    ASSERT_TRUE(e.SetDeinterlace(!e.Settings().Deinterlace));
    EXPECT_EQ(CaptureFormat().Subtype, subtype);
  }
}

// A change rebuilds the preview only for a new deinterlacing or capture size, and opens the devices
// again only for other devices (once devices were open at all); recording choices wait.
TEST_F(PreviewPipeline, ChangesRebuildOrReopenOnlyAsTheyNeed) {
  engine::TCaptureInfo unopened(test::Components());
  settings::TCaptureSettings loaded = unopened.Settings();
  loaded.AudioDeviceIndex = 0, loaded.Deinterlace = true;
  EXPECT_TRUE(unopened.Apply(loaded));
  EXPECT_EQ(unopened.Settings(), loaded) << "stored for the devices still to open";

  auto& e = Open({.Maker = "Empia", .Model = "2820"});  // the size follows the standard
  int windows = 0, openings = 0;
  e.OnVideoWindowCreated = [&](engine::TCaptureInfo&, platform::video::IVideoWindow*, int) { ++windows; };
  e.OnChipDetected = [&](engine::TCaptureInfo&, const engine::TChipInfo&) { ++openings; };
  ASSERT_TRUE(e.StartPreview());
  const auto apply = [&](const std::function<void(settings::TCaptureSettings&)>& change) {
    settings::TCaptureSettings next = e.Settings();
    change(next);
    return e.Apply(next) && e.Settings().RecordFormat == next.RecordFormat &&
           e.Settings().Deinterlace == next.Deinterlace;
  };
  // The change; the windows made and the devices opened so far, the capture size.
  const std::tuple<const char*, std::function<bool()>, int, int, QSize> steps[] = {
      {"nothing changed: taken live", [&] { return e.SetDeinterlace(false); }, 1, 0, {320, 240}},
      {"still 480 lines: the same size", [&] { return e.SetVideoStandard(0x1); }, 1, 0, {320, 240}},
      {"another size", [&] { return e.SetVideoStandard(0x10); }, 2, 0, {352, 288}},
      {"recording choices", [&] { return apply([](auto& s) { s.RecordFormat = 7, s.FilePrefix = "x"; }); },
       2, 0, {352, 288}},
      {"deinterlacing", [&] { return e.SetDeinterlace(true); }, 3, 0, {640, 480}},
      {"deinterlacing applied", [&] { return apply([](auto& s) { s.Deinterlace = false; }); },
       4, 0, {352, 288}},
      {"another sound device (0 and -1 swap)",
       [&] { return apply([](auto& s) { s.AudioDeviceIndex = -1 - s.AudioDeviceIndex; }); },
       5, 1, {352, 288}},
      {"a mode change", [&] { return e.ResumeAfterModeChange(); }, 6, 1, {352, 288}},
  };
  for (const auto& [name, step, made, opened, size] : steps) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(step());
    EXPECT_EQ(QList<int>({windows, openings}), QList<int>({made, opened}));
    EXPECT_EQ(CaptureSize(), size);
    EXPECT_EQ(Graph().State(), GraphState::Running);
    EXPECT_NE(e.Preview().Snapshot(), nullptr) << "snapshots still work";
  }
  EXPECT_TRUE(test::WaitUntil([&] { return Renderer()->FrameSize() == CaptureSize(); }));
  e.SetRadioMode(true);
  EXPECT_TRUE(e.RestartPreview()) << "the radio has no picture to rebuild";
  EXPECT_EQ(windows, 6);
  e.StopPreview();
}

TEST_F(PreviewPipeline, EveryGraphChangeIsRefusedWhileRecording) {
  auto& e = Open();
  ASSERT_TRUE(e.StartPreview());
  test::EditPrefs(main_, [&](settings::TMainPreferences& p) { p.CaptureFolder = test::Home(); });
  ASSERT_TRUE(e.StartRecording());
  EXPECT_FALSE(e.BuildPreviewGraph() || e.BuildWisPreviewGraph() || e.StartPreview());
  EXPECT_FALSE(e.RestartPreview() || e.SetDeinterlace(true) || e.Settings().Deinterlace || e.SelectInput(2));
  EXPECT_FALSE(e.SetTVFrequency(55250000, false) || e.SetFMFrequency(100000000) || e.FMUp() || e.FMDown());
  EXPECT_TRUE(e.Routing().InputKind() == 2 && e.Tuner().TVFrequency() != 55250000u);
  EXPECT_EQ(Graph().State(), GraphState::Running) << "nothing was torn down";
  EXPECT_TRUE(e.StopRecording());
  EXPECT_TRUE(e.SelectInput(3));
  e.StopPreview();
}
