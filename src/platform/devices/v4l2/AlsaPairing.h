#pragma once
// A capture card's sound: the ALSA capture device on the same parent device as a video node
// (the card's own audio chip, or the USB grabber's audio interface), found through sysfs.

#include <QString>
#include <QStringList>
#include <optional>

namespace pvx::platform::devices::v4l2 {

struct TAlsaCaptureDevice {
  QString Device;    // what alsasrc opens, "hw:1,0"
  QString Name;      // the card's name, "CX8801"
  QStringList Lines; // the capture input lines its mixer offers ("Line", "TV Tuner" ...)
};

// The capture device paired with `videoNode` ("video0"); `sysfsRoot` is "/sys" on a real
// machine and a scripted folder in tests. None when the card has no sound of its own.
std::optional<TAlsaCaptureDevice> PairedAlsaCapture(const QString& videoNode, const QString& sysfsRoot = "/sys");

}  // namespace pvx::platform::devices::v4l2
