#include "platform/devices/CardFilters.h"

#include "platform/graph/FaultPlan.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

TCardTuner::TCardTuner(std::shared_ptr<ICaptureCard> card)
    : TCardFilter(std::move(card), CardPart::Tuner) {
  AddPin("Analog Video", PinDir::Output, PinCategory::None, MediaMajor::AnalogVideo,
         PhysConn_Video_Tuner);
  AddPin("Analog Audio", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
}

bool TCardTuner::GetAvailableModes(int& modes) const {
  modes = Card().AvailableTunerModes();
  return true;
}

bool TCardTuner::put_Mode(int mode) { return Card().SetTunerMode(mode); }

bool TCardTuner::get_Mode(int& mode) const {
  mode = Card().TunerMode();
  return true;
}

bool TCardTuner::put_CountryCode(int code) {
  Card().SetCountryCode(code);
  return true;
}

bool TCardTuner::SetFrequency(quint32 hertz, int, int) {
  return !graph::Refused("SetFrequency") && Card().SetFrequency(hertz);
}

bool TCardTuner::GetStatus(TTunerStatus& status) const { return Card().ReadTunerStatus(status); }

bool TCardTuner::GetModeCaps(int mode, quint32& minHertz, quint32& maxHertz) const {
  return Card().TunerRange(mode, minHertz, maxHertz);
}

bool TCardTuner::SetStandard(int standard) { return Card().SetStandard(standard); }

bool TCardTuner::GetCopyProtection(qint32& flags) const { return Card().ReadCopyProtection(flags); }

TCardTVAudio::TCardTVAudio(std::shared_ptr<ICaptureCard> card)
    : TCardFilter(std::move(card), CardPart::TVAudio) {
  AddPin("TVAudio In", PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
  AddPin("TVAudio Out", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
}

bool TCardTVAudio::GetAvailableTVAudioModes(int& modes) const { return Card().ReadTVAudioModes(modes); }

bool TCardTVAudio::put_TVAudioMode(int mode) { return Card().SetTVAudioMode(mode); }

bool TCardTVAudio::get_TVAudioMode(int& mode) const { return Card().ReadTVAudioMode(mode); }

}  // namespace pvx::platform::devices
