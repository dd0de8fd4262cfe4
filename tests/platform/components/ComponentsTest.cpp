#include <gtest/gtest.h>

#include <algorithm>

#include "TestFilters.h"
#include "platform/components/Registration.h"
#include "platform/components/TDeinterlacer.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TOverlayMixer.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/components/TSmartTee.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

template <typename T>
bool Is(TFilter& f) {
  return dynamic_cast<T*>(&f) != nullptr;
}
template <VideoDecoderKind K>
bool IsDecoder(TFilter& f) {
  auto* d = dynamic_cast<TVideoDecoder*>(&f);
  return d && d->Kind() == K;
}

struct LookupCase {
  const char* part;
  const char* friendlyName;  // nullptr: nothing is found
  bool (*isKind)(TFilter&);
  const char* unregisterFirst = nullptr;
};

// A part of the name, any case, finds the first registered entry containing it; once an entry
// is unregistered its name finds the next one, or nothing.
TEST(PreviewComponents, LookupByPartOfTheName) {
  const LookupCase cases[] = {
      {"SMART tee", "Smart Tee", Is<TSmartTee>},
      {"infinite pin", "Infinite Pin Tee Filter", Is<TInfinitePinTee>},
      {"overlay", "Overlay Mixer", Is<TOverlayMixer>},
      {"deinterlacer", "OKA Deinterlacer", Is<TDeinterlacer>},
      {"sample grab", "Sample Grabber", Is<TSampleGrabberEx>},
      {"mpeg video decoder", "OKA MPEG Video Decoder", IsDecoder<VideoDecoderKind::Mpeg12>},
      {"wmvideo", "WMVideo Decoder DMO", IsDecoder<VideoDecoderKind::Mpeg4>},
      {"divx", "DivX Decoder Filter", IsDecoder<VideoDecoderKind::Mpeg4>},
      {"OKAMPEG2", "okaMPEG2VideoDecoder", IsDecoder<VideoDecoderKind::Mpeg12>},
      {"MPEG Video Decoder", "MPEG Video Decoder", IsDecoder<VideoDecoderKind::Mpeg12>,
       "OKA MPEG Video Decoder"},
      {"smart tee", nullptr, nullptr, "Smart Tee"},
      {"divx", nullptr, nullptr, "DivX Decoder Filter"},
  };
  for (const LookupCase& c : cases) {
    TComponentRegistry registry;
    RegisterPreviewComponents(registry);
    if (c.unregisterFirst) ASSERT_TRUE(registry.Unregister(c.unregisterFirst)) << c.part;
    auto filter = registry.Create(DeviceCategory::LegacyFilter, c.part);
    if (!c.friendlyName) {
      EXPECT_EQ(filter, nullptr) << c.part;
      continue;
    }
    ASSERT_NE(filter, nullptr) << c.part;
    EXPECT_EQ(filter->FriendlyName(), c.friendlyName);
    EXPECT_TRUE(c.isKind(*filter)) << c.part;
  }
}

TEST(PreviewComponents, RegisteredInOrderEachABinWithAPadPerPin) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  QStringList names;
  for (const TMoniker& m : registry.Enumerate(DeviceCategory::LegacyFilter)) {
    names << m.FriendlyName;
    auto filter = m.Bind();
    ASSERT_NE(filter, nullptr) << m.FriendlyName.toStdString();
    ASSERT_NE(filter->Element(), nullptr) << m.FriendlyName.toStdString();
    for (const auto& pin : filter->Pins())
      EXPECT_NE(pin->Pad(), nullptr) << m.FriendlyName.toStdString() << " "
                                     << pin->Name().toStdString();
  }
  EXPECT_EQ(names, QStringList({"Smart Tee", "Infinite Pin Tee Filter", "Overlay Mixer",
                                "OKA Deinterlacer", "Sample Grabber", "OKA MPEG Video Decoder",
                                "MPEG Video Decoder", "WMVideo Decoder DMO",
                                "DivX Decoder Filter", "okaMPEG2VideoDecoder"}));
  EXPECT_EQ(registry.Create(DeviceCategory::VideoCompressor, "smart tee"), nullptr);
}

struct FlowCase {
  const char* what;
  const char* component;  // registered name
  const char* format;     // raw source format, or the encoder of an encoded source
  const char* extraCaps;
  int width;
  const char* in;
  const char* out;
  QStringList caps;  // parts of the caps that reach the sink
};

