#include <gtest/gtest.h>

#include <cstdlib>

#include "TestFilters.h"
#include "platform/components/SampleConversion.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

TMediaType Type(const char* subtype, MediaMajor major = MediaMajor::Video) {
  TMediaType type;
  type.Major = major;
  type.Subtype = subtype;
  return type;
}

struct GrabberGraph {
  TFilterGraph graph{test::Components()};
  std::shared_ptr<TTestSource> source;
  std::shared_ptr<TSampleGrabberEx> grabber = std::make_shared<TSampleGrabberEx>();
  std::shared_ptr<TTestSink> sink = std::make_shared<TTestSink>();

  bool Connect() {
    return graph.AddFilter(source, "Source") && graph.AddFilter(grabber, "Grabber") &&
           graph.AddFilter(sink, "Sink") &&
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
    EXPECT_EQ(QString("%1 %2 %3x%4 %5").arg(int(type.Major)).arg(type.Subtype).arg(type.Width).arg(type.Height)
                  .arg(type.AvgTimePerFrame),
              QString("%1 %2 %3x240 333333").arg(int(MediaMajor::Video)).arg(subtype).arg(width));
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
  for (const auto& [type, accepted] : {std::pair{Type("RGB32"), false}, {Type("I420"), false},
                                       {Type("PCM", MediaMajor::Audio), false}, {Type("RGB24"), true}})
    EXPECT_EQ(TSampleGrabberEx().SetMediaType(type), accepted) << type.Subtype.toStdString();
  GrabberGraph refused{.source = VideoSource("YUY2")};
  ASSERT_TRUE(refused.grabber->SetMediaType(Type("UYVY")));
  EXPECT_FALSE(refused.Connect());
  GrabberGraph g{.source = VideoSource("UYVY")};
  ASSERT_TRUE(g.grabber->SetMediaType(Type("UYVY")));
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
