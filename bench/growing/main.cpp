// Playing a file while it is written, as time-shift does: records 320x240 MPEG-1 from the
// virtual card into a file and plays that file through the growing-file source at the same
// time, and prints, once the reader has settled, how far playback advanced and how many
// pictures a second reached the video renderer (the writer makes about 30).
//
//   bench-growing-file [seconds | --smoke]      (default 4, smoke 1, after 1.5 s to settle)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "common/BenchHome.h"
#include "common/RecordingRig.h"
#include "platform/video/TVideoRenderer.h"

using namespace pvx;
using namespace pvx::platform;
using namespace pvx::platform::graph;

namespace {

void RunFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QCoreApplication app(argc, argv);
  const int seconds = smoke ? 1 : argc > 1 ? qMax(1, QString(argv[1]).toInt()) : 4;
  QTemporaryDir dir;
  const QString path = dir.filePath("ts0.mpv");
  TFilterGraph writer(bench::Components());
  if (!bench::StartRecording(writer, path, {1, 3, 5, true})) {
    std::fprintf(stderr, "bench-growing-file: cannot start the recording\n");
    return 1;
  }
  QElapsedTimer clock;
  clock.start();
  while (QFile(path).size() < 20000 && clock.elapsed() < 10000) RunFor(10);
  if (QFile(path).size() < 20000) {
    std::fprintf(stderr, "bench-growing-file: the recording writes nothing\n");
    return 1;
  }

  TFilterGraph player(bench::Components());
  bool ended = false, failed = false;
  player.OnEvent = [&](const TGraphEvent& e) {
    ended = ended || e.kind == TGraphEvent::EndOfStream;
    failed = failed || e.kind == TGraphEvent::Error;
  };
  // The window the player's pictures end in.
  auto renderer = std::make_shared<video::TVideoRenderer>();
  player.AddFilter(renderer, "PlaybackVideoWindow");
  auto source = player.AddComponent(media::kGrowingFileSourceName, "Async Source Filter");
  if (!source || !source->As<media::IFileSourceFilter>()->Load(path) ||
      !player.Render(*source->FindPin("Output")) || !player.Run()) {
    std::fprintf(stderr, "bench-growing-file: cannot play the file being written\n");
    return 1;
  }
  RunFor(1500);
  const quint64 early = renderer->FramesRendered();
  qint64 from = 0, to = 0;  // stream position, 100-ns units
  player.GetCurrentPosition(from);
  clock.restart();
  RunFor(seconds * 1000);
  const double elapsed = clock.elapsed() / 1000.0;
  const quint64 later = renderer->FramesRendered();
  player.GetCurrentPosition(to);
  player.Stop();
  writer.Stop();
  if (later <= early || ended || failed) {
    std::fprintf(stderr, "bench-growing-file: playback %s\n",
                 failed ? "failed" : ended ? "ended early" : "showed no picture");
    return 1;
  }
  std::printf("while the file grows, in %.2f s: playback advanced %.2f s, %llu pictures reached "
              "the video renderer (%.2f per second)\n",
              elapsed, (to - from) / 1e7, later - early, double(later - early) / elapsed);
  return 0;
}
