#include <gtest/gtest.h>

#include <algorithm>

#include "TestFilters.h"
#include "platform/components/Registration.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TSmartTee.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

// The friendly name of what the registry made, which each class gives itself, with a
// decoder's kind; "" when it made nothing.
std::string Made(const std::shared_ptr<TFilter>& f) {
  const auto* decoder = dynamic_cast<const TVideoDecoder*>(f.get());
  const char* kind = !decoder ? "" : decoder->Kind() == VideoDecoderKind::Mpeg12 ? " MPEG-1/2" : " MPEG-4";
  return f ? f->FriendlyName().toStdString() + kind : "";
}

// Every entry is a bin with a pad per pin, in this order. A part of the name, any case, finds
// the first entry containing it; once an entry is unregistered its name finds the next one, or
// nothing.
TEST(PreviewComponents, RegisteredInOrderAndFoundByPartOfTheName) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  QStringList names;
  for (const TMoniker& m : registry.Enumerate(DeviceCategory::LegacyFilter)) {
    names << m.FriendlyName;
    auto filter = m.Bind();
    ASSERT_TRUE(filter && filter->Element()) << m.FriendlyName.toStdString();
    for (const auto& pin : filter->Pins())
      EXPECT_NE(pin->Pad(), nullptr) << m.FriendlyName.toStdString() << " " << pin->Name().toStdString();
  }
  EXPECT_EQ(names.join(", "), "Smart Tee, Infinite Pin Tee Filter, Overlay Mixer, OKA Deinterlacer, Sample Grabber, "
                              "OKA MPEG Video Decoder, MPEG Video Decoder, WMVideo Decoder DMO, "
                              "DivX Decoder Filter, okaMPEG2VideoDecoder");
  EXPECT_EQ(registry.Create(DeviceCategory::VideoCompressor, "smart tee"), nullptr);
  // clang-format off
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"SMART tee", "Smart Tee", nullptr}, {"infinite pin", "Infinite Pin Tee Filter", nullptr},
      {"overlay", "Overlay Mixer", nullptr}, {"deinterlacer", "OKA Deinterlacer", nullptr},
      {"sample grab", "Sample Grabber", nullptr}, {"mpeg video decoder", "OKA MPEG Video Decoder MPEG-1/2", nullptr},
      {"wmvideo", "WMVideo Decoder DMO MPEG-4", nullptr}, {"divx", "DivX Decoder Filter MPEG-4", nullptr},
      {"OKAMPEG2", "okaMPEG2VideoDecoder MPEG-1/2", nullptr},
      {"MPEG Video Decoder", "MPEG Video Decoder MPEG-1/2", "OKA MPEG Video Decoder"},
      {"smart tee", "", "Smart Tee"}, {"divx", "", "DivX Decoder Filter"}};
  // clang-format on
  for (const auto& [part, made, unregisterFirst] : rows) {
    ASSERT_TRUE(!unregisterFirst || registry.Unregister(unregisterFirst)) << part;
    EXPECT_EQ(Made(registry.Create(DeviceCategory::LegacyFilter, part)), made) << part;
  }
}

// Source -> component -> sink: frames flow and arrive in the expected form.
TEST(PreviewComponents, StreamsPassThroughInTheirForm) {
  const char* interlaced = ",interlace-mode=interleaved";
  const QString progressive = "interlace-mode=(string)progressive", fps = "framerate=(fraction)30/1";
  // The format is raw, or the encoder of an encoded source; the caps are parts of those reaching the sink.
  // clang-format off
  const std::tuple<const char*, const char*, const char*, const char*, int, const char*, const char*, QStringList> rows[] = {
      {"overlay", "Overlay Mixer", "UYVY", "", 320, "Input", "Output", {"format=(string)UYVY", "width=(int)320"}},
      {"deinterlacer YUY2", "OKA Deinterlacer", "YUY2", "", 320, "Input", "Output", {"format=(string)YUY2,"}},
      {"deinterlacer BGR", "OKA Deinterlacer", "BGR", "", 320, "Input", "Output", {"format=(string)BGR,"}},
      {"RGB16 it cannot deinterlace", "OKA Deinterlacer", "RGB16", "", 320, "Input", "Output", {}},
      {"interlaced YUY2", "OKA Deinterlacer", "YUY2", interlaced, 320, "Input", "Output", {progressive, fps, "format=(string)YUY2,"}},
      {"interlaced UYVY", "OKA Deinterlacer", "UYVY", interlaced, 320, "Input", "Output", {progressive, fps, "format=(string)UYVY,"}},
      {"interlaced BGR", "OKA Deinterlacer", "BGR", interlaced, 320, "Input", "Output", {progressive, "format=(string)BGR,"}},
      {"MPEG-4 decoder", "DivX Decoder Filter", "avenc_mpeg4", "", 320, "XForm In", "XForm Out", {"video/x-raw", "width=(int)320"}},
      {"MPEG-2 decoder", "OKA MPEG Video Decoder", "mpeg2enc", "", 352, "XForm In", "XForm Out", {"video/x-raw", "width=(int)352"}},
      {"video through the infinite tee", "Infinite Pin Tee Filter", "UYVY", "", 320, "Input", "Output2", {"UYVY"}}};
  // clang-format on
  for (const auto& [what, component, format, extraCaps, width, in, out, caps] : rows) {
    SCOPED_TRACE(what);
    TFilterGraph graph{Components()};
    auto source = QByteArray(format).contains("enc") ? EncodedSource(format, width, width == 352 ? 288 : 240)
                                                     : VideoSource(format, *extraCaps ? "ball" : "smpte", width, 240, extraCaps);
    auto filter = Components().Create(DeviceCategory::LegacyFilter, component);
    auto sink = std::make_shared<TTestSink>();
    ASSERT_TRUE(filter && graph.AddFilter(source, "Source") && graph.AddFilter(filter, "Filter") &&
                graph.AddFilter(sink, "Sink") && graph.Connect(*source->FindPin("Capture"), *filter->FindPin(in)) &&
                graph.Connect(*filter->FindPin(out), *sink->FindPin("Input")));
    ASSERT_TRUE(graph.Run() && WaitUntil([&] { return sink->Frames() >= 5; }));
    for (const QString& part : caps) EXPECT_TRUE(sink->Last().caps.contains(part)) << part.toStdString();
  }
}

