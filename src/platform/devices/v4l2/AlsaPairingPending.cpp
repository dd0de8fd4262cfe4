#include "platform/devices/v4l2/AlsaPairing.h"

namespace pvx::platform::devices::v4l2 {

// Until the sysfs pairing lands, cards are presented without their own sound.
std::optional<TAlsaCaptureDevice> PairedAlsaCapture(const QString&, const QString&) {
  return std::nullopt;
}

}  // namespace pvx::platform::devices::v4l2
