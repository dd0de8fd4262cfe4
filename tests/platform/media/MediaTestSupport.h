#pragma once
// Shared by the recording tests: a capture rig on the virtual card, real-time waits, and
// ffprobe/ffmpeg checks of the files written.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <functional>
#include <memory>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

// Waits until a running graph has played `ms` of its stream (real time for a live source).
inline bool Played(platform::graph::TFilterGraph& graph, int ms) {
  return WaitUntil([&] {
    qint64 position = 0;
    return graph.GetCurrentPosition(position) && position >= qint64(ms) * 10000;
  }, ms + 15000);
}

inline constexpr qint64 kNtscFrame = 333667;
inline constexpr qint64 kPalFrame = 400000;

// The virtual card's capture devices in a graph, tuned to a station, with the picture and
// sound formats a recording asks for.
struct TCaptureRig {
  platform::graph::TFilterGraph graph{test::Components()};
  std::shared_ptr<platform::graph::TFilter> video, audio, tuner;

  explicit TCaptureRig(int width = 320, int height = 240, qint64 frame = kNtscFrame,
                       const char* subtype = "YUY2", int sampleRate = 48000) {
    using namespace platform::graph;
    video = test::Components().Enumerate(DeviceCategory::VideoInputDevice).front().Bind();
    audio = test::Components().Enumerate(DeviceCategory::AudioInputDevice).front().Bind();
    tuner = test::Components().Enumerate(DeviceCategory::TVTuner).front().Bind();
    graph.AddFilter(video, "VCapture");
    graph.AddFilter(audio, "ACapture");
    graph.AddFilter(tuner, "TVTuner");
    tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
    TMediaType type;
    video->As<IStreamConfig>()->GetStreamCaps(0, type);
    type.Subtype = subtype;
    type.Width = width;
    type.Height = height;
    type.AvgTimePerFrame = frame;
    EXPECT_TRUE(video->As<IStreamConfig>()->SetFormat(type));
    TMediaType sound;
    audio->As<IStreamConfig>()->GetStreamCaps(0, sound);
    sound.SampleRate = sampleRate;
    EXPECT_TRUE(audio->As<IStreamConfig>()->SetFormat(sound));
  }
  platform::graph::TPin& VideoPin() { return *video->FindPin("Capture"); }
  platform::graph::TPin& AudioPin() { return *audio->FindPin("Capture"); }

  // Runs the graph for `ms` of the card's stream and stops it.
  bool Record(int ms) { return graph.Run() && Played(graph, ms) && graph.Stop(); }
};

// How a stream probes, in one comparable line: "codec WxH@fps" and "codec rate/channels".
inline QString PictureText(const QString& codec, int width, int height, double fps) {
  return QString("%1 %2x%3@%4").arg(codec).arg(width).arg(height).arg(fps, 0, 'f', 2);
}
inline QString SoundText(const QString& codec, int rate, int channels) {
  return QString("%1 %2/%3").arg(codec).arg(rate).arg(channels);
}

struct TProbe {
  QJsonObject format;
  QJsonObject video;  // the first stream of each kind; empty when none
  QJsonObject audio;
  QString error;
  bool ok = false;

  double Duration() const { return format.value("duration").toString().toDouble(); }
  static double Rate(const QJsonObject& s) {
    const QStringList parts = s.value("r_frame_rate").toString().split('/');
    return parts.size() == 2 && parts[1].toDouble() > 0 ? parts[0].toDouble() / parts[1].toDouble()
                                                        : 0.0;
  }
  static int Int(const QJsonObject& s, const char* key) {
    const QJsonValue v = s.value(key);
    return v.isString() ? v.toString().toInt() : v.toInt();
  }
  QString Picture() const {
    return PictureText(video.value("codec_name").toString(), Int(video, "width"),
                       Int(video, "height"), Rate(video));
  }
  QString Sound() const {
    return SoundText(audio.value("codec_name").toString(), Int(audio, "sample_rate"),
                     Int(audio, "channels"));
  }
};

inline TProbe Probe(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-print_format", "json", "-show_format", "-show_streams", path});
  TProbe probe;
  if (!p.waitForFinished(60000)) {
    probe.error = "ffprobe did not finish";
    return probe;
  }
  probe.error = QString::fromUtf8(p.readAllStandardError());
  const QJsonObject root = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
  probe.format = root.value("format").toObject();
  for (const QJsonValue& v : root.value("streams").toArray()) {
    const QJsonObject s = v.toObject();
    const QString type = s.value("codec_type").toString();
    if (type == "video" && probe.video.isEmpty()) probe.video = s;
    if (type == "audio" && probe.audio.isEmpty()) probe.audio = s;
  }
  probe.ok = p.exitCode() == 0 && !probe.format.isEmpty();
  return probe;
}

// The span of the first video stream, from its first packet's time to the end of its last.
inline double VideoPacketSpan(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "packet=pts_time,duration_time",
                      "-select_streams", "v:0", "-of", "csv=p=0", path});
  p.waitForFinished(120000);
  double first = 1e18, last = -1e18;
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> f = line.split(',');
    if (f.size() < 2 || f[0].isEmpty() || f[0] == "N/A") continue;
    first = std::min(first, f[0].toDouble());
    last = std::max(last, f[0].toDouble() + f[1].toDouble());
  }
  return last > first ? last - first : -1.0;
}

// Pictures the first video stream decodes to.
inline int CountFrames(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                      "stream=nb_read_frames", "-of", "csv=p=0", path});
  p.waitForFinished(60000);
  return p.readAllStandardOutput().trimmed().toInt();
}

// Decodes every stream; the exit code and what ffmpeg complained about.
struct TDecode {
  int exitCode = -1;
  QString errors;
};
inline TDecode DecodeAll(const QString& path) {
  QProcess p;
  p.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
  TDecode d;
  if (!p.waitForFinished(120000)) return d;
  d.exitCode = p.exitCode();
  d.errors = QString::fromUtf8(p.readAllStandardError());
  return d;
}

}  // namespace pvx::test
