#include "platform/devices/virtual/VirtualDeviceProvider.h"

#include "platform/devices/virtual/VirtualDeviceFilters.h"

namespace pvx::platform::devices {

using graph::DeviceCategory;
using graph::TMoniker;

std::vector<TMoniker> TVirtualDeviceProvider::Devices(DeviceCategory category) {
  std::vector<TMoniker> out;
  const auto card = Card();
  const TVirtualCardConfig& config = card->Config();
  if (card->Unplugged()) return out;
  switch (category) {
    case DeviceCategory::VideoInputDevice:
      out.push_back({card->DeviceName("Video Capture"),
                     [card] { return std::make_shared<TVirtualVideoCapture>(card); }});
      break;
    case DeviceCategory::Crossbar:
      for (int i = 0; i < card->CrossbarCount(); ++i) {
        out.push_back({card->DeviceName(i == 0 ? "Crossbar" : "Crossbar 2"),
                       [card, i] { return std::make_shared<TVirtualCrossbar>(card, i); }});
      }
      break;
    case DeviceCategory::TVTuner:
      if (config.HasTuner)
        out.push_back({card->DeviceName("TV Tuner"),
                       [card] { return std::make_shared<TVirtualTuner>(card); }});
      break;
    case DeviceCategory::TVAudio:
      if (config.HasTuner && config.HasTVAudio)
        out.push_back({card->DeviceName("TV Audio"),
                       [card] { return std::make_shared<TVirtualTVAudio>(card); }});
      break;
    case DeviceCategory::AudioInputDevice:
      if (config.HasAudioCapture)
        out.push_back({card->DeviceName("Audio Capture"),
                       [card] { return std::make_shared<TVirtualAudioCapture>(card); }});
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
