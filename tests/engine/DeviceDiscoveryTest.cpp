#include "engine/DeviceDiscovery.h"

#include "EngineFixture.h"
#include "engine/CrossBar.h"
#include "platform/devices/virtual/VirtualDeviceFilters.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

namespace {

// A second machine part: a web camera that is no TV card (a video device without crossbar).
class TWebcamProvider final : public IDeviceProvider {
 public:
  std::vector<TMoniker> Devices(DeviceCategory category) override {
    if (category != DeviceCategory::VideoInputDevice) return {};
    auto card = camera_;
    return {{"USB Web Camera", [card] { return std::make_shared<dev::TVirtualVideoCapture>(card); }}};
  }
  std::shared_ptr<dev::TVirtualCard> camera_ = std::make_shared<dev::TVirtualCard>([] {
    dev::TVirtualCardConfig c;
    c.Prefix = "USB";
    c.Maker.clear();
    c.Model = "Web";
    c.Crossbars = 1;
    return c;
  }());
};

class ScopedProvider {
 public:
  explicit ScopedProvider(IDeviceProvider* p) : p_(p) { test::Components().AddProvider(p); }
  ~ScopedProvider() { test::Components().RemoveProvider(p_); }

 private:
  IDeviceProvider* p_;
};

// Takes the virtual card out of the machine for one test.
class WithoutVirtualCard {
 public:
  WithoutVirtualCard() { test::Components().RemoveProvider(&dev::DefaultVirtualProvider()); }
  ~WithoutVirtualCard() { test::Components().AddProvider(&dev::DefaultVirtualProvider()); }
};

}  // namespace

using DeviceDiscovery = test::EngineFixture;

TEST_F(DeviceDiscovery, PhilipsCardOpensWithAllParts) {
  auto& e = Open();
  EXPECT_TRUE(e.HasTuner);
  EXPECT_TRUE(e.VCapture && e.CrossbarFilter && e.TVTuner && e.TVAudio && e.ACapture);
  EXPECT_EQ(main_.ChipMaker, "Philips");
  EXPECT_EQ(main_.ChipModel, "7134");
  EXPECT_EQ(main_.ChipFamily, 1);
  EXPECT_EQ(e.SignalReadings, 1);
  EXPECT_EQ(e.VideoDevices, QStringList({"OKA Virtual Philips 7134 Video Capture"}));
  EXPECT_TRUE(e.Graph->FindFilter("VCapture") && e.Graph->FindFilter("Crossbar"));
}

TEST_F(DeviceDiscovery, ChosenDeviceWithoutCrossbarFallsBackToDeviceZeroOnce) {
  TWebcamProvider webcam;  // enumerated after the TV card: device 1
  ScopedProvider scoped(&webcam);
  auto& e = Make();
  e.VideoDeviceIndex = 1;
  e.PixelFormatChoice = 2;
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(Warnings(), QStringList(
      {"This is not a valid capture device for Tuner, try to load default setting..."}));
  EXPECT_EQ(e.VideoDeviceIndex, 0);
  EXPECT_EQ(e.PixelFormatChoice, 1);
  EXPECT_EQ(e.VCapture->FriendlyName(), "OKA Virtual Philips 7134 Video Capture");
  EXPECT_EQ(main_.ChipFamily, 1);
}

TEST_F(DeviceDiscovery, FallbackMessageIsShownEvenUnattended) {
  TWebcamProvider webcam;
  ScopedProvider scoped(&webcam);
  auto& e = Make();
  e.Unattended = true;
  e.VideoDeviceIndex = 1;
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(Warnings().size(), 1);
}

TEST_F(DeviceDiscovery, OverrideNamingADeviceWithoutCrossbarDoesNotLoop) {
  TWebcamProvider webcam;
  ScopedProvider scoped(&webcam);
  auto& e = Make();
  e.VideoNameOverride = "Web Camera";
  ASSERT_TRUE(e.OpenDevices());
  EXPECT_EQ(e.VCapture->FriendlyName(), "OKA Virtual Philips 7134 Video Capture");
}

