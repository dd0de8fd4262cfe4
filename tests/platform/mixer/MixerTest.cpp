// The mixers: the virtual one the tests and machines without sound get (devices, destinations
// and lines, requests and reports, the card heard through the line input), and the ALSA one (its
// levels, and the destinations laid out from a card's elements).

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/mixer/AlsaLayout.h"
#include "platform/mixer/TAlsaMixer.h"
#include "platform/mixer/TVirtualMixer.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform;
using namespace pvx::platform::mixer;

namespace {

constexpr int kSpeakers = 0;
constexpr int kRecording = 1;
constexpr int kLineIn = 2;  // of the speakers

TVirtualMixer TwoDevices() {
  return TVirtualMixer(
      {TVirtualMixer::DefaultDevice("First"),
       {"Second", {TVirtualMixer::Destination(TMixerDestinationType::WaveIn, "Rec", {"Aux", "Line"})}}});
}

using Caps = TAlsaElementCaps;
Caps Playback(const char* name, bool withSwitch = true) { return {name, 0, true, withSwitch, false, false}; }
Caps Capture(const char* name, bool volume = true) { return {name, 0, false, false, volume, true}; }

// Each destination as "name type side control lines", joined by " | ".
std::string Describe(const std::vector<Caps>& elements) {
  QStringList destinations;
  for (const TAlsaDestinationLayout& d : LayOutAlsaElements(elements)) {
    QStringList lines;
    for (int i : d.Lines) lines << AlsaElementLabel(elements[size_t(i)]);
    const char* type = d.Type == TMixerDestinationType::Speakers ? "speakers"
                       : d.Type == TMixerDestinationType::WaveIn ? "wave-in" : "other";
    destinations << QString("%1 %2 %3 %4 %5").arg(d.Name, type, d.Capture ? "rec" : "play").arg(d.Master)
                        .arg(lines.join(','));
  }
  return destinations.join(" | ").toStdString();
}

}  // namespace

// Nothing answers before a device is selected or just past the last device, destination or
// line; a selection out of range keeps the current device.
TEST(VirtualMixer, DevicesDestinationsAndLinesAnswerOnlyInRangeAndChangesAreReportedLater) {
  TVirtualMixer mixer = TwoDevices();
  TMixerVolume v;
  EXPECT_TRUE(mixer.MixerIndex() == -1 && mixer.ProductName().isEmpty() && mixer.DestinationCount() == 0);
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, kDestinationControl, v) ||
               mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 1}));
  ASSERT_TRUE(mixer.SelectMixer(1));
  EXPECT_FALSE(mixer.SelectMixer(2) || mixer.SelectMixer(-1));
  EXPECT_TRUE(mixer.ProductName() == "Second" && mixer.DestinationType(0) == TMixerDestinationType::WaveIn);
  ASSERT_TRUE(mixer.SelectMixer(0));
  EXPECT_TRUE(mixer.DestinationType(2) == TMixerDestinationType::Undefined && mixer.LineCount(2) == 0);
  EXPECT_TRUE(mixer.DestinationName(-1).isEmpty() && mixer.DestinationName(2).isEmpty());
  EXPECT_TRUE(mixer.LineName(kSpeakers, 4).isEmpty() && mixer.LineName(kSpeakers, -1).isEmpty());
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, 4, v) || mixer.GetVolume(kSpeakers, -2, v) ||
               mixer.SetVolume(2, 0, {.Mute = true}) || mixer.ChangeFromOutside(2, 0, 0, {.Left = 5}) ||
               mixer.ChangeFromOutside(-1, 0, 0, {.Left = 5}));
  // The last destination and line of the default device answer.
  EXPECT_EQ(mixer.DestinationType(kRecording), TMixerDestinationType::WaveIn);
  EXPECT_EQ(mixer.LineNames(kSpeakers), QStringList({"Wave", "CD Audio", "Line In", "Microphone"}));
  EXPECT_EQ(mixer.LineNames(kRecording), QStringList({"CD Audio", "Line In", "Microphone"}));
  // Changes are reported later, not inside the call, with the device changed; refused changes
  // report nothing. (That reports die with the mixer: AudioAdjustInfo in engine_tests.)
  std::vector<int> controls, lines;
  mixer.OnControlChange = [&](TMixerComponent& sender, int m) {
    EXPECT_EQ(&sender, &mixer);
    controls.push_back(m);
  };
  mixer.OnLineChange = [&](TMixerComponent&, int m) { lines.push_back(m); };
  // Only what is given changes, clamped to the full scale. (Requests kept, line mutes, failing
  // calls: AudioAdjustInfo in engine_tests.)
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 70000, .Right = -3}) &&
              mixer.SetVolume(kSpeakers, kDestinationControl, {.Mute = true}) &&
              mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_EQ(v, (TMixerVolume{kMixerFullScale, 0, true}));
  EXPECT_FALSE(mixer.SetLineMute(kSpeakers, kDestinationControl, true)) << "the destination's own control";
  ASSERT_TRUE(mixer.ChangeFromOutside(1, 0, 1, {.Mute = true}));
  mixer.NotifyLineChange(1);
  mixer.NotifyLineChange(2);
  EXPECT_TRUE(controls.empty() && lines.empty());
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, 9, {.Left = 5}));
  PumpMessages();
  EXPECT_EQ(std::pair(controls, lines), std::pair(std::vector<int>{0, 0, 1}, std::vector<int>{1}));
  EXPECT_TRUE(mixer.Device(1).Destinations[0].Lines[1].Volume.Mute);
  TVirtualMixer none(std::vector<TVirtualMixerDevice>{});
  EXPECT_FALSE(none.SelectMixer(0) || !none.LineNames(0).isEmpty());
  none.NotifyLineChange(0);  // ignored, not a crash
  PumpMessages();
}

