#include "engine/CaptureDevices.h"

#include "EngineFixture.h"
#include "platform/devices/virtual/VirtualDeviceFilters.h"
#include "platform/graph/TComponentRegistry.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

namespace {

const QString kPhilips = "OKA Virtual Philips 7134 Video Capture";

// A web camera that is no TV card (a video device without crossbar), in the machine for one
// test: after the card, or (first) as device 0.
class WithWebcam final : public IDeviceProvider {
 public:
  explicit WithWebcam(bool first = false) {
    auto& registry = test::Components();
    if (first) registry.RemoveProvider(&dev::DefaultVirtualProvider());
    registry.AddProvider(this);
    if (first) registry.AddProvider(&dev::DefaultVirtualProvider());
  }
  ~WithWebcam() override { test::Components().RemoveProvider(this); }
  std::vector<TMoniker> Devices(DeviceCategory category) override {
    if (category != DeviceCategory::VideoInputDevice) return {};
    auto card = camera_;
    return {{"USB Web Camera", [card] { return std::make_shared<dev::TVirtualVideoCapture>(card); }}};
  }

 private:
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
  auto& e = Make(Card("Empia", "2800"), config);
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(e.Chip(), (engine::TChipInfo{"Virtual", "", 3}));
  EXPECT_TRUE(e.Devices().Empia2800());
  ASSERT_TRUE(e.StartPreview());
  e.StopPreview();
}

TEST_F(CaptureDevices, ChosenDeviceWithoutCrossbarFallsBackToDeviceZeroOnceEvenUnattended) {
  WithWebcam webcam;  // device 1
  for (bool unattended : {false, true}) {
    test::Dialogs().Warnings.clear();
    auto& e = Make();
    e.SetUnattended(unattended);
    e.VideoDeviceIndex = 1;
    e.PixelFormatChoice = 2;
    ASSERT_TRUE(e.OpenDevices());
    EXPECT_EQ(Warnings(), QStringList({"This is not a valid capture device for Tuner, try to load default setting..."}));
    EXPECT_EQ(e.VideoDeviceIndex, 0);
    EXPECT_EQ(e.PixelFormatChoice, 1);
    EXPECT_EQ(e.Devices().VCapture()->FriendlyName(), kPhilips);
    EXPECT_EQ(e.Chip().Family, 1);
  }
}

TEST_F(CaptureDevices, OverrideNamingADeviceWithoutCrossbarDoesNotLoop) {
  WithWebcam webcam;
  engine::TEngineConfig config;
  config.VideoNameOverride = "Web Camera";
  auto& e = Make({}, config);
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(e.Devices().VCapture()->FriendlyName(), kPhilips);
}

TEST_F(CaptureDevices, DeviceZeroWithoutAMatchingCrossbarFailsWithoutTunerOrMessage) {
  WithWebcam webcam(true);  // device 0, the card's parts follow
  auto& e = Make();
  EXPECT_EQ(e.VideoDeviceIndex, 1) << "the default is the first device that looks like a TV card";
  e.VideoDeviceIndex = 0;
  EXPECT_FALSE(e.OpenDevices());
  EXPECT_FALSE(e.HasTuner());
  EXPECT_TRUE(Warnings().isEmpty());
}

TEST_F(CaptureDevices, OnlyAWebcamFails) {
  test::Components().RemoveProvider(&dev::DefaultVirtualProvider());
  {
    WithWebcam webcam;
    auto& e = Make();
    EXPECT_FALSE(e.OpenDevices());
  }
  test::Components().AddProvider(&dev::DefaultVirtualProvider());
  EXPECT_TRUE(Warnings().isEmpty());
}

TEST_F(CaptureDevices, CardWithoutTunerSucceedsWithoutIt) {
  auto card = Card("Philips", "7134");
  card.HasTuner = false;
  auto& e = Open(card);
  EXPECT_FALSE(e.HasTuner());
  EXPECT_FALSE(e.Devices().TVTuner() || e.Devices().TVAudio());
}

TEST_F(CaptureDevices, ChipFamiliesFromNames) {
  const struct {
    const char *maker, *model;
    engine::TChipInfo chip;
    int readings;
    bool opens;
  } rows[] = {
      {"Conexant", "88X", {"Conexant", "88X", 2}, 3, true},
      {"", "2820", {"Empia", "2820", 4}, 3, true},  // no "Empia" in any name: found by the model
      {"Empia", "2800", {"Empia", "2800", 3}, 10, true},
      {"Wis", "GO7007", {"Wis", "", 5}, 1, true},
      {"Acme", "999", {"", "", 0}, 1, false},
  };
  for (const auto& row : rows) {
    auto card = Card(row.maker, row.model);
    card.Prefix.clear();
    auto& e = Make(card);
    EXPECT_EQ(e.OpenDevices(), row.opens) << row.model;
    EXPECT_EQ(e.Chip(), row.chip) << row.model;
    EXPECT_EQ(e.Tuner().SignalReadings(), row.readings) << row.model;
    EXPECT_EQ(e.Devices().Empia2800() != nullptr, row.chip.Family == 3) << row.model;
    EXPECT_EQ(e.HasTuner(), row.opens) << row.model;
    EXPECT_EQ(e.Devices().ACapture() != nullptr, row.opens && row.chip.Family != 5) << row.model;
  }
}

TEST(ChipInfo, CaptureSizesAndStandardTuners) {
  using engine::CaptureSizes;
  EXPECT_EQ(CaptureSizes(0x1, false, 1), std::vector<QSize>({{320, 240}}));
  EXPECT_EQ(CaptureSizes(0x4, true, 3), std::vector<QSize>({{640, 480}}));
  EXPECT_EQ(CaptureSizes(0x10, false, 3), std::vector<QSize>({{352, 288}}));
  EXPECT_EQ(CaptureSizes(0x10, true, 1), std::vector<QSize>({{640, 480}}));
  EXPECT_EQ(CaptureSizes(0x10, true, 3), std::vector<QSize>({{640, 576}, {720, 576}}));
  EXPECT_EQ(CaptureSizes(0x10, true, 5), std::vector<QSize>({{720, 576}}));
  for (int family : {0, 1, 2, 3, 4, 5})
    EXPECT_EQ((engine::TChipInfo{"", "", family}.IsStandardTuner()), family < 2 || family > 4);
}
