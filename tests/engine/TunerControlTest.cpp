#include "engine/TunerControl.h"

#include "EngineFixture.h"
#include "platform/Clock.h"

namespace {
constexpr quint32 kOne = 55250000;
}

using TunerControl = test::EngineFixture;

TEST_F(TunerControl, TunesAndReportsLockOffsetBandEdgesAndTheSoundModes) {
  auto& e = Built();
  const auto& t = e.Tuner();
  // Frequency, accepted, locked, PLL offset; nothing at 300 MHz: success, no lock, the tuner's reading.
  const std::tuple<quint32, bool, bool, qint32> rows[] = {
      {kOne, true, true, 0}, {kOne + 250000, true, true, 4}, {300000000, true, false, 127},
      {quint32(t.TVMax()), true, false, 127}, {quint32(t.TVMax()) + 1, false, false, -10},
      {quint32(t.TVMin()) - 1, false, false, -10}, {quint32(t.TVMin()), true, false, 127},
  };
  for (const auto& [hertz, ok, locked, offset] : rows) {
    SCOPED_TRACE(hertz);
    EXPECT_EQ(e.SetTVFrequency(hertz, false), ok);
    EXPECT_EQ(std::tuple(t.SignalLocked(), t.PLLOffset(), t.TVFrequency() == hertz), std::tuple(locked, offset, ok));
  }
  ASSERT_TRUE(e.SetTVFrequency(175250000, false));  // four sound modes
  EXPECT_TRUE(e.SetTVAudioMode(AMTVAUDIO_MODE_LANG_B) && card_->TVAudioMode() == AMTVAUDIO_MODE_LANG_B);
  ASSERT_TRUE(e.SetTVFrequency(kOne, false));  // mono and stereo only
  EXPECT_FALSE(e.SetTVAudioMode(AMTVAUDIO_MODE_LANG_C));
  EXPECT_EQ(t.TVAudioModes(), AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO);
  EXPECT_TRUE(e.SetCountryCode(49) && card_->CountryCode() == 49);
  // The Empia 2800 is told the mode by its vendor object; a card without TV sound refuses it.
  EXPECT_TRUE(Built({.Maker = "Empia", .Model = "2800"}).SetTVAudioMode(AMTVAUDIO_MODE_STEREO));
  EXPECT_EQ(card_->VendorAudioMode, AMTVAUDIO_MODE_STEREO);
  EXPECT_FALSE(Built({.HasTVAudio = false}).SetTVAudioMode(AMTVAUDIO_MODE_STEREO));
}

TEST_F(TunerControl, ConexantNeedsEveryReadingOthersOneAndReadingsAre50msApart) {
  // Maker, model, readings asked (0: the chip's own), lock pattern; locked, readings taken, time.
  const std::tuple<const char*, const char*, int, std::vector<bool>, bool, int, int> rows[] = {
      {"Conexant", "878", 3, {true, false, true}, false, 3, 100 + 2 * 50},
      {"Philips", "7134", 3, {true, false, true}, true, 1, 100},  // stops at the first lock
      {"Empia", "2800", 0, {false}, false, 10, 100 + 9 * 50},
  };
  for (const auto& [maker, model, readings, pattern, locked, taken, ms] : rows) {
    SCOPED_TRACE(maker);
    auto& e = Built({.Maker = maker, .Model = model});
    if (readings) e.SetSignalReadings(readings);
    size_t read = 0;
    card_->LockOverride = [&] { return pattern[read++ % pattern.size()]; };
    const qint64 start = test::Clock().NowMs();
    ASSERT_TRUE(e.SetTVFrequency(kOne, false));
    EXPECT_EQ(test::Clock().NowMs() - start, ms);
    EXPECT_EQ(e.Tuner().SignalLocked(), locked);
    EXPECT_EQ(int(read), taken);
    card_->LockOverride = nullptr;
  }
}

// A card without FM or without a tuner stays in TV; only the missing FM is said, and not unattended.
TEST_F(TunerControl, FmLockNeedsBothReadingsJapanEndsAt90MHzAndACardWithoutFmStaysInTV) {
  auto& e = Built();
  const auto& t = e.Tuner();
  std::vector<std::pair<quint32, bool>> tuned;
  e.OnFMTuned = [&](engine::TCaptureInfo&, quint32 f, bool locked) { tuned.push_back({f, locked}); };
  EXPECT_FALSE(e.FMUp()) << "not in FM";
  e.SetRadioMode(true);
  ASSERT_TRUE(e.RadioMode());
  EXPECT_EQ(QList<qint32>({t.FMMin(), t.FMMax()}), QList<qint32>({76000000, 108000000}));
  ASSERT_TRUE(e.SetFMFrequency(100000000) && e.SetFMFrequency(100100000));  // then one PLL step off
  ASSERT_TRUE(e.FMDown());
  EXPECT_EQ(t.FMFrequency(), 100050000u);
  ASSERT_TRUE(e.FMUp());
  EXPECT_EQ(tuned, (std::vector<std::pair<quint32, bool>>{
                       {100000000, true}, {100100000, false}, {100050000, true}, {100100000, false}}));
  for (const auto& [country, band] : {std::pair{81, QList<qint32>({76000000, 90000000})},
                                      {7, QList<qint32>({65000000, 108000000})}}) {
    country_.CountryCode = country;
    e.ReadFMBand();
    EXPECT_EQ(QList<qint32>({t.FMMin(), t.FMMax()}), band) << country;
    EXPECT_FALSE(e.SetFMFrequency(quint32(band[1]) + 100000));
    EXPECT_FALSE(t.SignalLocked());
  }
  e.SetRadioMode(false);
  EXPECT_FALSE(e.RadioMode());
  EXPECT_EQ(Graph().State(), GraphState::Running) << "back in TV, the picture runs again";
  EXPECT_TRUE(Warnings().isEmpty());
  using Card = dev::TVirtualCardConfig;
  for (const auto& card : {Card{.HasFM = false}, Card{.HasTuner = false}}) {
    for (const bool unattended : {false, true}) {
      auto& other = Built(card);
      other.SetUnattended(unattended);
      other.SetRadioMode(true);
      EXPECT_FALSE(other.RadioMode());
    }
  }
  EXPECT_EQ(Warnings(), QStringList({"Cannot support FM mode..."}));
}

TEST_F(TunerControl, StandardChangeReappliesTheCaptureSizeOnlyOnNonStandardTuners) {
  for (const char* model : {"2820", "7134"}) {
    const bool follows = QString(model) == "2820";
    auto& e = Built({.Maker = follows ? "Empia" : "Philips", .Model = model});
    ASSERT_EQ(CaptureSize(), QSize(320, 240));
    EXPECT_FALSE(e.SetVideoStandard(0x40)) << "PAL G is not a standard the engine knows";
    EXPECT_EQ(e.Tuner().VideoStandard(), 0);
    ASSERT_TRUE(e.SetVideoStandard(0x10));
    EXPECT_EQ(e.Tuner().VideoStandardName(), "PAL B");
    EXPECT_EQ(card_->Standard(), 0x10);
    EXPECT_EQ(CaptureSize(), follows ? QSize(352, 288) : QSize(320, 240)) << model;
    EXPECT_TRUE(e.SetVideoStandard(0x10));
  }
}
