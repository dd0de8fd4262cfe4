#include <gtest/gtest.h>

#include <vector>

#include "platform/components/SampleConversion.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

TMediaType Video(const char* subtype, int width, int height) {
  TMediaType type;
  type.Subtype = subtype;
  type.Width = width;
  type.Height = height;
  return type;
}

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

// A 4x2 frame of four 4:2:2 pairs, each pair (Y0, U, Y1, V):
//   row 0: (235,128, 16,128) white, black   (100, 60,180,200)
//   row 1: ( 50,200,120, 90)                (235,128, 16,240) needs clamping
const int kPairs[4][4] = {
    {235, 128, 16, 128}, {100, 60, 180, 200}, {50, 200, 120, 90}, {235, 128, 16, 240}};

// Blue, green, red; the bottom row (source row 1) first.
const QByteArray kExpectedBottomUp = Bytes({
    185, 42,  0,   255, 124, 60,  255, 164, 255, 0,  0,   179,  // source row 1
    255, 255, 255, 0,   0,   0,   0,   66,  213, 54, 159, 255,  // source row 0
});

QByteArray Yuy2Frame() {
  QByteArray frame;
  for (const auto& p : kPairs) frame += Bytes({p[0], p[1], p[2], p[3]});
  return frame;
}

QByteArray UyvyFrame() {
  QByteArray frame;
  for (const auto& p : kPairs) frame += Bytes({p[1], p[0], p[3], p[2]});
  return frame;
}

TEST(SampleConversion, GoldenBytesBottomRowFirst) {
  EXPECT_EQ(ToBottomUpBGR24(Video("YUY2", 4, 2), Yuy2Frame()), kExpectedBottomUp);
  EXPECT_EQ(ToBottomUpBGR24(Video("UYVY", 4, 2), UyvyFrame()), kExpectedBottomUp);
  // A longer frame gives its first rows.
  EXPECT_EQ(ToBottomUpBGR24(Video("YUY2", 4, 2), Yuy2Frame() + QByteArray(16, 0)),
            kExpectedBottomUp);
}

TEST(SampleConversion, PixelsAreRoundedAndClamped) {
  struct Case {
    int y, u, v;
    int b, g, r;
  };
  const Case cases[] = {
      {235, 128, 128, 255, 255, 255},  // white: 254.916 rounds up
      {16, 128, 128, 0, 0, 0},         // black
      {126, 128, 128, 128, 128, 128},  // grey: 128.04
      {235, 128, 240, 255, 164, 255},  // red 433.668 clamps
      {16, 16, 128, 0, 44, 0},         // blue -225.904 clamps
      {81, 90, 240, 0, 0, 254},        // studio red: G -0.5, B -0.986
      {145, 54, 34, 1, 255, 0},        // studio green: G 255.586
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToBottomUpBGR24(Video("YUY2", 2, 1), Bytes({c.y, c.u, c.y, c.v})),
              Bytes({c.b, c.g, c.r, c.b, c.g, c.r}))
        << c.y << "," << c.u << "," << c.v;
}

TEST(SampleConversion, OddWidthUsesTheHalfFilledLastPair) {
  const QByteArray frame = Bytes({235, 128, 16, 128, 16, 128, 235, 128});
  EXPECT_EQ(ToBottomUpBGR24(Video("YUY2", 3, 1), frame),
            Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0}));
}

TEST(SampleConversion, Rgb24RowsAreFlipped) {
  const QByteArray topDown = Bytes({1, 2, 3, 4, 5, 6,  //
                                    7, 8, 9, 10, 11, 12});
  EXPECT_EQ(ToBottomUpBGR24(Video("RGB24", 2, 2), topDown),
            Bytes({7, 8, 9, 10, 11, 12,  //
                   1, 2, 3, 4, 5, 6}));
}

TEST(SampleConversion, BitmapsAreUprightRgb) {
  const QImage image = ToBitmap24(Video("YUY2", 4, 2), Yuy2Frame());
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.format(), QImage::Format_RGB888);
  EXPECT_EQ(image.size(), QSize(4, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(213, 66, 0));
  EXPECT_EQ(image.pixel(3, 1), qRgb(179, 0, 0));
  // Red first in memory, as the format says.
  EXPECT_EQ(image.constScanLine(0)[6], 213);
  const QImage rgb = ToBitmap24(Video("RGB24", 1, 2), Bytes({255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(rgb.pixel(0, 0), qRgb(0, 0, 255));  // blue above red, as stored
  EXPECT_EQ(rgb.pixel(0, 1), qRgb(255, 0, 0));
}

struct BadCase {
  const char* what;
  TMediaType type;
  QByteArray frame;
};

TEST(SampleConversion, RefusesFramesItCannotRead) {
  TMediaType audio = Video("YUY2", 4, 2);
  audio.Major = MediaMajor::Audio;
  const std::vector<BadCase> cases = {
      {"short YUY2 frame", Video("YUY2", 4, 2), Yuy2Frame().left(15)},
      {"short RGB24 frame", Video("RGB24", 4, 2), QByteArray(23, 0)},
      {"unknown subtype", Video("RGB32", 4, 2), QByteArray(32, 0)},
      {"planar subtype", Video("I420", 4, 2), QByteArray(12, 0)},
      {"zero width", Video("YUY2", 0, 2), Yuy2Frame()},
      {"negative height", Video("YUY2", 4, -2), Yuy2Frame()},
      {"huge size", Video("RGB24", 100000, 100000), QByteArray(64, 0)},
      {"not video", audio, Yuy2Frame()},
  };
  for (const BadCase& c : cases) {
    EXPECT_TRUE(ToBottomUpBGR24(c.type, c.frame).isEmpty()) << c.what;
    EXPECT_TRUE(ToBitmap24(c.type, c.frame).isNull()) << c.what;
  }
}

class TFakeGrabber final : public ISampleGrabber {
 public:
  bool hasType = true;
  TMediaType type = Video("YUY2", 4, 2);
  QByteArray frame;
  bool SetMediaType(const TMediaType&) override { return true; }
  bool GetConnectedMediaType(TMediaType& out) const override {
    out = type;
    return hasType;
  }
  bool GetCurrentBuffer(QByteArray& out) const override {
    out = frame;
    return !frame.isEmpty();
  }
};

TEST(GrabBitmap, ConvertsTheCurrentVideoFrameOnly) {
  struct Case {
    const char* what;
    bool hasType;
    MediaMajor major;
    QByteArray frame;
    bool grabbed;
  };
  const Case cases[] = {
      {"a frame", true, MediaMajor::Video, Yuy2Frame(), true},
      {"no frame", true, MediaMajor::Video, {}, false},
      {"no type", false, MediaMajor::Video, Yuy2Frame(), false},
      {"sound", true, MediaMajor::Audio, Yuy2Frame(), false},
      {"short frame", true, MediaMajor::Video, Yuy2Frame().left(8), false},
  };
  for (const Case& c : cases) {
    TFakeGrabber grabber;
    grabber.hasType = c.hasType;
    grabber.type.Major = c.major;
    grabber.frame = c.frame;
    QImage image;
    EXPECT_EQ(GrabBitmap(grabber, image), c.grabbed) << c.what;
    EXPECT_EQ(image.isNull(), !c.grabbed) << c.what;
    if (c.grabbed) EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
  }
}

}  // namespace
}  // namespace pvx::test
