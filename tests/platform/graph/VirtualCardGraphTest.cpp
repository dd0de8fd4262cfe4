// The virtual card's devices in a graph: enumeration, wiring inside the card, the route walk
// over cascaded crossbars, and a live capture that follows the tuner.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <atomic>

#include "platform/components/TestFilters.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

namespace {

std::shared_ptr<TFilter> Bind(DeviceCategory category, const QString& part = QString()) {
  return test::Components().Create(category, part.isEmpty() ? QString("OKA") : part);
}

// The route walk of the capture engine, over the pins of the graph: connector types first.
void Walk(TPin& input, std::vector<int> links, std::vector<std::vector<int>>& routes) {
  TPin* up = input.ConnectedTo();
  ICrossbar* crossbar = up ? up->Filter().As<ICrossbar>() : nullptr;
  if (!crossbar) {
    routes.push_back(links);
    return;
  }
  int outputs = 0, inputs = 0;
  crossbar->GetPinCounts(outputs, inputs);
  const int out = up->Filter().PinIndex(*up);
  for (int in = 0; in < inputs; ++in) {
    int related = 0, type = 0;
    if (!crossbar->CanRoute(out, in) || !crossbar->GetCrossbarPinInfo(true, in, related, type)) continue;
    if (type >= 0x1000) continue;
    std::vector<int> next{type};
    next.insert(next.end(), links.begin(), links.end());
    Walk(*up->Filter().FindPin(PinDir::Input, PinCategory::None, in), next, routes);
  }
}

int ThreadCount() {
  QFile status("/proc/self/status");
  status.open(QIODevice::ReadOnly);
  const QString text = QString::fromLatin1(status.readAll());
  return QRegularExpression("Threads:\\s+(\\d+)").match(text).captured(1).toInt();
}

// Capture device, tuner and a sink for 64x48 RGB24 frames: colours are easy to read.
struct SmallCapture {
  SmallCapture() {
    graph.AddFilter(capture, "VCapture");
    graph.AddFilter(tuner, "TVTuner");
    graph.AddFilter(sink, "Sink");
    TMediaType type;
    capture->As<IStreamConfig>()->GetStreamCaps(2, type);
    type.Width = 64;
    type.Height = 48;
    capture->As<IStreamConfig>()->SetFormat(type);
  }
  TFilterGraph graph{test::Components()};
  std::shared_ptr<TFilter> capture = Bind(DeviceCategory::VideoInputDevice);
  std::shared_ptr<TFilter> tuner = Bind(DeviceCategory::TVTuner);
  std::shared_ptr<test::TTestSink> sink = std::make_shared<test::TTestSink>();
};

}  // namespace

TEST(DeviceEnumeration, VirtualCardPartsInStableOrder) {
  for (const auto category : {DeviceCategory::VideoInputDevice, DeviceCategory::Crossbar,
                              DeviceCategory::TVTuner, DeviceCategory::TVAudio,
                              DeviceCategory::AudioInputDevice}) {
    const auto first = test::Components().Enumerate(category);
    const auto again = test::Components().Enumerate(category);
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(first.size(), again.size());
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].FriendlyName, again[i].FriendlyName);
  }
  EXPECT_EQ(test::Components().Enumerate(DeviceCategory::VideoInputDevice)[0].FriendlyName,
            "OKA Virtual Philips 7134 Video Capture");
  // Friendly-name lookup: any part of the name, ignoring case; first match wins.
  auto crossbar = Bind(DeviceCategory::Crossbar, "pHiLiPs");
  ASSERT_TRUE(crossbar);
  EXPECT_TRUE(crossbar->As<ICrossbar>());
  EXPECT_FALSE(Bind(DeviceCategory::Crossbar, "Empia"));

  // Configured machines change names and parts.
  dev::TVirtualCardConfig config;
  config.Maker = "Empia";
  config.Model = "2800";
  config.HasTuner = false;
  config.Crossbars = 2;
  dev::InstallVirtualCard(config);
  EXPECT_EQ(test::Components().Enumerate(DeviceCategory::VideoInputDevice)[0].FriendlyName,
            "OKA Virtual Empia 2800 Video Capture");
  EXPECT_TRUE(test::Components().Enumerate(DeviceCategory::TVTuner).empty());
  EXPECT_TRUE(test::Components().Enumerate(DeviceCategory::TVAudio).empty());
  EXPECT_EQ(test::Components().Enumerate(DeviceCategory::Crossbar).size(), 2u);
}

