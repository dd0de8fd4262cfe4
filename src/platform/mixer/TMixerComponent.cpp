#include "platform/mixer/TMixerComponent.h"

#include "platform/mixer/TAlsaMixer.h"
#include "platform/mixer/TVirtualMixer.h"

namespace pvx::platform::mixer {

bool TMixerComponent::SetLineMute(int destination, int line, bool on) {
  if (line < 0) return false;
  TMixerVolumeChange change;
  change.Mute = on;
  return SetVolume(destination, line, change);
}

QStringList TMixerComponent::LineNames(int destination) const {
  QStringList names;
  const int count = LineCount(destination);
  for (int i = 0; i < count; ++i) names << LineName(destination, i);
  return names;
}

std::unique_ptr<TMixerComponent> CreateMixerComponent() {
  auto alsa = std::make_unique<TAlsaMixer>();
  if (alsa->MixerCount() > 0) return alsa;
  // No sound card (a headless machine, CI): the program runs on the virtual sound device.
  return std::make_unique<TVirtualMixer>();
}

}  // namespace pvx::platform::mixer
