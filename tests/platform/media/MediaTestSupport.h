#pragma once
// Shared by the recording tests (media_tests, engine, app and scheduled runs): real-time waits,
// and ffprobe/ffmpeg checks of the files written.

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
  QString error, format;
  QString picture{}, sound{}, tag{};  // from the streams; tag: the picture's codec tag
  double duration = 0, fps = 0;
  qint64 bitRate = 0;
  QJsonObject tags;  // the container's
};

// What ffmpeg or ffprobe (`program`) did: its exit code (-1: it did not finish), its standard
// output and what it complained about.
struct TRun {
  int exitCode = -1;
  QByteArray output;
  QString errors;
};
inline TRun RunTool(const char* program, const QStringList& args) {
  QProcess p;
  p.start(program, QStringList{"-v", "error"} + args);
  if (!p.waitForFinished(120000)) return {-1, {}, QString(program) + " did not finish"};
  return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

inline TProbe Probe(const QString& path) {
  const TRun run = RunTool("ffprobe", {"-print_format", "json", "-show_format", "-show_streams", path});
  const QJsonObject root = QJsonDocument::fromJson(run.output).object();
  const QJsonObject format = root.value("format").toObject();
  const auto text = [](const QJsonObject& o, const char* key) { return o.value(key).toVariant().toString(); };
  TProbe probe{.ok = run.exitCode == 0 && !format.isEmpty(), .error = run.errors,
               .format = text(format, "format_name"), .duration = text(format, "duration").toDouble(),
               .bitRate = text(format, "bit_rate").toLongLong(), .tags = format.value("tags").toObject()};
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

}  // namespace pvx::test
