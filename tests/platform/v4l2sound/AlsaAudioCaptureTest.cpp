// The card's audio capture filter: its line pins driving the card's mixer, the caps the engine
// asks for on its "Capture" pin, a card that does not open, and the live sound path's latency.

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

std::shared_ptr<TAlsaAudioCapture> Capture(std::unique_ptr<ICaptureElements> mixer = nullptr) {
  return std::make_shared<TAlsaAudioCapture>(
      TAlsaCaptureDevice{"hw:29,0", "CX8801", {"Video", "Line", "Mic"}}, std::move(mixer),
      "audiotestsrc name=src is-live=true samplesperbuffer=480");
}

// The capture filter into a test sink, with the graph's errors kept.
struct LiveCapture {
  explicit LiveCapture(std::shared_ptr<TFilter> capture) : capture(std::move(capture)) {
    graph.OnEvent = [this](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors.push_back(e); };
    graph.AddFilter(this->capture, "ACapture");
    graph.AddFilter(sink, "Sink");
    connected = graph.Connect(*this->capture->FindPin("Capture"), *sink->FindPin("Input"));
  }
  std::shared_ptr<TFilter> capture;
  std::shared_ptr<test::TTestSink> sink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  TFilterGraph graph{test::Components()};
  std::vector<TGraphEvent> errors;
  bool connected = false;
};

}  // namespace

TEST(AlsaAudioCapture, LinePinsDriveTheCardsMixer) {
  auto owned = std::make_unique<test::TFakeCaptureElements>(
      std::vector<TCaptureElement>{{"Line", 0, true, {}}, {"Video", 0, true, {}}});
  test::TFakeCaptureElements& mixer = *owned;
  auto capture = Capture(std::move(owned));
  QStringList pins;
  for (const TPin* pin : capture->PinsOf(PinDir::Input)) pins << pin->Name() + QString::number(pin->PhysicalType(), 16);
  EXPECT_EQ(pins, QStringList({"Video1000", "Line1001", "Mic1002"}));  // tuner, line, mic connectors
  auto* lines = capture->As<IAudioInputMixer>();
  // Pin 0 ("Video") is the mixer's second element: lines go by name, not position.
  EXPECT_TRUE(lines->put_Enable(0, true) && mixer.State() == "01");
  EXPECT_TRUE(lines->put_Enable(1, true) && mixer.State() == "10");
  bool on = true;
  EXPECT_TRUE(lines->get_Enable(0, on) && !on);
  EXPECT_TRUE(lines->get_Enable(1, on) && on);
  // A line the mixer lacks, pins that do not exist, and a card whose mixer did not open.
  EXPECT_FALSE(lines->put_Enable(2, true) || lines->put_Enable(3, true) || lines->get_Enable(-1, on));
  EXPECT_EQ(mixer.State(), "10");
  EXPECT_FALSE(Capture()->As<IAudioInputMixer>()->put_Enable(0, true));
}

TEST(AlsaAudioCapture, CapturePinDeliversTheFormatAsked) {
  LiveCapture live(Capture());
  ASSERT_TRUE(live.connected);
  ASSERT_EQ(live.capture->FindPin(PinDir::Output, PinCategory::Capture)->MediaTypes.size(), 3u);
  auto* config = live.capture->As<IStreamConfig>();
  TMediaType type;
  ASSERT_TRUE(config->GetStreamCaps(2, type));
  type.Channels = 1;
  ASSERT_TRUE(config->SetFormat(type));
  ASSERT_TRUE(live.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return live.sink->Frames() >= 3; }));
  EXPECT_EQ(live.sink->Last().type.Name(), "PCM 32000 Hz 1 ch 16 bit");
  EXPECT_FALSE(config->SetFormat(type));  // not while running
  EXPECT_TRUE(live.graph.Stop());
}

TEST(AlsaAudioCapture, TheCardsFilterOpensItsCapturePcmWithShortBuffers) {
  LiveCapture live(MakeAlsaAudioCapture({"hw:31,1", "Gone", {}}));
  const GstPtr<GstElement> src = ChildByName(live.capture->Element(), "src");
  ASSERT_TRUE(src && live.connected);
  gchar* device = nullptr;
  gint64 bufferTime = 0, latencyTime = 0;
  g_object_get(src.get(), "device", &device, "buffer-time", &bufferTime, "latency-time", &latencyTime, nullptr);
  EXPECT_STREQ(device, "hw:31,1");
  g_free(device);
  EXPECT_EQ(bufferTime, 40000);
  EXPECT_EQ(latencyTime, 10000);
  // No such card: the run fails with the graph's error and the graph stays stopped.
  EXPECT_FALSE(live.graph.Run());
  EXPECT_TRUE(test::WaitUntil([&] { return !live.errors.empty(); }));
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
  EXPECT_GE(latency.UpstreamMs, 10.0);  // at least the source's 10 ms buffers
  EXPECT_GE(latency.LatencyMs, latency.UpstreamMs);
  EXPECT_FALSE(latency.Sink.isEmpty());
  EXPECT_TRUE(graph.Stop());
}
