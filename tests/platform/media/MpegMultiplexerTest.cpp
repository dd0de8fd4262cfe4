// The multiplexer path of encoder cards, fed here with the virtual card's raw pictures: the
// "OKA MPEG Multiplexer" with its output type, the "OKA MPEG1 Audio Encoder" settings and the
// writer object, connected and called as the recording graph does.

#include "MediaTestSupport.h"
#include "platform/media/MediaInterfaces.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

struct MuxCase {
  const char* name;
  int outputType;
  int width, height;
  qint64 frame;
  int bitRate, sampleRate, channels;  // given to the audio encoder
  const char* videoCodec;
  int fileWidth, fileHeight;
  double fps;
  int fileRate, fileChannels;
};

const MuxCase kCases[] = {
    // The free types keep the captured picture and take the encoder's sound settings.
    {"Mpeg1", MpegOutput_Mpeg1, 320, 240, test::kNtscFrame, 192000, 44100, 1, "mpeg1video", 320, 240,
     29.97, 44100, 1},
    // The disc types take their standard's picture and sound whatever is captured.
    {"SvcdPal", MpegOutput_Svcd, 352, 288, test::kPalFrame, 192000, 48000, 1, "mpeg2video", 480, 576,
     25, 44100, 2},
};

class MpegMultiplexerTypes : public ::testing::TestWithParam<MuxCase> {};

TEST_P(MpegMultiplexerTypes, WritesTheOutputTypeWithTheEncodersSound) {
  const MuxCase c = GetParam();
  const QString path = test::Home() + c.name + ".mpg";
  test::TCaptureRig rig(c.width, c.height, c.frame);
  auto mux = rig.graph.AddComponent("OKA MPEG Multiplexer", "MPEGMux");
  ASSERT_TRUE(mux);
  TPin* video = mux->FindPin("Video");
  TPin* audio = mux->FindPin("Audio");
  TPin* output = mux->FindPin("Output");
  auto* settings = mux->As<IMpegMultiplexer>();
  ASSERT_TRUE(video && audio && output && settings);
  auto encoder = rig.graph.AddComponent("OKA MPEG1 Audio Encoder", "MPEG1AudioEncoder");
  ASSERT_TRUE(encoder);
  ASSERT_TRUE(rig.graph.Connect(rig.VideoPin(), *video));
  ASSERT_TRUE(rig.graph.Connect(rig.AudioPin(), *encoder->FindPin(PinDir::Input)));
  ASSERT_TRUE(rig.graph.Connect(*encoder->FindPin(PinDir::Output), *audio));
  auto* audioSettings = encoder->As<IMpegAudioEncoder>();
  ASSERT_TRUE(audioSettings);
  EXPECT_TRUE(audioSettings->put_BitRate(c.bitRate));
  EXPECT_TRUE(audioSettings->put_SampleRate(c.sampleRate));
  EXPECT_TRUE(audioSettings->put_Channels(c.channels));
  auto writer = rig.graph.AddComponent("OKA MPEG Writer", "FileWriter");
  ASSERT_TRUE(writer);
  EXPECT_TRUE(settings->put_OutputType(c.outputType));
  EXPECT_EQ(settings->get_OutputType(), c.outputType);
  ASSERT_TRUE(writer->As<IFileSink>()->SetFileName(path));
  ASSERT_TRUE(rig.graph.Render(*output));
  EXPECT_EQ(&output->ConnectedTo()->Filter(), writer.get());
  ASSERT_TRUE(rig.Record(3000));

  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.Picture(), test::PictureText(c.videoCodec, c.fileWidth, c.fileHeight, c.fps));
  EXPECT_EQ(probe.Sound(), test::SoundText("mp2", c.fileRate, c.fileChannels));
  EXPECT_NEAR(probe.Duration(), 3.0, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Types, MpegMultiplexerTypes, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MpegAudioEncoder, RefusesRatesMpegAudioDoesNotHave) {
  TFilterGraph graph{test::Components()};
  auto encoder = graph.AddComponent("OKA MPEG1 Audio Encoder", "MPEG1AudioEncoder");
  auto* settings = encoder->As<IMpegAudioEncoder>();
  EXPECT_EQ(settings->get_BitRate(), 224000);
  EXPECT_EQ(settings->get_SampleRate(), 48000);
  EXPECT_EQ(settings->get_Channels(), 2);
  EXPECT_FALSE(settings->put_SampleRate(22050));
  EXPECT_FALSE(settings->put_Channels(6));
  EXPECT_FALSE(settings->put_BitRate(1000));
  EXPECT_EQ(settings->get_SampleRate(), 48000);
  auto mux = graph.AddComponent("OKA MPEG Multiplexer", "MPEGMux");
  EXPECT_FALSE(mux->As<IMpegMultiplexer>()->put_OutputType(5));
}

}  // namespace
