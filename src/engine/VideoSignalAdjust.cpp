#include "engine/VideoSignalAdjust.h"

#include <QtGlobal>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

bool TVideoSignalAdjust::Init(TFilter& captureFilter) {
  procAmp_ = captureFilter.As<IVideoProcAmp>();
  if (!procAmp_) return false;
  for (int p = 0; p < 5; ++p) {
    TProcAmpRange& r = ranges_[size_t(p)];
    procAmp_->GetRange(p, r.Min, r.Max, r.Step, r.Default, r.Flags);
  }
  return true;
}

int TVideoSignalAdjust::Get(int property) const {
  int value = 0, flags = 0;
  if (!procAmp_ || !procAmp_->Get(property, value, flags)) return 0;
  return value;
}

bool TVideoSignalAdjust::Set(int property, int value) {
  return procAmp_ && procAmp_->Set(property, value, kVideoProcAmpFlagsManual);
}

int TVideoSignalAdjust::LevelToValue(int level, const TProcAmpRange& r) {
  if (level < 0 || level > 100) return r.Default;
  const int scaled = (r.Max - r.Min + 1) * level;
  const int value = r.Min + scaled / 100 + (scaled % 100 >= 50 ? 1 : 0);
  // The formula reaches one past the maximum near 100 %, which a device refuses.
  return qMin(value, r.Max);
}

int TVideoSignalAdjust::ValueToLevel(int property, int value, const TProcAmpRange& r) {
  const int span = r.Max - r.Min + 1;
  if (span <= 0) return 0;
  // Brightness and contrast count from one step above the minimum, the others from it.
  if (property <= 1) return ((value - r.Min + 1) * 100) / span;
  return ((value - r.Min) * 100 + 1) / span;
}

void TVideoSignalAdjust::ApplyLevels() {
  if (!procAmp_ || !store_.Read) return;
  const TColourLevels levels = store_.Read();
  for (int p = 0; p < 5; ++p) Set(p, LevelToValue(levels[size_t(p)], ranges_[size_t(p)]));
}

void TVideoSignalAdjust::StoreLevels() {
  if (!procAmp_ || !store_.Write) return;
  TColourLevels levels{};
  for (int p = 0; p < 5; ++p) levels[size_t(p)] = ValueToLevel(p, Get(p), ranges_[size_t(p)]);
  store_.Write(levels);
}

}  // namespace pvx::engine
