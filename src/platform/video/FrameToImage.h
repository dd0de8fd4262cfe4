#pragma once
// Turns raw frames into pixels Qt paints, in one pass: into an image, or straight into the
// part of a painted surface the frame covers.

#include <QImage>
#include <QSize>
#include <memory>

namespace pvx::platform::video {

enum class PackedFormat { YUY2, UYVY, BGRx };

// A raw frame as delivered; `data` stays valid while `keep` (or a copy of it) is held.
struct TRawFrame {
  PackedFormat format = PackedFormat::BGRx;
  const uchar* data = nullptr;
  int stride = 0;
  QSize size;
  std::shared_ptr<void> keep;

  bool IsNull() const { return data == nullptr; }
};

// Converts columns [x, x + width) of `height` rows, the first at `rows` and `stride` bytes
// apart, into 0xffRRGGBB pixels written from `out` on, rows `outStride` bytes apart (YUV as
// BT.601 studio range).
void ConvertPacked(PackedFormat format, const uchar* rows, int stride, int x, int width,
                   int height, uchar* out, qsizetype outStride);

// The whole frame as a Format_RGB32 image. `reuse` is written into when nobody else holds it
// and its size fits, which spares an allocation per frame. Null when it cannot be allocated.
QImage FrameToImage(PackedFormat format, const uchar* data, int stride, int width, int height,
                    QImage reuse = QImage());
QImage FrameToImage(const TRawFrame& frame, QImage reuse = QImage());

}  // namespace pvx::platform::video
