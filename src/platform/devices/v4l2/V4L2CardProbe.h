#pragma once
// Reading what a node offers, once, when the provider first looks at it: what a TV4L2Card is
// built from.

#include <QString>
#include <optional>
#include <utility>

#include "platform/devices/v4l2/TV4L2Card.h"
#include "platform/devices/v4l2/V4L2Io.h"

namespace pvx::platform::devices::v4l2 {

// The friendly name of a card: the driver's card name, with the chip maker and model added
// when the name lacks the maker ("Hauppauge WinTV (Philips 7134)").
QString FriendlyCardName(const QString& card, const QString& driver);

// What the node on `videoPath` offers; nothing when it is no video capture device. A node that
// is busy now gives a busy card under its path.
std::optional<TV4L2CardInfo> ProbeVideoNode(IV4L2Io& io, const QString& videoPath);

// A radio node's bus and FM band, or nothing.
std::optional<std::pair<QString, TV4L2Band>> ProbeRadioNode(IV4L2Io& io, const QString& path);

}  // namespace pvx::platform::devices::v4l2
