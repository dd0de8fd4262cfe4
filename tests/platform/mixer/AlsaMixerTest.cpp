#include <gtest/gtest.h>

#include <tuple>

#include "platform/mixer/AlsaLayout.h"
#include "platform/mixer/TAlsaMixer.h"
#include "platform/mixer/TVirtualMixer.h"

using namespace pvx::platform::mixer;

namespace {

struct LevelRow {
  long raw, min, max;
  int level;
};

TAlsaElementCaps Playback(const char* name, bool withSwitch = true) {
  return {name, 0, true, withSwitch, false, false};
}
TAlsaElementCaps Capture(const char* name, bool volume = true) {
  return {name, 0, false, false, volume, true};
}

QStringList Labels(const std::vector<TAlsaElementCaps>& elements, const std::vector<int>& lines) {
  QStringList labels;
  for (int i : lines) labels << AlsaElementLabel(elements[size_t(i)]);
  return labels;
}

}  // namespace

TEST(AlsaLevels, RawRangeMapsOntoFullScale) {
  const LevelRow rows[] = {
      {0, 0, 31, 0},
      {31, 0, 31, kMixerFullScale},
      {16, 0, 31, 33825},         // rounded, not truncated
      {-5, 0, 31, 0},             // below the range
      {40, 0, 31, kMixerFullScale},
      {-50, -100, 0, 32768},      // ranges need not start at 0
      {7, 7, 7, 0},               // an empty range
      {3, 10, 2, 0},              // a reversed range
  };
  for (const LevelRow& r : rows)
    EXPECT_EQ(AlsaToMixerLevel(r.raw, r.min, r.max), r.level)
        << r.raw << " in " << r.min << ".." << r.max;
}

TEST(AlsaLevels, FullScaleMapsOntoRawRange) {
  const LevelRow rows[] = {
      {0, 0, 31, 0},
      {31, 0, 31, kMixerFullScale},
      {31, 0, 31, 65536},  // the engine's top value
      {0, 0, 31, -5},
      {50, 0, 100, 32768},
      {-100, -100, 0, 0},
      {7, 7, 7, 30000},
  };
  for (const LevelRow& r : rows)
    EXPECT_EQ(MixerLevelToAlsa(r.level, r.min, r.max), r.raw)
        << r.level << " onto " << r.min << ".." << r.max;
}

TEST(AlsaLevels, EveryRawStepSurvivesTheRoundTrip) {
  for (const auto& [min, max] : {std::pair<long, long>{0, 31}, {0, 255}, {-9999, 0}, {0, 65535},
                                 {0, 1}, {-20, 87}}) {
    for (long raw = min; raw <= max; ++raw)
      ASSERT_EQ(MixerLevelToAlsa(AlsaToMixerLevel(raw, min, max), min, max), raw)
          << raw << " in " << min << ".." << max;
  }
}

TEST(AlsaLayout, MasterIsTheSpeakersControlAndOtherPlaybackElementsAreItsLines) {
  const std::vector<TAlsaElementCaps> elements = {
      Playback("Headphone"), Playback("Master"), Playback("PCM", false),
      {"Line", 0, true, true, true, true},  // plays and records
      Capture("Capture"),    Capture("Mic"),   {"Mic Boost", 0, false, false, false, false}};
  const auto layout = LayOutAlsaElements(elements);
  ASSERT_EQ(layout.size(), 2u);

  EXPECT_EQ(layout[0].Type, TMixerDestinationType::Speakers);
  EXPECT_EQ(layout[0].Name, "Master");
  EXPECT_FALSE(layout[0].Capture);
  EXPECT_EQ(layout[0].Master, 1);
  EXPECT_EQ(Labels(elements, layout[0].Lines), QStringList({"Headphone", "PCM", "Line"}));

  EXPECT_EQ(layout[1].Type, TMixerDestinationType::WaveIn);
  EXPECT_TRUE(layout[1].Capture);
  EXPECT_EQ(layout[1].Master, 4);
  EXPECT_EQ(Labels(elements, layout[1].Lines), QStringList({"Line", "Mic"}));
}

TEST(AlsaLayout, OddCardsGiveTheirOwnControlsAndLines) {
  struct Case {
    const char* what;
    std::vector<TAlsaElementCaps> elements;
    // One row per destination: its type, the element that is its control (-1: none), lines.
    std::vector<std::tuple<TMixerDestinationType, int, QStringList>> destinations;
  };
  const TAlsaElementCaps iec958{"IEC958", 0, false, true, false, false};
  const Case cases[] = {
      {"without Master the first playback volume is the control",
       {iec958, Playback("Speaker"), Playback("PCM")},
       {{TMixerDestinationType::Speakers, 1, {"IEC958", "PCM"}}}},
      {"switches alone make no speakers", {iec958}, {}},
      {"nothing at all", {}, {}},
      {"recording without a capture element has no control",
       {Capture("Line"), Capture("Mic", false)},
       {{TMixerDestinationType::WaveIn, -1, {"Line", "Mic"}}}},
      {"indexed elements are labelled apart",
       {Playback("Master"), {"Line", 0, true, true, false, false}, {"Line", 2, true, true, false, false}},
       {{TMixerDestinationType::Speakers, 0, {"Line", "Line 2"}}}},
  };
  for (const Case& c : cases) {
    const auto layout = LayOutAlsaElements(c.elements);
    ASSERT_EQ(layout.size(), c.destinations.size()) << c.what;
    for (size_t d = 0; d < layout.size(); ++d) {
      const auto& [type, master, lines] = c.destinations[d];
      EXPECT_EQ(layout[d].Type, type) << c.what;
      EXPECT_EQ(layout[d].Master, master) << c.what;
      EXPECT_EQ(Labels(c.elements, layout[d].Lines), lines) << c.what;
    }
  }
}

TEST(AlsaMixer, WithoutASoundCardEveryCallFailsAndThePlatformMixerIsTheVirtualOne) {
  TAlsaMixer mixer;
  if (mixer.MixerCount() > 0) GTEST_SKIP() << "this machine has a sound card";
  TMixerVolume v;
  EXPECT_FALSE(mixer.SelectMixer(0));
  EXPECT_EQ(mixer.MixerIndex(), -1);
  EXPECT_TRUE(mixer.ProductName().isEmpty());
  EXPECT_EQ(mixer.DestinationCount(), 0);
  EXPECT_EQ(mixer.DestinationType(0), TMixerDestinationType::Undefined);
  EXPECT_EQ(mixer.LineCount(0), 0);
  EXPECT_FALSE(mixer.GetVolume(0, kDestinationControl, v));
  EXPECT_FALSE(mixer.SetVolume(0, kDestinationControl, {.Left = 1}));
  EXPECT_FALSE(mixer.SetLineMute(0, 0, true));
  const auto platformMixer = CreateMixerComponent();
  ASSERT_NE(dynamic_cast<TVirtualMixer*>(platformMixer.get()), nullptr);
  EXPECT_EQ(platformMixer->MixerCount(), 1);
}
