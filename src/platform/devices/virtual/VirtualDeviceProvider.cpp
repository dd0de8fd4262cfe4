#include "platform/devices/virtual/VirtualDeviceProvider.h"

#include "platform/devices/virtual/VirtualDeviceFilters.h"

namespace pvx::platform::devices {

using graph::DeviceCategory;
using graph::TMoniker;

namespace {

// A part of the card, bound as the shared filter `Filter`.
template <typename Filter, typename... Index>
TMoniker Moniker(const std::shared_ptr<TVirtualCard>& card, CardPart part, Index... index) {
  return {card->PartName(part, index...),
          [card, index...] { return std::make_shared<Filter>(card, index...); }};
}

}  // namespace

std::vector<TMoniker> TVirtualDeviceProvider::Devices(DeviceCategory category) {
  std::vector<TMoniker> out;
  const auto card = Card();
  const TVirtualCardConfig& config = card->Config();
  if (card->IsGone()) return out;
  switch (category) {
    case DeviceCategory::VideoInputDevice:
      out.push_back(Moniker<TCardVideoCapture>(card, CardPart::Capture));
      break;
    case DeviceCategory::Crossbar:
      for (int i = 0; i < card->CrossbarCount(); ++i)
        out.push_back(Moniker<TCardCrossbar>(card, CardPart::Crossbar, i));
      break;
    case DeviceCategory::TVTuner:
      if (config.HasTuner) out.push_back(Moniker<TCardTuner>(card, CardPart::Tuner));
      break;
    case DeviceCategory::TVAudio:
      if (config.HasTuner && config.HasTVAudio)
        out.push_back(Moniker<TCardTVAudio>(card, CardPart::TVAudio));
      break;
    case DeviceCategory::AudioInputDevice:
      if (config.HasAudioCapture)
        out.push_back(Moniker<TCardAudioCapture>(card, CardPart::AudioCapture));
      break;
    case DeviceCategory::VendorObject:
      // Only an Empia 2800 card's driver registers its object.
      if (config.Model == "2800")
        out.push_back({QString::fromLatin1(graph::kEmpia2800ClassId),
                       [card] { return std::make_shared<TVirtualEmpiaObject>(card); }});
      break;
    default:
      break;
  }
  return out;
}

const std::shared_ptr<TVirtualCard>& TVirtualDeviceProvider::Card() {
  if (!card_) card_ = std::make_shared<TVirtualCard>();
  return card_;
}

TVirtualDeviceProvider& DefaultVirtualProvider() {
  static TVirtualDeviceProvider provider(nullptr);
  return provider;
}

std::shared_ptr<TVirtualCard> DefaultVirtualCard() { return DefaultVirtualProvider().Card(); }

std::shared_ptr<TVirtualCard> InstallVirtualCard(const TVirtualCardConfig& config) {
  auto card = std::make_shared<TVirtualCard>(config);
  DefaultVirtualProvider().SetCard(card);
  return card;
}

}  // namespace pvx::platform::devices
