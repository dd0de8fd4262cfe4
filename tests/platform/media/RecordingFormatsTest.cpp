// Every kind of recording, built as the recording graph builds it, records three seconds from
// the virtual card and the file is checked with ffprobe: the MPEG recorder's program streams
// and discs, the multiplexer of encoder cards, AVI through each compressor or none, and sound
// alone as WAV or MP3. Then what the recording components refuse.

#include <climits>

#include "MediaTestSupport.h"
#include "platform/media/MediaInterfaces.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::media;
using C = formats::Container;
using Builder = std::function<bool(TRig&, const QString&)>;

struct FormatCase {
  std::string file;
  TCaptureFormat capture;
  Builder build;
  std::string probes;         // "format | picture | sound", "" for a stream it must not have
  double tolerance = 0.5;     // of its three seconds
  const char* tag = nullptr;  // AVI: the picture's codec tag; the picture must be upright
  int packSize = 0;           // discs: a pack starts every sector
  qint64 maxBitRate = 0;      // DVDs: the multiplex rate
};

std::string Probes(const QString& format, const QString& picture, const QString& sound) {
  return QStringList({format, picture, sound}).join(" | ").toStdString();
}

// The recorder given a size and rates, captured at that size, and the file it must give. A
// station other than the test card's (0) is tuned first.
FormatCase Mpeg(const char* name, C container, int type, int bitRate, int quality, int width, int height,
                int sampleRate, int rateCode, double fps, const char* audio, int packSize = 0,
                quint32 station = 0) {
  const TMpegSettings s{type, bitRate, quality, width, height, sampleRate, rateCode, false, true, container};
  const auto build = [s, station](TRig& rig, const QString& path) {
    return (!station || rig.tuner->As<ITunerPropertySet>()->SetFrequency(station, kTuningExact, 0)) &&
           AddMpegRecorder(rig, s, path) != nullptr;
  };
  const QString picture = PictureText(type == 1 ? "mpeg1video" : "mpeg2video", width, height, fps);
  const TCaptureFormat capture{width, height, fps == 25 ? kPalFrame : kNtscFrame};
  // clang-format off
  return {std::string(name) + ".mpg", capture, build,
          Probes("mpeg", picture, SoundText(audio, sampleRate, 2)), 0.5, nullptr, packSize,
          container == C::Dvd ? 10080000 : 0};
  // clang-format on
}

// The multiplexer with its MPEG audio encoder and writer object, as encoder cards have them,
// fed here with raw pictures.
Builder Multiplexer(int type, int bitRate, int sampleRate, int channels) {
  return [=](TRig& rig, const QString& path) {
    auto mux = rig.graph.AddComponent(kMpegMultiplexerName, "MPEGMux");
    TPin* output = mux ? mux->FindPin("Output") : nullptr;
    auto encoder = rig.graph.AddComponent(kMpegAudioEncoderName, "MPEG1AudioEncoder");
    auto* sound = encoder ? encoder->As<IMpegAudioEncoder>() : nullptr;
    if (!output || !mux->FindPin("Video") || !mux->FindPin("Audio") || !sound) return false;
    auto* settings = mux->As<IMpegMultiplexer>();
    const bool connected = rig.graph.Connect(rig.VideoPin(), *mux->FindPin("Video")) &&
                           rig.graph.Connect(rig.AudioPin(), *encoder->FindPin(PinDir::Input)) &&
                           rig.graph.Connect(*encoder->FindPin(PinDir::Output), *mux->FindPin("Audio")) &&
                           sound->put_BitRate(bitRate) && sound->put_SampleRate(sampleRate) &&
                           sound->put_Channels(channels);
    auto writer = rig.graph.AddComponent(kMpegWriterName, "FileWriter");
    return connected && writer && settings->put_OutputType(type) && settings->get_OutputType() == type &&
           writer->As<IFileSink>()->SetFileName(path) && rig.graph.Render(*output) &&
           &output->ConnectedTo()->Filter() == writer.get();
  };
}

FormatCase Avi(const char* name, const char* compressor, const char* subtype, const char* codec,
               const char* tag) {
  const auto build = [compressor](TRig& rig, const QString& path) {
    return AddAviBranch(rig, compressor, path);
  };
  const TCaptureFormat capture{352, 240, kNtscFrame, subtype};
  // clang-format off
  return {std::string(name) + ".avi", capture, build,
          Probes("avi", PictureText(codec, 352, 240, 29.97), "pcm_s16le 48000/2"), 0.5, tag};
  // clang-format on
}

FormatCase Sound(const char* file, int captureRate, const char* codec) {
  const bool mp3 = QString(file).endsWith("mp3");
  const auto build = [mp3](TRig& rig, const QString& path) { return AddSoundBranch(rig, mp3, path); };
  const TCaptureFormat capture{320, 240, kNtscFrame, "YUY2", captureRate};
  return {file, capture, build, Probes(mp3 ? "mp3" : "wav", "", SoundText(codec, captureRate, 2)), 0.3};
}