TEST(LineInMonitor, TheCardIsHeardWhileTheLineInputIsOpen) {
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  TVirtualMixer mixer;
  ASSERT_TRUE(mixer.SelectMixer(0));
  EXPECT_FALSE(mixer.LineInPlaying()) << "nothing plays before the mixer is set";
  const TMixerVolumeChange open{.Mute = false}, mute{.Mute = true}, silent{.Left = 0, .Right = 0};
  EXPECT_TRUE(mixer.SetVolume(kSpeakers, kLineIn, open) && mixer.LineInPlaying());
  const int master = kDestinationControl;
  EXPECT_TRUE(mixer.SetVolume(kSpeakers, master, mute) && !mixer.LineInPlaying()) << "master mute";
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, master, open) && mixer.SetVolume(kSpeakers, kLineIn, silent));
  EXPECT_FALSE(mixer.LineInPlaying());
  // Other sound cards carry no TV sound.
  TVirtualMixer headset({TVirtualMixer::DefaultDevice("Some USB Headset")});
  ASSERT_TRUE(headset.SelectMixer(0));
  headset.SetVolume(kSpeakers, kLineIn, open);
  EXPECT_FALSE(headset.LineInPlaying());
  qunsetenv("OKA_PVX_AUDIO_SINK");
}

TEST(AlsaMixer, RawRangesMapOntoFullScaleEachCardGetsItsDestinationsAndWithoutACardEveryCallFails) {
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
  for (const auto& [min, max] :
       {std::pair<long, long>{0, 31}, {0, 255}, {-9999, 0}, {0, 65535}, {0, 1}, {-20, 87}})
    for (long raw = min; raw <= max; ++raw)
      ASSERT_EQ(MixerLevelToAlsa(AlsaToMixerLevel(raw, min, max), min, max), raw)
          << raw << " in " << min << ".." << max;
  // Master is the speakers' control and the other playback elements are its lines; odd cards give
  // their own controls and lines.
  const Caps iec958{"IEC958", 0, false, true, false, false};
  // clang-format off
  const std::tuple<const char*, std::vector<Caps>, std::string> cases[] = {
      {"a usual card", {Playback("Headphone"), Playback("Master"), Playback("PCM", false),
                        {"Line", 0, true, true, true, true}, Capture("Capture"), Capture("Mic"),
                        {"Mic Boost", 0, false, false, false, false}},
       "Master speakers play 1 Headphone,PCM,Line | Capture wave-in rec 4 Line,Mic"},
      {"without Master the first playback volume is the control",
       {iec958, Playback("Speaker"), Playback("PCM")}, "Speaker speakers play 1 IEC958,PCM"},
      {"switches alone make no speakers", {iec958}, ""},
      {"nothing at all", {}, ""},
      {"recording without a capture element has no control", {Capture("Line"), Capture("Mic", false)},
       "Capture wave-in rec -1 Line,Mic"},
      {"indexed elements are labelled apart",
       {Playback("Master"), {"Line", 0, true, true, false, false}, {"Line", 2, true, true, false, false}},
       "Master speakers play 0 Line,Line 2"}};
  // clang-format on
  for (const auto& [what, elements, expected] : cases) EXPECT_EQ(Describe(elements), expected) << what;
  // Without a sound card every call fails, and the platform's mixer is the virtual one.
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
