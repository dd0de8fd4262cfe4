#include "EngineFixture.h"
#include "engine/CrossBar.h"
#include "engine/VideoSignalAdjust.h"
#include "support/ModelEdits.h"

using Routing = test::EngineFixture;

// Cascaded crossbars are both routed; the Empia 2800 is told the input.
TEST_F(Routing, SelectInputRoutesByConnectorTypeAndTheAudioLine) {
  auto& e = Built();
  ASSERT_TRUE(e.SelectInput(2));
  EXPECT_EQ(e.Routing().InputKind(), 2);
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Composite);
  EXPECT_EQ(card_->Crossbar(0).Routes[1], 4) << "the composite input's sound came along";
  ASSERT_TRUE(e.SelectInput(1));
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Snow);  // the tuner, nothing tuned yet
  EXPECT_TRUE(e.SelectAudioInputLine(1) && card_->EnabledAudioInput() == 1);
  EXPECT_FALSE(e.SelectAudioInputLine(2) || e.Settings().AudioInputIndex != 1);
  QStringList names;
  for (int type : {1, 0x1009, 77}) names << engine::TCrossbar::StringFromPinType(type);
  EXPECT_EQ(names, QStringList({"Video Tuner", "Audio Decoder", "Unknown"}));

  auto& cascaded = Built({.Crossbars = 2});
  ASSERT_TRUE(cascaded.Routing().Crossbar());
  ASSERT_EQ(cascaded.Routing().RouteCount(), 4);
  EXPECT_EQ(cascaded.Routing().Crossbar()->Routes()[1].size(), 2u);  // composite: upper, then lower
  card_->Route(0, 0, 1);  // the lower crossbar away from the upper one
  ASSERT_TRUE(cascaded.SelectInput(2));
  EXPECT_EQ(QList<int>({card_->Crossbar(0).Routes[0], card_->Crossbar(1).Routes[0]}), QList<int>({0, 1}));
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Composite);

  ASSERT_TRUE(Built({.Maker = "Empia", .Model = "2800"}).SelectInput(3));
  EXPECT_EQ(card_->VendorSource, 2);
}

TEST_F(Routing, TheCameraInputIsFoundByItsAuxRouteAndAMissingConnectorIs1102) {
  for (bool camera : {true, false}) {
    test::Dialogs().Warnings.clear();
    auto& e = Open({.HasCamera = camera});
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

using Colour = test::EngineFixture;

TEST_F(Colour, LevelsMapBothWaysApplyToTheDeviceAndStoreBack) {
  using A = engine::TVideoSignalAdjust;
  const engine::TProcAmpRange brightness{0, 255, 1, 128, 1}, hue{-128, 127, 1, 0, 1};
  // 100 % would land one past the maximum, which the device refuses: it is kept in range.
  // Hue 33 %: 256 x 33 = 8448, 84 rest 48; 35 %: 8960, 89 rest 60 rounds up.
  const std::tuple<int, engine::TProcAmpRange, int> rows[] = {{50, brightness, 128}, {0, brightness, 0},
      {100, brightness, 255}, {-1, brightness, 128}, {101, brightness, 128}, {33, hue, -44}, {35, hue, -38}};
  for (const auto& [level, range, value] : rows) EXPECT_EQ(A::LevelToValue(level, range), value) << level;
  EXPECT_EQ(A::ValueToLevel(0, 128, brightness), 50);
  EXPECT_EQ(A::ValueToLevel(2, 0, hue), 50);
  EXPECT_EQ(A::ValueToLevel(0, 5, {5, 3, 1, 4}), 0) << "a driver's inverted range";
  test::EditPrefs(main_, [&](settings::TMainPreferences& p) { p.ColorLevels = {50, -1, 0, 100, 25}; });
  auto& e = Built();
  QList<int> applied;
  for (int p = 0; p < 5; ++p) applied << card_->ProcAmp(p);
  EXPECT_EQ(applied, QList<int>({128, 64, -128, 127, 4}));  // -1: the device default; 100 %: the maximum
  ASSERT_TRUE(e.ColourControls().SetValue(3, 64));  // saturation
  e.ColourControls().StoreLevels();
  EXPECT_EQ(main_.Prefs().ColorLevels[3], 50);
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
  ASSERT_TRUE(e.StartPreview() && e.SetTVFrequency(48250000, false));  // a red station
  ASSERT_TRUE(test::WaitUntil([&] {
    const QImage* i = e.GrabSnapshot() ? &sink.images.front() : nullptr;
    return i && qRed(i->pixel(i->width() / 2, i->height() / 2)) > 200;
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
