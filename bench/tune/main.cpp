// Channel change latency: time from SetTVFrequency to the first frame of the new station in the
// video window on the virtual card, median of 50 changes, next to the tuning's own waits
// (100 ms settle plus the lock readings).
//
//   bench-tune [changes]      (default 50; QT_QPA_PLATFORM=offscreen headless)

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

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
  QApplication app(argc, argv);
  const int changes = argc > 1 ? qMax(4, QString(argv[1]).toInt()) : 50;
  {
    bench::TEngineRig rig;
    engine::TCaptureInfo& engine = rig.Engine();
    if (!rig.StartPreview()) {
      std::fprintf(stderr, "bench-tune: no preview\n");
      return 1;
    }
    auto* renderer =
        dynamic_cast<platform::video::TVideoRenderer*>(engine.Preview().Graph()->FindFilter("VideoWindow"));
    std::vector<double> latencies;
    std::vector<double> tuneCalls;
    for (int i = 0; i < changes + 1; ++i) {
      const bool red = i % 2 == 0;
      QElapsedTimer clock;
      clock.start();
      engine.SetTVFrequency(red ? kRed : kBlue, false);
      const double called = clock.nsecsElapsed() / 1e6;
      while (!Shows(renderer->LastFrame(), red) && clock.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::usleep(200);
      }
      if (i == 0) continue;  // the first change also waits for the preview to start
      latencies.push_back(clock.nsecsElapsed() / 1e6);
      tuneCalls.push_back(called);
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(tuneCalls.begin(), tuneCalls.end());
    const double median = latencies[latencies.size() / 2];
    // A station locks at the first reading, so only the settle time is waited.
    const double waits = 100.0;
    std::printf("channel changes: %d, lock readings per tuning: %d\n", changes, engine.Tuner().SignalReadings());
    std::printf("SetTVFrequency call (median):        %7.1f ms\n", tuneCalls[tuneCalls.size() / 2]);
    std::printf("to first frame of new station:       %7.1f ms median, %7.1f ms worst\n", median,
                latencies.back());
    std::printf("tuning's own waits:                  %7.1f ms\n", waits);
    std::printf("beyond the waits:                    %7.1f ms\n", median - waits);
    engine.StopPreview();
  }
  return 0;
}
