#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

#include "TestFilters.h"
#include "platform/components/SampleConversion.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

struct GrabberGraph {
  TFilterGraph graph{test::Components()};
  std::shared_ptr<TTestSource> source;
  std::shared_ptr<TSampleGrabberEx> grabber = std::make_shared<TSampleGrabberEx>();
  std::shared_ptr<TTestSink> sink = std::make_shared<TTestSink>();

  explicit GrabberGraph(std::shared_ptr<TTestSource> from) : source(std::move(from)) {}

  bool Connect() {
    return graph.AddFilter(source, "Source") && graph.AddFilter(grabber, "Grabber") &&
           graph.AddFilter(sink, "Sink") &&
           graph.Connect(*source->FindPin("Capture"), *grabber->FindPin("Input")) &&
           graph.Connect(*grabber->FindPin("Output"), *sink->FindPin("Input"));
  }
  bool RunUntilFrames(int frames = 3) {
    return graph.Run() && WaitUntil([&] { return sink->Frames() >= frames; });
  }
};

TEST(SampleGrabber, ReportsTheConnectedTypeAndTheLastFrame) {
  struct Case {
    const char* gstFormat;
    const char* subtype;
    int width;
    int bytes;  // rows without padding
  };
  // 322 pixels of BGR make 966-byte rows, which GStreamer pads to 968.
  for (const Case& c :
       {Case{"YUY2", "YUY2", 320, 320 * 2 * 240}, Case{"UYVY", "UYVY", 320, 320 * 2 * 240},
        Case{"BGR", "RGB24", 322, 322 * 3 * 240}}) {
    SCOPED_TRACE(c.gstFormat);
    GrabberGraph g(VideoSource(c.gstFormat, "smpte", c.width, 240));
    ASSERT_TRUE(g.Connect());
    ASSERT_TRUE(g.RunUntilFrames());
    TMediaType type;
    ASSERT_TRUE(g.grabber->GetConnectedMediaType(type));
    EXPECT_EQ(type.Major, MediaMajor::Video);
    EXPECT_EQ(type.Subtype, c.subtype);
    EXPECT_EQ(type.Width, c.width);
    EXPECT_EQ(type.Height, 240);
    EXPECT_EQ(type.AvgTimePerFrame, 333333);
    QByteArray frame;
    ASSERT_TRUE(g.grabber->GetCurrentBuffer(frame));
    EXPECT_EQ(frame.size(), c.bytes);
  }
}

TEST(SampleGrabber, HasAFrameFromRunUntilDisconnect) {
  GrabberGraph g(VideoSource("YUY2"));
  ASSERT_TRUE(g.Connect());
  TMediaType type;
  QByteArray frame;
  QImage image;
  EXPECT_FALSE(g.grabber->GetConnectedMediaType(type));
  EXPECT_FALSE(g.grabber->GetCurrentBuffer(frame));
  EXPECT_FALSE(GrabBitmap(*g.grabber, image));
  ASSERT_TRUE(g.RunUntilFrames());
  ASSERT_TRUE(g.graph.Stop());
  EXPECT_TRUE(g.grabber->GetCurrentBuffer(frame));  // the last one stays after Stop
  ASSERT_TRUE(g.graph.Disconnect(*g.grabber->FindPin("Input")));
  EXPECT_FALSE(g.grabber->GetCurrentBuffer(frame));
  EXPECT_FALSE(g.grabber->GetConnectedMediaType(type));
}

TEST(SampleGrabber, GrabbedColourComesOutAsTheSourceColour) {
  struct Case {
    const char* gstFormat;
    const char* pattern;
    QRgb expected;
  };
  for (const Case& c :
       {Case{"YUY2", "red", qRgb(255, 0, 0)}, Case{"UYVY", "red", qRgb(255, 0, 0)},
        Case{"BGR", "red", qRgb(255, 0, 0)}, Case{"YUY2", "green", qRgb(0, 255, 0)},
        Case{"UYVY", "blue", qRgb(0, 0, 255)}, Case{"BGR", "blue", qRgb(0, 0, 255)}}) {
    SCOPED_TRACE(std::string(c.gstFormat) + " " + c.pattern);
    GrabberGraph g(VideoSource(c.gstFormat, c.pattern));
    ASSERT_TRUE(g.Connect());
    ASSERT_TRUE(g.RunUntilFrames());
    QImage image;
    ASSERT_TRUE(GrabBitmap(*g.grabber, image));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(320, 240));
    // Studio-range YUV loses a little to rounding on the way.
    for (QPoint at : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
      const QRgb got = image.pixel(at);
      EXPECT_LE(std::abs(qRed(got) - qRed(c.expected)), 3) << at.x() << "," << at.y();
      EXPECT_LE(std::abs(qGreen(got) - qGreen(c.expected)), 3) << at.x() << "," << at.y();
      EXPECT_LE(std::abs(qBlue(got) - qBlue(c.expected)), 3) << at.x() << "," << at.y();
    }
  }
}

TEST(SampleGrabber, AcceptsOnlyTheTypeItIsSetTo) {
  TMediaType uyvy;
  uyvy.Subtype = "UYVY";
  GrabberGraph refused(VideoSource("YUY2"));
  ASSERT_TRUE(refused.grabber->SetMediaType(uyvy));
  EXPECT_FALSE(refused.Connect());

  GrabberGraph accepted(VideoSource("UYVY"));
  ASSERT_TRUE(accepted.grabber->SetMediaType(uyvy));
  ASSERT_TRUE(accepted.Connect());
  ASSERT_TRUE(accepted.RunUntilFrames());
  TMediaType type;
  ASSERT_TRUE(accepted.grabber->GetConnectedMediaType(type));
  EXPECT_EQ(type.Subtype, "UYVY");
}

TEST(SampleGrabber, RefusesTypesItCannotDeliverForSnapshots) {
  TSampleGrabberEx grabber;
  for (const auto& [major, subtype, accepted] : {std::tuple{MediaMajor::Video, "RGB32", false},
                                                 {MediaMajor::Video, "I420", false},
                                                 {MediaMajor::Audio, "PCM", false},
                                                 {MediaMajor::Video, "RGB24", true}}) {
    TMediaType type;
    type.Major = major;
    type.Subtype = subtype;
    EXPECT_EQ(grabber.SetMediaType(type), accepted) << subtype;
  }
}

}  // namespace
}  // namespace pvx::test
