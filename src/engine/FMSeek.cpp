#include "engine/FMSeek.h"

#include "engine/CaptureInfo.h"

namespace pvx::engine {

qint64 TFMSeek::NextRasterPoint(qint64 hertz, bool up) {
  // Frequencies are positive, so integer division rounds toward the lower raster point.
  return up ? (hertz / kStep + 1) * kStep : ((hertz - 1) / kStep) * kStep;
}

bool TFMSeek::Tune(qint64 hertz) {
  ++tunings_;
  return engine_.SetFMFrequency(quint32(hertz));
}

TFMSeek::TResult TFMSeek::Run(bool up) {
  tunings_ = 0;
  if (aborted_ || !engine_.RadioMode() || engine_.Recording()) return TResult::Refused;
  const TTunerControl& tuner = engine_.Tuner();
  const qint64 start = tuner.FMFrequency();
  const qint64 low = tuner.FMMin(), high = tuner.FMMax();
  const qint64 direction = up ? kStep : -kStep;
  bool wrapped = false;
  for (qint64 f = NextRasterPoint(start, up);; f += direction) {
    if (f > high || f < low) {
      if (wrapped) break;
      wrapped = true;
      f = up ? NextRasterPoint(low - 1, true) : NextRasterPoint(high + 1, false);
    }
    // Once round the band: back where the seek began.
    if (wrapped && (up ? f >= start : f <= start)) break;
    if (!Tune(f)) return TResult::Refused;
    if (aborted_) return TResult::Aborted;
    // Nearer than one step it is still the station the seek started on (tuned off its centre).
    if (tuner.SignalLocked() && qAbs(f - start) >= kStep) return TResult::Found;
  }
  Tune(start);
  return TResult::NothingFound;
}

}  // namespace pvx::engine
