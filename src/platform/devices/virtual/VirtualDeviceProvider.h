#pragma once
// Presents the virtual TV card's parts in the device categories.

#include <memory>

#include "platform/devices/virtual/TVirtualCard.h"
#include "platform/graph/TComponentRegistry.h"

namespace pvx::platform::devices {

class TVirtualDeviceProvider final : public graph::IDeviceProvider {
 public:
  explicit TVirtualDeviceProvider(std::shared_ptr<TVirtualCard> card) : card_(std::move(card)) {}
  std::vector<graph::TMoniker> Devices(graph::DeviceCategory category) override;
  // The card, built from stations.ini on first use when none was given.
  const std::shared_ptr<TVirtualCard>& Card();
  // Replaces the card; nullptr builds a fresh one on next use.
  void SetCard(std::shared_ptr<TVirtualCard> card) { card_ = std::move(card); }

 private:
  std::shared_ptr<TVirtualCard> card_;
};

// The provider the registry asks by default: the virtual card built from stations.ini.
TVirtualDeviceProvider& DefaultVirtualProvider();
// The card it presents now.
std::shared_ptr<TVirtualCard> DefaultVirtualCard();
// Replaces that card (tests build Conexant, Empia or tuner-less machines this way).
std::shared_ptr<TVirtualCard> InstallVirtualCard(const TVirtualCardConfig& config);

}  // namespace pvx::platform::devices
