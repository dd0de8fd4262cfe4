// Recording and playback through the graph facade on the virtual card, files checked with
// ffprobe and ffmpeg. Every kind of recording, built as the recording graph builds it, records
// three seconds: the MPEG recorder's program streams and discs, the multiplexer of encoder cards,
// AVI through each compressor or none, and sound alone as WAV or MP3. A copy taken half way is
// what a killed recording leaves (nothing is completed): it still probes and plays up to about
// its last second. Then what the recording components refuse; a growing time-shift file played
// while it is written; the recording session on its own: what it queues from live and file
// sources, a picture that cannot be read, codec complaints.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <climits>

#include "MediaTestSupport.h"
#include "platform/components/TestFilters.h"
#include "platform/graph/GstPtr.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/TRecordSession.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::media;
using C = formats::Container;
using formats::RecordFormat;
using Cat = DeviceCategory;

// The capture rig on the virtual card and the recording branches, built as the recording graph
// builds them.

constexpr qint64 kNtscFrame = 333667;
constexpr qint64 kPalFrame = 400000;

// The picture and sound a recording asks of the card.
struct TCaptureFormat {
  int width = 320, height = 240;
  qint64 frame = kNtscFrame;
  const char* subtype = "YUY2";
  int sampleRate = 48000;
};

// The virtual card's capture devices in a graph of this test's registry, tuned to a station;
// both must take the format asked.
struct TRig {
  TFilterGraph graph{Components()};
  std::shared_ptr<TFilter> video, audio, tuner;

  explicit TRig(const TCaptureFormat& format = {}) {
    video = Components().Enumerate(Cat::VideoInputDevice).front().Bind();
    audio = Components().Enumerate(Cat::AudioInputDevice).front().Bind();
    tuner = Components().Enumerate(Cat::TVTuner).front().Bind();
    graph.AddFilter(video, "VCapture");
    graph.AddFilter(audio, "ACapture");
    graph.AddFilter(tuner, "TVTuner");
    tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
    const TMediaType picture{MediaMajor::Video, format.subtype, format.width, format.height, format.frame};
    const TMediaType sound{MediaMajor::Audio, "PCM", 0, 0, 0, format.sampleRate, 2, 16};
    EXPECT_TRUE(video->As<IStreamConfig>()->SetFormat(picture) &&
                audio->As<IStreamConfig>()->SetFormat(sound));
  }
  TPin& VideoPin() { return *video->FindPin("Capture"); }
  TPin& AudioPin() { return *audio->FindPin("Capture"); }
};

// The MPEG recorder with its settings in their order, the file name, then both capture pins
// rendered into it. nullptr when any of it is refused.
std::shared_ptr<TFilter> AddMpegRecorder(TRig& rig, const TMpegSettings& s, const QString& path) {
  auto recorder = rig.graph.AddComponent(kMpegRecorderName, "MPEG");
  auto* set = recorder ? recorder->As<IMpegRecorderSettings>() : nullptr;
  const bool built = set && set->SetStreamType(s.streamType) && set->SetVideoBitRate(s.bitRate) &&
                     set->SetQuality(s.quality) && set->SetFrameSize(s.width, s.height) &&
                     set->SetAudioSampleRate(s.sampleRate) && set->SetFrameRateCode(s.frameRateCode) &&
                     set->SetFlags(s.timeShift, s.programStream) &&
                     (!s.container || set->SetContainer(*s.container)) &&
                     (!s.format || set->SetRecordFormat(*s.format)) &&
                     recorder->As<IFileSink>()->SetFileName(path) &&
                     rig.graph.Render(rig.VideoPin()) && rig.graph.Render(rig.AudioPin());
  return built ? recorder : nullptr;
}

// 320x240 MPEG-1 at 4 Mbit/s and 30 frames/s, quality 3, with 44.1 kHz sound, into the named .mpv
// file and its ".mpa" companion, played while it grows.
const TMpegSettings kTimeShift{1, 4000000, 3, 320, 240, 44100, 5, true, false, {}};

