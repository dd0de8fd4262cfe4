#pragma once
// The graphics card's video encoder through VA-API, on the first render node in /dev/dri or the
// one OKA_PVX_RENDER_NODE names (machines with several cards); each node is opened once a run.

extern "C" {
#include <libavutil/buffer.h>
}

#include <QString>

namespace pvx::platform::media {

// The VA-API device, or nullptr when no render node opens; the caller gets its own reference.
AVBufferRef* HardwareDevice();
// The render node the device was opened on, or why none was.
QString HardwareDeviceText();

}  // namespace pvx::platform::media
