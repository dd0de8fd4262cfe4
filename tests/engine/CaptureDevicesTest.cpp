#include "engine/CaptureDevices.h"

#include "EngineFixture.h"
#include "platform/devices/virtual/VirtualDeviceFilters.h"
#include "platform/graph/TComponentRegistry.h"

namespace {

const QString kPhilips = "OKA Virtual Philips 7134 Video Capture";

// A web camera that is no TV card (a video device without crossbar), in the machine for one
// test: after the card, before it as device 0, or alone.
class WithWebcam final : public IDeviceProvider {
 public:
  enum Place { After, First, Alone };
  explicit WithWebcam(Place place) : place_(place) {
    auto& registry = TComponentRegistry::Instance();
    if (place != After) registry.RemoveProvider(&dev::DefaultVirtualProvider());
    registry.AddProvider(this);
    if (place == First) registry.AddProvider(&dev::DefaultVirtualProvider());
  }
  ~WithWebcam() override {
    TComponentRegistry::Instance().RemoveProvider(this);
    if (place_ == Alone) TComponentRegistry::Instance().AddProvider(&dev::DefaultVirtualProvider());
  }
  std::vector<TMoniker> Devices(DeviceCategory category) override {
    if (category != DeviceCategory::VideoInputDevice) return {};
    auto card = camera_;
    return {{"USB Web Camera", [card] { return std::make_shared<dev::TVirtualVideoCapture>(card); }}};
  }

 private:
  Place place_;
  std::shared_ptr<dev::TVirtualCard> camera_ = std::make_shared<dev::TVirtualCard>([] {
    dev::TVirtualCardConfig c;
    c.Prefix = "USB";
    c.Maker.clear();
    c.Model = "Web";
    return c;
  }());
};

}  // namespace

using CaptureDevices = test::EngineFixture;

TEST_F(CaptureDevices, PhilipsCardOpensWithAllPartsAndReportsItsChip) {
  engine::TChipInfo reported;
  auto& e = Make();
  e.OnChipDetected = [&](engine::TCaptureInfo&, const engine::TChipInfo& chip) { reported = chip; };
  ASSERT_TRUE(e.OpenDevices());
  const auto& d = e.Devices();
  EXPECT_TRUE(d.HasTuner());
  EXPECT_TRUE(d.VCapture() && d.CrossbarFilter() && d.TVTuner() && d.TVAudio() && d.ACapture());
  EXPECT_EQ(reported, (engine::TChipInfo{"Philips", "7134", 1}));
  EXPECT_EQ(e.Chip(), reported);
  EXPECT_EQ(e.Tuner().SignalReadings(), 1);
  EXPECT_EQ(d.VideoDevices(), QStringList({kPhilips}));
  EXPECT_TRUE(Graph().FindFilter("VCapture") && Graph().FindFilter("Crossbar") && Graph().FindFilter("TVTuner"));
  EXPECT_EQ(main_.ChipFamily, 0) << "the engine keeps its chip; the shell copies it";
}

TEST_F(CaptureDevices, ChipListsComeFromTheConfigAndNoMainSettingsAreNeeded) {
  settings::MainInfo = nullptr;
  engine::TEngineConfig config;
  config.ChipMakers = {"Virtual"};
  config.ChipModels = {"713"};
  auto& e = Make({.Maker = "Empia", .Model = "2800"}, config);
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(e.Chip(), (engine::TChipInfo{"Virtual", "", 3}));
  EXPECT_TRUE(e.Devices().Empia2800());
  ASSERT_TRUE(e.StartPreview());
  e.StopPreview();
}

