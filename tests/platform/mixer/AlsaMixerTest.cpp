#include <gtest/gtest.h>

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

TEST(AlsaLayout, WithoutMasterTheFirstPlaybackVolumeIsTheControl) {
  const std::vector<TAlsaElementCaps> elements = {
      {"IEC958", 0, false, true, false, false}, Playback("Speaker"), Playback("PCM")};
  const auto layout = LayOutAlsaElements(elements);
  ASSERT_EQ(layout.size(), 1u);
  EXPECT_EQ(layout[0].Name, "Speaker");
  EXPECT_EQ(layout[0].Master, 1);
  EXPECT_EQ(Labels(elements, layout[0].Lines), QStringList({"IEC958", "PCM"}));
}

TEST(AlsaLayout, SwitchesAloneMakeNoSpeakers) {
  const std::vector<TAlsaElementCaps> elements = {{"IEC958", 0, false, true, false, false}};
  EXPECT_TRUE(LayOutAlsaElements(elements).empty());
  EXPECT_TRUE(LayOutAlsaElements({}).empty());
}

TEST(AlsaLayout, RecordingWithoutACaptureElementHasNoOwnControl) {
  const std::vector<TAlsaElementCaps> elements = {Capture("Line"), Capture("Mic", false)};
  const auto layout = LayOutAlsaElements(elements);
  ASSERT_EQ(layout.size(), 1u);
  EXPECT_EQ(layout[0].Type, TMixerDestinationType::WaveIn);
  EXPECT_EQ(layout[0].Master, -1);
  EXPECT_EQ(Labels(elements, layout[0].Lines), QStringList({"Line", "Mic"}));
}

TEST(AlsaLayout, IndexedElementsAreLabelledApart) {
  const std::vector<TAlsaElementCaps> elements = {
      Playback("Master"), {"Line", 0, true, true, false, false}, {"Line", 2, true, true, false, false}};
  const auto layout = LayOutAlsaElements(elements);
  ASSERT_EQ(layout.size(), 1u);
  EXPECT_EQ(Labels(elements, layout[0].Lines), QStringList({"Line", "Line 2"}));
}

TEST(AlsaMixer, WithoutASoundCardThereAreNoDevicesAndEveryCallFails) {
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
}

TEST(AlsaMixer, WithoutASoundCardThePlatformMixerIsTheVirtualOne) {
  if (TAlsaMixer().MixerCount() > 0) GTEST_SKIP() << "this machine has a sound card";
  const auto mixer = CreateMixerComponent();
  ASSERT_NE(dynamic_cast<TVirtualMixer*>(mixer.get()), nullptr);
  EXPECT_EQ(mixer->MixerCount(), 1);
}
