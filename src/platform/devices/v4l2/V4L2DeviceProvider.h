#pragma once
// Presents the machine's real capture cards in the device categories.

#include <functional>
#include <memory>

#include "platform/devices/v4l2/AlsaPairing.h"
#include "platform/devices/v4l2/TV4L2Card.h"
#include "platform/graph/TComponentRegistry.h"

namespace pvx::platform::devices::v4l2 {

class TV4L2DeviceProvider final : public graph::IDeviceProvider {
 public:
  explicit TV4L2DeviceProvider(IV4L2Io& io, QString sysfsRoot = "/sys")
      : io_(io), sysfsRoot_(std::move(sysfsRoot)) {}
  std::vector<graph::TMoniker> Devices(graph::DeviceCategory category) override;

  // The cards found, looked for on first use.
  const std::vector<std::shared_ptr<TV4L2Card>>& Cards();
  // Looks again (after a card was plugged in or out).
  void Rescan() { scanned_ = false; }

  // Binds the audio capture filter of a card's own sound; while unset no such device is listed.
  std::function<std::shared_ptr<graph::TFilter>(const TAlsaCaptureDevice&)> AudioCaptureFactory;
  // Replaces v4l2src in the capture bins (tests read a test source instead of a node).
  QString SourceOverride;

 private:
  IV4L2Io& io_;
  QString sysfsRoot_;
  bool scanned_ = false;
  std::vector<std::shared_ptr<TV4L2Card>> cards_;
};

// Whether start-up uses the real cards: when some are found, unless the device setting
// says "virtual"; then nothing is looked for.
bool UseRealCards(const QString& deviceSetting, const std::function<bool()>& cardsFound);

// The device setting: OKA_PVX_DEVICE's value when set, else "Device=" in `settingsFile`
// (Devices.ini in the program's folder), so the choice survives without the environment.
QString DeviceSetting(const QString& environment, const QString& settingsFile);

// The provider over the machine's own devices.
TV4L2DeviceProvider& DefaultV4L2Provider();

}  // namespace pvx::platform::devices::v4l2
