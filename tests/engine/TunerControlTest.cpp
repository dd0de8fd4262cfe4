#include "engine/TunerControl.h"

#include "EngineFixture.h"
#include "platform/Clock.h"
#include "platform/graph/Interfaces.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

using TunerControl = test::EngineFixture;

namespace {
constexpr quint32 kOne = 55250000;
}

TEST_F(TunerControl, TunesAndReportsLockAndOffset) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  ASSERT_TRUE(e.SetTVFrequency(kOne, false));
  EXPECT_TRUE(e.SignalLocked);
  EXPECT_EQ(e.PLLOffset, 0);
  EXPECT_EQ(e.TVFrequency, kOne);
  ASSERT_TRUE(e.SetTVFrequency(kOne + 250000, false));
  EXPECT_TRUE(e.SignalLocked);
  EXPECT_EQ(e.PLLOffset, 4);
  ASSERT_TRUE(e.SetTVFrequency(300000000, false));  // nothing there: success, but no lock
  EXPECT_FALSE(e.SignalLocked);
}

TEST_F(TunerControl, BandEdges) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  EXPECT_TRUE(e.SetTVFrequency(quint32(e.TVMax), false));
  EXPECT_FALSE(e.SetTVFrequency(quint32(e.TVMax) + 1, false));
  EXPECT_EQ(e.PLLOffset, -10);
  EXPECT_FALSE(e.SignalLocked);
  EXPECT_FALSE(e.SetTVFrequency(quint32(e.TVMin) - 1, false));
  EXPECT_TRUE(e.SetTVFrequency(quint32(e.TVMin), false));
}

TEST_F(TunerControl, ConexantNeedsEveryReadingOthersOne) {
  for (const char* maker : {"Conexant", "Philips"}) {
    dev::TVirtualCardConfig config;
    config.Maker = maker;
    config.Model = QString(maker) == "Conexant" ? "878" : "7134";
    auto& e = Open(config);
    ASSERT_TRUE(e.BuildPreviewGraph());
    e.SignalReadings = 3;
    int reading = 0;
    const bool pattern[] = {true, false, true};
    card_->LockOverride = [&] { return pattern[reading++ % 3]; };
    ASSERT_TRUE(e.SetTVFrequency(kOne, false));
    if (QString(maker) == "Conexant") {
      EXPECT_FALSE(e.SignalLocked);
      EXPECT_EQ(reading, 3);
    } else {
      EXPECT_TRUE(e.SignalLocked);
      EXPECT_EQ(reading, 1) << "stops at the first locked reading";
    }
    card_->LockOverride = nullptr;
  }
}

TEST_F(TunerControl, TuningWaitsTheSettleTimeAndLockReadings) {
  dev::TVirtualCardConfig config;
  config.Maker = "Empia";
  config.Model = "2800";  // ten readings, 50 ms apart
  auto& e = Open(config);
  ASSERT_TRUE(e.BuildPreviewGraph());
  card_->LockOverride = [] { return false; };
  const qint64 start = test::Clock().NowMs();
  ASSERT_TRUE(e.SetTVFrequency(kOne, false));
  EXPECT_EQ(test::Clock().NowMs() - start, 100 + 9 * 50);
  EXPECT_FALSE(e.SignalLocked);
}

TEST_F(TunerControl, FmLockNeedsBothReadingsAndJapanEndsAt90MHz) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  std::vector<std::pair<quint32, bool>> tuned;
  e.OnFMTuned = [&](engine::TCaptureInfo&, quint32 f, bool locked) { tuned.push_back({f, locked}); };
  e.SetRadioMode(true);
  ASSERT_TRUE(e.RadioMode);
  EXPECT_EQ(e.FMMin, 76000000);
  EXPECT_EQ(e.FMMax, 108000000);
  ASSERT_TRUE(e.SetFMFrequency(100000000));
  EXPECT_TRUE(e.SignalLocked);
  ASSERT_TRUE(e.SetFMFrequency(100100000));  // one PLL step off
  EXPECT_FALSE(e.SignalLocked);
  ASSERT_TRUE(e.FMDown());
  EXPECT_EQ(e.FMFrequency, 100050000u);
  EXPECT_TRUE(e.SignalLocked);
  ASSERT_EQ(tuned.size(), 3u);
  EXPECT_EQ(tuned[0], std::make_pair(quint32(100000000), true));

  country_.CountryCode = 81;
  e.ReadFMBand();
  EXPECT_EQ(e.FMMax, 90000000);
  EXPECT_FALSE(e.SetFMFrequency(90100000));
  EXPECT_FALSE(e.SignalLocked);
  country_.CountryCode = 7;
  e.ReadFMBand();
  EXPECT_EQ(e.FMMin, 65000000);
}

