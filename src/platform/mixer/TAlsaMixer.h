#pragma once
// The sound cards' mixers through ALSA's simple-mixer interface: one device per card, named
// after the card, laid out as in AlsaLayout.h. Changes are read from ALSA's poll descriptors
// on the UI thread's event loop. Without a sound card it has no devices and every call fails.

#include <memory>
#include <vector>

#include "platform/mixer/TMixerComponent.h"

namespace pvx::platform::mixer {

class TAlsaMixer final : public TMixerComponent {
 public:
  // Opens the mixer of every card present; cards whose mixer will not open are left out.
  TAlsaMixer();
  ~TAlsaMixer() override;
  TAlsaMixer(const TAlsaMixer&) = delete;
  TAlsaMixer& operator=(const TAlsaMixer&) = delete;

  int MixerCount() const override;
  int MixerIndex() const override { return selected_; }
  bool SelectMixer(int index) override;
  QString ProductName() const override;
  int DestinationCount() const override;
  TMixerDestinationType DestinationType(int destination) const override;
  QString DestinationName(int destination) const override;
  int LineCount(int destination) const override;
  QString LineName(int destination, int line) const override;
  bool GetVolume(int destination, int line, TMixerVolume& volume) override;
  bool SetVolume(int destination, int line, const TMixerVolumeChange& change) override;

  struct Card;

 private:
  Card* Selected() const;
  void HandleEvents(int index);

  std::vector<std::unique_ptr<Card>> cards_;
  int selected_ = -1;
};

}  // namespace pvx::platform::mixer