TEST(SmartTee, CaptureKeepsFlowingWhilePreviewIsStuckOrUnconnected) {
  TFilterGraph graph{Components()};
  auto source = VideoSource("YUY2");
  auto tee = std::make_shared<TSmartTee>();
  auto capture = std::make_shared<TTestSink>(), preview = std::make_shared<TTestSink>();
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Capture)->Name(), "Capture");
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Preview)->Name(), "Preview");
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "SmartTee") &&
              graph.AddFilter(capture, "Capture") && graph.AddFilter(preview, "Preview") &&
              graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")) &&
              graph.Connect(*tee->FindPin("Capture"), *capture->FindPin("Input")));
  ASSERT_TRUE(graph.Run() && WaitUntil([&] { return capture->Frames() >= 5; }));
  EXPECT_EQ(preview->Frames(), 0);
  ASSERT_TRUE(graph.Connect(*tee->FindPin("Preview"), *preview->FindPin("Input")));
  preview->Block();
  ASSERT_TRUE(graph.Run() && WaitUntil([&] { return preview->Frames() >= 1; }));
  const int stuckAt = preview->Frames(), captureBefore = capture->Frames();
  // Three seconds of frames pass the capture branch while the window takes none; a preview
  // branch that queued instead of dropping would fill within a second and stall the tee.
  EXPECT_TRUE(WaitUntil([&] { return capture->Frames() >= captureBefore + 90; }));
  EXPECT_EQ(preview->Frames(), stuckAt);
  EXPECT_TRUE(preview->Last().caps.contains("YUY2"));
  preview->Release();
  EXPECT_TRUE(WaitUntil([&] { return preview->Frames() > stuckAt + 5; }));
}

TEST(InfinitePinTee, AddsAnOutputWhenTheLastFreeOneIsConnected) {
  TFilterGraph graph{Components()};
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = AudioSource();
  std::vector<std::shared_ptr<TTestSink>> sinks;
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "Tee") &&
              graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  for (int n = 0; n <= 3; ++n) {
    if (n > 0) sinks.push_back(std::make_shared<TTestSink>(MediaMajor::Audio));
    ASSERT_TRUE(n == 0 || (graph.AddFilter(sinks.back(), "Sink") &&
                           graph.Connect(*tee->FindPin(QString("Output%1").arg(n)), *sinks.back()->FindPin("Input"))));
    // Two to start with; Output1 leaves Output2 free; each later one was the last free output.
    QStringList outputs;
    for (TPin* pin : tee->PinsOf(PinDir::Output)) outputs << pin->Name();
    EXPECT_EQ(outputs.join(" "), QStringList({"Output1", "Output2", "Output3", "Output4"}).mid(0, std::max(2, n + 1)).join(" "));
  }
  EXPECT_FALSE(tee->FindPin("Output4")->IsConnected());
  EXPECT_NE(tee->FindPin("Output4")->Pad(), nullptr);
  // Every connected output gets the input; the free one does not hold them up.
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(WaitUntil([&] {
    return std::all_of(sinks.begin(), sinks.end(), [](const auto& s) { return s->Frames() >= 5; });
  }));
  EXPECT_TRUE(sinks.back()->Last().caps.contains("S16LE"));
}

}  // namespace
}  // namespace pvx::test
