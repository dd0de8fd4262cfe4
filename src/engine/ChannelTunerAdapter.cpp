#include "engine/ChannelTunerAdapter.h"

#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"

namespace pvx::engine {

bool TChannelTunerAdapter::SetTVFrequency(quint32 hertz) {
  const bool pause = hertz != 0 && e_.TuningPause() && !e_.Unattended();
  return e_.SetTVFrequency(hertz == 0 ? kZeroFrequencyTune : hertz, pause);
}

bool TChannelTunerAdapter::SetFMFrequency(quint32 hertz) { return e_.SetFMFrequency(hertz); }
bool TChannelTunerAdapter::SignalLocked() const { return e_.Tuner().SignalLocked(); }
qint32 TChannelTunerAdapter::PLLOffset() const { return e_.Tuner().PLLOffset(); }
qint32 TChannelTunerAdapter::TVMin() const { return e_.Tuner().TVMin(); }
qint32 TChannelTunerAdapter::TVMax() const { return e_.Tuner().TVMax(); }
qint32 TChannelTunerAdapter::FMMin() const { return e_.Tuner().FMMin(); }
qint32 TChannelTunerAdapter::FMMax() const { return e_.Tuner().FMMax(); }
void TChannelTunerAdapter::SetCoarseTuning(bool on) { e_.SetCoarseTuning(on); }
int TChannelTunerAdapter::SignalReadings() const { return e_.Tuner().SignalReadings(); }
void TChannelTunerAdapter::SetSignalReadings(int readings) { e_.SetSignalReadings(readings); }
bool TChannelTunerAdapter::SetVideoStandard(int standard) { return e_.SetVideoStandard(standard); }
int TChannelTunerAdapter::VideoStandard() const { return e_.Tuner().VideoStandard(); }
bool TChannelTunerAdapter::SetCountryCode(int code) { return e_.SetCountryCode(code); }

int TChannelTunerAdapter::TVAudioModeBits(int mode, int chipFamily) {
  // Conexant cards want the first language with mono and stereo.
  const int firstLanguage = chipFamily == 2 ? 0x10 : 0;
  switch (mode) {
    case 0:
      return 0x1 | firstLanguage;
    case 1:
      return 0x2 | firstLanguage;
    case 2:
      return 0x10;
    case 3:
      return 0x20;
    case 4:
      return 0x40;
    default:
      return 0;
  }
}

bool TChannelTunerAdapter::SetTVAudioMode(int mode) {
  const int bits = TVAudioModeBits(mode, e_.Chip().Family);
  return bits != 0 && e_.SetTVAudioMode(bits);
}

int TChannelTunerAdapter::InputKindOf(int source) {
  constexpr int kKinds[] = {1, 2, 3, 9};  // tuner, composite, S-Video, AUX
  return source >= 0 && source < 4 ? kKinds[source] : 0;
}

bool TChannelTunerAdapter::SelectVideoSource(int source) {
  const int kind = InputKindOf(source);
  return kind != 0 && e_.SelectInput(kind);
}

void TChannelTunerAdapter::SetLineMute(bool on) {
  if (audio_) audio_->SetLineMute(on);
}

bool TChannelTunerAdapter::RestartPreview() {
  e_.StopPreview();
  return e_.StartPreview();
}

void TChannelTunerAdapter::SetVendorStandard(int value) { e_.SetVendorStandard(value); }

}  // namespace pvx::engine
