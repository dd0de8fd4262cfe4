#pragma once
// Turns a raw frame into an image Qt paints, in one pass on the streaming thread.

#include <QImage>

namespace pvx::platform::video {

enum class PackedFormat { YUY2, UYVY, BGRx };

// Converts width x height pixels whose rows are `stride` bytes apart into a Format_RGB32 image
// (YUV as BT.601 studio range). `reuse` is written into when nobody else holds it and its size
// fits, which spares an allocation per frame. Null when the image cannot be allocated.
QImage FrameToImage(PackedFormat format, const uchar* data, int stride, int width, int height,
                    QImage reuse = QImage());

}  // namespace pvx::platform::video