TEST_F(CaptureDevices, ADeviceWithoutCrossbarIsNoTunerAndAChosenOneFallsBackToDeviceZeroOnce) {
  const struct {
    WithWebcam::Place webcam;
    int index;  // -1: the default, which is the first device that looks like a TV card
    const char* override;
    bool unattended, opens, warned;
    int defaultIndex;
  } rows[] = {
      {WithWebcam::After, 1, "", false, true, true, 0}, {WithWebcam::After, 1, "", true, true, true, 0},  // even unattended
      {WithWebcam::After, -1, "Web Camera", false, true, true, 0},  // an override naming it does not loop
      {WithWebcam::First, 0, "", false, false, false, 1},  // device 0 without a matching crossbar: no message
      {WithWebcam::Alone, -1, "", false, false, false, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(int(&row - rows));
    test::Dialogs().Warnings.clear();
    WithWebcam webcam(row.webcam);
    engine::TEngineConfig config;
    config.VideoNameOverride = row.override;
    auto& e = Make({}, config);
    EXPECT_EQ(e.VideoDeviceIndex, row.defaultIndex);
    e.SetUnattended(row.unattended);
    if (row.index >= 0) e.VideoDeviceIndex = row.index;
    e.PixelFormatChoice = 2;
    EXPECT_EQ(e.OpenDevices(), row.opens);
    EXPECT_TRUE(row.webcam == WithWebcam::Alone || e.HasTuner() == row.opens);
    EXPECT_EQ(Warnings(), QStringList(row.warned, "This is not a valid capture device for Tuner, try to load default setting..."));
    EXPECT_EQ(e.PixelFormatChoice, row.warned ? 1 : 2);
    if (!row.opens) continue;
    EXPECT_EQ(e.VideoDeviceIndex, 0);
    EXPECT_EQ(e.Devices().VCapture()->FriendlyName(), kPhilips);
    EXPECT_EQ(e.Chip().Family, 1);
  }
}

TEST_F(CaptureDevices, ChipFamiliesFromNames) {
  const struct {
    const char *maker, *model;
    engine::TChipInfo chip;
    int readings;
    bool opens, tuner = true;
  } rows[] = {
      {"Conexant", "88X", {"Conexant", "88X", 2}, 3, true},
      {"", "2820", {"Empia", "2820", 4}, 3, true},  // no "Empia" in any name: found by the model
      {"Empia", "2800", {"Empia", "2800", 3}, 10, true},
      {"Wis", "GO7007", {"Wis", "", 5}, 1, true},
      {"Acme", "999", {"", "", 0}, 1, false},
      {"Philips", "7134", {"Philips", "7134", 1}, 1, true, false},  // a card without tuner opens without it
  };
  for (const auto& row : rows) {
    auto& e = Make({.Prefix = "", .Maker = row.maker, .Model = row.model, .HasTuner = row.tuner});
    EXPECT_EQ(e.OpenDevices(), row.opens) << row.model;
    EXPECT_EQ(e.Chip(), row.chip) << row.model;
    EXPECT_EQ(e.Tuner().SignalReadings(), row.readings) << row.model;
    EXPECT_EQ(e.Devices().Empia2800() != nullptr, row.chip.Family == 3) << row.model;
    EXPECT_EQ(e.HasTuner(), row.opens && row.tuner) << row.model;
    EXPECT_EQ(e.Devices().TVTuner() != nullptr, row.opens && row.tuner) << row.model;
    EXPECT_EQ(e.Devices().TVAudio() != nullptr, row.opens && row.tuner) << row.model;
    EXPECT_EQ(e.Devices().ACapture() != nullptr, row.opens && row.chip.Family != 5) << row.model;
  }
}

TEST(ChipInfo, CaptureSizesAndStandardTuners) {
  using engine::CaptureSizes;
  EXPECT_EQ(CaptureSizes(0x4, true, 3), std::vector<QSize>({{640, 480}}));
  EXPECT_EQ(CaptureSizes(0x10, false, 3), std::vector<QSize>({{352, 288}}));
  EXPECT_EQ(CaptureSizes(0x10, true, 5), std::vector<QSize>({{720, 576}}));
  for (int family : {0, 1, 2, 3, 4, 5})
    EXPECT_EQ((engine::TChipInfo{"", "", family}.IsStandardTuner()), family < 2 || family > 4);
}
