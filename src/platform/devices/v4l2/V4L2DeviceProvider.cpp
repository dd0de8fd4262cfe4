#include "platform/devices/v4l2/V4L2DeviceProvider.h"

#include <QFileInfo>
#include <QSettings>

#include "platform/devices/v4l2/V4L2CardProbe.h"
#include "platform/devices/CardFilters.h"

namespace pvx::platform::devices::v4l2 {

using graph::DeviceCategory;
using graph::TMoniker;

namespace {

// A filter of a card whose node opens now; nothing when it is busy or gone.
template <typename Filter>
TMoniker Moniker(const std::shared_ptr<TV4L2Card>& card, CardPart part) {
  return {card->PartName(part), [card]() -> std::shared_ptr<graph::TFilter> {
            if (!card->Open()) return nullptr;
            return std::make_shared<Filter>(card);
          }};
}

}  // namespace

const std::vector<std::shared_ptr<TV4L2Card>>& TV4L2DeviceProvider::Cards() {
  if (scanned_) return cards_;
  scanned_ = true;
  cards_.clear();
  const QStringList nodes = io_.ListNodes();
  for (const QString& node : nodes) {
    if (!QFileInfo(node).fileName().startsWith("video")) continue;
    auto info = ProbeVideoNode(io_, node);
    if (!info) continue;
    auto card = std::make_shared<TV4L2Card>(io_, node, std::move(*info));
    card->SourceDescription = SourceOverride;
    cards_.push_back(card);
  }
  // A radio node belongs to the card on the same bus.
  for (const QString& node : nodes) {
    if (!QFileInfo(node).fileName().startsWith("radio")) continue;
    const auto radio = ProbeRadioNode(io_, node);
    if (!radio) continue;
    for (const auto& card : cards_)
      if (card->BusInfo() == radio->first && !card->Band(true).Present) card->AttachRadio(node, radio->second);
  }
  return cards_;
}

std::vector<TMoniker> TV4L2DeviceProvider::Devices(DeviceCategory category) {
  std::vector<TMoniker> out;
  for (const auto& card : Cards()) {
    switch (category) {
      case DeviceCategory::VideoInputDevice:
        out.push_back(Moniker<TCardVideoCapture>(card, CardPart::Capture));
        break;
      case DeviceCategory::Crossbar:
        // Every card has one, so that the engine can route even a single camera input.
        out.push_back(Moniker<TCardCrossbar>(card, CardPart::Crossbar));
        break;
      case DeviceCategory::TVTuner:
        if (card->HasTuner()) out.push_back(Moniker<TCardTuner>(card, CardPart::Tuner));
        break;
      case DeviceCategory::TVAudio:
        if (card->HasTuner()) out.push_back(Moniker<TCardTVAudio>(card, CardPart::TVAudio));
        break;
      case DeviceCategory::AudioInputDevice: {
        if (!AudioCaptureFactory) break;
        const auto sound = PairedAlsaCapture(QFileInfo(card->Path()).fileName(), sysfsRoot_);
        if (!sound) break;
        auto factory = AudioCaptureFactory;
        out.push_back({sound->Name, [factory, device = *sound] { return factory(device); }});
        break;
      }
      default:
        break;
    }
  }
  return out;
}

bool UseRealCards(const QString& deviceSetting, const std::function<bool()>& cardsFound) {
  return deviceSetting.compare("virtual", Qt::CaseInsensitive) != 0 && cardsFound();
}

QString DeviceSetting(const QString& environment, const QString& settingsFile) {
  if (!environment.isEmpty()) return environment;
  return QSettings(settingsFile, QSettings::IniFormat).value("Device").toString().trimmed();
}

TV4L2DeviceProvider& DefaultV4L2Provider() {
  static TV4L2DeviceProvider provider(LinuxV4L2Io());
  return provider;
}

}  // namespace pvx::platform::devices::v4l2
