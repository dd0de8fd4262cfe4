#include "platform/devices/virtual/TVirtualCard.h"

#include <gtest/gtest.h>

#include "platform/graph/Interfaces.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform::devices;
using namespace pvx::platform::graph;

namespace {

constexpr quint32 kOne = 55250000;     // "OKA One", NTSC M, mono + stereo
constexpr quint32 kSports = 175250000; // "Seven Sports", four audio modes
constexpr quint32 kMovies = 193250000; // copy protected

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

TEST(VirtualStations, MissingFileAndBadRowsGiveNothing) {
  EXPECT_TRUE(TVirtualStations::Load(pvx::test::Home() + "none.ini").All().empty());
  pvx::test::WriteFile(pvx::test::Home() + "s.ini",
                       "[tv1]\nname=No frequency\n[tv2]\nname=Bad\nfrequency=abc\n"
                       "[other]\nfrequency=1\n[fm1]\nname=Ok\nfrequency=99000000\nstandard=XYZ\n");
  const auto stations = TVirtualStations::Load(pvx::test::Home() + "s.ini");
  ASSERT_EQ(stations.All().size(), 1u);
  EXPECT_EQ(stations.All()[0].Name, "Ok");
  EXPECT_TRUE(stations.All()[0].IsFM);
}

TEST(VirtualStations, MotionCaptionAndFileKeys) {
  pvx::test::WriteFile(pvx::test::Home() + "st/s.ini",
                       "[tv1]\nname=A\nfrequency=1\nticker=Sunny spells, 18 C\npan=2\n"
                       "motion=heavy\nfile=clips/a.mkv\n"
                       "[tv2]\nname=B\nfrequency=2\nfile=/abs/b.avi\n");
  const auto all = TVirtualStations::Load(pvx::test::Home() + "st/s.ini").All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].Ticker, "Sunny spells, 18 C");
  EXPECT_EQ(all[0].Pan, 2);
  EXPECT_TRUE(all[0].HeavyMotion);
  EXPECT_EQ(all[0].FileName, "clips/a.mkv");
  EXPECT_EQ(all[0].FilePath, pvx::test::Home() + "st/clips/a.mkv") << "beside the stations file";
  EXPECT_EQ(all[1].Ticker, "B");
  EXPECT_FALSE(all[1].HeavyMotion);
  EXPECT_EQ(all[1].FilePath, "/abs/b.avi");
}

TEST(VirtualCard, TunesWithinTheBandAndRefusesOutside) {
  TVirtualCard card;
  EXPECT_EQ(card.MinFrequency(TVirtualCard::kModeTV), 45250000u);
  EXPECT_EQ(card.MaxFrequency(TVirtualCard::kModeTV), 889250000u);
  EXPECT_TRUE(card.SetFrequency(889250000));
  EXPECT_FALSE(card.SetFrequency(889250001));
  EXPECT_EQ(card.Frequency(), 889250000u);  // refused: unchanged
  EXPECT_TRUE(card.SetFrequency(45250000));
  EXPECT_FALSE(card.SetFrequency(45249999));
  ASSERT_TRUE(card.SetTunerMode(TVirtualCard::kModeFM));
  EXPECT_FALSE(card.SetFrequency(75999999));
  EXPECT_TRUE(card.SetFrequency(108000000));
  EXPECT_FALSE(card.SetFrequency(108000001));
}

TEST(VirtualCard, LockAndPictureFollowTheTuner) {
  TVirtualCard card;
  EXPECT_FALSE(card.HorizontalLocked());  // nothing tuned: snow
  EXPECT_EQ(card.Picture().Kind, SourceKind::Snow);
  card.SetFrequency(kOne + 1000000);
  EXPECT_TRUE(card.HorizontalLocked());
  EXPECT_EQ(card.PllOffset(), 16);
  ASSERT_EQ(card.Picture().Kind, SourceKind::Station);
  EXPECT_EQ(card.Picture().Station->Name, "OKA One");
  card.SetFrequency(kOne + 2000000);
  EXPECT_FALSE(card.HorizontalLocked());
  EXPECT_EQ(card.Sound().Kind, SourceKind::Snow);  // hiss
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
  EXPECT_EQ(noFm.AvailableTunerModes(), TVirtualCard::kModeTV);
  EXPECT_FALSE(noFm.SetTunerMode(TVirtualCard::kModeFM));
  config.HasTuner = false;
  TVirtualCard none(config);
  EXPECT_EQ(none.AvailableTunerModes(), 0);
  EXPECT_FALSE(none.SetFrequency(kOne));
  config.Maker = "Conexant";
  config.Model = "878";
  EXPECT_EQ(TVirtualCard(config).DeviceName("Video Capture"), "OKA Virtual Conexant 878 Video Capture");
  config.Maker.clear();
  config.Prefix.clear();
  EXPECT_EQ(TVirtualCard(config).DeviceName("Crossbar"), "878 Crossbar");
}

TEST(VirtualCard, StandardsLineCountAndProcAmp) {
  TVirtualCard card;
  EXPECT_TRUE(card.IsNtscLike());
  EXPECT_FALSE(card.SetStandard(0x40));  // PAL G is not offered
  EXPECT_FALSE(card.SetStandard(0x10 | 0x1));
  EXPECT_TRUE(card.SetStandard(0x10));
  EXPECT_FALSE(card.IsNtscLike());
  EXPECT_TRUE(card.SetStandard(0x200));  // PAL M has 525 lines
  EXPECT_TRUE(card.IsNtscLike());
  EXPECT_EQ(card.ProcAmp(0), 128);
  EXPECT_TRUE(card.SetProcAmp(0, 255));
  EXPECT_FALSE(card.SetProcAmp(0, 256));
  EXPECT_FALSE(card.SetProcAmp(5, 1));
  EXPECT_EQ(card.ProcAmp(0), 255);
  EXPECT_EQ(TVirtualCard::ProcAmpRange(2).Min, -128);
}

TEST(VirtualCard, TVAudioModesAndCopyProtectionPerStation) {
  TVirtualCard card;
  card.SetFrequency(kSports);
  EXPECT_EQ(card.AvailableTVAudioModes(),
            AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
  EXPECT_FALSE(card.CopyProtected());
  card.SetFrequency(kMovies);
  EXPECT_TRUE(card.CopyProtected());
  card.SetFrequency(300000000);
  EXPECT_EQ(card.AvailableTVAudioModes(), AMTVAUDIO_MODE_MONO);
}

TEST(VirtualCard, CrossbarRoutesSelectTheInput) {
  TVirtualCard card;
  const TCrossbarModel& x = card.Crossbar(0);
  ASSERT_EQ(x.Outputs.size(), 2u);
  EXPECT_EQ(x.Routes, (std::vector<int>{0, 3}));
  EXPECT_FALSE(card.CanRoute(0, 0, 3));  // video output, audio input
  EXPECT_FALSE(card.Route(0, 0, 9));
  const std::pair<int, SourceKind> inputs[] = {
      {1, SourceKind::Composite}, {2, SourceKind::SVideo}, {5, SourceKind::Camera}};
  for (const auto& [input, kind] : inputs) {
    ASSERT_TRUE(card.Route(0, 0, input));
    EXPECT_EQ(card.Picture().Kind, kind) << input;
    EXPECT_TRUE(card.HorizontalLocked());
  }
  ASSERT_TRUE(card.Route(0, 1, 4));
  EXPECT_EQ(card.Sound().Kind, SourceKind::Line);
  card.EnableAudioInput(1);
  EXPECT_EQ(card.Sound().Kind, SourceKind::Silence);
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
