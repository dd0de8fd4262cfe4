// Channel change latency: time from SetTVFrequency to the first frame of the new station in the
// video window on the virtual card, median of 50 changes, next to the time the tuning spent in
// its own prescribed waits (settle plus lock readings), measured through the clock.
//
//   bench-tune [changes | --smoke]   (default 50, smoke 4; QT_QPA_PLATFORM=offscreen headless)

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/BenchHome.h"
#include "common/CountingClock.h"
#include "common/EngineRig.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/video/TVideoRenderer.h"

using namespace pvx;

namespace {

constexpr quint32 kRed = 48250000;    // a red test card
constexpr quint32 kBlue = 623250000;  // a blue one

bool Shows(const QImage& frame, bool red) {
  if (frame.isNull()) return false;
  const QRgb p = frame.pixel(frame.width() / 2, frame.height() / 2);
  return red ? qRed(p) > 200 && qBlue(p) < 60 : qBlue(p) > 200 && qRed(p) < 60;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QApplication app(argc, argv);
  const int changes = smoke ? 4 : argc > 1 ? qMax(4, QString(argv[1]).toInt()) : 50;
  {
    bench::TCountingClock waits;
    bench::TEngineRig rig;
    engine::TCaptureInfo& engine = rig.Engine();
    if (!rig.StartPreview()) {
      std::fprintf(stderr, "bench-tune: no preview\n");
      return 1;
    }
    auto* renderer =
        dynamic_cast<platform::video::TVideoRenderer*>(engine.Preview().Graph()->FindFilter("VideoWindow"));
    if (!renderer) {
      std::fprintf(stderr, "bench-tune: no video window\n");
      return 1;
    }
    std::vector<double> latencies, tuneCalls, waited, beyond;
    for (int i = 0; i < changes + 1; ++i) {
      const bool red = i % 2 == 0;
      QElapsedTimer clock;
      clock.start();
      const double waitedBefore = waits.WaitedMs();
      engine.SetTVFrequency(red ? kRed : kBlue, false);
      const double called = clock.nsecsElapsed() / 1e6;
      const double inWaits = waits.WaitedMs() - waitedBefore;
      while (!Shows(renderer->LastFrame(), red) && clock.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::usleep(200);
      }
      if (!Shows(renderer->LastFrame(), red)) {
        std::fprintf(stderr, "bench-tune: change %d never showed the new station\n", i);
        return 1;
      }
      if (i == 0) continue;  // the first change also waits for the preview to start
      latencies.push_back(clock.nsecsElapsed() / 1e6);
      tuneCalls.push_back(called);
      waited.push_back(inWaits);
      beyond.push_back(latencies.back() - inWaits);
    }
    auto median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      return v[v.size() / 2];
    };
    std::printf("channel changes: %d, lock readings per tuning: %d\n", changes, engine.Tuner().SignalReadings());
    std::printf("SetTVFrequency call (median):        %7.1f ms\n", median(tuneCalls));
    std::printf("to first frame of new station:       %7.1f ms median, %7.1f ms worst\n", median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));
    std::printf("of it in the tuning's waits:         %7.1f ms median\n", median(waited));
    std::printf("beyond the waits:                    %7.1f ms median\n", median(beyond));
    engine.StopPreview();
  }
  return 0;
}
