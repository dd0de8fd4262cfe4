#pragma once
// Shared by the recording tests: the capture rig on the virtual card, real-time waits, and
// ffprobe/ffmpeg checks of the files written.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "RecordGraphs.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

// The rig in this test's component registry; the format must be taken.
struct TRig : TCaptureRig {
  explicit TRig(const TCaptureFormat& format = {}) : TCaptureRig(Components(), format) {
    EXPECT_TRUE(formatted);
  }
};

// Waits until a running graph has played `ms` of its stream (real time for a live source).
inline bool Played(platform::graph::TFilterGraph& graph, int ms) {
  qint64 position = 0;
  const auto played = [&] { return graph.GetCurrentPosition(position) && position >= qint64(ms) * 10000; };
  return WaitUntil(played, ms + 15000);
}

// Runs the graph for `ms` of the card's stream and stops it.
inline bool Record(platform::graph::TFilterGraph& graph, int ms) {
  return graph.Run() && Played(graph, ms) && graph.Stop();
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
