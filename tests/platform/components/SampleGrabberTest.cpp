#include <gtest/gtest.h>

#include "TestFilters.h"
#include "platform/components/SampleConversion.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

TMediaType Video(const char* subtype, int width, int height, MediaMajor major = MediaMajor::Video) {
  return {major, subtype, width, height};
}

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

// A 4x2 frame of four 4:2:2 pairs, each pair (Y0, U, Y1, V):
//   row 0: (235,128, 16,128) white, black   (100, 60,180,200)
//   row 1: ( 50,200,120, 90)                (235,128, 16,240) needs clamping
QByteArray Frame(bool uyvy = false) {
  const int pairs[4][4] = {{235, 128, 16, 128}, {100, 60, 180, 200}, {50, 200, 120, 90}, {235, 128, 16, 240}};
  QByteArray frame;
  for (const auto& p : pairs) frame += uyvy ? Bytes({p[1], p[0], p[3], p[2]}) : Bytes({p[0], p[1], p[2], p[3]});
  return frame;
}

// Blue, green, red; the bottom row (source row 1) first.
const QByteArray kExpectedBottomUp = Bytes({
    185, 42,  0,   255, 124, 60,  255, 164, 255, 0,  0,   179,  // source row 1
    255, 255, 255, 0,   0,   0,   0,   66,  213, 54, 159, 255,  // source row 0
});

// One YUY2 pair of two equal pixels, and the two BGR pixels it should give.
QByteArray Pair(int y, int u, int v) { return Bytes({y, u, y, v}); }
QByteArray Bgr2(int b, int g, int r) { return Bytes({b, g, r, b, g, r}); }

TEST(SampleConversion, GoldenBytesBottomRowFirstRoundedClampedOrRefused) {
  const QByteArray topDown = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const TMediaType pair = Video("YUY2", 2, 1);
  // clang-format off
  const std::tuple<const char*, TMediaType, QByteArray, QByteArray> rows[] = {
      {"YUY2", Video("YUY2", 4, 2), Frame(), kExpectedBottomUp},
      {"UYVY", Video("UYVY", 4, 2), Frame(true), kExpectedBottomUp},
      {"a longer frame gives its first rows", Video("YUY2", 4, 2), Frame() + QByteArray(16, 0), kExpectedBottomUp},
      {"white: 254.916 rounds up", pair, Pair(235, 128, 128), Bgr2(255, 255, 255)}, {"black", pair, Pair(16, 128, 128), Bgr2(0, 0, 0)},
      {"grey: 128.04", pair, Pair(126, 128, 128), Bgr2(128, 128, 128)}, {"red 433.668 clamps", pair, Pair(235, 128, 240), Bgr2(255, 164, 255)},
      {"blue -225.904 clamps", pair, Pair(16, 16, 128), Bgr2(0, 44, 0)}, {"studio red: G -0.5, B -0.986", pair, Pair(81, 90, 240), Bgr2(0, 0, 254)},
      {"studio green: G 255.586", pair, Pair(145, 54, 34), Bgr2(1, 255, 0)},
      {"odd width", Video("YUY2", 3, 1), Bytes({235, 128, 16, 128, 16, 128, 235, 128}), Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0})},
      {"RGB24 rows are flipped", Video("RGB24", 2, 2), topDown, topDown.mid(6) + topDown.left(6)},
      {"short YUY2 frame", Video("YUY2", 4, 2), Frame().left(15), {}}, {"short RGB24 frame", Video("RGB24", 4, 2), QByteArray(23, 0), {}},
      {"unknown subtype", Video("RGB32", 4, 2), QByteArray(32, 0), {}}, {"planar subtype", Video("I420", 4, 2), QByteArray(12, 0), {}},
      {"zero width", Video("YUY2", 0, 2), Frame(), {}}, {"negative height", Video("YUY2", 4, -2), Frame(), {}},
      {"huge size", Video("RGB24", 100000, 100000), QByteArray(64, 0), {}}, {"not video", Video("YUY2", 4, 2, MediaMajor::Audio), Frame(), {}}};
  // clang-format on
  for (const auto& [what, type, frame, expected] : rows) {
    EXPECT_EQ(ToBottomUpBGR24(type, frame), expected) << what;
    EXPECT_EQ(ToBitmap24(type, frame).isNull(), expected.isEmpty()) << what;
  }
}

