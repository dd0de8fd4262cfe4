// The AVI branch (MPEG-4 compressors and uncompressed) and the sound branch (WAV, MP3), built
// as the recording graph builds them: compressor by name from its category, the capture graph
// builder's SetOutputFileName and RenderStream, the WAV writer and the file writer.

#include <QProcess>

#include "MediaTestSupport.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

struct AviCase {
  const char* name;
  const char* compressor;  // nullptr: uncompressed
  const char* subtype;     // what the card captures
  const char* codec;
  const char* tag;
};

const AviCase kAviCases[] = {
    {"Divx", "Divx", "YUY2", "mpeg4", "DIVX"},
    {"MsMpeg4V3", "Microsoft MPEG-4 Video Codec V3", "YUY2", "msmpeg4v3", "MP43"},
    {"MsMpeg4V2", "Microsoft MPEG-4 Video Codec V2", "YUY2", "msmpeg4v2", "MP42"},
    {"UncompressedYuy2", nullptr, "YUY2", "rawvideo", "YUY2"},
    {"UncompressedRgb24", nullptr, "RGB24", "rawvideo", "[0][0][0][0]"},
};

// The first picture as 24-bit RGB rows, top row first.
QByteArray FirstPicture(const QString& path) {
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt",
                     "rgb24", "-"});
  p.waitForFinished(60000);
  return p.readAllStandardOutput();
}

class AviKinds : public ::testing::TestWithParam<AviCase> {};

TEST_P(AviKinds, RecordsThreeSecondsOfVideoAndPcm) {
  const AviCase c = GetParam();
  const QString path = test::Home() + c.name + ".avi";
  test::TCaptureRig rig(352, 240, test::kNtscFrame, c.subtype);
  std::shared_ptr<TFilter> compressor;
  if (c.compressor) {
    compressor = rig.graph.AddComponent(c.compressor, "MPEG4", DeviceCategory::VideoCompressor);
    ASSERT_TRUE(compressor) << c.compressor;
  }
  TCaptureGraphBuilder builder(rig.graph);
  std::shared_ptr<TFilter> mux;
  IFileSinkFilter2* sink = nullptr;
  ASSERT_TRUE(builder.SetOutputFileName("AVI", path, &mux, &sink));
  EXPECT_EQ(sink->GetCurFile(), path);
  ASSERT_TRUE(builder.RenderStream(PinCategory::Capture, std::nullopt, *rig.video, compressor.get(),
                                   mux.get()));
  ASSERT_TRUE(builder.RenderStream(PinCategory::None, std::nullopt, *rig.audio, nullptr, mux.get()));
  ASSERT_TRUE(rig.Record(3000));

  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.format.value("format_name").toString(), "avi");
  EXPECT_EQ(probe.Picture(), test::PictureText(c.codec, 352, 240, 29.97));
  EXPECT_EQ(probe.video.value("codec_tag_string").toString(), c.tag);
  EXPECT_EQ(probe.Sound(), "pcm_s16le 48000/2");
  EXPECT_NEAR(probe.Duration(), 3.0, 0.5);
  const test::TDecode decode = test::DecodeAll(path);
  EXPECT_EQ(decode.exitCode, 0);
  EXPECT_TRUE(decode.errors.isEmpty()) << decode.errors.toStdString();

  // Right way up: the test card's bars at the top are light, its bottom row is dark.
  const QByteArray rgb = FirstPicture(path);
  ASSERT_EQ(rgb.size(), 352 * 240 * 3);
  const auto luma = [&](int x, int y) {
    const int at = (y * 352 + x) * 3;
    return (uchar(rgb[at]) + uchar(rgb[at + 1]) + uchar(rgb[at + 2])) / 3;
  };
  EXPECT_GT(luma(10, 100), luma(10, 230) + 60);
}

INSTANTIATE_TEST_SUITE_P(Codecs, AviKinds, ::testing::ValuesIn(kAviCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VideoCompressors, OfferTheMpeg4CodecsThatCanEncodeAndNotVersionOne) {
  QStringList names;
  for (const TMoniker& m : test::Components().Enumerate(DeviceCategory::VideoCompressor)) names << m.FriendlyName;
  EXPECT_EQ(names, QStringList({"Divx", "Microsoft MPEG-4 Video Codec V3",
                                "Microsoft MPEG-4 Video Codec V2"}));
  TFilterGraph graph{test::Components()};
  EXPECT_FALSE(graph.AddComponent("Microsoft MPEG-4 Video Codec V1", "MPEG4",
                                  DeviceCategory::VideoCompressor));
}

struct SoundCase {
  const char* name;
  bool mp3;
  int captureRate;
  const char* format;
  const char* codec;
};

class SoundKinds : public ::testing::TestWithParam<SoundCase> {};

TEST_P(SoundKinds, RecordThreeSecondsThroughTheWavWriterAndFileWriter) {
  const SoundCase c = GetParam();
  const QString path = test::Home() + c.name;
  test::TCaptureRig rig(320, 240, test::kNtscFrame, "YUY2", c.captureRate);
  TPin* source = &rig.AudioPin();
  if (c.mp3) {
    auto mp3 = rig.graph.AddComponent("MPEG Layer-3", "MP3", DeviceCategory::AudioCompressor);
    ASSERT_TRUE(mp3);
    ASSERT_TRUE(rig.graph.Connect(*source, *mp3->FindPin(PinDir::Input)));
    source = mp3->FindPin(PinDir::Output);
  }
  ASSERT_TRUE(rig.graph.AddComponent("WAV Dest", "WaveDest"));
  auto writer = rig.graph.AddComponent("File Writer", "File Writer");
  ASSERT_TRUE(writer);
  auto* sink = writer->As<IFileSinkFilter2>();
  ASSERT_TRUE(sink);
  EXPECT_TRUE(sink->SetMode(0));
  EXPECT_TRUE(sink->SetFileName(path));
  ASSERT_TRUE(rig.graph.Render(*source));
  ASSERT_TRUE(rig.Record(3000));

  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.format.value("format_name").toString(), c.format);
  EXPECT_TRUE(probe.video.isEmpty());
  EXPECT_EQ(probe.Sound(), test::SoundText(c.codec, c.captureRate, 2));
  EXPECT_NEAR(probe.Duration(), 3.0, 0.3);
  EXPECT_EQ(test::DecodeAll(path).exitCode, 0);
}

const SoundCase kSoundCases[] = {
    {"radio.wav", false, 44100, "wav", "pcm_s16le"},
    {"radio.mp3", true, 48000, "mp3", "mp3"},
};

INSTANTIATE_TEST_SUITE_P(Formats, SoundKinds, ::testing::ValuesIn(kSoundCases),
                         [](const auto& info) { return std::string(info.param.mp3 ? "Mp3" : "Wav"); });

TEST(SoundRecording, WavWriterWithoutAFileNameRefusesToRun) {
  test::TCaptureRig rig;
  ASSERT_TRUE(rig.graph.AddComponent("WAV Dest", "WaveDest"));
  ASSERT_TRUE(rig.graph.AddComponent("File Writer", "File Writer"));
  ASSERT_TRUE(rig.graph.Render(rig.AudioPin()));
  EXPECT_FALSE(rig.graph.Run());
}

}  // namespace