TEST(CardGraph, CascadedCrossbarsGiveTwoLinkRoutes) {
  dev::TVirtualCardConfig config;
  config.Crossbars = 2;
  dev::InstallVirtualCard(config);
  TFilterGraph graph{test::Components()};
  auto capture = Bind(DeviceCategory::VideoInputDevice);
  auto crossbar = Bind(DeviceCategory::Crossbar);
  auto tuner = Bind(DeviceCategory::TVTuner);
  auto tvAudio = Bind(DeviceCategory::TVAudio);
  ASSERT_TRUE(graph.AddFilter(capture, "VCapture"));
  ASSERT_TRUE(graph.AddFilter(crossbar, "Crossbar"));
  ASSERT_TRUE(graph.AddFilter(tuner, "TVTuner"));
  ASSERT_TRUE(graph.AddFilter(tvAudio, "TVAudio"));
  ASSERT_TRUE(graph.FindFilter("Crossbar 2")) << "the upper crossbar comes with the lower";
  // The tuner's video reaches the upper crossbar; its sound goes through the TV audio part.
  ASSERT_TRUE(graph.Render(*tuner->FindPin("Analog Video")));
  EXPECT_EQ(&tuner->FindPin("Analog Video")->ConnectedTo()->Filter(), graph.FindFilter("Crossbar 2"));
  ASSERT_TRUE(graph.Connect(*tuner->FindPin("Analog Audio"), *tvAudio->FindPin("TVAudio In")));
  ASSERT_TRUE(graph.Render(*tvAudio->FindPin("TVAudio Out")));

  std::vector<std::vector<int>> routes;
  Walk(*capture->FindPin(PinDir::Input, PinCategory::AnalogVideoIn), {}, routes);
  const std::vector<std::vector<int>> expected{
      {PhysConn_Video_Tuner, PhysConn_Video_VideoDecoder},
      {PhysConn_Video_Composite, PhysConn_Video_VideoDecoder},
      {PhysConn_Video_SVideo},
      {PhysConn_Video_AUX}};
  EXPECT_EQ(routes, expected);
}

TEST(CardGraph, ConnectorsAndWrongPartsRefuseConnections) {
  TFilterGraph graph{test::Components()};
  auto capture = Bind(DeviceCategory::VideoInputDevice);
  auto crossbar = Bind(DeviceCategory::Crossbar);
  auto tuner = Bind(DeviceCategory::TVTuner);
  graph.AddFilter(capture, "VCapture");
  graph.AddFilter(tuner, "TVTuner");
  // The tuner cannot feed the capture device directly.
  EXPECT_FALSE(graph.Connect(*tuner->FindPin("Analog Video"), *capture->FindPin("Analog Video In")));
  graph.AddFilter(crossbar, "Crossbar");
  EXPECT_TRUE(capture->FindPin("Analog Video In")->IsConnected());
  EXPECT_FALSE(graph.Connect(*tuner->FindPin("Analog Video"), *crossbar->FindPin("Video Composite In")));
  EXPECT_TRUE(graph.Connect(*tuner->FindPin("Analog Video"), *crossbar->FindPin("Video Tuner In")));
  // A device pin never links to a media pin.
  EXPECT_FALSE(graph.Connect(*capture->FindPin("Capture"), *crossbar->FindPin("Video SVideo In")));
}

TEST(CardGraph, TunerInterfacesReportLockAndOffsets) {
  TFilterGraph graph{test::Components()};
  auto capture = Bind(DeviceCategory::VideoInputDevice);
  auto tuner = Bind(DeviceCategory::TVTuner);
  auto* props = tuner->As<ITunerPropertySet>();
  auto* decoder = capture->As<IAnalogVideoDecoder>();
  ASSERT_TRUE(props && decoder);
  quint32 min = 0, max = 0;
  ASSERT_TRUE(props->GetModeCaps(AMTUNER_MODE_TV, min, max));
  EXPECT_EQ(max, 889250000u);
  EXPECT_TRUE(props->SetFrequency(max, kTuningExact, 0));
  EXPECT_FALSE(props->SetFrequency(max + 1, kTuningExact, 0));
  ASSERT_TRUE(props->SetFrequency(55250000 - 250000, kTuningCoarse, 0));
  TTunerStatus status;
  ASSERT_TRUE(props->GetStatus(status));
  EXPECT_EQ(status.PLLOffset, -4);
  bool locked = false;
  decoder->get_HorizontalLocked(locked);
  EXPECT_TRUE(locked);
  props->SetFrequency(300000000, kTuningExact, 0);
  decoder->get_HorizontalLocked(locked);
  EXPECT_FALSE(locked);
  qint32 copy = -1;
  props->SetFrequency(193250000, kTuningExact, 0);
  ASSERT_TRUE(props->GetCopyProtection(copy));
  EXPECT_EQ(copy, 1);
}

