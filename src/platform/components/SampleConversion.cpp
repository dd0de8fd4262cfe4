#include "platform/components/SampleConversion.h"

#include <algorithm>
#include <cstring>

namespace pvx::platform::components {

using namespace graph;

namespace {

// Larger than any capture format; keeps a bad size from asking for a huge image.
constexpr int kMaxDimension = 8192;

enum class Layout { Unknown, Yuy2, Uyvy, Bgr24 };

Layout LayoutOf(const TMediaType& type) {
  if (!type.IsVideo()) return Layout::Unknown;
  if (type.Subtype == "YUY2") return Layout::Yuy2;
  if (type.Subtype == "UYVY") return Layout::Uyvy;
  if (type.Subtype == "RGB24") return Layout::Bgr24;
  return Layout::Unknown;
}

qsizetype SourceRowBytes(Layout layout, int width) {
  // A 4:2:2 row holds whole pairs, so an odd width ends in a half-used pair.
  return layout == Layout::Bgr24 ? qsizetype(width) * 3 : qsizetype((width + 1) / 2) * 4;
}

// One colour channel from its value in thousandths.
quint8 Channel(int thousandths) {
  return quint8((std::clamp(thousandths, 0, 255000) + 500) / 1000);
}

void YuvToBgr(int y, int u, int v, uchar* bgr) {
  const int luma = 1164 * (y - 16);
  const int cb = u - 128;
  const int cr = v - 128;
  bgr[0] = Channel(luma + 2017 * cb);
  bgr[1] = Channel(luma - 392 * cb - 813 * cr);
  bgr[2] = Channel(luma + 1596 * cr);
}

void ConvertRow(Layout layout, const uchar* src, int width, uchar* dst) {
  if (layout == Layout::Bgr24) {
    std::memcpy(dst, src, size_t(width) * 3);
    return;
  }
  // Byte offsets of Y0, U, Y1, V within a pair.
  const int y0 = layout == Layout::Yuy2 ? 0 : 1;
  const int u = layout == Layout::Yuy2 ? 1 : 0;
  const int y1 = layout == Layout::Yuy2 ? 2 : 3;
  const int v = layout == Layout::Yuy2 ? 3 : 2;
  for (int x = 0; x < width; ++x) {
    const uchar* pair = src + (x / 2) * 4;
    YuvToBgr(pair[x % 2 == 0 ? y0 : y1], pair[u], pair[v], dst + x * 3);
  }
}

}  // namespace

QByteArray ToBottomUpBGR24(const TMediaType& type, const QByteArray& frame) {
  const Layout layout = LayoutOf(type);
  const int width = type.Width;
  const int height = type.Height;
  if (layout == Layout::Unknown || width <= 0 || height <= 0 || width > kMaxDimension ||
      height > kMaxDimension)
    return {};
  const qsizetype srcRow = SourceRowBytes(layout, width);
  if (frame.size() < srcRow * height) return {};
  const qsizetype dstRow = qsizetype(width) * 3;
  QByteArray out(dstRow * height, Qt::Uninitialized);
  const auto* src = reinterpret_cast<const uchar*>(frame.constData());
  auto* dst = reinterpret_cast<uchar*>(out.data());
  for (int y = 0; y < height; ++y)
    ConvertRow(layout, src + y * srcRow, width, dst + (height - 1 - y) * dstRow);
  return out;
}

QImage ToBitmap24(const TMediaType& type, const QByteArray& frame) {
  const QByteArray bgr = ToBottomUpBGR24(type, frame);
  if (bgr.isEmpty()) return {};
  const int width = type.Width;
  const int height = type.Height;
  QImage image(width, height, QImage::Format_RGB888);
  if (image.isNull()) return {};
  const auto* rows = reinterpret_cast<const uchar*>(bgr.constData());
  for (int y = 0; y < height; ++y) {
    const uchar* src = rows + qsizetype(height - 1 - y) * width * 3;
    uchar* dst = image.scanLine(y);
    for (int x = 0; x < width; ++x) {
      dst[x * 3] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
  return image;
}

bool GrabBitmap(const ISampleGrabber& grabber, QImage& out) {
  TMediaType type;
  if (!grabber.GetConnectedMediaType(type) || !type.IsVideo()) return false;
  QByteArray frame;
  if (!grabber.GetCurrentBuffer(frame) || frame.isEmpty()) return false;
  QImage image = ToBitmap24(type, frame);
  if (image.isNull()) return false;
  out = std::move(image);
  return true;
}

}  // namespace pvx::platform::components