// Pictures the first video stream decodes to (a damaged file may add an empty field).
int CountFrames(const QString& path) {
  const QStringList args{"-count_frames", "-select_streams", "v:0", "-show_entries", "stream=nb_read_frames",
                         "-of", "csv=p=0", path};
  return RunTool("ffprobe", args).output.split(',').front().trimmed().toInt();
}

// How long the sound decodes to, in seconds.
double SoundSeconds(const QString& path) {
  return RunTool("ffmpeg", {"-i", path, "-f", "s16le", "-ac", "2", "-ar", "48000", "-"}).output.size() /
         (48000.0 * 4);
}

// Decodes every stream.
TRun DecodeAll(const QString& path) { return RunTool("ffmpeg", {"-i", path, "-f", "null", "-"}); }

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
  const char* scan = nullptr; // what ffmpeg's idet makes of most pictures: "TFF", "Progressive"
};

// Failures name the file, not the row's bytes.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.file; }

std::string Probes(const QString& format, const QString& picture, const QString& sound) {
  return QStringList({format, picture, sound}).join(" | ").toStdString();
}

// The recorder given a size and rates, captured at that size, and the file it must give. A
// station other than the test card's (0) is tuned first.
FormatCase Mpeg(const char* name, C container, int type, int bitRate, int quality, int width, int height,
                int sampleRate, int rateCode, double fps, const char* audio, int packSize = 0,
                quint32 station = 0, const char* scan = nullptr) {
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
          container == C::Dvd ? 10080000 : 0, scan};
  // clang-format on
}