TEST(CaptureGraph, DeliversFramesOfTheConfiguredFormat) {
  struct Row {
    const char* subtype;
    int width, height, bytesPerPixel;
  };
  for (const Row row : {Row{"YUY2", 320, 240, 2}, Row{"UYVY", 352, 288, 2}, Row{"RGB24", 640, 480, 3}}) {
    TFilterGraph graph{test::Components()};
    auto capture = Bind(DeviceCategory::VideoInputDevice);
    auto sink = std::make_shared<test::TTestSink>();
    graph.AddFilter(capture, "VCapture");
    graph.AddFilter(sink, "Sink");
    TMediaType type;
    capture->As<IStreamConfig>()->GetStreamCaps(0, type);
    type.Subtype = row.subtype;
    type.Width = row.width;
    type.Height = row.height;
    ASSERT_TRUE(capture->As<IStreamConfig>()->SetFormat(type));
    ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() >= 3; })) << row.subtype;
    const TMediaType got = sink->Last().type;
    EXPECT_EQ(got.Subtype, row.subtype);
    EXPECT_EQ(got.Width, row.width);
    EXPECT_EQ(got.Height, row.height);
    EXPECT_EQ(got.AvgTimePerFrame, 333667);  // NTSC M by default
    EXPECT_EQ(sink->Last().bytes.size(), row.width * row.height * row.bytesPerPixel);
    EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(type)) << "format changes need a stop";
    graph.Stop();
  }
}

TEST(CaptureGraph, ChannelChangesShowInTheNextFrames) {
  SmallCapture small;
  auto& [graph, capture, tuner, sink] = small;
  ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  auto* props = tuner->As<ITunerPropertySet>();
  // Red (48.25 MHz) and blue (623.25 MHz) stations; a pixel below the title shows the colour.
  const auto pixel = [&] {
    const QByteArray f = sink->Last().bytes;
    const int at = (40 * 64 + 5) * 3;
    return f.size() > at + 2 ? std::array<int, 3>{uchar(f[at]), uchar(f[at + 1]), uchar(f[at + 2])}
                             : std::array<int, 3>{-1, -1, -1};
  };
  for (int change = 0; change < 20; ++change) {
    const bool red = change % 2 == 0;
    ASSERT_TRUE(props->SetFrequency(red ? 48250000 : 623250000, kTuningExact, 0));
    const int before = sink->Frames();
    // Frames already on their way may show the old station; a few frames later the new one.
    ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() >= before + 3; }));
    const auto bgr = pixel();
    if (red) {
      EXPECT_GT(bgr[2], 200) << change;
      EXPECT_LT(bgr[0], 60) << change;
    } else {
      EXPECT_GT(bgr[0], 200) << change;
      EXPECT_LT(bgr[2], 60) << change;
    }
  }
  graph.Stop();
}

TEST(CaptureGraph, TuningWhileTheSourceDrawsIsSafe) {
  // Criticals from the media framework mean a frame was drawn from a freed picture.
  std::atomic<int> criticals = 0;
  auto count = [](const gchar*, GLogLevelFlags, const gchar*, gpointer data) {
    ++*static_cast<std::atomic<int>*>(data);
  };
  const guint core = g_log_set_handler("GStreamer", G_LOG_LEVEL_CRITICAL, count, &criticals);
  const guint video = g_log_set_handler("GStreamer-Video", G_LOG_LEVEL_CRITICAL, count, &criticals);

  SmallCapture small;
  auto& [graph, capture, tuner, sink] = small;
  TMediaType type;
  capture->As<IStreamConfig>()->GetStreamCaps(0, type);  // full size, so drawing takes a while
  ASSERT_TRUE(capture->As<IStreamConfig>()->SetFormat(type));
  ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  auto* props = tuner->As<ITunerPropertySet>();
  // A station with a still pattern, another one, and snow (a moving one), as fast as possible.
  const quint32 stops[] = {48250000, 623250000, 100000000};
  for (int change = 0; change < 1500; ++change) {
    props->SetFrequency(stops[change % 3], kTuningExact, 0);
    if (change % 16 == 0) QThread::usleep(500);
  }
  const int before = sink->Frames();
  EXPECT_TRUE(test::WaitUntil([&] { return sink->Frames() >= before + 3; }));
  graph.Stop();
  g_log_remove_handler("GStreamer", core);
  g_log_remove_handler("GStreamer-Video", video);
  EXPECT_EQ(criticals.load(), 0);
}

