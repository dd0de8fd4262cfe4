// What the virtual card's own picture costs and how much of it moves: the capture device at
// 640x480 YUY2 29.97 fps, tuned to a calm station, a heavy-motion one, a calm one 1.2 MHz off
// its carrier, and to nothing (snow), each for a while in real time.
//
//   bench-virtual-card [seconds | --smoke]     (default 10 per station, smoke 1)
//
// Figures per station: CPU seconds per second of picture, and the share of luma samples that
// changed by more than 12 levels between frames a second apart.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "common/BenchHome.h"
#include "common/RecordingRig.h"

using namespace pvx;
using namespace pvx::platform::graph;

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Share of YUY2 luma bytes that differ by more than 12 between two frames.
double Changed(const QByteArray& a, const QByteArray& b) {
  if (a.size() != b.size() || a.isEmpty()) return -1;
  qint64 changed = 0;
  for (qsizetype i = 0; i < a.size(); i += 2) changed += std::abs(uchar(a[i]) - uchar(b[i])) > 12;
  return double(changed) * 2 / double(a.size());
}

struct Station {
  const char* name;
  quint32 hertz;
};

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QCoreApplication app(argc, argv);
  const int seconds = smoke ? 1 : argc > 1 ? qMax(2, atoi(argv[1])) : 10;
  const Station stations[] = {{"calm (OKA One)", 55250000},
                              {"heavy motion (Seven Sports)", 175250000},
                              {"calm, 1.2 MHz off", 55250000 + 1200000},
                              {"nothing tuned (snow)", 300000000}};
  std::printf("virtual card at 640x480 YUY2 29.97 fps, %d s per station\n", seconds);
  for (const Station& s : stations) {
    TFilterGraph graph(bench::Components());
    // The sound device stays idle: the picture's cost alone.
    const auto video = bench::AddCard(graph, s.hertz).video;
    auto grabber = graph.AddComponent("Sample Grabber", "Grabber");
    TMediaType picture;
    video->As<IStreamConfig>()->GetStreamCaps(0, picture);
    picture.Subtype = "YUY2";
    picture.Width = 640;
    picture.Height = 480;
    auto* grab = grabber ? grabber->As<ISampleGrabber>() : nullptr;
    if (!grab || !video->As<IStreamConfig>()->SetFormat(picture) ||
        !graph.Connect(*video->FindPin("Capture"), *grabber->FindPin(PinDir::Input)) ||
        !graph.Run()) {
      std::fprintf(stderr, "bench-virtual-card: cannot run the capture\n");
      return 1;
    }
    Wait(1000);  // started and settled
    const double cpu = CpuSeconds();
    Wait(seconds * 1000);
    const double used = CpuSeconds() - cpu;
    QByteArray before, after;
    grab->GetCurrentBuffer(before);
    Wait(1000);
    grab->GetCurrentBuffer(after);
    graph.Stop();
    const double moved = Changed(before, after);
    if (used <= 0 || moved < 0) {
      std::fprintf(stderr, "bench-virtual-card: no picture from %s\n", s.name);
      return 1;
    }
    std::printf("  %-28s %.3f CPU s per s   %5.1f %% of the picture moves in a second\n", s.name,
                used / seconds, 100 * moved);
  }
  return 0;
}
