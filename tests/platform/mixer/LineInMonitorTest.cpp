#include <gtest/gtest.h>

#include "platform/mixer/TVirtualMixer.h"
#include "support/TestEnvironment.h"

using namespace pvx::platform::mixer;

namespace {

int Destination(TVirtualMixer& mixer, TMixerDestinationType type) {
  for (int d = 0; d < mixer.DestinationCount(); ++d)
    if (mixer.DestinationType(d) == type) return d;
  return -1;
}

int Line(TVirtualMixer& mixer, int destination, const QString& name) {
  for (int l = 0; l < mixer.LineCount(destination); ++l)
    if (mixer.LineName(destination, l) == name) return l;
  return -1;
}

}  // namespace

TEST(LineInMonitor, TheCardIsHeardWhileTheLineInputIsOpen) {
  qputenv("OKA_PVX_AUDIO_SINK", "null");
  TVirtualMixer mixer;
  ASSERT_TRUE(mixer.SelectMixer(0));
  const int speakers = Destination(mixer, TMixerDestinationType::Speakers);
  const int lineIn = Line(mixer, speakers, "Line In");
  ASSERT_GE(lineIn, 0);
  EXPECT_FALSE(mixer.LineInPlaying()) << "nothing plays before the mixer is set";
  TMixerVolumeChange open;
  open.Mute = false;
  ASSERT_TRUE(mixer.SetVolume(speakers, lineIn, open));
  EXPECT_TRUE(mixer.LineInPlaying());
  TMixerVolumeChange mute;
  mute.Mute = true;
  ASSERT_TRUE(mixer.SetVolume(speakers, kDestinationControl, mute));  // master mute
  EXPECT_FALSE(mixer.LineInPlaying());
  ASSERT_TRUE(mixer.SetVolume(speakers, kDestinationControl, open));
  TMixerVolumeChange silent;
  silent.Left = 0;
  silent.Right = 0;
  ASSERT_TRUE(mixer.SetVolume(speakers, lineIn, silent));
  EXPECT_FALSE(mixer.LineInPlaying());
  // Other sound cards carry no TV sound.
  TVirtualMixer headset({TVirtualMixer::DefaultDevice("Some USB Headset")});
  ASSERT_TRUE(headset.SelectMixer(0));
  headset.SetVolume(0, 0, open);
  EXPECT_FALSE(headset.LineInPlaying());
  qunsetenv("OKA_PVX_AUDIO_SINK");
}
