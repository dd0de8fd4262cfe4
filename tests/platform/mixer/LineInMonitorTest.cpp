#include <gtest/gtest.h>

#include "platform/mixer/TVirtualMixer.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform::mixer;

// The default device's speakers and their "Line In" (VirtualMixerTest checks the layout).
constexpr int kSpeakers = 0;
constexpr int kLineIn = 2;

TEST(LineInMonitor, TheCardIsHeardWhileTheLineInputIsOpen) {
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  TVirtualMixer mixer;
  ASSERT_TRUE(mixer.SelectMixer(0));
  ASSERT_EQ(mixer.LineName(kSpeakers, kLineIn), "Line In");
  EXPECT_FALSE(mixer.LineInPlaying()) << "nothing plays before the mixer is set";
  const TMixerVolumeChange open{.Mute = false}, mute{.Mute = true}, silent{.Left = 0, .Right = 0};
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kLineIn, open));
  EXPECT_TRUE(mixer.LineInPlaying());
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, mute));  // master mute
  EXPECT_FALSE(mixer.LineInPlaying());
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kDestinationControl, open));
  ASSERT_TRUE(mixer.SetVolume(kSpeakers, kLineIn, silent));
  EXPECT_FALSE(mixer.LineInPlaying());
  // Other sound cards carry no TV sound.
  TVirtualMixer headset({TVirtualMixer::DefaultDevice("Some USB Headset")});
  ASSERT_TRUE(headset.SelectMixer(0));
  headset.SetVolume(kSpeakers, kLineIn, open);
  EXPECT_FALSE(headset.LineInPlaying());
  qunsetenv("OKA_PVX_AUDIO_SINK");
}