// The sound changes from a station's tone to hiss and back with every retune; the source that
// makes it must never be caught between two generators (that crashed the program).
TEST(CaptureGraph, TuningWhileTheSoundStreamsIsSafe) {
  TFilterGraph graph{test::Components()};
  auto audio = Bind(DeviceCategory::AudioInputDevice);
  auto tuner = Bind(DeviceCategory::TVTuner);
  auto sink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  graph.AddFilter(audio, "ACapture");
  graph.AddFilter(tuner, "TVTuner");
  graph.AddFilter(sink, "Sink");
  ASSERT_TRUE(graph.Connect(*audio->FindPin(PinDir::Output), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > 0; }));
  auto* props = tuner->As<ITunerPropertySet>();
  // Retuning without pause while fifty buffers are made, so many are made amid a change.
  const int start = sink->Frames();
  for (int change = 0; sink->Frames() < start + 50 && change < 100000000; ++change)
    props->SetFrequency(change % 2 ? 48250000 : 100000000, kTuningExact, 0);
  EXPECT_GE(sink->Frames(), start + 50) << "the sound still flows";
  graph.Stop();
}

TEST(CaptureGraph, ColourControlsChangeThePictureLive) {
  SmallCapture small;
  auto& [graph, capture, tuner, sink] = small;
  tuner->As<ITunerPropertySet>()->SetFrequency(55250000, kTuningExact, 0);  // colour bars
  ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  auto* procAmp = capture->As<IVideoProcAmp>();
  const auto mean = [&] {
    const int before = sink->Frames();
    test::WaitUntil([&] { return sink->Frames() >= before + 3; });
    const QByteArray f = sink->Last().bytes;
    qint64 sum = 0;
    for (char c : f) sum += uchar(c);
    return f.isEmpty() ? -1.0 : double(sum) / f.size();
  };
  const double normal = mean();
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 230, kVideoProcAmpFlagsManual));
  const double bright = mean();
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 128, kVideoProcAmpFlagsManual));
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Saturation, 0, kVideoProcAmpFlagsManual));
  const QByteArray grey = (mean(), sink->Last().bytes);
  graph.Stop();
  EXPECT_GT(bright, normal + 20);
  // Without saturation every pixel is grey: blue, green and red equal (within rounding).
  for (int i = 0; i + 2 < grey.size(); i += 3) {
    ASSERT_NEAR(uchar(grey[i]), uchar(grey[i + 2]), 3) << i;
  }
  int value = 0, flags = 0;
  procAmp->Get(VideoProcAmp_Saturation, value, flags);
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(procAmp->Set(VideoProcAmp_Saturation, 128, kVideoProcAmpFlagsManual));  // beyond range
}

TEST(CaptureGraph, StopStartCyclesLeakNoElementsOrThreads) {
  TFilterGraph graph{test::Components()};
  auto capture = Bind(DeviceCategory::VideoInputDevice);
  auto audio = Bind(DeviceCategory::AudioInputDevice);
  auto sink = std::make_shared<test::TTestSink>();
  auto audioSink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  graph.AddFilter(capture, "VCapture");
  graph.AddFilter(audio, "ACapture");
  graph.AddFilter(sink, "Sink");
  graph.AddFilter(audioSink, "AudioSink");
  ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Connect(*audio->FindPin("Capture"), *audioSink->FindPin("Input")));
  const int elements = graph.ElementCount();
  int threadsAfterFirst = 0;
  for (int cycle = 0; cycle < 10; ++cycle) {
    const int before = sink->Frames();
    ASSERT_TRUE(graph.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > before && audioSink->Frames() > 0; }));
    ASSERT_TRUE(graph.Stop());
    EXPECT_EQ(graph.ElementCount(), elements) << cycle;
    if (cycle == 0) threadsAfterFirst = ThreadCount();
  }
  // GStreamer keeps a few idle pool threads; a leak would add at least two per cycle.
  EXPECT_LE(ThreadCount(), threadsAfterFirst + 2) << "streaming threads pile up across cycles";
  // Stopped means every element is back in NULL, which joins its streaming thread.
  GstState state = GST_STATE_VOID_PENDING;
  gst_element_get_state(capture->Element(), &state, nullptr, 0);
  EXPECT_EQ(state, GST_STATE_NULL);
}

