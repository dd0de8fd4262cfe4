#include "platform/mixer/TVirtualMixer.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform;
using namespace pvx::platform::mixer;

namespace {

constexpr int kSpeakers = 0;
constexpr int kRecording = 1;

TVirtualMixer TwoDevices() {
  return TVirtualMixer(
      {TVirtualMixer::DefaultDevice("First"),
       {"Second", {TVirtualMixer::Destination(TMixerDestinationType::WaveIn, "Rec", {"Aux", "Line"})}}});
}

}  // namespace

// The default is one sound device with speakers and recording. Nothing answers before a device
// is selected or just past the last device, destination or line; a selection out of range keeps
// the current device.
TEST(VirtualMixer, DevicesDestinationsAndLinesAnswerOnlyInRange) {
  TVirtualMixer mixer = TwoDevices();
  TMixerVolume v;
  EXPECT_TRUE(mixer.MixerIndex() == -1 && mixer.ProductName().isEmpty() && mixer.DestinationCount() == 0);
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, kDestinationControl, v) ||
               mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 1}));
  ASSERT_TRUE(mixer.SelectMixer(1));
  EXPECT_FALSE(mixer.SelectMixer(2) || mixer.SelectMixer(-1));
  EXPECT_EQ(mixer.ProductName(), "Second");
  EXPECT_EQ(mixer.DestinationType(0), TMixerDestinationType::WaveIn);
  ASSERT_TRUE(mixer.SelectMixer(0));
  EXPECT_EQ(mixer.DestinationType(2), TMixerDestinationType::Undefined);
  EXPECT_TRUE(mixer.DestinationName(-1).isEmpty() && mixer.DestinationName(2).isEmpty());
  EXPECT_EQ(mixer.LineCount(2), 0);
  EXPECT_TRUE(mixer.LineName(kSpeakers, 4).isEmpty() && mixer.LineName(kSpeakers, -1).isEmpty());
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, 4, v) || mixer.GetVolume(kSpeakers, -2, v) ||
               mixer.SetVolume(2, 0, {.Mute = true}) || mixer.ChangeFromOutside(2, 0, 0, {.Left = 5}) ||
               mixer.ChangeFromOutside(-1, 0, 0, {.Left = 5}));
  TVirtualMixer standard;
  ASSERT_EQ(standard.MixerCount(), 1);
  ASSERT_TRUE(standard.SelectMixer(0));
  EXPECT_EQ(standard.ProductName(), TVirtualMixer::kDefaultProductName);
  ASSERT_EQ(standard.DestinationCount(), 2);
  EXPECT_EQ(standard.DestinationType(kSpeakers), TMixerDestinationType::Speakers);
  EXPECT_EQ(standard.DestinationType(kRecording), TMixerDestinationType::WaveIn);
  EXPECT_EQ(standard.LineNames(kSpeakers), QStringList({"Wave", "CD Audio", "Line In", "Microphone"}));
  EXPECT_EQ(standard.LineNames(kRecording), QStringList({"CD Audio", "Line In", "Microphone"}));
  TVirtualMixer none(std::vector<TVirtualMixerDevice>{});
  EXPECT_FALSE(none.SelectMixer(0));
  EXPECT_TRUE(none.LineNames(0).isEmpty());
  none.NotifyLineChange(0);  // ignored, not a crash
  PumpMessages();
}

// Each request is kept as it was asked; a failing device answers nothing and keeps its state.
TEST(VirtualMixer, SetChangesOnlyWhatIsGivenAndClampsToFullScale) {
  TVirtualMixer mixer;
  mixer.SelectMixer(0);
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 70000, .Right = -3}));
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Mute = true}));
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Right = 1000}));
  TMixerVolume v;
  ASSERT_TRUE(mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_EQ(v, (TMixerVolume{kMixerFullScale, 1000, true}));
  ASSERT_EQ(mixer.Requests.size(), 3u);
  EXPECT_EQ(mixer.Requests[0].Change.Left, 70000);
  EXPECT_TRUE(mixer.Requests[0].Mixer == 0 && mixer.Requests[0].Line == kDestinationControl);
  // A line mute touches only that line; the destination's own control is not a line.
  ASSERT_TRUE(mixer.SetLineMute(kSpeakers, 0, true));
  const auto& speakers = mixer.Device(0).Destinations[0];
  EXPECT_TRUE(speakers.Lines[0].Volume.Mute && !speakers.Lines[1].Volume.Mute);
  EXPECT_FALSE(mixer.SetLineMute(kSpeakers, kDestinationControl, false));
  EXPECT_TRUE(speakers.Volume.Mute);
  mixer.FailCalls = true;
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, 1, {.Left = 1, .Mute = true}));
  EXPECT_EQ(speakers.Lines[1].Volume, (TMixerVolume{49152, 49152, false}));
  EXPECT_EQ(mixer.Requests.size(), 5u);
}

// Reports come later, not inside the call, and die with the mixer; refused changes report nothing.
TEST(VirtualMixer, ChangesAreReportedLaterNotInsideTheCall) {
  TVirtualMixer mixer = TwoDevices();
  std::vector<int> controls, lines;
  mixer.OnControlChange = [&](TMixerComponent& sender, int m) {
    EXPECT_EQ(&sender, &mixer);
    controls.push_back(m);
  };
  mixer.OnLineChange = [&](TMixerComponent&, int m) { lines.push_back(m); };
  mixer.SelectMixer(0);
  mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 5});
  mixer.ChangeFromOutside(1, 0, 1, {.Mute = true});
  mixer.NotifyLineChange(1);
  mixer.NotifyLineChange(2);
  EXPECT_TRUE(controls.empty() && lines.empty());
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, 9, {.Left = 5}));
  PumpMessages();
  EXPECT_EQ(controls, (std::vector<int>{0, 1}));
  EXPECT_EQ(lines, (std::vector<int>{1}));
  EXPECT_TRUE(mixer.Device(1).Destinations[0].Lines[1].Volume.Mute);
  int calls = 0;
  {
    TVirtualMixer gone;
    gone.OnControlChange = [&](TMixerComponent&, int) { ++calls; };
    gone.ChangeFromOutside(0, 0, kDestinationControl, {.Left = 1});
  }
  PumpMessages();
  EXPECT_EQ(calls, 0);
}
