// FM seek across the whole band with no station on it (the longest seek there is) on the
// virtual card, against its floor: the number of tunings times the FM tuning's own waits
// (100 + 100 + 100 ms each).
//
//   bench-fm-seek            (QT_QPA_PLATFORM=offscreen headless; takes about 97 s)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "common/EngineRig.h"
#include "engine/FMSeek.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"

using namespace pvx;

namespace {
constexpr double kTuningWaitsMs = 300.0;
constexpr quint32 kStart = 100000000;
}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // A broadcast with television only: the seek goes round the band and comes back.
  QTemporaryDir folder;
  const QString stations = folder.filePath("stations.ini");
  QFile file(stations);
  if (!file.open(QIODevice::WriteOnly) || file.write("[tv1]\nname=Only TV\nfrequency=55250000\n") <= 0) {
    std::fprintf(stderr, "bench-fm-seek: cannot write %s\n", qPrintable(stations));
    return 1;
  }
  file.close();
  platform::devices::TVirtualCardConfig card;
  card.StationsFile = stations;
  platform::devices::InstallVirtualCard(card);

  int status = 0;
  {
    bench::TEngineRig rig;
    engine::TCaptureInfo& engine = rig.Engine();
    engine.SetNoPreviewRender(true);
    if (!rig.StartPreview()) {
      std::fprintf(stderr, "bench-fm-seek: no preview\n");
      return 1;
    }
    engine.SetRadioMode(true);
    if (!engine.RadioMode() || !engine.SetFMFrequency(kStart)) {
      std::fprintf(stderr, "bench-fm-seek: the tuner does not go to FM\n");
      return 1;
    }
    engine::TFMSeek seek(engine);
    QElapsedTimer clock;
    clock.start();
    const auto result = seek.Run(true);
    const double ms = clock.nsecsElapsed() / 1e6;
    const double floor = seek.Tunings() * kTuningWaitsMs;
    status = result == engine::TFMSeek::TResult::NothingFound ? 0 : 1;
    std::printf("band %.1f .. %.1f MHz, start %.1f MHz, tunings %d (back to the start: %s)\n",
                engine.Tuner().FMMin() / 1e6, engine.Tuner().FMMax() / 1e6, kStart / 1e6, seek.Tunings(),
                status == 0 && engine.Tuner().FMFrequency() == kStart ? "yes" : "no");
    std::printf("seek across the band:        %9.1f ms\n", ms);
    std::printf("floor (tunings x %3.0f ms):    %9.1f ms\n", kTuningWaitsMs, floor);
    std::printf("ratio:                       %9.4f (%+.2f %%)\n", ms / floor, (ms / floor - 1) * 100);
    engine.StopPreview();
  }
  return status;
}
