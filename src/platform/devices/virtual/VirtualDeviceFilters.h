#pragma once
// The virtual card's filters: the shared card filters (CardFilters.h), with the capture device
// also under its old name for callers that bind it by hand, and the card's own Empia 2800
// driver object.

#include <memory>

#include "platform/devices/CardFilters.h"
#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::platform::devices {

using TVirtualVideoCapture = TCardVideoCapture;

// The Empia 2800 driver object: remembers what it is told on the card.
class TVirtualEmpiaObject final : public graph::TFilter, public graph::IEmpia2800 {
 public:
  explicit TVirtualEmpiaObject(std::shared_ptr<TVirtualCard> card);
  bool SetSettingValue(int value) override;
  bool SetTVAudioMode(int mode) override;
  bool SetSource(int source) override;

 private:
  std::shared_ptr<TVirtualCard> card_;
};

}  // namespace pvx::platform::devices
