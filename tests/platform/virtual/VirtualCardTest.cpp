// The virtual card's broadcast and its state: stations read from their file, the PLL offset
// around a carrier, and what the card receives as it is tuned, routed and configured. What its
// filters answer is in v4l2/CardFiltersTest, run on both backends.

#include "platform/devices/virtual/TVirtualCard.h"

#include <gtest/gtest.h>

#include "platform/virtual/VirtualRig.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform::devices;
using namespace pvx::platform::graph;

namespace {

constexpr quint32 kOne = 55250000;      // "OKA One", NTSC M, mono + stereo
constexpr quint32 kSports = 175250000;  // "Seven Sports", four audio modes
constexpr quint32 kMovies = 193250000;  // copy protected

bool Locked(TVirtualCard& card) {
  bool locked = false;
  return card.ReadHorizontalLock(locked) && locked;
}

}  // namespace

TEST(VirtualStations, ShippedBroadcastLoads) {
  const TVirtualStations stations = TVirtualStations::LoadDefault();
  int tv = 0, fm = 0;
  for (const auto& s : stations.All()) (s.IsFM ? fm : tv)++;
  EXPECT_GE(tv, 10);
  EXPECT_GE(fm, 4);
  const auto one = stations.Receive(kOne, false);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->Name, "OKA One");
  EXPECT_EQ(one->Standard, 0x1);
  EXPECT_EQ(one->AudioModes, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO);
  EXPECT_FALSE(stations.Receive(kOne, true));  // not on the FM band
}

TEST(VirtualStations, PllOffsetAroundACarrier) {
  const TVirtualStations stations = TVirtualStations::LoadDefault();
  const std::pair<qint64, int> rows[] = {
      {0, 0},        {62499, 0},   {-62499, 0},   {62500, 1},    {-62500, -1},
      {250000, 4},   {-250000, -4}, {1500000, 24}, {-1500000, -24},
      {1500001, kNoCarrierOffset}, {-1500001, kNoCarrierOffset}};
  for (const auto& [detune, offset] : rows)
    EXPECT_EQ(stations.PllOffset(quint32(kOne + detune), false), offset) << detune;
}

TEST(VirtualStations, FileKeysAndBadRows) {
  EXPECT_TRUE(TVirtualStations::Load(pvx::test::Home() + "none.ini").All().empty());
  pvx::test::WriteFile(pvx::test::Home() + "st/s.ini",
                       "[tv1]\nname=A\nfrequency=1\nticker=Sunny spells, 18 C\npan=2\n"
                       "motion=heavy\nfile=clips/a.mkv\n"
                       "[tv2]\nname=B\nfrequency=2\nfile=/abs/b.avi\n"
                       "[tv3]\nname=No frequency\n[tv4]\nname=Bad\nfrequency=abc\n"
                       "[other]\nfrequency=1\n[fm1]\nname=Ok\nfrequency=99000000\nstandard=XYZ\n");
  const auto all = TVirtualStations::Load(pvx::test::Home() + "st/s.ini").All();
  ASSERT_EQ(all.size(), 3u) << "the bad rows left out";
  EXPECT_EQ(all[0].Name, "Ok");  // in the order of the sections' names
  EXPECT_TRUE(all[0].IsFM);
  EXPECT_EQ(all[1].Ticker, "Sunny spells, 18 C");
  EXPECT_EQ(all[1].Pan, 2);
  EXPECT_TRUE(all[1].HeavyMotion);
  EXPECT_EQ(all[1].FileName, "clips/a.mkv");
  EXPECT_EQ(all[1].FilePath, pvx::test::Home() + "st/clips/a.mkv") << "beside the stations file";
  EXPECT_EQ(all[2].Ticker, "B");
  EXPECT_FALSE(all[2].HeavyMotion);
  EXPECT_EQ(all[2].FilePath, "/abs/b.avi");
}