TEST_F(TunerControl, FmSwitchFailsWithoutFmOnTheTuner) {
  dev::TVirtualCardConfig config;
  config.HasFM = false;
  auto& e = Open(config);
  ASSERT_TRUE(e.BuildPreviewGraph());
  e.SetRadioMode(true);
  EXPECT_FALSE(e.RadioMode);
  EXPECT_EQ(Warnings(), QStringList({"Cannot support FM mode..."}));
  e.Unattended = true;
  e.SetRadioMode(true);
  EXPECT_EQ(Warnings().size(), 1) << "nothing shown unattended";
}

TEST_F(TunerControl, VideoStandards) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  EXPECT_FALSE(e.SetVideoStandard(0x40)) << "PAL G is not a standard the engine knows";
  EXPECT_EQ(e.VideoStandard, 0);
  ASSERT_TRUE(e.SetVideoStandard(0x10));
  EXPECT_EQ(e.VideoStandardName, "PAL B");
  EXPECT_EQ(card_->Standard(), 0x10);
  EXPECT_TRUE(e.SetVideoStandard(0x10));
}

TEST_F(TunerControl, StandardChangeReappliesTheCaptureSizeOnlyOnNonStandardTuners) {
  for (const char* model : {"2820", "7134"}) {
    dev::TVirtualCardConfig config;
    config.Maker = QString(model) == "2820" ? "Empia" : "Philips";
    config.Model = model;
    auto& e = Open(config);
    ASSERT_TRUE(e.BuildPreviewGraph());
    ASSERT_TRUE(e.SetVideoStandard(0x10));  // PAL B: 352x288 when the size follows
    ASSERT_TRUE(e.SetVideoStandard(0x1));   // NTSC M: 320x240
    TMediaType type;
    e.VCapture->As<IStreamConfig>()->GetFormat(type);
    if (QString(model) == "2820")
      EXPECT_EQ(type.Height, 240) << "size re-applied";
    else
      EXPECT_EQ(type.Height, 240) << "built for NTSC and never changed";
    e.StopPreview();
  }
}

TEST_F(TunerControl, TVAudioModesAndEmpiaVendorCalls) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  ASSERT_TRUE(e.SetTVFrequency(175250000, false));  // four audio modes
  EXPECT_TRUE(e.SetTVAudioMode(AMTVAUDIO_MODE_LANG_B));
  EXPECT_EQ(card_->TVAudioMode(), AMTVAUDIO_MODE_LANG_B);
  ASSERT_TRUE(e.SetTVFrequency(kOne, false));  // mono and stereo only
  EXPECT_FALSE(e.SetTVAudioMode(AMTVAUDIO_MODE_LANG_C));
  EXPECT_EQ(e.TVAudioModes, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO);

  dev::TVirtualCardConfig empia;
  empia.Maker = "Empia";
  empia.Model = "2800";
  auto& e2 = Open(empia);
  ASSERT_TRUE(e2.BuildPreviewGraph());
  EXPECT_TRUE(e2.SetTVAudioMode(AMTVAUDIO_MODE_STEREO));
  EXPECT_EQ(card_->VendorAudioMode, AMTVAUDIO_MODE_STEREO);
}

TEST_F(TunerControl, CountryCodeReachesTheTuner) {
  auto& e = Open();
  ASSERT_TRUE(e.BuildPreviewGraph());
  EXPECT_TRUE(e.SetCountryCode(49));
  EXPECT_EQ(card_->CountryCode(), 49);
}
