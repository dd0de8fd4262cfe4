#pragma once
// Shared by the recording tests: the capture rig on the virtual card, the recording branches
// built as the recording graph builds them, real-time waits, and ffprobe/ffmpeg checks of the
// files written.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <memory>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"
#include "platform/media/TRecordProfile.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

inline constexpr qint64 kNtscFrame = 333667;
inline constexpr qint64 kPalFrame = 400000;

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
  platform::graph::TFilterGraph graph{Components()};
  std::shared_ptr<platform::graph::TFilter> video, audio, tuner;

  explicit TRig(const TCaptureFormat& format = {}) {
    using namespace platform::graph;
    video = Components().Enumerate(DeviceCategory::VideoInputDevice).front().Bind();
    audio = Components().Enumerate(DeviceCategory::AudioInputDevice).front().Bind();
    tuner = Components().Enumerate(DeviceCategory::TVTuner).front().Bind();
    graph.AddFilter(video, "VCapture");
    graph.AddFilter(audio, "ACapture");
    graph.AddFilter(tuner, "TVTuner");
    tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
    TMediaType picture, sound;
    video->As<IStreamConfig>()->GetStreamCaps(0, picture);
    picture.Subtype = format.subtype;
    picture.Width = format.width;
    picture.Height = format.height;
    picture.AvgTimePerFrame = format.frame;
    audio->As<IStreamConfig>()->GetStreamCaps(0, sound);
    sound.SampleRate = format.sampleRate;
    EXPECT_TRUE(video->As<IStreamConfig>()->SetFormat(picture) &&
                audio->As<IStreamConfig>()->SetFormat(sound));
  }
  platform::graph::TPin& VideoPin() { return *video->FindPin("Capture"); }
  platform::graph::TPin& AudioPin() { return *audio->FindPin("Capture"); }
};

// The MPEG recorder with its settings in their order, the file name, then both capture pins
// rendered into it. nullptr when any of it is refused.
inline std::shared_ptr<platform::graph::TFilter> AddMpegRecorder(TRig& rig,
                                                                 const platform::media::TMpegSettings& s,
                                                                 const QString& path) {
  using namespace platform::media;
  auto recorder = rig.graph.AddComponent(kMpegRecorderName, "MPEG");
  auto* set = recorder ? recorder->As<IMpegRecorderSettings>() : nullptr;
  const bool built = set && set->SetStreamType(s.streamType) && set->SetVideoBitRate(s.bitRate) &&
                     set->SetQuality(s.quality) && set->SetFrameSize(s.width, s.height) &&
                     set->SetAudioSampleRate(s.sampleRate) && set->SetFrameRateCode(s.frameRateCode) &&
                     set->SetFlags(s.timeShift, s.programStream) &&
                     (!s.container || set->SetContainer(*s.container)) &&
                     recorder->As<platform::graph::IFileSink>()->SetFileName(path) &&
                     rig.graph.Render(rig.VideoPin()) && rig.graph.Render(rig.AudioPin());
  return built ? recorder : nullptr;
}

// 320x240 MPEG-1 at 4 Mbit/s and 30 frames/s, quality 3, with 44.1 kHz sound, into the named .mpv
// file and its ".mpa" companion, played while it grows.
inline const platform::media::TMpegSettings kTimeShift{1, 4000000, 3, 320, 240, 44100, 5, true, false, {}};

// An AVI file through the capture graph builder: the picture through the compressor of that
// name (nullptr: uncompressed) and the sound as PCM. The file writer's name must be `path`.
inline bool AddAviBranch(TRig& rig, const char* compressorName, const QString& path) {
  using namespace platform::graph;
  using namespace platform::media;
  TCaptureGraphBuilder builder(rig.graph);
  std::shared_ptr<TFilter> compressor, mux;
  if (compressorName) {
    compressor = rig.graph.AddComponent(compressorName, "MPEG4", DeviceCategory::VideoCompressor);
    if (!compressor) return false;
  }
  IFileSinkFilter2* sink = nullptr;
  return builder.SetOutputFileName("AVI", path, &mux, &sink) && sink->GetCurFile() == path &&
         builder.RenderStream(PinCategory::Capture, std::nullopt, *rig.video, compressor.get(), mux.get()) &&
         builder.RenderStream(PinCategory::None, std::nullopt, *rig.audio, nullptr, mux.get());
}

