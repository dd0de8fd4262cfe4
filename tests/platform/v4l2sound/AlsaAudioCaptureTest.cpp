// The card's audio capture filter: its line pins driving the card's mixer, the caps the engine
// asks for on its "Capture" pin, and a source that fails while the graph runs.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include "FakeCaptureElements.h"
#include "platform/components/TestFilters.h"
#include "platform/devices/v4l2/LiveSoundLatency.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;

namespace {

constexpr const char* kStandIn = "audiotestsrc name=src is-live=true samplesperbuffer=480";

TCaptureElement Switch(const char* name) { return {name, 0, true, {}}; }

std::shared_ptr<TAlsaAudioCapture> Capture(std::unique_ptr<ICaptureElements> mixer = nullptr) {
  return std::make_shared<TAlsaAudioCapture>(
      TAlsaCaptureDevice{"hw:29,0", "CX8801", {"Video", "Line", "Mic"}}, std::move(mixer), kStandIn);
}

// The capture filter into a test sink, with the graph's events kept.
struct LiveCapture {
  explicit LiveCapture(std::shared_ptr<TFilter> capture) : capture(std::move(capture)) {
    graph.OnEvent = [this](const TGraphEvent& e) { events.push_back(e); };
    graph.AddFilter(this->capture, "ACapture");
    graph.AddFilter(sink, "Sink");
    connected = graph.Connect(*this->capture->FindPin("Capture"), *sink->FindPin("Input"));
  }
  bool Errored() const {
    return std::any_of(events.begin(), events.end(),
                       [](const TGraphEvent& e) { return e.kind == TGraphEvent::Error; });
  }
  std::shared_ptr<TFilter> capture;
  std::shared_ptr<test::TTestSink> sink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  TFilterGraph graph{test::Components()};
  std::vector<TGraphEvent> events;
  bool connected = false;
};

}  // namespace

TEST(AlsaAudioCapture, LinePinsDriveTheCardsMixer) {
  auto owned = std::make_unique<test::TFakeCaptureElements>(
      std::vector<TCaptureElement>{Switch("Line"), Switch("Video")});
  test::TFakeCaptureElements& mixer = *owned;
  auto capture = Capture(std::move(owned));

  const struct { const char* name; int type; } pins[] = {
      {"Video", PhysConn_Audio_Tuner}, {"Line", PhysConn_Audio_Line}, {"Mic", PhysConn_Audio_Mic}};
  ASSERT_EQ(capture->PinsOf(PinDir::Input).size(), std::size(pins));
  for (size_t i = 0; i < std::size(pins); ++i) {
    const TPin& pin = *capture->PinsOf(PinDir::Input)[i];
    EXPECT_EQ(pin.Name(), pins[i].name);
    EXPECT_EQ(pin.PhysicalType(), pins[i].type);
    EXPECT_EQ(pin.Major(), MediaMajor::AnalogAudio);
  }
  auto* lines = capture->As<IAudioInputMixer>();
  ASSERT_TRUE(lines);
  // Pin 0 is the mixer's second element: lines are matched by name, not position.
  ASSERT_TRUE(lines->put_Enable(0, true));
  EXPECT_EQ(mixer.State(), "01");
  ASSERT_TRUE(lines->put_Enable(1, true));
  EXPECT_EQ(mixer.State(), "10");
  bool enabled = true;
  ASSERT_TRUE(lines->get_Enable(0, enabled));
  EXPECT_FALSE(enabled);
  ASSERT_TRUE(lines->get_Enable(1, enabled));
  EXPECT_TRUE(enabled);
  // A line the mixer does not have, and pins that do not exist.
  EXPECT_FALSE(lines->put_Enable(2, true));
  EXPECT_FALSE(lines->put_Enable(3, true));
  EXPECT_FALSE(lines->get_Enable(-1, enabled));
  EXPECT_EQ(mixer.State(), "10");

  // Without a mixer no line can be chosen.
  EXPECT_FALSE(Capture()->As<IAudioInputMixer>()->put_Enable(0, true));
}