std::vector<FormatCase> Formats() {
  // clang-format off
  return {
      Mpeg("Mpeg1", C::MpegSystem, 1, 1350000, 3, 320, 240, 44100, 5, 30, "mp2"),
      Mpeg("Mpeg2", C::MpegProgram, 2, 4000000, 0, 640, 240, 44100, 5, 30, "mp2"),
      // A plain MPEG-2 stream at a DVD's size and rates stays a plain stream: only the
      // container makes a disc.
      Mpeg("Mpeg2DvdSized", C::MpegProgram, 2, 3950000, 0, 720, 576, 48000, 3, 25, "mp2"),
      Mpeg("VcdNtsc", C::Vcd, 1, 1150000, 3, 352, 240, 44100, 4, 29.97, "mp2", 2324),
      Mpeg("VcdPal", C::Vcd, 1, 1150000, 3, 352, 288, 44100, 3, 25, "mp2", 2324),
      Mpeg("SvcdNtsc", C::Svcd, 2, 2300000, 3, 480, 480, 44100, 4, 29.97, "mp2", 2324),
      Mpeg("SvcdPal", C::Svcd, 2, 2300000, 3, 480, 576, 44100, 3, 25, "mp2", 2324),
      Mpeg("DvdNtsc", C::Dvd, 2, 3950000, 0, 720, 480, 48000, 4, 29.97, "ac3", 2048),
      Mpeg("DvdPal", C::Dvd, 2, 3950000, 0, 720, 576, 48000, 3, 25, "mp2", 2048),
      // A zone plate in motion (Seven Sports) is as hard as pictures get: the disc's multiplex
      // rate still holds, or the stream's clock would run ahead of the file and seeks land late.
      Mpeg("DvdPalHardPicture", C::Dvd, 2, 3950000, 0, 720, 576, 48000, 3, 25, "mp2", 2048, 175250000),
      // The free types keep the captured picture and take the encoder's sound settings; the
      // disc types take their standard's picture and sound whatever is captured.
      {"MuxMpeg1.mpg", {320, 240, kNtscFrame}, Multiplexer(MpegOutput_Mpeg1, 192000, 44100, 1),
       "mpeg | mpeg1video 320x240@29.97 | mp2 44100/1"},
      {"MuxSvcdPal.mpg", {352, 288, kPalFrame}, Multiplexer(MpegOutput_Svcd, 192000, 48000, 1),
       "mpeg | mpeg2video 480x576@25.00 | mp2 44100/2"},
      Avi("Divx", kDivxName, "YUY2", "mpeg4", "DIVX"),
      Avi("MsMpeg4V3", kMsMpeg4V3Name, "YUY2", "msmpeg4v3", "MP43"),
      Avi("MsMpeg4V2", kMsMpeg4V2Name, "YUY2", "msmpeg4v2", "MP42"),
      Avi("UncompressedYuy2", nullptr, "YUY2", "rawvideo", "YUY2"),
      Avi("UncompressedRgb24", nullptr, "RGB24", "rawvideo", "[0][0][0][0]"),
      Sound("radio.wav", 44100, "pcm_s16le"),
      Sound("radio.mp3", 48000, "mp3")};
  // clang-format on
}

// Every pack of a disc image starts a sector: a pack start code at each multiple of its size.
int MisplacedPacks(const QString& path, int packSize) {
  const QByteArray bytes = ReadFile(path);
  int bad = int(bytes.isEmpty() || bytes.size() % packSize != 0);
  for (qsizetype at = 0; at + 4 <= bytes.size(); at += packSize)
    bad += int(bytes.mid(at, 4) != QByteArray::fromHex("000001ba"));
  return bad;
}

class RecordingFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RecordingFormats, RecordThreeSecondsThatProbeAsTheirFormat) {
  const FormatCase& c = GetParam();
  const QString path = Home() + QString::fromStdString(c.file);
  TRig rig(c.capture);
  ASSERT_TRUE(c.build(rig, path));
  ASSERT_TRUE(Record(rig.graph, 3000));
  const TProbe probe = Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(Probes(probe.format, probe.picture, probe.sound), c.probes);
  EXPECT_NEAR(probe.duration, 3.0, c.tolerance);
  EXPECT_LE(probe.bitRate, c.maxBitRate ? c.maxBitRate : LLONG_MAX);
  const auto [exitCode, errors] = DecodeAll(path);
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
  if (c.packSize) {
    EXPECT_EQ(MisplacedPacks(path, c.packSize), 0);
  }
  if (!c.tag) return;
  EXPECT_EQ(probe.tag, c.tag);
  // Right way up: the test card's bars at the top are light, its bottom row is dark.
  const QByteArray rgb =
      Output("ffmpeg", {"-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
  ASSERT_EQ(rgb.size(), 352 * 240 * 3);
  const auto luma = [&](int x, int y) {
    const int at = (y * 352 + x) * 3;
    return (uchar(rgb[at]) + uchar(rgb[at + 1]) + uchar(rgb[at + 2])) / 3;
  };
  EXPECT_GT(luma(10, 100), luma(10, 230) + 60);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordingFormats, ::testing::ValuesIn(Formats()), [](const auto& info) {
  return QString::fromStdString(info.param.file).replace('.', '_').toStdString();
});

// Each setting refuses the values next to what it takes; the components stay as they were.
TEST(RecordingComponents, RefuseWhatTheyCannotRecord) {
  TFilterGraph graph{Components()};
  auto recorder = graph.AddComponent(kMpegRecorderName, "MPEG");
  auto encoder = graph.AddComponent(kMpegAudioEncoderName, "MPEG1AudioEncoder");
  auto mux = graph.AddComponent(kMpegMultiplexerName, "MPEGMux");
  ASSERT_TRUE(recorder && encoder && mux);
  auto* s = recorder->As<IMpegRecorderSettings>();
  auto* sound = encoder->As<IMpegAudioEncoder>();
  auto* type = mux->As<IMpegMultiplexer>();
  EXPECT_EQ(std::tuple(sound->get_BitRate(), sound->get_SampleRate(), sound->get_Channels()),
            std::tuple(224000, 48000, 2));
  // What each call gave, and what it must give.
  // clang-format off
  const std::pair<bool, bool> calls[] = {
      {s->SetStreamType(3), false},          {s->SetStreamType(0), false},
      {s->SetVideoBitRate(99999), false},    {s->SetVideoBitRate(20000001), false},
      {s->SetVideoBitRate(100000), true},    {s->SetVideoBitRate(20000000), true},
      {s->SetQuality(7), false},             {s->SetQuality(-1), false},           {s->SetQuality(6), true},
      {s->SetFrameSize(321, 240), false},    {s->SetFrameSize(320, 241), false},
      {s->SetFrameSize(14, 240), false},     {s->SetFrameSize(1922, 1152), false},
      {s->SetFrameSize(1920, 1154), false},  {s->SetFrameSize(1920, 1152), true},
      {s->SetFrameSize(320, 14), false},     {s->SetFrameSize(16, 16), true},
      {s->SetAudioSampleRate(22050), false},
      {s->SetAudioSampleRate(32000), true},  {s->SetContainer(C::Avi), false},
      {recorder->As<IFileSink>()->SetFileName(""), false},
      {sound->put_SampleRate(22050), false}, {sound->put_Channels(6), false},
      {sound->put_Channels(0), false},       {sound->put_Channels(2), true},
      {sound->put_BitRate(1000), false},     {sound->put_BitRate(31999), false},
      {sound->put_BitRate(384001), false},   {sound->put_BitRate(384000), true},
      {type->put_OutputType(5), false},      {type->put_OutputType(-1), false},
      {type->put_OutputType(MpegOutput_Dvd), true}};
  // clang-format on
  for (size_t i = 0; i < std::size(calls); ++i) EXPECT_EQ(calls[i].first, calls[i].second) << i;
  EXPECT_EQ(std::tuple(sound->get_BitRate(), sound->get_SampleRate(), sound->get_Channels()),
            std::tuple(384000, 48000, 2));
  // The MPEG-4 compressors that can encode, and not version one.
  QStringList names;
  for (const TMoniker& m : Components().Enumerate(DeviceCategory::VideoCompressor)) names << m.FriendlyName;
  EXPECT_EQ(names, QStringList({kDivxName, kMsMpeg4V3Name, kMsMpeg4V2Name}));
  EXPECT_FALSE(
      graph.AddComponent("Microsoft MPEG-4 Video Codec V1", "MPEG4", DeviceCategory::VideoCompressor));
}

// Without a file name, or with one in a folder that does not exist, the recording does not run.
TEST(RecordingComponents, WritersRefuseToRunWithoutAFileTheyCanWrite) {
  TRig mpeg;
  auto recorder = mpeg.graph.AddComponent(kMpegRecorderName, "MPEG");
  ASSERT_TRUE(recorder && mpeg.graph.Render(mpeg.VideoPin()));
  EXPECT_FALSE(mpeg.graph.Run()) << "no file to write";
  EXPECT_EQ(mpeg.graph.State(), GraphState::Stopped);
  recorder->As<IFileSink>()->SetFileName(Home() + "missing/folder/x.mpg");
  EXPECT_FALSE(mpeg.graph.Run());
  TRig wav;
  ASSERT_TRUE(wav.graph.AddComponent(kWavDestName, "WaveDest"));
  ASSERT_TRUE(wav.graph.AddComponent(kFileWriterName, "File Writer"));
  ASSERT_TRUE(wav.graph.Render(wav.AudioPin()));
  EXPECT_FALSE(wav.graph.Run());
}

}  // namespace
}  // namespace pvx::test