// The sound alone, through the MP3 compressor or as PCM, into the WAV writer and file writer.
inline bool AddSoundBranch(TRig& rig, bool mp3, const QString& path) {
  using namespace platform::graph;
  using namespace platform::media;
  TPin* source = &rig.AudioPin();
  if (mp3) {
    auto compressor = rig.graph.AddComponent(kMp3CompressorName, "MP3", DeviceCategory::AudioCompressor);
    if (!compressor || !rig.graph.Connect(*source, *compressor->FindPin(PinDir::Input))) return false;
    source = compressor->FindPin(PinDir::Output);
  }
  auto dest = rig.graph.AddComponent(kWavDestName, "WaveDest");
  auto writer = rig.graph.AddComponent(kFileWriterName, "File Writer");
  auto* sink = writer ? writer->As<IFileSinkFilter2>() : nullptr;
  return dest && sink && sink->SetMode(0) && sink->SetFileName(path) && rig.graph.Render(*source);
}

// Waits until a running graph has played `ms` of its stream (real time for a live source).
inline bool Played(platform::graph::TFilterGraph& graph, int ms) {
  qint64 position = 0;
  const auto played = [&] { return graph.GetCurrentPosition(position) && position >= qint64(ms) * 10000; };
  return WaitUntil(played, ms + 15000);
}

// How a stream probes, in one comparable line: "codec WxH@fps" and "codec rate/channels".
inline QString PictureText(const QString& codec, int width, int height, double fps) {
  return QString("%1 %2x%3@%4").arg(codec).arg(width).arg(height).arg(fps, 0, 'f', 2);
}
inline QString SoundText(const QString& codec, int rate, int channels) {
  return QString("%1 %2/%3").arg(codec).arg(rate).arg(channels);
}

// How a file probes: its container, and its first picture and sound stream each in one line
// ("" when there is none).
struct TProbe {
  bool ok = false;
  QString error, format, picture, sound, tag;  // tag: the picture's codec tag
  double duration = 0, fps = 0;
  qint64 bitRate = 0;
};

inline TProbe Probe(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
  const bool finished = p.waitForFinished(60000);
  const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
  const QJsonObject format = root.value("format").toObject();
  const auto text = [](const QJsonObject& o, const char* key) { return o.value(key).toVariant().toString(); };
  TProbe probe;
  probe.ok = finished && p.exitCode() == 0 && !format.isEmpty();
  probe.error = finished ? QString::fromUtf8(p.readAllStandardError()) : "ffprobe did not finish";
  probe.format = text(format, "format_name");
  probe.duration = text(format, "duration").toDouble();
  probe.bitRate = text(format, "bit_rate").toLongLong();
  for (const QJsonValue& v : root.value("streams").toArray()) {
    const QJsonObject s = v.toObject();
    const QString type = text(s, "codec_type");
    if (type == "video" && probe.picture.isEmpty()) {
      const QStringList rate = text(s, "r_frame_rate").split('/');
      probe.fps = rate.size() == 2 && rate[1].toDouble() > 0 ? rate[0].toDouble() / rate[1].toDouble() : 0;
      probe.picture =
          PictureText(text(s, "codec_name"), text(s, "width").toInt(), text(s, "height").toInt(), probe.fps);
      probe.tag = text(s, "codec_tag_string");
    }
    if (type == "audio" && probe.sound.isEmpty())
      probe.sound =
          SoundText(text(s, "codec_name"), text(s, "sample_rate").toInt(), text(s, "channels").toInt());
  }
  return probe;
}

// What ffmpeg or ffprobe (`program`) writes to its standard output.
inline QByteArray Output(const char* program, const QStringList& args) {
  QProcess p;
  p.start(program, QStringList{"-v", "error"} + args);
  p.waitForFinished(120000);
  return p.readAllStandardOutput();
}

// Pictures the first video stream decodes to (a damaged file may add an empty field).
inline int CountFrames(const QString& path) {
  const QStringList args{"-count_frames", "-select_streams", "v:0", "-show_entries", "stream=nb_read_frames",
                         "-of", "csv=p=0", path};
  return Output("ffprobe", args).split(',').front().trimmed().toInt();
}

// How long the sound decodes to, in seconds.
inline double SoundSeconds(const QString& path) {
  return Output("ffmpeg", {"-i", path, "-f", "s16le", "-ac", "2", "-ar", "48000", "-"}).size() /
         (48000.0 * 4);
}

// Decodes every stream: ffmpeg's exit code and what it complained about.
inline std::pair<int, QString> DecodeAll(const QString& path) {
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
  if (!p.waitForFinished(120000)) return {-1, "ffmpeg did not finish"};
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace pvx::test