TEST(CaptureGraph, UnconnectedFiltersStayIdleAndDanglingOutputsDoNotStall) {
  TFilterGraph graph{test::Components()};
  auto capture = Bind(DeviceCategory::VideoInputDevice);
  auto idle = Bind(DeviceCategory::AudioInputDevice);  // in the graph, connected to nothing
  auto sink = std::make_shared<test::TTestSink>();
  graph.AddFilter(capture, "VCapture");
  graph.AddFilter(idle, "ACapture");
  graph.AddFilter(sink, "Sink");
  ASSERT_TRUE(graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(test::WaitUntil([&] { return sink->Frames() >= 3; }));
  GstState state = GST_STATE_VOID_PENDING;
  gst_element_get_state(idle->Element(), &state, nullptr, 0);
  EXPECT_EQ(state, GST_STATE_NULL);
  graph.Stop();
  // Stopped, the idle filter is part of the graph again and can be connected.
  EXPECT_EQ(GST_ELEMENT_PARENT(idle->Element()), graph.Pipeline());
}

// A source bin from a description whose element "src" gives the pin "Output".
struct TBinSource final : TFilter {
  explicit TBinSource(const char* description) : TFilter("Test Source") {
    AddPin("Output", PinDir::Output, PinCategory::None, MediaMajor::Video);
    GstElement* bin = MakeBin(description, "test-source");
    SetElement(bin);
    Ghost(bin, "src", "src", "Output");
  }
};

// Source -> sink (and a sink connected to nothing, which must not hold back the end of
// stream): what Run answers and the first event the UI thread gets.
TEST(GraphEvents, EndOfStreamAndErrorsReachTheUiThread) {
  struct Case {
    const char* source;
    bool runs;
    TGraphEvent::Kind first;
  };
  for (const Case& c : {Case{"videotestsrc name=src num-buffers=3", true, TGraphEvent::EndOfStream},
                        // Fails as it starts: the file it reads does not exist.
                        Case{"filesrc name=src location=/nonexistent/pvx-file", false,
                             TGraphEvent::Error}}) {
    TFilterGraph graph{test::Components()};
    std::vector<TGraphEvent> events;
    graph.OnEvent = [&](const TGraphEvent& e) { events.push_back(e); };
    auto source = std::make_shared<TBinSource>(c.source);
    auto sink = std::make_shared<test::TTestSink>();
    auto idleSink = std::make_shared<test::TTestSink>();
    graph.AddFilter(source, "Source");
    graph.AddFilter(sink, "Sink");
    graph.AddFilter(idleSink, "Idle");
    ASSERT_TRUE(graph.Connect(*source->FindPin("Output"), *sink->FindPin("Input")));
    EXPECT_EQ(graph.Run(), c.runs) << c.source;
    ASSERT_TRUE(test::WaitUntil([&] { return !events.empty(); })) << c.source;
    EXPECT_EQ(events[0].kind, c.first) << c.source;
    EXPECT_FALSE(events[0].Source.isEmpty());
    graph.Stop();
    EXPECT_EQ(graph.State(), GraphState::Stopped);
    EXPECT_TRUE(graph.RemoveFilter(*idleSink));
  }
}

TEST(GraphState, RunAndPauseFailWhenThePipelineNeverGetsThere) {
  for (const bool pause : {false, true}) {
    TFilterGraph graph{test::Components()};
    graph.SetStateWait(300);
    // A source that never produces: its sink can never preroll.
    auto source = std::make_shared<TBinSource>("appsrc name=src caps=video/x-raw,format=I420,width=8,height=8");
    auto sink = std::make_shared<test::TTestSink>();
    ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(sink, "Sink"));
    ASSERT_TRUE(graph.Connect(*source->FindPin("Output"), *sink->FindPin("Input")));
    EXPECT_FALSE(pause ? graph.Pause() : graph.Run()) << "pause " << pause;
    EXPECT_EQ(graph.State(), GraphState::Stopped);
  }
}
