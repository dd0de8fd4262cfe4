#include "engine/PreviewGraph.h"

#include "EngineFixture.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/TVideoRenderer.h"
#include "platform/video/TVideoWindow.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

namespace {

// Takes a registered component away for one test.
class Unregistered {
 public:
  Unregistered(const QString& name, FilterFactory factory) : name_(name), factory_(std::move(factory)) {
    test::Components().Unregister(name);
  }
  ~Unregistered() { test::Components().Register(DeviceCategory::LegacyFilter, name_, factory_); }

 private:
  QString name_;
  FilterFactory factory_;
};

FilterFactory FactoryOf(const QString& name) {
  for (const auto& m : test::Components().Enumerate(DeviceCategory::LegacyFilter))
    if (m.FriendlyName == name) return m.Bind;
  return {};
}

TMediaType CurrentFormat(engine::TCaptureInfo& e) {
  TMediaType type;
  e.VCapture->As<IStreamConfig>()->GetFormat(type);
  return type;
}

}  // namespace

using PreviewGraph = test::EngineFixture;

TEST_F(PreviewGraph, StartsALivePictureInTheVideoWindow) {
  auto& e = Open();
  platform::video::TVideoWindow* created = nullptr;
  e.OnVideoWindowCreated = [&](engine::TCaptureInfo&, platform::video::TVideoWindow* w, int) { created = w; };
  ASSERT_TRUE(e.StartPreview());
  ASSERT_TRUE(created);
  EXPECT_EQ(created, e.VideoWindow);
  EXPECT_EQ(created->objectName(), "VideoWindow");
  EXPECT_EQ(created->parentWidget(), &owner_);
  auto* renderer = dynamic_cast<platform::video::TVideoRenderer*>(e.Graph->FindFilter("VideoWindow"));
  ASSERT_TRUE(renderer);
  ASSERT_TRUE(WaitUntil([&] { return renderer->FramesRendered() >= 3; }));
  EXPECT_EQ(renderer->FrameSize(), QSize(320, 240));  // NTSC, no deinterlacing
  EXPECT_TRUE(e.HasPreviewPin);  // through the Smart Tee
  EXPECT_TRUE(e.SmartTee && e.Snapshot);
  EXPECT_EQ(e.UYVYIndex, 1);
  EXPECT_EQ(e.YUY2Index, 0);
  EXPECT_EQ(e.RGB24Index, 2);
  EXPECT_EQ(e.RGB32Index, 2);
  EXPECT_EQ(e.VideoMediaTypeNames.size(), 3);
  EXPECT_EQ(e.AudioInputNames, QStringList({"Line In", "Microphone"}));
  EXPECT_EQ(e.AudioInputIndex, 0);
  EXPECT_FALSE(e.AudioThroughCapture);
  EXPECT_EQ(e.RouteCount, 4);
  EXPECT_EQ(e.RouteNames, QStringList({"Video Tuner", "Video Composite", "Video SVideo", "Video AUX"}));
  EXPECT_EQ(e.TVMin, 45250000);
  EXPECT_EQ(e.TVMax, 889250000);
  EXPECT_TRUE(Warnings().isEmpty()) << Warnings().join('|').toStdString();
  e.StopPreview();
}

TEST_F(PreviewGraph, WithoutSmartTeeThePreviewStillRuns) {
  Unregistered noTee("Smart Tee", FactoryOf("Smart Tee"));
  dev::TVirtualCardConfig config;
  config.HasPreviewPin = true;  // the device's own preview pin is rendered instead
  auto& e = Open(config);
  ASSERT_TRUE(e.StartPreview());
  EXPECT_FALSE(e.SmartTee);
  EXPECT_EQ(e.Graph->State(), GraphState::Running);
  auto* renderer = dynamic_cast<platform::video::TVideoRenderer*>(e.Graph->FindFilter("VideoWindow"));
  ASSERT_TRUE(renderer);
  EXPECT_TRUE(WaitUntil([&] { return renderer->FramesRendered() >= 2; }));
  EXPECT_TRUE(e.Snapshot) << "the grabber is added, unconnected";
  e.StopPreview();
}

TEST_F(PreviewGraph, MissingDeinterlacerIs1016AndThePictureGoesOn) {
  Unregistered noDeinterlacer("OKA Deinterlacer", FactoryOf("OKA Deinterlacer"));
  auto& e = Open();
  e.Deinterlace = true;
  ASSERT_TRUE(e.StartPreview());
  EXPECT_EQ(Warnings(), QStringList({"Cannot find de-interlace filter"}));
  EXPECT_EQ(e.Graph->State(), GraphState::Running);
  EXPECT_EQ(CurrentFormat(e).Width, 640);
  e.StopPreview();
}

TEST_F(PreviewGraph, CaptureDeviceWithoutColourControlsFailsTheBuild) {
  dev::TVirtualCardConfig config;
  config.HasProcAmp = false;
  auto& e = Open(config);
  EXPECT_FALSE(e.StartPreview());
  EXPECT_EQ(e.Graph->State(), GraphState::Stopped);
}

