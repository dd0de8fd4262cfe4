// Picture and sound together over a long recording: records from the virtual card (320x240
// NTSC YUY2 and 44.1 kHz sound into an MPEG-2 program stream) for a while in real time, then
// reads the packet times of both streams with ffprobe and prints their spans and the drift.
//
//   bench-av-sync [seconds | --smoke]      (default 60, smoke 3)

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/BenchHome.h"
#include "common/RecordingRig.h"
#include "common/StreamSpan.h"

using namespace pvx;
using platform::graph::TFilterGraph;

namespace {

bool Record(const QString& path, int seconds) {
  TFilterGraph graph(bench::Components());
  if (!bench::StartRecording(graph, path, {2, 0, 4, false})) return false;
  QEventLoop loop;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
  return graph.Stop();
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QCoreApplication app(argc, argv);
  const int seconds = smoke ? 3 : argc > 1 ? qMax(2, QString(argv[1]).toInt()) : 60;
  QTemporaryDir dir;
  const QString path = dir.filePath("sync.mpg");
  std::printf("recording %d s from the virtual card into an MPEG-2 program stream\n", seconds);
  if (!Record(path, seconds)) {
    std::fprintf(stderr, "bench-av-sync: the recording failed\n");
    return 1;
  }
  const double picture = bench::StreamSpan(path, "v:0"), sound = bench::StreamSpan(path, "a:0");
  if (picture <= 0 || sound <= 0) {
    std::fprintf(stderr, "bench-av-sync: the file holds no %s\n", picture <= 0 ? "pictures" : "sound");
    return 1;
  }
  std::printf("picture %.3f s, sound %.3f s, drift %+.3f s (%.1f ms per minute)\n", picture, sound,
              sound - picture, (sound - picture) * 60000 / std::max(picture, 1.0));
  return 0;
}
