#pragma once
// Turning a grabbed frame into a 24-bit bitmap for snapshots.
//
// YUY2 (bytes Y0 U Y1 V) and UYVY (bytes U Y0 V Y1) are converted per pixel with the Y of the
// pixel and the U, V of the pair holding it:
//   R = 1.164 (Y - 16) + 1.596 (V - 128)
//   G = 1.164 (Y - 16) - 0.392 (U - 128) - 0.813 (V - 128)
//   B = 1.164 (Y - 16) + 2.017 (U - 128)
// computed exactly in thousandths, rounded to the nearest integer (halves up) and clamped to
// 0..255. RGB24 frames (blue first, top row first) are copied as they are. Frames are rows
// tightly packed, as ISampleGrabber::GetCurrentBuffer delivers them.

#include <QByteArray>
#include <QImage>

#include "platform/graph/GraphTypes.h"
#include "platform/graph/Interfaces.h"

namespace pvx::platform::components {

// The pixel rows of a 24-bit bitmap: blue, green, red; width * 3 bytes a row, no padding; the
// bottom row first, so source row y is written to row height - 1 - y. Empty for a type other
// than YUY2, UYVY or RGB24, a size out of range, or a frame shorter than the type needs.
QByteArray ToBottomUpBGR24(const graph::TMediaType& type, const QByteArray& frame);

// The same picture, upright, as an image for display and saving; null where the above is empty.
QImage ToBitmap24(const graph::TMediaType& type, const QByteArray& frame);

// The grabber's last frame as an image; false unless the connected type is video and a frame
// has arrived in a format the conversion takes.
bool GrabBitmap(const graph::ISampleGrabber& grabber, QImage& out);

}  // namespace pvx::platform::components
