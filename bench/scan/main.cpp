// Channel scan speed on the virtual card with the live preview running, as the setup wizard
// scans: an antenna auto scan of 160 channels and a free scan of the tuner's whole TV band in
// 0.25 MHz steps, verify count 1, real clock. Each is set against the floor of the scan's own
// waits (the settle wait of every tuning, 100 ms or 500 ms with the graph paused, and the
// pauses between lock readings), measured through the clock.
//
//   bench-scan [--pause] [--auto-only]     (QT_QPA_PLATFORM=offscreen headless)
//   bench-scan --smoke                     (an auto scan of 10 channels only)
//
// --pause tunes as the product's pause option does (500 ms per tuning; the free scan then
// takes about half an hour). The shipped tables hold fewer than 160 antenna channels and the
// scan passes over slots without a frequency, so the auto scan here tunes 160 channels 5 MHz
// apart from 55.25 MHz.

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>

#include "common/BenchHome.h"
#include "common/CountingClock.h"
#include "common/EngineRig.h"
#include "engine/ChannelTunerAdapter.h"
#include "settings/ChannelInfo.h"

using namespace pvx;

namespace {

constexpr quint32 kFirstChannel = 55250000;
constexpr quint32 kChannelSpacing = 5000000;
constexpr qint64 kStep = 250000;

// Counts the tunings and the lock readings a scan asks for.
class CountingTuner final : public settings::IChannelTuner {
 public:
  explicit CountingTuner(engine::TChannelTunerAdapter& inner) : in_(inner) {}
  int Tunings = 0;
  bool SetTVFrequency(quint32 hertz) override {
    ++Tunings;
    return in_.SetTVFrequency(hertz);
  }
  bool SetFMFrequency(quint32 hertz) override { return in_.SetFMFrequency(hertz); }
  bool SignalLocked() const override { return in_.SignalLocked(); }
  qint32 PLLOffset() const override { return in_.PLLOffset(); }
  qint32 TVMin() const override { return in_.TVMin(); }
  qint32 TVMax() const override { return in_.TVMax(); }
  qint32 FMMin() const override { return in_.FMMin(); }
  qint32 FMMax() const override { return in_.FMMax(); }
  void SetCoarseTuning(bool on) override { in_.SetCoarseTuning(on); }
  int SignalReadings() const override { return in_.SignalReadings(); }
  void SetSignalReadings(int readings) override { in_.SetSignalReadings(readings); }
  bool SetVideoStandard(int standard) override { return in_.SetVideoStandard(standard); }
  int VideoStandard() const override { return in_.VideoStandard(); }
  bool SetCountryCode(int code) override { return in_.SetCountryCode(code); }
  bool SetTVAudioMode(int mode) override { return in_.SetTVAudioMode(mode); }
  bool SelectVideoSource(int source) override { return in_.SelectVideoSource(source); }
  void SetLineMute(bool on) override { in_.SetLineMute(on); }
  bool RestartPreview() override { return in_.RestartPreview(); }
  void SetVendorStandard(int value) override { in_.SetVendorStandard(value); }

 private:
  engine::TChannelTunerAdapter& in_;
};

bool Report(const char* what, double wallMs, int tunings, double floorMs, int found) {
  if (tunings <= 0 || floorMs <= 0) {
    std::fprintf(stderr, "bench-scan: %s tuned nothing\n", what);
    return false;
  }
  std::printf(
      "%-34s %6d tunings, %3d found: %9.1f ms wall, floor %9.1f ms, %+6.2f%% (%.2f ms per tuning "
      "beyond)\n",
      what, tunings, found, wallMs, floorMs, 100.0 * (wallMs - floorMs) / floorMs,
      (wallMs - floorMs) / tunings);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  const bool pause = args.contains("--pause");
  const bool autoOnly = smoke || args.contains("--auto-only");
  const int channelCount = smoke ? 10 : settings::TChannelInfo::kChannelCount;
  int status = 0;
  {
    bench::TCountingClock waits;
    engine::TEngineConfig config;
    config.TuningPause = pause;
    bench::TEngineRig rig(config);
    engine::TCaptureInfo& engine = rig.Engine();
    if (!rig.StartPreview()) {
      std::fprintf(stderr, "bench-scan: no preview\n");
      return 1;
    }
    const int settleMs = pause ? 500 : 100;
    engine::TChannelTunerAdapter adapter(engine);
    CountingTuner tuner(adapter);
    settings::TChannelInfo channels;
    channels.SetTuner(&tuner);
    channels.SetVerifyCount(1);
    std::printf("virtual card, live preview running, verify count 1, settle %d ms per tuning\n",
                settleMs);

    for (int n = 1; n <= channelCount; ++n)
      channels.ChannelRecord(false, n)->DefaultFrequency =
          kFirstChannel + quint32(n - 1) * kChannelSpacing;
    int found = 0;
    settings::TChannelInfo::TScanListener listener;
    listener.AutoDone = [&](settings::TChannelInfo&, int, int count, int, bool) { found = count; };
    listener.FreeDone = [&](settings::TChannelInfo&, int count, bool) { found = count; };
    QElapsedTimer clock;
    clock.start();
    double waited = waits.WaitedMs();
    channels.AutoScan(0, listener);
    const QString what = QStringLiteral("auto scan, antenna, %1 channels").arg(channelCount);
    if (!Report(what.toLatin1().constData(), clock.nsecsElapsed() / 1e6, tuner.Tunings,
                waits.WaitedMs() - waited, found) ||
        tuner.Tunings != channelCount)
      status = 1;

    if (!autoOnly) {
      tuner.Tunings = 0;
      clock.restart();
      waited = waits.WaitedMs();
      channels.FreeScan(kStep, listener);
      const QString band = QStringLiteral("free scan, %1-%2 MHz")
                               .arg(engine.Tuner().TVMin() / 1e6, 0, 'f', 2)
                               .arg(engine.Tuner().TVMax() / 1e6, 0, 'f', 2);
      if (!Report(band.toLatin1().constData(), clock.nsecsElapsed() / 1e6, tuner.Tunings,
                  waits.WaitedMs() - waited, found))
        status = 1;
    }
    engine.StopPreview();
  }
  return status;
}
