#pragma once
// Recognises an MPEG-2 transport stream by its sync bytes, which the file player refuses.

#include <QString>

namespace pvx::playback {

// True when the file starts (within its first nine bytes) a run of 188-byte packets: as many
// sync bytes as the first min(size, 545) bytes hold packets, rounded half to even.
bool IsMpeg2TransportStream(const QString& path);

}  // namespace pvx::playback