TEST(VirtualCard, LockStatusAndPictureFollowTheTuner) {
  TVirtualCard card;
  TTunerStatus status;
  EXPECT_FALSE(Locked(card));  // nothing tuned: snow
  EXPECT_EQ(card.Picture().Kind, SourceKind::Snow);
  EXPECT_TRUE(card.ReadTunerStatus(status) && status.SignalStrength == 0);
  EXPECT_EQ(status.PLLOffset, kNoCarrierOffset);
  card.SetFrequency(kOne + 1000000);
  EXPECT_TRUE(Locked(card));
  EXPECT_TRUE(card.ReadTunerStatus(status) && status.SignalStrength == 100 && status.PLLOffset == 16);
  ASSERT_EQ(card.Picture().Kind, SourceKind::Station);
  EXPECT_EQ(card.Picture().Station->Name, "OKA One");
  card.SetFrequency(kOne + 2000000);
  EXPECT_FALSE(Locked(card));
  EXPECT_EQ(card.Sound().Kind, SourceKind::Snow);  // hiss
  card.LockOverride = [] { return true; };
  EXPECT_TRUE(Locked(card)) << "a scripted reading";
}

TEST(VirtualCard, FmModeHearsFmStationsAndShowsNoPicture) {
  TVirtualCard card;
  ASSERT_TRUE(card.SetTunerMode(TVirtualCard::kModeFM));
  card.SetFrequency(100000000);
  EXPECT_EQ(card.PllOffset(), 0);
  ASSERT_EQ(card.Sound().Kind, SourceKind::Station);
  EXPECT_EQ(card.Sound().Station->Name, "Classic 100");
  EXPECT_EQ(card.Picture().Kind, SourceKind::Snow);
  card.SetFrequency(100050000);  // one 50 kHz step off: still centred
  EXPECT_EQ(card.PllOffset(), 0);
  card.SetFrequency(100100000);
  EXPECT_EQ(card.PllOffset(), 1);
  // Back on TV the TV frequency is where it was.
  card.SetTunerMode(TVirtualCard::kModeTV);
  EXPECT_EQ(card.Frequency(), 0u);
}

TEST(VirtualCard, ConfiguredCardsWithoutTunerOrFmAndTheirNames) {
  TVirtualCardConfig config;
  config.HasFM = false;
  TVirtualCard noFm(config);
  quint32 low = 0, high = 0;
  EXPECT_EQ(noFm.AvailableTunerModes(), TVirtualCard::kModeTV);
  EXPECT_FALSE(noFm.SetTunerMode(TVirtualCard::kModeFM) || noFm.TunerRange(TVirtualCard::kModeFM, low, high));
  config.HasTuner = false;
  TVirtualCard none(config);
  EXPECT_EQ(none.AvailableTunerModes(), 0);
  EXPECT_FALSE(none.SetFrequency(kOne));
  config.Maker = "Conexant";
  config.Model = "878";
  EXPECT_EQ(TVirtualCard(config).DeviceName("Video Capture"), "OKA Virtual Conexant 878 Video Capture");
  EXPECT_EQ(TVirtualCard(config).PartName(CardPart::Crossbar, 1), "OKA Virtual Conexant 878 Crossbar 2");
  config.Maker.clear();
  config.Prefix.clear();
  EXPECT_EQ(TVirtualCard(config).PartName(CardPart::Crossbar), "878 Crossbar");
}

TEST(VirtualCard, StandardsLineCountAndProcAmp) {
  TVirtualCard card;
  EXPECT_TRUE(card.IsNtscLike());
  EXPECT_TRUE(card.SetStandard(0x10));
  EXPECT_FALSE(card.IsNtscLike());
  EXPECT_TRUE(card.SetStandard(0x200));  // PAL M has 525 lines
  EXPECT_TRUE(card.IsNtscLike());
  EXPECT_EQ(card.ProcAmp(0), 128);
  EXPECT_EQ(TVirtualCard::ProcAmpRange(2).Min, -128);
}