struct TFakeGrabber final : ISampleGrabber {
  TFakeGrabber(bool hasType, MediaMajor major, QByteArray frame)
      : hasType(hasType), type(Video("YUY2", 4, 2, major)), frame(std::move(frame)) {}
  bool hasType;
  TMediaType type;
  QByteArray frame;
  bool SetMediaType(const TMediaType&) override { return true; }
  bool GetConnectedMediaType(TMediaType& out) const override { out = type; return hasType; }
  bool GetCurrentBuffer(QByteArray& out) const override { out = frame; return !frame.isEmpty(); }
};

TEST(GrabBitmap, ConvertsTheCurrentVideoFrameOnlyIntoAnUprightBitmap) {
  // clang-format off
  const std::tuple<const char*, bool, MediaMajor, QByteArray, bool> rows[] = {
      {"a frame", true, MediaMajor::Video, Frame(), true},      {"no frame", true, MediaMajor::Video, {}, false},
      {"no type", false, MediaMajor::Video, Frame(), false},    {"sound", true, MediaMajor::Audio, Frame(), false},
      {"short frame", true, MediaMajor::Video, Frame().left(8), false}};
  // clang-format on
  for (const auto& [what, hasType, major, frame, grabbed] : rows) {
    QImage image;
    EXPECT_EQ(GrabBitmap(TFakeGrabber(hasType, major, frame), image), grabbed) << what;
    EXPECT_EQ(image.isNull(), !grabbed) << what;
  }
  // The bitmap is upright RGB, red first in memory as the format says.
  QImage image;
  ASSERT_TRUE(GrabBitmap(TFakeGrabber(true, MediaMajor::Video, Frame()), image));
  ASSERT_EQ(image.format(), QImage::Format_RGB888);
  ASSERT_EQ(image.size(), QSize(4, 2));
  for (int i = 0; i < 8; ++i) {
    const char* bgr = kExpectedBottomUp.constData() + ((1 - i / 4) * 4 + i % 4) * 3;
    EXPECT_EQ(image.pixel(i % 4, i / 4), qRgb(uchar(bgr[2]), uchar(bgr[1]), uchar(bgr[0]))) << i;
  }
  EXPECT_EQ(image.constScanLine(0)[6], 213);
  const QImage rgb = ToBitmap24(Video("RGB24", 1, 2), Bytes({255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(rgb.pixel(0, 0), qRgb(0, 0, 255));  // blue above red, as stored
  EXPECT_EQ(rgb.pixel(0, 1), qRgb(255, 0, 0));
}

struct GrabberGraph {
  TFilterGraph graph{test::Components()};
  std::shared_ptr<TTestSource> source;
  std::shared_ptr<TSampleGrabberEx> grabber = std::make_shared<TSampleGrabberEx>();
  std::shared_ptr<TTestSink> sink = std::make_shared<TTestSink>();

  bool Connect() {
    return graph.AddFilter(source, "Source") && graph.AddFilter(grabber, "Grabber") && graph.AddFilter(sink, "Sink") &&
           graph.Connect(*source->FindPin("Capture"), *grabber->FindPin("Input")) &&
           graph.Connect(*grabber->FindPin("Output"), *sink->FindPin("Input"));
  }
  bool RunUntilFrames() { return graph.Run() && WaitUntil([&] { return sink->Frames() >= 3; }); }
};

// The connected type, the last frame and a bitmap of the source's colour, which studio-range
// YUV changes a little by rounding. 322 pixels of BGR make 966-byte rows, which GStreamer pads.
TEST(SampleGrabber, ReportsTheConnectedTypeTheLastFrameAndItsColour) {
  // clang-format off
  const std::tuple<const char*, const char*, const char*, int, QRgb> rows[] = {
      {"YUY2", "red", "YUY2", 320, qRgb(255, 0, 0)}, {"UYVY", "red", "UYVY", 320, qRgb(255, 0, 0)},
      {"BGR", "red", "RGB24", 322, qRgb(255, 0, 0)}, {"YUY2", "green", "YUY2", 320, qRgb(0, 255, 0)},
      {"UYVY", "blue", "UYVY", 320, qRgb(0, 0, 255)}, {"BGR", "blue", "RGB24", 320, qRgb(0, 0, 255)}};
  // clang-format on
  for (const auto& [format, pattern, subtype, width, colour] : rows) {
    SCOPED_TRACE(std::string(format) + " " + pattern);
    GrabberGraph g{.source = VideoSource(format, pattern, width, 240)};
    ASSERT_TRUE(g.Connect() && g.RunUntilFrames());
    TMediaType type;
    ASSERT_TRUE(g.grabber->GetConnectedMediaType(type));
    EXPECT_EQ(type, (TMediaType{MediaMajor::Video, subtype, width, 240, 333333})) << type.Name().toStdString();
    QByteArray frame;
    ASSERT_TRUE(g.grabber->GetCurrentBuffer(frame));
    EXPECT_EQ(frame.size(), width * (subtype[0] == 'R' ? 3 : 2) * 240);
    QImage image;
    ASSERT_TRUE(GrabBitmap(*g.grabber, image));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(width, 240));
    for (QPoint at : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
      const QRgb got = image.pixel(at);
      EXPECT_LE(std::max({std::abs(qRed(got) - qRed(colour)), std::abs(qGreen(got) - qGreen(colour)),
                          std::abs(qBlue(got) - qBlue(colour))}), 3) << at.x() << "," << at.y();
    }
  }
}

// A grabber set to a type takes only that, and has a frame from Run until it is disconnected.
TEST(SampleGrabber, AcceptsOnlyTheTypeItIsSetToAndHasAFrameFromRunUntilDisconnect) {
  for (const auto& [type, accepted] : {std::pair{Video("RGB32", 0, 0), false}, {Video("I420", 0, 0), false},
                                       {Video("PCM", 0, 0, MediaMajor::Audio), false}, {Video("RGB24", 0, 0), true}})
    EXPECT_EQ(TSampleGrabberEx().SetMediaType(type), accepted) << type.Subtype.toStdString();
  GrabberGraph refused{.source = VideoSource("YUY2")};
  EXPECT_FALSE(refused.grabber->SetMediaType(Video("UYVY", 0, 0)) && refused.Connect());
  GrabberGraph g{.source = VideoSource("UYVY")};
  ASSERT_TRUE(g.grabber->SetMediaType(Video("UYVY", 0, 0)));
  ASSERT_TRUE(g.Connect());
  TMediaType type;
  QByteArray frame;
  QImage image;
  EXPECT_FALSE(g.grabber->GetConnectedMediaType(type) || g.grabber->GetCurrentBuffer(frame) ||
               GrabBitmap(*g.grabber, image));
  ASSERT_TRUE(g.RunUntilFrames() && g.graph.Stop());
  ASSERT_TRUE(g.grabber->GetConnectedMediaType(type));
  EXPECT_EQ(type.Subtype, "UYVY");
  EXPECT_TRUE(g.grabber->GetCurrentBuffer(frame));  // the last one stays after Stop
  ASSERT_TRUE(g.graph.Disconnect(*g.grabber->FindPin("Input")));
  EXPECT_FALSE(g.grabber->GetCurrentBuffer(frame) || g.grabber->GetConnectedMediaType(type));
}

}  // namespace
}  // namespace pvx::test
