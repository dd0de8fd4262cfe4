#include <gtest/gtest.h>

#include "platform/mixer/AlsaLayout.h"
#include "platform/mixer/TAlsaMixer.h"
#include "platform/mixer/TVirtualMixer.h"

using namespace pvx::platform::mixer;

namespace {

TAlsaElementCaps Playback(const char* name, bool withSwitch = true) { return {name, 0, true, withSwitch, false, false}; }
TAlsaElementCaps Capture(const char* name, bool volume = true) { return {name, 0, false, false, volume, true}; }

// Each destination as "name type side control lines", joined by " | ".
std::string Describe(const std::vector<TAlsaElementCaps>& elements) {
  QStringList destinations;
  for (const TAlsaDestinationLayout& d : LayOutAlsaElements(elements)) {
    QStringList lines;
    for (int i : d.Lines) lines << AlsaElementLabel(elements[size_t(i)]);
    const char* type = d.Type == TMixerDestinationType::Speakers ? "speakers"
                       : d.Type == TMixerDestinationType::WaveIn ? "wave-in" : "other";
    destinations << QString("%1 %2 %3 %4 %5").arg(d.Name, type, d.Capture ? "rec" : "play").arg(d.Master).arg(lines.join(','));
  }
  return destinations.join(" | ").toStdString();
}

}  // namespace

TEST(AlsaLevels, RawRangeMapsOntoFullScaleAndBack) {
  // raw, min, max, level; ranges need not start at 0, and may be empty or reversed.
  // clang-format off
  const long toLevel[][4] = {
      {0, 0, 31, 0}, {31, 0, 31, kMixerFullScale}, {16, 0, 31, 33825} /* rounded, not truncated */,
      {-5, 0, 31, 0}, {40, 0, 31, kMixerFullScale}, {-50, -100, 0, 32768}, {7, 7, 7, 0}, {3, 10, 2, 0}};
  const long toRaw[][4] = {
      {0, 0, 31, 0}, {31, 0, 31, kMixerFullScale}, {31, 0, 31, 65536} /* the engine's top value */,
      {0, 0, 31, -5}, {50, 0, 100, 32768}, {-100, -100, 0, 0}, {7, 7, 7, 30000}};
  // clang-format on
  for (const auto& [raw, min, max, level] : toLevel)
    EXPECT_EQ(AlsaToMixerLevel(raw, min, max), level) << raw << " in " << min << ".." << max;
  for (const auto& [raw, min, max, level] : toRaw)
    EXPECT_EQ(MixerLevelToAlsa(int(level), min, max), raw) << level << " onto " << min << ".." << max;
  // Every raw step survives the round trip.
  for (const auto& [min, max] : {std::pair<long, long>{0, 31}, {0, 255}, {-9999, 0}, {0, 65535}, {0, 1}, {-20, 87}}) {
    for (long raw = min; raw <= max; ++raw)
      ASSERT_EQ(MixerLevelToAlsa(AlsaToMixerLevel(raw, min, max), min, max), raw) << raw << " in " << min << ".." << max;
  }
}

// Master is the speakers' control and the other playback elements are its lines; odd cards give
// their own controls and lines.
TEST(AlsaLayout, DestinationsControlsAndLinesOfEachCard) {
  const TAlsaElementCaps iec958{"IEC958", 0, false, true, false, false};
  // clang-format off
  const std::tuple<const char*, std::vector<TAlsaElementCaps>, std::string> cases[] = {
      {"a usual card", {Playback("Headphone"), Playback("Master"), Playback("PCM", false), {"Line", 0, true, true, true, true},
                        Capture("Capture"), Capture("Mic"), {"Mic Boost", 0, false, false, false, false}},
       "Master speakers play 1 Headphone,PCM,Line | Capture wave-in rec 4 Line,Mic"},
      {"without Master the first playback volume is the control", {iec958, Playback("Speaker"), Playback("PCM")},
       "Speaker speakers play 1 IEC958,PCM"},
      {"switches alone make no speakers", {iec958}, ""},
      {"nothing at all", {}, ""},
      {"recording without a capture element has no control", {Capture("Line"), Capture("Mic", false)},
       "Capture wave-in rec -1 Line,Mic"},
      {"indexed elements are labelled apart",
       {Playback("Master"), {"Line", 0, true, true, false, false}, {"Line", 2, true, true, false, false}},
       "Master speakers play 0 Line,Line 2"}};
  // clang-format on
  for (const auto& [what, elements, expected] : cases) EXPECT_EQ(Describe(elements), expected) << what;
}

TEST(AlsaMixer, WithoutASoundCardEveryCallFailsAndThePlatformMixerIsTheVirtualOne) {
  TAlsaMixer mixer;
  if (mixer.MixerCount() > 0) GTEST_SKIP() << "this machine has a sound card";
  TMixerVolume v;
  EXPECT_FALSE(mixer.SelectMixer(0) || mixer.GetVolume(0, kDestinationControl, v) ||
               mixer.SetVolume(0, kDestinationControl, {.Left = 1}) || mixer.SetLineMute(0, 0, true));
  EXPECT_TRUE(mixer.MixerIndex() == -1 && mixer.ProductName().isEmpty() && mixer.DestinationCount() == 0 &&
              mixer.DestinationType(0) == TMixerDestinationType::Undefined && mixer.LineCount(0) == 0);
  const auto platformMixer = CreateMixerComponent();
  ASSERT_NE(dynamic_cast<TVirtualMixer*>(platformMixer.get()), nullptr);
  EXPECT_EQ(platformMixer->MixerCount(), 1);
}