TEST(VirtualCard, TVAudioModesAndCopyProtectionPerStation) {
  TVirtualCard card;
  int modes = 0;
  qint32 copy = -1;
  card.SetFrequency(kSports);
  EXPECT_TRUE(card.ReadTVAudioModes(modes) && card.ReadCopyProtection(copy));
  EXPECT_EQ(modes, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A |
                       AMTVAUDIO_MODE_LANG_B);
  EXPECT_EQ(copy, 0);
  card.SetFrequency(kMovies);
  EXPECT_TRUE(card.ReadCopyProtection(copy) && copy == 1);
  card.SetFrequency(300000000);
  EXPECT_TRUE(card.ReadTVAudioModes(modes) && modes == AMTVAUDIO_MODE_MONO);
}

// Through its audio capture device, the card records one of its lines.
TEST(VirtualCard, CrossbarRoutesSelectTheInputAndTheAudioCaptureItsLine) {
  TVirtualCard card;
  const std::pair<int, SourceKind> inputs[] = {
      {1, SourceKind::Composite}, {2, SourceKind::SVideo}, {5, SourceKind::Camera}};
  for (const auto& [input, kind] : inputs) {
    ASSERT_TRUE(card.Route(0, 0, input));
    EXPECT_EQ(card.Picture().Kind, kind) << input;
    EXPECT_TRUE(Locked(card));
  }
  EXPECT_FALSE(card.Route(1, 0, 1)) << "there is no crossbar 1";
  ASSERT_TRUE(card.Route(0, 1, 4));
  EXPECT_EQ(card.Sound().Kind, SourceKind::Line);
  pvx::test::TVirtualRig rig;
  auto* mixer = rig.Bind<IAudioInputMixer>(DeviceCategory::AudioInputDevice);
  auto* config = dynamic_cast<IStreamConfig*>(mixer);
  bool on = false;
  ASSERT_TRUE(config && config->GetNumberOfCapabilities() == 3 && mixer->get_Enable(0, on) && on);
  EXPECT_FALSE(config->SetFormat(pvx::test::VideoType("YUY2", 320, 240)));
  EXPECT_FALSE(mixer->put_Enable(2, true) || mixer->put_Enable(2, false) || mixer->get_Enable(2, on));
  EXPECT_FALSE(mixer->put_Enable(-1, false) || mixer->get_Enable(-1, on));
  EXPECT_TRUE(mixer->put_Enable(1, true) && mixer->put_Enable(1, false) && mixer->get_Enable(1, on) && on);
  EXPECT_TRUE(mixer->get_Enable(0, on) && !on) << "lines are exclusive";
  const auto defaultCard = DefaultVirtualCard();
  EXPECT_EQ(defaultCard->Sound().Kind, SourceKind::Silence);
  EXPECT_EQ(defaultCard->LineOut().Kind, SourceKind::Snow) << "the output whatever line is recorded";
}

TEST(VirtualCard, CascadedCrossbarsReachTheTunerThroughBoth) {
  TVirtualCardConfig config;
  config.Crossbars = 2;
  TVirtualCard card(config);
  ASSERT_EQ(card.CrossbarCount(), 2);
  card.SetFrequency(kOne);
  EXPECT_EQ(card.Picture().Kind, SourceKind::Station);
  card.Route(1, 0, 1);  // upper crossbar to composite
  EXPECT_EQ(card.Picture().Kind, SourceKind::Composite);
  card.Route(0, 0, 1);  // lower crossbar to S-Video: the upper one no longer matters
  EXPECT_EQ(card.Picture().Kind, SourceKind::SVideo);
}

TEST(VirtualCard, ListenersHearChangesUntilTheyLeave) {
  TVirtualCard card;
  int heard = 0;
  const int token = card.Subscribe([&] { ++heard; });
  card.SetFrequency(kOne);
  card.Route(0, 0, 1);
  EXPECT_EQ(heard, 2);
  card.Unsubscribe(token);
  card.SetFrequency(kSports);
  EXPECT_EQ(heard, 2);
}