// H.264 or HEVC at constant quality in MP4 or Matroska, from `station` (0: the test card).
FormatCase ConstantQuality(const char* file, RecordFormat format, int width, int height, const char* probes,
                           quint32 station = 0, const char* scan = nullptr) {
  TMpegSettings s{2, 4000000, 3, width, height, 48000, 0, false, true};
  s.format = format;
  const auto build = [s, station](TRig& rig, const QString& path) {
    return (!station || rig.tuner->As<ITunerPropertySet>()->SetFrequency(station, kTuningExact, 0)) &&
           AddMpegRecorder(rig, s, path) != nullptr;
  };
  return {file, {width, height, station ? kPalFrame : kNtscFrame}, build, probes, 0.5, nullptr, 0, 0, scan};
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

// An AVI file through the capture graph builder: the picture through the compressor of that
// name (nullptr: uncompressed) and the sound as PCM. The file writer's name must be `path`.
FormatCase Avi(const char* name, const char* compressorName, const char* subtype, const char* codec,
               const char* tag) {
  const auto build = [compressorName](TRig& rig, const QString& path) {
    TCaptureGraphBuilder builder(rig.graph);
    std::shared_ptr<TFilter> mux;
    const auto compressor =
        compressorName ? rig.graph.AddComponent(compressorName, "MPEG4", Cat::VideoCompressor) : nullptr;
    IFileSinkFilter2* sink = nullptr;
    const auto picture = PinCategory::Capture;
    return (compressor || !compressorName) && builder.SetOutputFileName("AVI", path, &mux, &sink) &&
           sink->GetCurFile() == path &&
           builder.RenderStream(picture, std::nullopt, *rig.video, compressor.get(), mux.get()) &&
           builder.RenderStream(PinCategory::None, std::nullopt, *rig.audio, nullptr, mux.get());
  };
  const TCaptureFormat capture{352, 240, kNtscFrame, subtype};
  // clang-format off
  return {std::string(name) + ".avi", capture, build,
          Probes("avi", PictureText(codec, 352, 240, 29.97), "pcm_s16le 48000/2"), 0.5, tag};
  // clang-format on
}

// The sound alone, through the MP3 compressor or as PCM, into the WAV writer and file writer.
FormatCase Sound(const char* file, int captureRate, const char* codec) {
  const bool mp3 = QString(file).endsWith("mp3");
  const auto build = [mp3](TRig& rig, const QString& path) {
    TPin* source = &rig.AudioPin();
    auto compressor = mp3 ? rig.graph.AddComponent(kMp3CompressorName, "MP3", Cat::AudioCompressor) : nullptr;
    if (mp3 && (!compressor || !rig.graph.Connect(*source, *compressor->FindPin(PinDir::Input))))
      return false;
    if (mp3) source = compressor->FindPin(PinDir::Output);
    auto dest = rig.graph.AddComponent(kWavDestName, "WaveDest");
    auto writer = rig.graph.AddComponent(kFileWriterName, "File Writer");
    auto* sink = writer ? writer->As<IFileSinkFilter2>() : nullptr;
    return dest && sink && sink->SetMode(0) && sink->SetFileName(path) && rig.graph.Render(*source);
  };
  const TCaptureFormat capture{320, 240, kNtscFrame, "YUY2", captureRate};
  return {file, capture, build, Probes(mp3 ? "mp3" : "wav", "", SoundText(codec, captureRate, 2)), 0.3};
}

std::vector<FormatCase> Formats() {
  // clang-format off
  return {
      Mpeg("Mpeg1", C::MpegSystem, 1, 1350000, 3, 320, 240, 44100, 5, 30, "mp2"),
      // A plain MPEG-2 stream at a DVD's size and rates stays a plain stream: only the
      // container makes a disc.
      Mpeg("Mpeg2DvdSized", C::MpegProgram, 2, 3950000, 0, 720, 576, 48000, 3, 25, "mp2"),
      // One disc of each kind, NTSC and PAL among them (the standard follows the height).
      Mpeg("VcdNtsc", C::Vcd, 1, 1150000, 3, 352, 240, 44100, 4, 29.97, "mp2", 2324),
      Mpeg("SvcdPal", C::Svcd, 2, 2300000, 3, 480, 576, 44100, 3, 25, "mp2", 2324),
      Mpeg("DvdNtsc", C::Dvd, 2, 3950000, 0, 720, 480, 48000, 4, 29.97, "ac3", 2048),
      // A zone plate in motion (Seven Sports) is as hard as pictures get: the disc's multiplex
      // rate still holds, or the stream's clock would run ahead of the file and seeks land late.
      Mpeg("DvdPalHardPicture", C::Dvd, 2, 3950000, 0, 720, 576, 48000, 3, 25, "mp2", 2048, 175250000, "TFF"),
      // The same interlaced station deinterlaced for a progressive format.
      ConstantQuality("H264.mp4", RecordFormat::Mp4H264, 720, 576,
                      "mov,mp4,m4a,3gp,3g2,mj2 | h264 720x576@25.00 | aac 48000/2", 175250000, "Progressive"),
      ConstantQuality("H264.mkv", RecordFormat::MatroskaH264, 352, 240, "matroska,webm | h264 352x240@29.97 | aac 48000/2"),
      ConstantQuality("Hevc.mkv", RecordFormat::MatroskaHevc, 320, 240, "matroska,webm | hevc 320x240@29.97 | opus 48000/2"),
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

// Decoded length in seconds: of the picture (frames / rate) when there is one, else of the sound.
double DecodedSeconds(const QString& path, const TProbe& probe) {
  if (probe.picture.isEmpty()) return SoundSeconds(path);
  return probe.fps > 0 ? CountFrames(path) / probe.fps : -1;
}

// The scan ffmpeg's interlace detector finds in most pictures: "TFF", "BFF" or "Progressive".
QString Scan(const QString& path) {
  const TRun run = RunTool("ffmpeg", {"-v", "info", "-i", path, "-vf", "idet", "-an", "-f", "null", "-"});
  const QRegularExpressionMatch m = QRegularExpression("Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) "
                                                       "Progressive: *(\\d+)").match(run.errors);
  if (!m.hasMatch()) return run.errors.right(200);
  const int tff = m.captured(1).toInt(), bff = m.captured(2).toInt(), progressive = m.captured(3).toInt();
  return tff > bff + progressive ? "TFF" : bff > tff + progressive ? "BFF" : progressive > tff + bff ? "Progressive" : "mixed";
}

class RecordingFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RecordingFormats, RecordThreeSecondsThatProbeAsTheirFormatAndPlayWhenCutHalfWay) {
  const FormatCase& c = GetParam();
  const QString path = Home() + QString::fromStdString(c.file), cut = Home() + "cut_" + c.file.c_str();
  TRig rig(c.capture);
  ASSERT_TRUE(c.build(rig, path) && rig.graph.Run() && Played(rig.graph, 2500) && QFile::copy(path, cut));
  ASSERT_TRUE(Played(rig.graph, 3000) && rig.graph.Stop());
  const TProbe probe = Probe(path), killed = Probe(cut);
  ASSERT_TRUE(probe.ok && killed.ok) << probe.error.toStdString() << killed.error.toStdString();
  EXPECT_EQ(Probes(probe.format, probe.picture, probe.sound), c.probes);
  EXPECT_EQ(Probes(killed.format, killed.picture, killed.sound), c.probes);
  EXPECT_NEAR(probe.duration, 3.0, c.tolerance);
  EXPECT_LE(probe.bitRate, c.maxBitRate ? c.maxBitRate : LLONG_MAX);
  const TRun decoded = DecodeAll(path);
  EXPECT_TRUE(decoded.exitCode == 0 && decoded.errors.isEmpty()) << decoded.errors.toStdString();
  EXPECT_EQ(c.packSize ? MisplacedPacks(path, c.packSize) : 0, 0);
  // At most about a second is lost: what was written before the last commit plays.
  EXPECT_EQ(DecodeAll(cut).exitCode, 0);
  EXPECT_GT(DecodedSeconds(cut, killed), 1.0);
  if (c.scan) EXPECT_EQ(Scan(path), c.scan);
  if (!c.tag) return;
  EXPECT_EQ(probe.tag, c.tag);
  // Right way up: the test card's bars at the top are light, its bottom row is dark.
  const QByteArray gray =
      RunTool("ffmpeg", {"-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"}).output;
  ASSERT_EQ(gray.size(), 352 * 240);
  const auto luma = [&](int x, int y) { return uchar(gray[y * 352 + x]); };
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
  for (const TMoniker& m : Components().Enumerate(Cat::VideoCompressor)) names << m.FriendlyName;
  EXPECT_EQ(names, QStringList({kDivxName, kMsMpeg4V3Name, kMsMpeg4V2Name}));
  EXPECT_FALSE(graph.AddComponent("Microsoft MPEG-4 Video Codec V1", "MPEG4", Cat::VideoCompressor));
}

// Without a file name, or with one in a folder that does not exist, the recording does not run.
TEST(RecordingComponents, WritersRefuseToRunWithoutAFileTheyCanWrite) {
  TRig mpeg;
  auto recorder = mpeg.graph.AddComponent(kMpegRecorderName, "MPEG");
  ASSERT_TRUE(recorder && mpeg.graph.Render(mpeg.VideoPin()));
  EXPECT_TRUE(!mpeg.graph.Run() && mpeg.graph.State() == GraphState::Stopped) << "no file to write";
  recorder->As<IFileSink>()->SetFileName(Home() + "missing/folder/x.mpg");
  EXPECT_FALSE(mpeg.graph.Run());
  TRig wav;
  ASSERT_TRUE(wav.graph.AddComponent(kWavDestName, "WaveDest") &&
              wav.graph.AddComponent(kFileWriterName, "File Writer") && wav.graph.Render(wav.AudioPin()));
  EXPECT_FALSE(wav.graph.Run());
}

// One time-shift recording (PAL, which the recorder scales to 320x240): followed by the growing
// source while it is written, its sound companion cut half way as a killed recording leaves it,
// and probed. (A stored pair played: TimeShiftPlayback in playback_tests.)
TEST(TimeShiftPlayback, ARecordingPlaysWhileItIsWrittenAndProbesAsAnElementaryPair) {
  const QString path = Home() + "ts0.mpv", companion = Home() + "ts0.mpa", cut = Home() + "cut.mpa";
  TRig writer(TCaptureFormat{352, 288, kPalFrame});
  ASSERT_TRUE(AddMpegRecorder(writer, kTimeShift, path) && writer.graph.Run());
  ASSERT_TRUE(WaitUntil([&] { return QFile(path).size() > 20000; }));
  bool ended = false, failed = false;
  TFilterGraph follower{Components()};
  auto picture = std::make_shared<TTestSink>();  // standing in for the video window
  follower.OnEvent = [&](const TGraphEvent& e) {
    ended = ended || e.kind == TGraphEvent::EndOfStream;
    failed = failed || e.kind == TGraphEvent::Error;
  };
  follower.AddFilter(picture, "PlaybackVideoWindow");
  auto source = follower.AddComponent(kGrowingFileSourceName, "Async Source Filter");
  ASSERT_TRUE(source && source->As<IFileSourceFilter>()->Load(path) && source->As<IGrowingFileSource>());
  ASSERT_TRUE(follower.Render(*source->FindPin("Output")) && follower.Run());
  EXPECT_TRUE(source->As<IGrowingFileSource>()->IsFollowing());
  // The reader catches up with the writer and then keeps pace with it: pictures go on
  // arriving for as long as the recording runs, and the stream does not end.
  ASSERT_TRUE(WaitUntil([&] { return picture->Frames() > 0; }));
  const int early = picture->Frames();
  ASSERT_TRUE(WaitUntil([&] { return picture->Frames() > early + 30; }) && !ended && !failed);
  ASSERT_TRUE(Played(writer.graph, 2500) && QFile::copy(companion, cut));
  ASSERT_TRUE(Played(writer.graph, 3000) && writer.graph.Stop());
  ASSERT_TRUE(WaitUntil([&] { return ended; })) << "no end after the writer";
  EXPECT_FALSE(source->As<IGrowingFileSource>()->IsFollowing());
  const int frames = CountFrames(path);
  EXPECT_NEAR(picture->Frames(), frames, 3);
  follower.Stop();
  const TProbe mpv = Probe(path), mpa = Probe(companion);
  ASSERT_TRUE(mpv.ok && mpa.ok && Probe(cut).ok) << mpv.error.toStdString() << mpa.error.toStdString();
  EXPECT_EQ(
      QStringList({mpv.format, mpv.picture, mpv.sound, mpa.picture, mpa.sound}).join(" | ").toStdString(),
      "mpegvideo | mpeg1video 320x240@30.00 |  |  | mp2 44100/2");
  EXPECT_NEAR(mpa.duration, 3.0, 0.5);
  EXPECT_GT(SoundSeconds(cut), 1.0);
  EXPECT_NEAR(frames / 30.0, 3.0, 0.5) << "elementary video carries no times: its frames count";
}

TEST(RecordSession, QueueRoomForLiveAndFileSources) {
  // Video or sound, a live source, the pictures and sound buffers queued, and the room there is.
  const std::tuple<bool, bool, size_t, size_t, QueueRoom> cases[] = {
      {true, true, 89, 0, QueueRoom::Take},    {true, true, 90, 0, QueueRoom::Drop},
      {true, false, 90, 0, QueueRoom::Wait},   {false, true, 90, 299, QueueRoom::Take},
      {false, true, 0, 300, QueueRoom::Drop},  {false, false, 0, 300, QueueRoom::Wait},
      {false, true, 90, 310, QueueRoom::Drop}, {true, true, 0, 400, QueueRoom::Take},
  };
  for (const auto& [video, live, queuedVideo, queuedAudio, room] : cases)
    EXPECT_EQ(RoomFor(video, live, queuedVideo, queuedAudio), room)
        << video << live << " " << queuedVideo << "/" << queuedAudio;
}

GstSamplePtr Picture(gsize bytes, GstClockTime pts) {
  GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
  gst_buffer_memset(buffer, 0, 0x80, bytes);
  GST_BUFFER_PTS(buffer) = pts;
  GstCaps* caps = gst_caps_from_string("video/x-raw,format=I420,width=320,height=240,framerate=25/1");
  GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
  gst_buffer_unref(buffer);
  gst_caps_unref(caps);
  return GstSamplePtr(sample);
}

TEST(RecordSession, APictureThatCannotBeReadFailsTheRecording) {
  platform::graph::EnsureGstreamer();
  for (const bool whole : {true, false}) {
    TRecordProfile profile = MpegProfileOf(TMpegSettings{}, Home() + "picture.mpg");
    TRecordSession session(profile, /*withVideo=*/true, /*withAudio=*/false);
    QString why;
    ASSERT_TRUE(session.Start(why)) << why.toStdString();
    // An I420 picture of 320x240 needs 115200 bytes; the short one cannot be mapped.
    const gsize bytes = whole ? 320 * 240 * 3 / 2 : 1000;
    for (int i = 0; i < 3; ++i) session.Push(Picture(bytes, i * 40 * GST_MSECOND).get(), true, false);
    EXPECT_EQ(session.Finish(), whole) << session.Error().toStdString();
    EXPECT_EQ(session.Error().isEmpty(), whole) << session.Error().toStdString();
  }
}

QStringList gLogged;
void Keep(QtMsgType, const QMessageLogContext&, const QString& text) { gLogged << text; }

// An encoder at its limits complains for every frame: a few lines, then silence.
TEST(RecordSession, ARepeatedCodecComplaintIsLoggedAFewTimesOnly) {
  RouteFfmpegLog();
  gLogged.clear();
  const QtMessageHandler old = qInstallMessageHandler(Keep);
  for (int i = 0; i < 50; ++i) av_log(nullptr, AV_LOG_ERROR, "rate too small for frame %d\n", i);
  av_log(nullptr, AV_LOG_ERROR, "another complaint\n");
  qInstallMessageHandler(old);
  EXPECT_EQ(gLogged, QStringList({"rate too small for frame 0", "rate too small for frame 1",
                                  "rate too small for frame 2",
                                  "(the message above repeats; not shown again)", "another complaint"}));
}

// H.264 goes to the graphics card only where its render node opens; otherwise, or when software
// is chosen, the recording is made in software all the same and the log says why.
TEST(RecordSession, WithoutAWorkingRenderNodeH264IsEncodedInSoftware) {
  platform::graph::EnsureGstreamer();
  QFile fake(Home() + "renderD128");
  ASSERT_TRUE(fake.open(QIODevice::WriteOnly) && fake.write("not a device") > 0);
  fake.close();
  const struct { QString node; bool softwareOnly; const char* why; } rows[] = {
      {fake.fileName(), false, "VA-API: cannot open"},
      {Home() + "missing/renderD129", false, "VA-API: cannot open"},
      {fake.fileName(), true, "VA-API: software chosen"},
  };
  for (const auto& r : rows) {
    qputenv("OKA_PVX_RENDER_NODE", QFile::encodeName(r.node));
    TMpegSettings s{2, 4000000, 3, 320, 240, 48000, 0, false, true};
    s.format = RecordFormat::MatroskaH264;
    s.softwareOnly = r.softwareOnly;
    TRecordProfile profile = MpegProfileOf(s, Home() + "software.mkv");
    TRecordSession session(profile, /*withVideo=*/true, /*withAudio=*/false);
    QString why;
    gLogged.clear();
    const QtMessageHandler old = qInstallMessageHandler(Keep);
    ASSERT_TRUE(session.Start(why)) << why.toStdString();
    for (int i = 0; i < 25; ++i) session.Push(Picture(320 * 240 * 3 / 2, i * 40 * GST_MSECOND).get(), true, false);
    EXPECT_TRUE(session.Finish()) << session.Error().toStdString();
    qInstallMessageHandler(old);
    EXPECT_TRUE(gLogged.filter("libx264 (software; " + QString(r.why)).size() == 1) << gLogged.join('\n').toStdString();
    EXPECT_EQ(Probe(profile.path).picture, PictureText("h264", 320, 240, 25));
  }
  qunsetenv("OKA_PVX_RENDER_NODE");
}

}  // namespace
}  // namespace pvx::test
