#pragma once
// Conversion between our media types and GStreamer caps.

#include <gst/gst.h>

#include "platform/graph/GraphTypes.h"

namespace pvx::platform::graph {

// Frame duration (100 ns) of a frame rate, and back, keeping the NTSC rates exact.
qint64 FrameDurationOf(int fpsNumerator, int fpsDenominator);
void FrameRateOf(qint64 avgTimePerFrame, int& numerator, int& denominator);

// Caps for a type; fields left 0 are left open. Returns a new reference.
GstCaps* ToCaps(const TMediaType& type);
// Reads the fixed fields of the first structure; false for caps we do not know.
bool FromCaps(const GstCaps* caps, TMediaType& type);

// The GStreamer raw-video format of a subtype ("YUY2" -> "YUY2", "RGB24" -> "BGR").
const char* GstVideoFormatOf(const QString& subtype);

}  // namespace pvx::platform::graph
