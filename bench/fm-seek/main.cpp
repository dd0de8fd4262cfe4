// FM seek across the whole band with no station on it (the longest seek there is) on the
// virtual card, against its floor: the time the FM tunings spent in their own prescribed waits,
// measured through the clock.
//
//   bench-fm-seek            (QT_QPA_PLATFORM=offscreen headless; takes about 97 s)
//   bench-fm-seek --smoke    (a seek to a station 0.5 MHz up)

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "common/BenchHome.h"
#include "common/CountingClock.h"
#include "common/EngineRig.h"
#include "engine/FMSeek.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"

using namespace pvx;

namespace {
constexpr quint32 kStart = 100000000;
}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QApplication app(argc, argv);
  // A broadcast with television only: the seek goes round the band and comes back. The smoke
  // run has one FM station just above the start.
  QTemporaryDir folder;
  const QString stations = folder.filePath("stations.ini");
  QFile file(stations);
  const QByteArray broadcast = QByteArray("[tv1]\nname=Only TV\nfrequency=55250000\n") +
                               (smoke ? "[fm1]\nname=Near\nfrequency=100500000\n" : "");
  if (!file.open(QIODevice::WriteOnly) || file.write(broadcast) <= 0) {
    std::fprintf(stderr, "bench-fm-seek: cannot write %s\n", qPrintable(stations));
    return 1;
  }
  file.close();
  platform::devices::TVirtualCardConfig card;
  card.StationsFile = stations;
  platform::devices::InstallVirtualCard(card);

  int status = 0;
  {
    bench::TCountingClock waits;
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
    const double waitedBefore = waits.WaitedMs();
    const auto result = seek.Run(true);
    const double ms = clock.nsecsElapsed() / 1e6;
    const double floor = waits.WaitedMs() - waitedBefore;
    const auto expected = smoke ? engine::TFMSeek::TResult::Found : engine::TFMSeek::TResult::NothingFound;
    if (result != expected || seek.Tunings() <= 0 || floor <= 0) {
      std::fprintf(stderr, "bench-fm-seek: the seek did not end as expected\n");
      return 1;
    }
    std::printf("band %.1f .. %.1f MHz, start %.1f MHz, tunings %d, ended at %.2f MHz\n",
                engine.Tuner().FMMin() / 1e6, engine.Tuner().FMMax() / 1e6, kStart / 1e6, seek.Tunings(),
                engine.Tuner().FMFrequency() / 1e6);
    std::printf("seek %s:   %9.1f ms\n", smoke ? "to the station  " : "across the band", ms);
    std::printf("floor (its prescribed waits): %9.1f ms\n", floor);
    std::printf("ratio:                       %9.4f (%+.2f %%)\n", ms / floor, (ms / floor - 1) * 100);
    engine.StopPreview();
  }
  return status;
}