TEST_F(DeviceDiscovery, DeviceZeroWithoutCrossbarFails) {
  // Only a web camera: the virtual card's parts are gone.
  WithoutVirtualCard gone;
  TWebcamProvider webcam;
  ScopedProvider scoped(&webcam);
  engine_ = std::make_unique<engine::TCaptureInfo>(&owner_, test::Components());
  EXPECT_FALSE(engine_->OpenDevices());
  EXPECT_TRUE(Warnings().isEmpty());
}

TEST_F(DeviceDiscovery, DeviceZeroWhoseCrossbarDoesNotMatchFailsWithoutTuner) {
  TWebcamProvider webcam;
  std::unique_ptr<ScopedProvider> first;
  {
    WithoutVirtualCard reorder;  // the web camera becomes device 0, the card's parts follow
    first = std::make_unique<ScopedProvider>(&webcam);
  }
  auto& e = Make();
  e.VideoDeviceIndex = 0;
  EXPECT_FALSE(e.OpenDevices());
  EXPECT_FALSE(e.HasTuner);
  EXPECT_TRUE(Warnings().isEmpty()) << "device 0 gets no second chance, and no message";
  engine_.reset();
  first.reset();
}

TEST_F(DeviceDiscovery, CardWithoutTunerSucceedsWithoutIt) {
  dev::TVirtualCardConfig config;
  config.HasTuner = false;
  auto& e = Open(config);
  EXPECT_FALSE(e.HasTuner);
  EXPECT_FALSE(e.TVTuner);
  EXPECT_FALSE(e.TVAudio);
}

TEST_F(DeviceDiscovery, ChipFamiliesFromNames) {
  struct Row {
    const char* maker;
    const char* model;
    const char* chipMaker;
    const char* chipModel;
    int family;
    int readings;
  };
  const Row rows[] = {
      {"Conexant", "88X", "Conexant", "88X", 2, 3},
      {"", "2820", "Empia", "2820", 4, 3},
      {"Empia", "2800", "Empia", "2800", 3, 10},
      {"Wis", "GO7007", "Wis", "", 5, 1},
      {"Acme", "999", "", "", 0, 1},
  };
  for (const Row& row : rows) {
    dev::TVirtualCardConfig config;
    config.Prefix.clear();
    config.Maker = row.maker;
    config.Model = row.model;
    auto& e = Make(config);
    engine::TDeviceDiscovery(e).DetectChip(e.VideoDevices.isEmpty()
                                               ? card_->DeviceName("Video Capture")
                                               : e.VideoDevices[0]);
    EXPECT_EQ(main_.ChipMaker, row.chipMaker) << row.model;
    EXPECT_EQ(main_.ChipModel, row.chipModel) << row.model;
    EXPECT_EQ(main_.ChipFamily, row.family) << row.model;
    EXPECT_EQ(e.SignalReadings, row.readings) << row.model;
    EXPECT_EQ(main_.IsWisChip, row.family == 5);
    EXPECT_EQ(e.Empia2800 != nullptr, row.family == 3) << row.model;
  }
}

TEST_F(DeviceDiscovery, EmpiaCardWithoutTheMakerInItsNameStillFindsItsParts) {
  dev::TVirtualCardConfig config;
  config.Prefix.clear();
  config.Maker.clear();
  config.Model = "2820";
  auto& e = Open(config);
  EXPECT_EQ(main_.ChipFamily, 4);
  // "Empia" is in no name, so the crossbar and tuner are found by the model.
  EXPECT_TRUE(e.CrossbarFilter);
  EXPECT_TRUE(e.HasTuner);
}

TEST_F(DeviceDiscovery, DefaultDeviceIsTheFirstThatLooksLikeATVCard) {
  TWebcamProvider webcam;
  std::unique_ptr<ScopedProvider> first;
  {
    WithoutVirtualCard reorder;  // the web camera goes in first, then the card again
    first = std::make_unique<ScopedProvider>(&webcam);
  }
  auto& e = Make();
  EXPECT_EQ(e.VideoDeviceIndex, 1);  // the web camera is device 0
  engine_.reset();
  first.reset();
}
