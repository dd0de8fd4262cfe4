#include "platform/video/FrameToImage.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pvx::platform::video;

namespace {

// The exact studio-range formula the display conversion approximates.
QRgb Exact(int y, int u, int v) {
  auto clamp = [](double c) { return int(std::lround(std::clamp(c, 0.0, 255.0))); };
  const double c = 1.164 * (y - 16);
  return qRgb(clamp(c + 1.596 * (v - 128)), clamp(c - 0.392 * (u - 128) - 0.813 * (v - 128)),
              clamp(c + 2.017 * (u - 128)));
}

}  // namespace

TEST(FrameToImage, PackedYuvMatchesTheFormulaOnEveryPath) {
  // 9 pixels wide: eight go through the vector path, the lone ninth through the scalar one.
  const int width = 9, height = 3, stride = 24;
  QByteArray yuy2(stride * height, 0), uyvy(stride * height, 0);
  for (int row = 0; row < height; ++row) {
    for (int pair = 0; pair < 5; ++pair) {
      const int y0 = 16 + (row * 37 + pair * 53) % 220, y1 = 235 - (pair * 41 + row * 13) % 220;
      const int u = (pair * 61 + row * 29) % 256, v = 255 - (pair * 47 + row * 71) % 256;
      char* a = yuy2.data() + row * stride + pair * 4;
      char* b = uyvy.data() + row * stride + pair * 4;
      a[0] = char(y0), a[1] = char(u), a[2] = char(y1), a[3] = char(v);
      b[0] = char(u), b[1] = char(y0), b[2] = char(v), b[3] = char(y1);
    }
  }
  const QImage fromYuy2 = FrameToImage(PackedFormat::YUY2, reinterpret_cast<const uchar*>(yuy2.data()),
                                       stride, width, height);
  const QImage fromUyvy = FrameToImage(PackedFormat::UYVY, reinterpret_cast<const uchar*>(uyvy.data()),
                                       stride, width, height);
  ASSERT_EQ(fromYuy2.size(), QSize(width, height));
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const uchar* pair = reinterpret_cast<const uchar*>(yuy2.data()) + row * stride + (x / 2) * 4;
      const QRgb want = Exact(pair[x % 2 ? 2 : 0], pair[1], pair[3]);
      const QRgb got = fromYuy2.pixel(x, row);
      EXPECT_NEAR(qRed(got), qRed(want), 2) << x << "," << row;
      EXPECT_NEAR(qGreen(got), qGreen(want), 2) << x << "," << row;
      EXPECT_NEAR(qBlue(got), qBlue(want), 2) << x << "," << row;
      EXPECT_EQ(fromUyvy.pixel(x, row), got) << "UYVY differs from YUY2 at " << x;
    }
  }
}

TEST(FrameToImage, WhiteBlackAndBgrx) {
  const uchar white[4] = {235, 128, 235, 128}, black[4] = {16, 128, 16, 128};
  EXPECT_EQ(FrameToImage(PackedFormat::YUY2, white, 4, 2, 1).pixel(1, 0), qRgb(255, 255, 255));
  EXPECT_EQ(FrameToImage(PackedFormat::YUY2, black, 4, 2, 1).pixel(0, 0), qRgb(0, 0, 0));
  const uchar bgrx[8] = {10, 20, 30, 0, 40, 50, 60, 0};
  const QImage image = FrameToImage(PackedFormat::BGRx, bgrx, 8, 2, 1);
  EXPECT_EQ(image.pixel(0, 0), qRgb(30, 20, 10));
  EXPECT_EQ(image.pixel(1, 0), qRgb(60, 50, 40));
}

TEST(FrameToImage, ReusesAnUnsharedImageOnly) {
  const uchar white[4] = {235, 128, 235, 128};
  QImage spare(2, 1, QImage::Format_RGB32);
  const uchar* bits = spare.constBits();
  QImage out = FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, std::move(spare));
  EXPECT_EQ(out.constBits(), bits);
  QImage held = out;  // shared: must not be written
  QImage next = FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, out);
  EXPECT_NE(next.constBits(), held.constBits());
}
