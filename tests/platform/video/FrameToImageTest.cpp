#include "platform/video/FrameToImage.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pvx::platform::video;

namespace {

// Within 2 of the exact studio-range formula the display conversion approximates.
bool NearFormula(QRgb got, int y, int u, int v) {
  const double c = 1.164 * (y - 16);
  const double want[3] = {c + 1.596 * (v - 128), c - 0.392 * (u - 128) - 0.813 * (v - 128),
                          c + 2.017 * (u - 128)};
  const int have[3] = {qRed(got), qGreen(got), qBlue(got)};
  for (int i = 0; i < 3; ++i)
    if (std::abs(have[i] - std::lround(std::clamp(want[i], 0.0, 255.0))) > 2) return false;
  return true;
}

}  // namespace

// 57 = 3 x 16 + 8 + 1 pixels: every vector width the processor has, then the scalar tail;
// starting at column 1 also converts a lone second pixel of a pair.
TEST(FrameToImage, PackedYuvMatchesTheFormulaOnEveryPathAndFromEveryColumn) {
  const int stride = 120, height = 3, count = 57;
  QByteArray yuy2(stride * height, 0), uyvy(stride * height, 0);
  for (int i = 0; i < yuy2.size(); ++i) yuy2[i] = char((i * 53 + i / stride * 37) % 256);
  for (int i = 0; i < uyvy.size(); ++i) uyvy[i] = yuy2[i ^ 1];
  const auto* in = reinterpret_cast<const uchar*>(yuy2.constData());
  for (const int first : {0, 1}) {
    QImage a(count, height, QImage::Format_RGB32), b(count, height, QImage::Format_RGB32);
    ConvertPacked(PackedFormat::YUY2, in, stride, first, count, height, a.bits(), a.bytesPerLine());
    ConvertPacked(PackedFormat::UYVY, reinterpret_cast<const uchar*>(uyvy.constData()), stride,
                  first, count, height, b.bits(), b.bytesPerLine());
    for (int row = 0; row < height; ++row) {
      for (int i = 0; i < count; ++i) {
        const int x = first + i;
        const uchar* pair = in + row * stride + (x / 2) * 4;
        EXPECT_TRUE(NearFormula(a.pixel(i, row), pair[x % 2 ? 2 : 0], pair[1], pair[3])) << x << "," << row;
        EXPECT_EQ(b.pixel(i, row), a.pixel(i, row)) << "UYVY differs from YUY2 at " << x;
      }
    }
  }
}

TEST(FrameToImage, GoldenPixelsIntoAReusedUnsharedImageOnly) {
  const uchar white[4] = {235, 128, 235, 128}, black[4] = {16, 128, 16, 128};
  const uchar whiteUyvy[4] = {128, 235, 128, 235}, bgrx[8] = {10, 20, 30, 0, 40, 50, 60, 0};
  const std::tuple<PackedFormat, const uchar*, int, QRgb> rows[] = {
      {PackedFormat::YUY2, white, 1, qRgb(255, 255, 255)}, {PackedFormat::UYVY, whiteUyvy, 0, qRgb(255, 255, 255)},
      {PackedFormat::YUY2, black, 0, qRgb(0, 0, 0)},       {PackedFormat::BGRx, bgrx, 0, qRgb(30, 20, 10)},
      {PackedFormat::BGRx, bgrx, 1, qRgb(60, 50, 40)}};
  for (const auto& [format, data, x, want] : rows)
    EXPECT_EQ(FrameToImage(TRawFrame{format, data, 8, QSize(2, 1), nullptr}).pixel(x, 0), want) << x;
  EXPECT_TRUE(FrameToImage(TRawFrame{}).isNull());
  // An unshared image is reused; a shared one must not be written.
  QImage spare(2, 1, QImage::Format_RGB32);
  const uchar* bits = spare.constBits();
  QImage out = FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, std::move(spare));
  EXPECT_EQ(out.constBits(), bits);
  QImage held = out;
  EXPECT_NE(FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, out).constBits(), held.constBits());
}
