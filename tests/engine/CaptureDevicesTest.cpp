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
  std::shared_ptr<dev::TVirtualCard> camera_ =
      std::make_shared<dev::TVirtualCard>(dev::TVirtualCardConfig{.Prefix = "USB", .Maker = "", .Model = "Web"});
};

}  // namespace

class CaptureDevices : public test::EngineFixture {
 protected:
  // The chip, the signal readings and the parts found, in one line.
  std::string Found() {
    const auto& d = engine_->Devices();
    const auto& c = engine_->Chip();
    QString found = QStringLiteral("%1/%2/%3 r%4").arg(c.Maker, c.Model).arg(c.Family).arg(engine_->Tuner().SignalReadings());
    const std::pair<bool, const char*> parts[] = {{d.VCapture(), "capture"}, {d.CrossbarFilter(), "crossbar"},
        {engine_->HasTuner(), "tuner"}, {d.TVTuner(), "tvtuner"}, {d.TVAudio(), "tvaudio"}, {d.ACapture(), "audio"},
        {d.Empia2800(), "empia"}};
    for (const auto& [present, name] : parts)
      if (present) found += QStringLiteral(" ") + name;
    return found.toStdString();
  }
};

TEST_F(CaptureDevices, PhilipsCardOpensWithAllPartsAndReportsItsChip) {
  engine::TChipInfo reported;
  auto& e = Make();
  e.OnChipDetected = [&](engine::TCaptureInfo&, const engine::TChipInfo& chip) { reported = chip; };
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(Found(), "Philips/7134/1 r1 capture crossbar tuner tvtuner tvaudio audio");
  EXPECT_EQ(e.Chip(), reported);
  EXPECT_TRUE(e.Devices().HasTuner());
  EXPECT_EQ(e.Devices().VideoDevices(), QStringList({kPhilips}));
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
  EXPECT_EQ(Found(), "Virtual//3 r10 capture crossbar tuner tvtuner tvaudio audio empia");
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
    EXPECT_EQ(Found(), "Philips/7134/1 r1 capture crossbar tuner tvtuner tvaudio audio");
  }
}

TEST_F(CaptureDevices, ChipFamiliesFromNames) {
  const struct {
    const char *maker, *model;
    bool tuner, opens;
    std::string found;
  } rows[] = {
      {"Conexant", "88X", true, true, "Conexant/88X/2 r3 capture crossbar tuner tvtuner tvaudio audio"},
      {"", "2820", true, true, "Empia/2820/4 r3 capture crossbar tuner tvtuner tvaudio audio"},  // no "Empia" in any name: found by the model
      {"Empia", "2800", true, true, "Empia/2800/3 r10 capture crossbar tuner tvtuner tvaudio audio empia"},
      {"Wis", "GO7007", true, true, "Wis//5 r1 capture crossbar tuner tvtuner tvaudio"},
      {"Acme", "999", true, false, "//0 r1 capture"},
      {"Philips", "7134", false, true, "Philips/7134/1 r1 capture crossbar audio"},  // a card without tuner opens without it
  };
  for (const auto& row : rows) {
    auto& e = Make({.Prefix = "", .Maker = row.maker, .Model = row.model, .HasTuner = row.tuner});
    EXPECT_EQ(e.OpenDevices(), row.opens) << row.model;
    EXPECT_EQ(Found(), row.found) << row.model;
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
