#include "EngineFixture.h"
#include "engine/CrossBar.h"
#include "engine/VideoSignalAdjust.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

using Routing = test::EngineFixture;

TEST_F(Routing, SelectInputRoutesByConnectorType) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  ASSERT_TRUE(e.SelectInput(2));
  EXPECT_EQ(e.Routing().InputKind(), 2);
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Composite);
  EXPECT_EQ(card_->Crossbar(0).Routes[1], 4) << "the composite input's sound came along";
  ASSERT_TRUE(e.SelectInput(9));
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Camera);
  ASSERT_TRUE(e.SelectInput(1));
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Snow);  // the tuner, nothing tuned yet
}

TEST_F(Routing, TheCameraInputIsFoundByItsAuxRouteAndAMissingConnectorIs1102) {
  for (bool camera : {true, false}) {
    test::Dialogs().Warnings.clear();
    auto card = Card("Philips", "7134");
    card.HasCamera = camera;
    auto& e = Open(card);
    EXPECT_FALSE(e.HasAuxInput() || e.SelectInput(3)) << "no routes before a build";
    ASSERT_TRUE(e.BuildPreviewGraph());
    EXPECT_EQ(e.HasAuxInput(), camera);
    EXPECT_EQ(e.Routing().RouteNames().contains("Video AUX"), camera);
    ASSERT_TRUE(e.SelectInput(3));
    EXPECT_EQ(e.SelectInput(9), camera);
    EXPECT_EQ(e.Routing().InputKind(), camera ? 9 : 3) << "a missing connector keeps the input";
    EXPECT_EQ(Warnings(), QStringList(2 - camera, "Cannot set video connector..."));
  }
}

TEST_F(Routing, CascadedCrossbarsAreBothRouted) {
  auto card = Card("Philips", "7134");
  card.Crossbars = 2;
  auto& e = Open(card);
  ASSERT_TRUE(e.BuildPreviewGraph());
  ASSERT_TRUE(e.Routing().Crossbar());
  ASSERT_EQ(e.Routing().RouteCount(), 4);
  EXPECT_EQ(e.Routing().Crossbar()->Routes()[1].size(), 2u);  // composite: upper, then lower crossbar
  card_->Route(0, 0, 1);                          // lower crossbar away from the upper one
  ASSERT_TRUE(e.SelectInput(2));
  EXPECT_EQ(card_->Crossbar(0).Routes[0], 0);
  EXPECT_EQ(card_->Crossbar(1).Routes[0], 1);
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Composite);
}

TEST_F(Routing, EmpiaIsToldTheInput) {
  auto& e = Open(Card("Empia", "2800"));
  ASSERT_TRUE(e.BuildPreviewGraph());
  ASSERT_TRUE(e.SelectInput(3));
  EXPECT_EQ(card_->VendorSource, 2);
}

TEST_F(Routing, AudioInputLine) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  EXPECT_TRUE(e.SelectAudioInputLine(1));
  EXPECT_EQ(card_->EnabledAudioInput(), 1);
  EXPECT_EQ(e.AudioInputIndex, 1);
  EXPECT_FALSE(e.SelectAudioInputLine(2));
  EXPECT_EQ(e.AudioInputIndex, 1);
}

TEST(CrossbarNames, PinTypeNames) {
  EXPECT_EQ(engine::TCrossbar::StringFromPinType(1), "Video Tuner");
  EXPECT_EQ(engine::TCrossbar::StringFromPinType(0x1009), "Audio Decoder");
  EXPECT_EQ(engine::TCrossbar::StringFromPinType(77), "Unknown");
}

using Colour = test::EngineFixture;

TEST(ColourLevels, MappingBothWays) {
  const engine::TProcAmpRange brightness{0, 255, 1, 128, 1};
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(50, brightness), 128);
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(0, brightness), 0);
  // 100 % would land one past the maximum, which the device refuses: it is kept in range.
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(100, brightness), 255);
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(-1, brightness), 128);
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(101, brightness), 128);
  const engine::TProcAmpRange hue{-128, 127, 1, 0, 1};
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(33, hue), -44);  // 256 x 33 = 8448: 84, rest 48
  EXPECT_EQ(engine::TVideoSignalAdjust::LevelToValue(35, hue), -38);  // 8960: 89, rest 60 rounds up
  EXPECT_EQ(engine::TVideoSignalAdjust::ValueToLevel(0, 128, brightness), 50);
  EXPECT_EQ(engine::TVideoSignalAdjust::ValueToLevel(2, 0, hue), 50);
}

TEST_F(Colour, LevelsApplyToTheDeviceAndStoreBack) {
  auto& e = Open();
  main_.ColorLevels = {50, -1, 0, 100, 25};
  ASSERT_TRUE(e.BuildPreviewGraph());
  EXPECT_EQ(card_->ProcAmp(0), 128);
  EXPECT_EQ(card_->ProcAmp(1), 64);   // the device default
  EXPECT_EQ(card_->ProcAmp(2), -128);
  EXPECT_EQ(card_->ProcAmp(3), 127);  // 100 % is the maximum
  EXPECT_EQ(card_->ProcAmp(4), 4);
  ASSERT_TRUE(e.SignalAdjust().SetSaturation(64));
  e.SignalAdjust().StoreLevels();
  EXPECT_EQ(main_.ColorLevels[3], 50);
  EXPECT_EQ(e.SignalAdjust().GetBrightness(), 128);
}

TEST_F(Colour, SnapshotsAndStillsComeFromTheLivePicture) {
  auto& e = Open();
  struct Sink : engine::ISnapshotSink {
    std::vector<QImage> images;
    void InsertSnapshot(const QImage& image) override { images.insert(images.begin(), image); }
  } sink;
  e.Snapshots = &sink;
  EXPECT_FALSE(e.GrabSnapshot()) << "no graph yet";
  ASSERT_TRUE(e.StartPreview());
  ASSERT_TRUE(e.SetTVFrequency(48250000, false));  // a red station
  ASSERT_TRUE(test::WaitUntil([&] { return e.GrabSnapshot(); }));
  ASSERT_TRUE(test::WaitUntil([&] {
    e.GrabSnapshot();
    const QImage& i = sink.images.front();
    return qRed(i.pixel(i.width() / 2, i.height() / 2)) > 200;
  }));
  const QImage& shot = sink.images.front();
  EXPECT_EQ(shot.size(), QSize(320, 240));
  EXPECT_EQ(shot.depth(), 24);
  EXPECT_LT(qBlue(shot.pixel(shot.width() / 2, shot.height() / 2)), 60);

  ASSERT_TRUE(e.GrabStill());
  EXPECT_EQ(e.Stills().StillImage().size(), QSize(320, 240));
  e.SetStillShown(true);
  EXPECT_TRUE(e.StillShown());
  EXPECT_TRUE(e.Preview().VideoWindow()->HasStill());
  e.SetStillShown(false);
  EXPECT_FALSE(e.Preview().VideoWindow()->HasStill());
  e.SetStillShown(false);  // hiding when nothing is shown changes nothing
  EXPECT_FALSE(e.StillShown());
  e.StopPreview();
}
