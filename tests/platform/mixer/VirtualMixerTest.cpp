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
  return TVirtualMixer({TVirtualMixer::DefaultDevice("First"),
                        {"Second",
                         {TVirtualMixer::Destination(TMixerDestinationType::WaveIn, "Rec",
                                                     {"Aux", "Line"})}}});
}

}  // namespace

TEST(VirtualMixer, DefaultIsOneSoundDeviceWithSpeakersAndRecording) {
  TVirtualMixer mixer;
  ASSERT_EQ(mixer.MixerCount(), 1);
  ASSERT_TRUE(mixer.SelectMixer(0));
  EXPECT_EQ(mixer.ProductName(), TVirtualMixer::kDefaultProductName);
  ASSERT_EQ(mixer.DestinationCount(), 2);
  EXPECT_EQ(mixer.DestinationType(kSpeakers), TMixerDestinationType::Speakers);
  EXPECT_EQ(mixer.DestinationType(kRecording), TMixerDestinationType::WaveIn);
  EXPECT_EQ(mixer.LineNames(kSpeakers),
            QStringList({"Wave", "CD Audio", "Line In", "Microphone"}));
  EXPECT_EQ(mixer.LineNames(kRecording), QStringList({"CD Audio", "Line In", "Microphone"}));
}

TEST(VirtualMixer, NothingAnswersOutOfRange) {
  TVirtualMixer mixer = TwoDevices();
  TMixerVolume v;
  // Before a device is selected.
  EXPECT_EQ(mixer.MixerIndex(), -1);
  EXPECT_TRUE(mixer.ProductName().isEmpty());
  EXPECT_EQ(mixer.DestinationCount(), 0);
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 1}));
  // A selection out of range keeps the current device.
  ASSERT_TRUE(mixer.SelectMixer(1));
  EXPECT_FALSE(mixer.SelectMixer(2));
  EXPECT_FALSE(mixer.SelectMixer(-1));
  EXPECT_EQ(mixer.ProductName(), "Second");
  EXPECT_EQ(mixer.DestinationType(0), TMixerDestinationType::WaveIn);
  // Destinations and lines out of range.
  ASSERT_TRUE(mixer.SelectMixer(0));
  EXPECT_EQ(mixer.DestinationType(2), TMixerDestinationType::Undefined);
  EXPECT_TRUE(mixer.DestinationName(-1).isEmpty());
  EXPECT_EQ(mixer.LineCount(5), 0);
  EXPECT_TRUE(mixer.LineName(kSpeakers, 4).isEmpty());
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, 4, v));
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, -2, v));
  EXPECT_FALSE(mixer.SetVolume(7, 0, {.Mute = true}));
}

TEST(VirtualMixer, SetChangesOnlyWhatIsGivenAndClampsToFullScale) {
  TVirtualMixer mixer;
  mixer.SelectMixer(0);
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 70000, .Right = -3}));
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Mute = true}));
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Right = 1000}));
  TMixerVolume v;
  ASSERT_TRUE(mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_EQ(v, (TMixerVolume{kMixerFullScale, 1000, true}));
  // The request is kept as it was asked.
  ASSERT_EQ(mixer.Requests.size(), 3u);
  EXPECT_EQ(mixer.Requests[0].Change.Left, 70000);
  EXPECT_EQ(mixer.Requests[0].Mixer, 0);
  EXPECT_EQ(mixer.Requests[0].Line, kDestinationControl);
}

TEST(VirtualMixer, LineMuteTouchesOnlyThatLine) {
  TVirtualMixer mixer;
  mixer.SelectMixer(0);
  ASSERT_TRUE(mixer.SetLineMute(kSpeakers, 2, true));
  EXPECT_TRUE(mixer.Device(0).Destinations[0].Lines[2].Volume.Mute);
  EXPECT_FALSE(mixer.Device(0).Destinations[0].Lines[1].Volume.Mute);
  EXPECT_FALSE(mixer.Device(0).Destinations[0].Volume.Mute);
  // The destination's own control is not a line.
  EXPECT_FALSE(mixer.SetLineMute(kSpeakers, kDestinationControl, true));
}

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
  EXPECT_TRUE(controls.empty());
  EXPECT_TRUE(lines.empty());

  // Refused changes report nothing.
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, 9, {.Left = 5}));
  EXPECT_FALSE(mixer.ChangeFromOutside(3, 0, 0, {.Left = 5}));
  PumpMessages();
  EXPECT_EQ(controls, (std::vector<int>{0, 1}));
  EXPECT_EQ(lines, (std::vector<int>{1}));
  EXPECT_TRUE(mixer.Device(1).Destinations[0].Lines[1].Volume.Mute);
}

TEST(VirtualMixer, PendingReportsDieWithTheMixer) {
  int calls = 0;
  {
    TVirtualMixer mixer;
    mixer.OnControlChange = [&](TMixerComponent&, int) { ++calls; };
    mixer.ChangeFromOutside(0, 0, kDestinationControl, {.Left = 1});
  }
  PumpMessages();
  EXPECT_EQ(calls, 0);
}

TEST(VirtualMixer, FailingDeviceAnswersNothingAndKeepsItsState) {
  TVirtualMixer mixer;
  mixer.SelectMixer(0);
  const TMixerVolume before = mixer.Device(0).Destinations[0].Volume;
  mixer.FailCalls = true;
  TMixerVolume v;
  EXPECT_FALSE(mixer.GetVolume(kSpeakers, kDestinationControl, v));
  EXPECT_FALSE(mixer.SetVolume(kSpeakers, kDestinationControl, {.Left = 1, .Mute = true}));
  EXPECT_EQ(mixer.Device(0).Destinations[0].Volume, before);
  EXPECT_EQ(mixer.Requests.size(), 1u);
}

TEST(VirtualMixer, NoDevicesAtAll) {
  TVirtualMixer mixer(std::vector<TVirtualMixerDevice>{});
  EXPECT_FALSE(mixer.SelectMixer(0));
  EXPECT_TRUE(mixer.LineNames(0).isEmpty());
  mixer.NotifyLineChange(0);  // ignored, not a crash
  PumpMessages();
}