TEST(AlsaAudioCapture, CapturePinDeliversTheFormatAsked) {
  LiveCapture live(Capture());
  ASSERT_TRUE(live.connected);
  const TPin* pin = live.capture->FindPin(PinDir::Output, PinCategory::Capture);
  ASSERT_TRUE(pin);
  EXPECT_EQ(pin->Name(), "Capture");
  ASSERT_EQ(pin->MediaTypes.size(), 3u);

  auto* config = live.capture->As<IStreamConfig>();
  TMediaType type;
  ASSERT_TRUE(config->GetStreamCaps(2, type));
  type.Channels = 1;
  ASSERT_TRUE(config->SetFormat(type));
  ASSERT_TRUE(live.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return live.sink->Frames() >= 3; }));
  const TMediaType got = live.sink->Last().type;
  EXPECT_EQ(got.SampleRate, 32000);
  EXPECT_EQ(got.Channels, 1);
  EXPECT_EQ(got.BitsPerSample, 16);
  EXPECT_FALSE(config->SetFormat(type));  // not while running
  EXPECT_TRUE(live.graph.Stop());
}

TEST(AlsaAudioCapture, TheCardsFilterReadsItsCapturePcmWithShortBuffers) {
  const auto filter = MakeAlsaAudioCapture({"hw:29,1", "Bt878", {}});
  ASSERT_TRUE(filter->Element());
  const GstPtr<GstElement> src = ChildByName(filter->Element(), "src");
  ASSERT_TRUE(src);
  gchar* device = nullptr;
  gint64 bufferTime = 0, latencyTime = 0;
  g_object_get(src.get(), "device", &device, "buffer-time", &bufferTime, "latency-time",
               &latencyTime, nullptr);
  EXPECT_STREQ(device, "hw:29,1");
  g_free(device);
  EXPECT_EQ(bufferTime, 40000);
  EXPECT_EQ(latencyTime, 10000);
  EXPECT_EQ(filter->FriendlyName(), "Bt878");
}

TEST(AlsaAudioCapture, SourceVanishingWhileRunningIsTheGraphsError) {
  LiveCapture live(Capture());
  ASSERT_TRUE(live.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return live.sink->Frames() > 0; }));
  // What alsasrc posts when the card is unplugged mid-stream.
  const GstPtr<GstElement> src = ChildByName(live.capture->Element(), "src");
  ASSERT_TRUE(src);
  GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
                                      "Could not read from resource.");
  gst_element_post_message(src.get(), gst_message_new_error(GST_OBJECT(src.get()), error, "gone"));
  g_error_free(error);
  ASSERT_TRUE(test::WaitUntil([&] { return live.Errored(); }));
  EXPECT_EQ(live.events.back().Source, "src");
  EXPECT_EQ(live.events.back().Message, "Could not read from resource.");
  EXPECT_TRUE(live.graph.Stop());
  // The filter is whole afterwards: the graph runs again.
  const int before = live.sink->Frames();
  ASSERT_TRUE(live.graph.Run());
  EXPECT_TRUE(test::WaitUntil([&] { return live.sink->Frames() > before; }));
  EXPECT_TRUE(live.graph.Stop());
}

TEST(AlsaAudioCapture, CardGoneBeforeStartFailsTheRunWithAnError) {
  LiveCapture live(MakeAlsaAudioCapture({"hw:31,0", "Gone", {}}));
  ASSERT_TRUE(live.connected);
  EXPECT_FALSE(live.graph.Run());
  EXPECT_TRUE(test::WaitUntil([&] { return live.Errored(); }));
  EXPECT_EQ(live.graph.State(), GraphState::Stopped);
}

TEST(AlsaAudioCapture, LiveSoundPathAnswersTheLatencyQuery) {
  TFilterGraph graph(test::Components());
  const auto capture = Capture();
  graph.AddFilter(capture, "ACapture");
  ASSERT_TRUE(graph.Render(*capture->FindPin("Capture")));
  TLiveSoundLatency latency;
  EXPECT_FALSE(MeasureLiveSoundLatency(graph, 0, latency));  // not running yet
  ASSERT_TRUE(graph.Run());
  ASSERT_TRUE(MeasureLiveSoundLatency(graph, 0, latency));
  EXPECT_TRUE(latency.Live);
  // At least the source's 10 ms buffers.
  EXPECT_GE(latency.LatencyMs, 10.0);
  EXPECT_FALSE(latency.Sink.isEmpty());
  EXPECT_TRUE(graph.Stop());
}
