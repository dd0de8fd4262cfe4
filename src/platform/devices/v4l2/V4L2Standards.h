#pragma once
// The decoder's video standards as the engine numbers them, and the V4L2 standard ids.

#include <QtGlobal>

namespace pvx::platform::devices::v4l2 {

// The V4L2 ids to ask for one engine standard (a single bit); 0 when it has none.
quint64 V4L2StdOf(int standard);
// Every engine standard a V4L2 id set covers, ORed.
int StandardsOf(quint64 v4l2Std);
// The one engine standard for the id set a driver reports in force; 0 when none matches.
int StandardOf(quint64 v4l2Std);
// 525-line standards at 29.97 frames per second.
bool IsNtscLike(int standard);

}  // namespace pvx::platform::devices::v4l2
