#include "engine/CaptureDevices.h"

#include "EngineFixture.h"
#include "engine/RecordingGraph.h"
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
    auto& registry = test::Components();
    if (place != After) registry.RemoveProvider(&dev::DefaultVirtualProvider());
    registry.AddProvider(this);
    if (place == First) registry.AddProvider(&dev::DefaultVirtualProvider());
  }
  ~WithWebcam() override {
    test::Components().RemoveProvider(this);
    if (place_ == Alone) test::Components().AddProvider(&dev::DefaultVirtualProvider());
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

TEST_F(CaptureDevices, ADeviceWithoutCrossbarIsNoTunerAndAChosenOneFallsBackToDeviceZeroOnce) {
  // Where the web camera is, the device chosen (-1: the default, the first device that looks like a
  // TV card), a name override, unattended; whether the card opens, which comes with the message.
  const std::tuple<WithWebcam::Place, int, const char*, bool, bool> rows[] = {
      {WithWebcam::After, 1, "", false, true}, {WithWebcam::After, 1, "", true, true},  // even unattended
      {WithWebcam::After, -1, "Web Camera", false, true},  // an override naming it does not loop
      {WithWebcam::First, 0, "", false, false},  // device 0 without a matching crossbar: no message
      {WithWebcam::Alone, -1, "", false, false},
      {WithWebcam::Alone, 5, "", false, false},  // a device stored by an earlier run and gone since
  };
  for (const auto& [place, index, nameOverride, unattended, opens] : rows) {
    SCOPED_TRACE(int(place) * 10 + index);
    test::Dialogs().Warnings.clear();
    WithWebcam webcam(place);
    engine::TEngineConfig config;
    config.VideoNameOverride = nameOverride;
    auto& e = Make({}, config);
    EXPECT_EQ(e.Settings().VideoDeviceIndex, place == WithWebcam::First ? 1 : 0);
    e.SetUnattended(unattended);
    if (index >= 0) test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.VideoDeviceIndex = index; });
    test::ChangeSettings(e, [&](settings::TCaptureSettings& s) { s.PixelFormatChoice = 2; });
    EXPECT_EQ(e.OpenDevices(), opens);
    EXPECT_LT(e.Settings().VideoDeviceIndex, e.Devices().VideoDevices().size());
    EXPECT_TRUE(place == WithWebcam::Alone || e.HasTuner() == opens);
    EXPECT_EQ(Warnings(), QStringList(opens, "This is not a valid capture device for Tuner, try to load default setting..."));
    EXPECT_EQ(e.Settings().PixelFormatChoice, opens ? 1 : 2);
    if (!opens) continue;
    EXPECT_EQ(std::tuple(e.Settings().VideoDeviceIndex, e.Devices().VCapture()->FriendlyName()), std::tuple(0, kPhilips));
    EXPECT_EQ(Found(), "Philips/7134/1 r1 capture crossbar tuner tvtuner tvaudio audio");
  }
}

// Each card opens with the parts it has and reports its chip, which the engine keeps (the shell
// copies it). Chip makers and models may come from the config.
TEST_F(CaptureDevices, ChipFamiliesFromNames) {
  // Maker, model, tuner; opens, found.
  const std::tuple<const char*, const char*, bool, bool, std::string> rows[] = {
      {"Philips", "7134", true, true, "Philips/7134/1 r1 capture crossbar tuner tvtuner tvaudio audio"},
      {"Conexant", "88X", true, true, "Conexant/88X/2 r3 capture crossbar tuner tvtuner tvaudio audio"},
      {"", "2820", true, true, "Empia/2820/4 r3 capture crossbar tuner tvtuner tvaudio audio"},  // by model
      {"Empia", "2800", true, true, "Empia/2800/3 r10 capture crossbar tuner tvtuner tvaudio audio empia"},
      {"Wis", "GO7007", true, true, "Wis//5 r1 capture crossbar tuner tvtuner tvaudio"},
      {"Acme", "999", true, false, "//0 r1 capture"},
      {"Philips", "7134", false, true, "Philips/7134/1 r1 capture crossbar audio"},  // without a tuner
  };
  for (const auto& [maker, model, tuner, opens, found] : rows) {
    SCOPED_TRACE(model);
    auto& e = Make({.Prefix = "", .Maker = maker, .Model = model, .HasTuner = tuner});
    engine::TChipInfo reported;
    e.OnChipDetected = [&](engine::TCaptureInfo&, const engine::TChipInfo& chip) { reported = chip; };
    EXPECT_EQ(e.OpenDevices(), opens);
    EXPECT_EQ(Found(), found);
    EXPECT_EQ(reported, e.Chip());
    EXPECT_EQ(main_.Chip().Family, 0);
  }
  EXPECT_EQ(Open().Devices().VideoDevices(), QStringList({kPhilips}));
  for (const char* part : {"VCapture", "Crossbar", "TVTuner"}) EXPECT_TRUE(Graph().FindFilter(part)) << part;
  // The chip lists come from the config.
  engine::TEngineConfig config;
  config.ChipMakers = {"Virtual"};
  config.ChipModels = {"713"};
  ASSERT_TRUE(Make({.Maker = "Empia", .Model = "2800"}, config).OpenDevices());
  EXPECT_EQ(Found(), "Virtual//3 r10 capture crossbar tuner tvtuner tvaudio audio empia");
  ASSERT_TRUE(engine_->StartPreview());
  engine_->StopPreview();
}

TEST(ChipInfo, CaptureSizesAndStandardTuners) {
  using engine::CaptureSizes;
  EXPECT_EQ(CaptureSizes(0x4, true, 3), std::vector<QSize>({{640, 480}}));
  EXPECT_EQ(CaptureSizes(0x10, false, 3), std::vector<QSize>({{352, 288}}));
  EXPECT_EQ(CaptureSizes(0x10, true, 5), std::vector<QSize>({{720, 576}}));
  // The time-shift buffer records small: SIF for NTSC, CIF for PAL and SECAM.
  EXPECT_EQ(engine::TRecordingGraph::TimeShiftCaptureSize(0x1), QSize(320, 240));
  EXPECT_EQ(engine::TRecordingGraph::TimeShiftCaptureSize(0x10), QSize(352, 288));
  for (int family : {0, 1, 2, 3, 4, 5})
    EXPECT_EQ((engine::TChipInfo{"", "", family}.IsStandardTuner()), family < 2 || family > 4);
}