// Source -> component -> sink: frames flow and arrive in the expected form.
TEST(PreviewComponents, StreamsPassThroughInTheirForm) {
  const char* interlaced = ",interlace-mode=interleaved";
  const QString progressive = "interlace-mode=(string)progressive";
  const FlowCase cases[] = {
      {"overlay", "Overlay Mixer", "UYVY", "", 320, "Input", "Output",
       {"format=(string)UYVY", "width=(int)320"}},
      {"deinterlacer YUY2", "OKA Deinterlacer", "YUY2", "", 320, "Input", "Output",
       {"format=(string)YUY2,"}},
      {"deinterlacer BGR", "OKA Deinterlacer", "BGR", "", 320, "Input", "Output",
       {"format=(string)BGR,"}},
      {"RGB16 it cannot deinterlace", "OKA Deinterlacer", "RGB16", "", 320, "Input", "Output", {}},
      {"interlaced YUY2", "OKA Deinterlacer", "YUY2", interlaced, 320, "Input", "Output",
       {progressive, "framerate=(fraction)30/1", "format=(string)YUY2,"}},
      {"interlaced UYVY", "OKA Deinterlacer", "UYVY", interlaced, 320, "Input", "Output",
       {progressive, "framerate=(fraction)30/1", "format=(string)UYVY,"}},
      {"interlaced BGR", "OKA Deinterlacer", "BGR", interlaced, 320, "Input", "Output",
       {progressive, "format=(string)BGR,"}},
      {"MPEG-4 decoder", "DivX Decoder Filter", "avenc_mpeg4", "", 320, "XForm In", "XForm Out",
       {"video/x-raw", "width=(int)320"}},
      {"MPEG-2 decoder", "OKA MPEG Video Decoder", "mpeg2enc", "", 352, "XForm In", "XForm Out",
       {"video/x-raw", "width=(int)352"}},
      {"video through the infinite tee", "Infinite Pin Tee Filter", "UYVY", "", 320, "Input",
       "Output2", {"UYVY"}},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.what);
    TFilterGraph graph{Components()};
    const bool encoded = QByteArray(c.format).contains("enc");
    auto source = encoded ? EncodedSource(c.format, c.width, c.width == 352 ? 288 : 240)
                          : VideoSource(c.format, c.extraCaps[0] ? "ball" : "smpte", c.width, 240,
                                        c.extraCaps);
    auto filter = Components().Create(DeviceCategory::LegacyFilter, c.component);
    auto sink = std::make_shared<TTestSink>();
    ASSERT_TRUE(filter);
    ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(filter, "Filter") &&
                graph.AddFilter(sink, "Sink"));
    ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *filter->FindPin(c.in)));
    ASSERT_TRUE(graph.Connect(*filter->FindPin(c.out), *sink->FindPin("Input")));
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(WaitUntil([&] { return sink->Frames() >= 5; }));
    for (const QString& part : c.caps)
      EXPECT_TRUE(sink->Last().caps.contains(part)) << part.toStdString();
  }
}

TEST(SmartTee, CaptureKeepsFlowingWhilePreviewIsStuckOrUnconnected) {
  TFilterGraph graph{Components()};
  auto source = VideoSource("YUY2");
  auto tee = std::make_shared<TSmartTee>();
  auto capture = std::make_shared<TTestSink>();
  auto preview = std::make_shared<TTestSink>();
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Capture)->Name(), "Capture");
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Preview)->Name(), "Preview");
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "SmartTee") &&
              graph.AddFilter(capture, "Capture") && graph.AddFilter(preview, "Preview"));
  ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  ASSERT_TRUE(graph.Connect(*tee->FindPin("Capture"), *capture->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  ASSERT_TRUE(WaitUntil([&] { return capture->Frames() >= 5; }));
  EXPECT_EQ(preview->Frames(), 0);

  ASSERT_TRUE(graph.Connect(*tee->FindPin("Preview"), *preview->FindPin("Input")));
  preview->Block();
  ASSERT_TRUE(graph.Run());
  ASSERT_TRUE(WaitUntil([&] { return preview->Frames() >= 1; }));
  const int stuckAt = preview->Frames();
  const int captureBefore = capture->Frames();
  // Three seconds of frames pass the capture branch while the window takes none; a preview
  // branch that queued instead of dropping would fill within a second and stall the tee.
  EXPECT_TRUE(WaitUntil([&] { return capture->Frames() >= captureBefore + 90; }));
  EXPECT_EQ(preview->Frames(), stuckAt);
  EXPECT_TRUE(preview->Last().caps.contains("YUY2"));
  preview->Release();
  EXPECT_TRUE(WaitUntil([&] { return preview->Frames() > stuckAt + 5; }));
  graph.Stop();
}

TEST(InfinitePinTee, AddsAnOutputWhenTheLastFreeOneIsConnected) {
  TFilterGraph graph{Components()};
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = AudioSource();
  const auto outputs = [&] {
    QStringList names;
    for (TPin* pin : tee->PinsOf(PinDir::Output)) names << pin->Name();
    return names;
  };
  std::vector<std::shared_ptr<TTestSink>> sinks;
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "Tee"));
  ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  EXPECT_EQ(outputs(), QStringList({"Output1", "Output2"}));
  for (int n = 1; n <= 3; ++n) {
    sinks.push_back(std::make_shared<TTestSink>(MediaMajor::Audio));
    ASSERT_TRUE(graph.AddFilter(sinks.back(), "Sink"));
    ASSERT_TRUE(graph.Connect(*tee->FindPin(QString("Output%1").arg(n)),
                              *sinks.back()->FindPin("Input")));
    // Output1 leaves Output2 free; each later one was the last free output.
    EXPECT_EQ(outputs().size(), std::max(2, n + 1)) << n;
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