TEST_F(PreviewGraph, CaptureSizesByStandardDeinterlaceAndFamily) {
  struct Row {
    const char* model;
    int standard;
    bool deinterlace;
    QSize size;
  };
  const Row rows[] = {
      {"7134", 0x1, false, {320, 240}}, {"7134", 0x1, true, {640, 480}},
      {"7134", 0x10, false, {352, 288}}, {"7134", 0x10, true, {640, 480}},
      {"2800", 0x10, true, {640, 576}},
  };
  for (const Row& row : rows) {
    dev::TVirtualCardConfig config;
    config.Maker = QString(row.model) == "2800" ? "Empia" : "Philips";
    config.Model = row.model;
    auto& e = Open(config);
    e.VideoStandard = row.standard;
    e.Deinterlace = row.deinterlace;
    ASSERT_TRUE(e.BuildPreviewGraph());
    const TMediaType type = CurrentFormat(e);
    EXPECT_EQ(QSize(type.Width, type.Height), row.size) << row.model << " " << row.standard;
  }
}

TEST_F(PreviewGraph, EmpiaRefusing640x576FallsBackTo720x576) {
  dev::TVirtualCardConfig config;
  config.Maker = "Empia";
  config.Model = "2800";
  config.RefusedSizes = {QSize(640, 576)};
  auto& e = Open(config);
  e.VideoStandard = 0x10;  // PAL B
  e.Deinterlace = true;
  ASSERT_TRUE(e.BuildPreviewGraph());
  const TMediaType type = CurrentFormat(e);
  EXPECT_EQ(QSize(type.Width, type.Height), QSize(720, 576));
  // The input (composite until one is chosen) is told again after a size change.
  EXPECT_EQ(card_->VendorSource, 1);
}

TEST_F(PreviewGraph, PixelFormatChoiceAndFallback) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  e.SetPixelFormatChoice(0);
  EXPECT_EQ(e.PixelFormatChoice, 0);
  EXPECT_EQ(e.PixelFormatMode, 1);  // UYVY
  e.SetPixelFormatChoice(2);
  EXPECT_EQ(e.PixelFormatMode, 3);  // RGB24
  e.UYVYIndex = -1;
  e.SetPixelFormatChoice(0);
  EXPECT_EQ(e.PixelFormatChoice, 1);  // no UYVY: falls back to YUY2
  EXPECT_EQ(e.PixelFormatMode, 0);
  EXPECT_EQ(engine::PixelFormatModeOf(7), 0);
}

TEST_F(PreviewGraph, SingleInputAudioDevicePlaysSoundThroughTheCapture) {
  dev::TVirtualCardConfig config;
  config.AudioInputs = 1;
  auto& e = Open(config);
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  ASSERT_TRUE(e.StartPreview());
  qunsetenv("OKA_PVX_AUDIO_SINK");
  EXPECT_TRUE(e.AudioThroughCapture);
  ASSERT_TRUE(e.SmartTeeAudio);
  EXPECT_TRUE(e.AudioTeePin);
  EXPECT_TRUE(e.Graph->FindFilter("Audio Renderer"));
  // The crossbar sound fix routed the sound output to the tuner's sound.
  EXPECT_EQ(card_->Crossbar(0).Routes[1], 3);
  e.StopPreview();
}

TEST_F(PreviewGraph, RestartAndDeinterlaceRebuildThePicture) {
  auto& e = Open();
  ASSERT_TRUE(e.StartPreview());
  ASSERT_TRUE(e.SetDeinterlace(true));
  EXPECT_EQ(CurrentFormat(e).Width, 640);
  auto* renderer = dynamic_cast<platform::video::TVideoRenderer*>(e.Graph->FindFilter("VideoWindow"));
  ASSERT_TRUE(renderer);
  EXPECT_TRUE(WaitUntil([&] { return renderer->FrameSize() == QSize(640, 480); }));
  ASSERT_TRUE(e.ResumeAfterModeChange());
  EXPECT_EQ(e.Graph->State(), GraphState::Running);
  e.StopPreview();
}

TEST_F(PreviewGraph, EveryPreviewOperationIsRefusedWhileRecording) {
  auto& e = Open();
  ASSERT_TRUE(e.StartPreview());
  e.Recording = true;
  const int deinterlaceBefore = e.Deinterlace;
  EXPECT_FALSE(e.BuildPreviewGraph());
  EXPECT_FALSE(e.RestartPreview());
  EXPECT_FALSE(e.SetDeinterlace(!e.Deinterlace));
  EXPECT_EQ(int(e.Deinterlace), deinterlaceBefore);
  EXPECT_FALSE(e.SelectInput(2));
  EXPECT_FALSE(e.SetTVFrequency(55250000, false));
  EXPECT_FALSE(e.SetFMFrequency(100000000));
  EXPECT_EQ(e.Graph->State(), GraphState::Running) << "nothing was torn down";
  e.Recording = false;
  e.StopPreview();
}
