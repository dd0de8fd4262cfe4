#include <gtest/gtest.h>

#include "TestFilters.h"
#include "platform/components/TDeinterlacer.h"
#include "platform/components/TOverlayMixer.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

// Source -> filter (pins `in`, `out`) -> sink; runs until the sink has 5 frames.
bool RunsThrough(const std::shared_ptr<TTestSource>& source, const std::shared_ptr<TFilter>& filter,
                 const QString& in, const QString& out, QString& sinkCaps) {
  TFilterGraph graph;
  auto sink = std::make_shared<TTestSink>();
  if (!graph.AddFilter(source, "Source") || !graph.AddFilter(filter, "Filter") ||
      !graph.AddFilter(sink, "Sink"))
    return false;
  if (!filter->FindPin(in) || !filter->FindPin(out)) return false;
  if (!graph.Connect(*source->FindPin("Capture"), *filter->FindPin(in)) ||
      !graph.Connect(*filter->FindPin(out), *sink->FindPin("Input")))
    return false;
  if (!graph.Run()) return false;
  const bool flowed = WaitUntil([&] { return sink->Frames() >= 5; });
  sinkCaps = sink->LastCaps();
  return flowed;
}

TEST(OverlayMixer, PassesFramesInTheirFormat) {
  QString caps;
  ASSERT_TRUE(RunsThrough(VideoSource("UYVY"), std::make_shared<TOverlayMixer>(), "Input",
                          "Output", caps));
  EXPECT_TRUE(caps.contains("format=(string)UYVY")) << caps.toStdString();
  EXPECT_TRUE(caps.contains("width=(int)320")) << caps.toStdString();
}

class DeinterlacerFormat : public ::testing::TestWithParam<const char*> {};

TEST_P(DeinterlacerFormat, PassesProgressiveFramesInTheirFormat) {
  QString caps;
  ASSERT_TRUE(RunsThrough(VideoSource(GetParam()), std::make_shared<TDeinterlacer>(), "Input",
                          "Output", caps));
  EXPECT_TRUE(caps.contains(QString("format=(string)%1,").arg(GetParam()))) << caps.toStdString();
}

TEST_P(DeinterlacerFormat, DeinterlacesAtTheCaptureFrameRate) {
  QString caps;
  ASSERT_TRUE(RunsThrough(VideoSource(GetParam(), "ball", 320, 240, ",interlace-mode=interleaved"),
                          std::make_shared<TDeinterlacer>(), "Input", "Output", caps));
  EXPECT_TRUE(caps.contains("interlace-mode=(string)progressive")) << caps.toStdString();
  EXPECT_TRUE(caps.contains("framerate=(fraction)30/1")) << caps.toStdString();
  EXPECT_TRUE(caps.contains(QString("format=(string)%1,").arg(GetParam()))) << caps.toStdString();
}

INSTANTIATE_TEST_SUITE_P(CaptureFormats, DeinterlacerFormat,
                         ::testing::Values("YUY2", "UYVY", "BGR"));

TEST(Deinterlacer, TakesAFormatTheDeinterlacerCannot) {
  QString caps;
  EXPECT_TRUE(RunsThrough(VideoSource("RGB16"), std::make_shared<TDeinterlacer>(), "Input",
                          "Output", caps));
}

TEST(VideoDecoder, DecodesMpeg4ToRawVideo) {
  auto decoder = std::make_shared<TVideoDecoder>(VideoDecoderKind::Mpeg4, "DivX Decoder Filter");
  EXPECT_EQ(decoder->FindPin("XForm In")->Major(), MediaMajor::Stream);
  EXPECT_EQ(decoder->FindPin("XForm Out")->Major(), MediaMajor::Video);
  QString caps;
  ASSERT_TRUE(RunsThrough(EncodedSource("avenc_mpeg4", 320, 240), decoder, "XForm In",
                          "XForm Out", caps));
  EXPECT_TRUE(caps.startsWith("video/x-raw")) << caps.toStdString();
  EXPECT_TRUE(caps.contains("width=(int)320")) << caps.toStdString();
}

TEST(VideoDecoder, DecodesMpeg2ToRawVideo) {
  auto decoder =
      std::make_shared<TVideoDecoder>(VideoDecoderKind::Mpeg12, "OKA MPEG Video Decoder");
  QString caps;
  ASSERT_TRUE(RunsThrough(EncodedSource("mpeg2enc", 352, 288), decoder, "XForm In", "XForm Out",
                          caps));
  EXPECT_TRUE(caps.startsWith("video/x-raw")) << caps.toStdString();
  EXPECT_TRUE(caps.contains("width=(int)352")) << caps.toStdString();
}

}  // namespace
}  // namespace pvx::test
