// Picture and sound together over a long recording: records from the virtual card (320x240
// NTSC YUY2 and 44.1 kHz sound into an MPEG-2 program stream) for a while in real time, then
// reads the packet times of both streams with ffprobe and prints their spans and the drift.
//
//   bench-av-sync [seconds]      (default 60)

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"

using namespace pvx::platform;
using namespace pvx::platform::graph;

namespace {

// From the first packet's time to the end of the last one, of the first stream of a kind.
double Span(const QString& path, const char* stream) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "packet=pts_time,duration_time",
                      "-select_streams", stream, "-of", "csv=p=0", path});
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

bool Record(const QString& path, int seconds) {
  TFilterGraph graph;
  auto video = EnumerateDevices(DeviceCategory::VideoInputDevice).front().Bind();
  auto audio = EnumerateDevices(DeviceCategory::AudioInputDevice).front().Bind();
  auto tuner = EnumerateDevices(DeviceCategory::TVTuner).front().Bind();
  graph.AddFilter(video, "VCapture");
  graph.AddFilter(audio, "ACapture");
  graph.AddFilter(tuner, "TVTuner");
  tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);
  TMediaType picture;
  video->As<IStreamConfig>()->GetStreamCaps(0, picture);
  picture.Subtype = "YUY2";
  picture.Width = 320;
  picture.Height = 240;
  picture.AvgTimePerFrame = 333667;
  TMediaType sound;
  audio->As<IStreamConfig>()->GetStreamCaps(0, sound);
  sound.SampleRate = 48000;
  if (!video->As<IStreamConfig>()->SetFormat(picture) || !audio->As<IStreamConfig>()->SetFormat(sound))
    return false;
  auto recorder = graph.AddComponent(media::kMpegRecorderName, "MPEG");
  auto* s = recorder ? recorder->As<media::IMpegRecorderSettings>() : nullptr;
  if (!s) return false;
  s->SetStreamType(2);
  s->SetVideoBitRate(4000000);
  s->SetQuality(0);
  s->SetFrameSize(320, 240);
  s->SetAudioSampleRate(44100);
  s->SetFrameRateCode(4);
  s->SetFlags(false, true);
  recorder->As<IFileSink>()->SetFileName(path);
  if (!graph.Render(*video->FindPin("Capture")) || !graph.Render(*audio->FindPin("Capture")) ||
      !graph.Run())
    return false;
  QEventLoop loop;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
  return graph.Stop();
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? qMax(2, QString(argv[1]).toInt()) : 60;
  QTemporaryDir dir;
  const QString path = dir.filePath("sync.mpg");
  std::printf("recording %d s from the virtual card into an MPEG-2 program stream\n", seconds);
  if (!Record(path, seconds)) {
    std::fprintf(stderr, "bench-av-sync: the recording failed\n");
    return 1;
  }
  const double picture = Span(path, "v:0"), sound = Span(path, "a:0");
  std::printf("picture %.3f s, sound %.3f s, drift %+.3f s (%.1f ms per minute)\n", picture, sound,
              sound - picture, (sound - picture) * 60000 / std::max(picture, 1.0));
  return picture > 0 && sound > 0 ? 0 : 1;
}
