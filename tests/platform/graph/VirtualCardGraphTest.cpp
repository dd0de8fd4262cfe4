// The virtual card's devices in a graph: enumeration, the route walk over cascaded crossbars,
// and a live capture that follows the tuner, safe while it streams; then the graph's own
// events and states. What every card's filters do is in v4l2/CardFiltersTest.

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <atomic>
#include <optional>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/virtual/VirtualRig.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;
using Cat = DeviceCategory;

namespace {

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

GstState StateOf(const TFilter& filter) {
  GstState state = GST_STATE_VOID_PENDING;
  gst_element_get_state(filter.Element(), &state, nullptr, 0);
  return state;
}

}  // namespace

TEST(DeviceEnumeration, VirtualCardPartsInStableOrderAndByAnyPartOfTheirName) {
  auto& registry = test::Components();
  const auto names = [&](Cat category) {
    QStringList out;
    for (const TMoniker& m : registry.Enumerate(category)) out << m.FriendlyName;
    return out;
  };
  for (const auto category :
       {Cat::VideoInputDevice, Cat::Crossbar, Cat::TVTuner, Cat::TVAudio, Cat::AudioInputDevice}) {
    EXPECT_FALSE(names(category).isEmpty());
    EXPECT_EQ(names(category), names(category));
  }
  const auto captures = [&] { return names(Cat::VideoInputDevice).front(); };
  EXPECT_EQ(captures(), "OKA Virtual Philips 7134 Video Capture");
  // Found by any part of the name, ignoring case (as components/ComponentsTest checks).
  const auto crossbar = registry.Create(Cat::Crossbar, "pHiLiPs");
  EXPECT_TRUE(crossbar && crossbar->As<ICrossbar>());
  // Configured machines change names and parts.
  dev::TVirtualCardConfig config;
  config.Maker = "Empia";
  config.Model = "2800";
  config.HasTuner = false;
  config.Crossbars = 2;
  dev::InstallVirtualCard(config);
  EXPECT_EQ(captures(), "OKA Virtual Empia 2800 Video Capture");
  EXPECT_TRUE(names(Cat::TVTuner).isEmpty() && names(Cat::TVAudio).isEmpty());
  EXPECT_EQ(names(Cat::Crossbar).size(), 2);
  EXPECT_EQ(names(Cat::VendorObject).size(), 1) << "the Empia driver object";
}

TEST(CardGraph, CascadedCrossbarsGiveTwoLinkRoutes) {
  dev::TVirtualCardConfig config;
  config.Crossbars = 2;
  dev::InstallVirtualCard(config);
  test::TVirtualRig rig;
  auto capture = rig.Add(Cat::VideoInputDevice);
  rig.Add(Cat::Crossbar);
  auto tuner = rig.Add(Cat::TVTuner);
  auto tvAudio = rig.Add(Cat::TVAudio);
  ASSERT_TRUE(rig.graph.FindFilter("Crossbar 2")) << "the upper crossbar comes with the lower";
  // The tuner's video reaches the upper crossbar; its sound goes through the TV audio part.
  ASSERT_TRUE(rig.graph.Render(*tuner->FindPin("Analog Video")));
  EXPECT_EQ(&tuner->FindPin("Analog Video")->ConnectedTo()->Filter(), rig.graph.FindFilter("Crossbar 2"));
  ASSERT_TRUE(rig.graph.Connect(*tuner->FindPin("Analog Audio"), *tvAudio->FindPin("TVAudio In")));
  ASSERT_TRUE(rig.graph.Render(*tvAudio->FindPin("TVAudio Out")));
  std::vector<std::vector<int>> routes;
  Walk(*capture->FindPin(PinDir::Input, PinCategory::AnalogVideoIn), {}, routes);
  const std::vector<std::vector<int>> expected{{PhysConn_Video_Tuner, PhysConn_Video_VideoDecoder},
                                               {PhysConn_Video_Composite, PhysConn_Video_VideoDecoder},
                                               {PhysConn_Video_SVideo},
                                               {PhysConn_Video_AUX}};
  EXPECT_EQ(routes, expected);
}

// 64x48 RGB24 frames: colours are easy to read.
TEST(CaptureGraph, ThePictureFollowsTheTunerAndTheColourControls) {
  test::TVirtualRig rig;
  auto capture = rig.Add(Cat::VideoInputDevice);
  auto* props = rig.Bind<ITunerPropertySet>(Cat::TVTuner);
  auto sink = rig.Play(*capture, test::VideoType("RGB24", 64, 48));
  // Red (48.25 MHz) and blue (623.25 MHz) stations; a pixel below the title shows the colour.
  for (int change = 0; change < 20; ++change) {
    const bool red = change % 2 == 0;
    ASSERT_TRUE(props->SetFrequency(red ? 48250000 : 623250000, kTuningExact, 0));
    // Frames already on their way may show the old station; a few frames later the new one.
    const QByteArray f = rig.Later(*sink, 3);
    const int at = (40 * 64 + 5) * 3;
    ASSERT_GT(f.size(), at + 2);
    EXPECT_GT(uchar(f[at + (red ? 2 : 0)]), 200) << change;
    EXPECT_LT(uchar(f[at + (red ? 0 : 2)]), 60) << change;
  }
  props->SetFrequency(55250000, kTuningExact, 0);  // colour bars
  auto* procAmp = capture->As<IVideoProcAmp>();
  const auto mean = [&] {
    const QByteArray f = rig.Later(*sink, 3);
    qint64 sum = 0;
    for (char c : f) sum += uchar(c);
    return f.isEmpty() ? -1.0 : double(sum) / f.size();
  };
  const double normal = mean();
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 230, kVideoProcAmpFlagsManual));
  EXPECT_GT(mean(), normal + 20);
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 128, kVideoProcAmpFlagsManual));
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Saturation, 0, kVideoProcAmpFlagsManual));
  const QByteArray grey = rig.Later(*sink, 3);
  rig.graph.Stop();
  // Without saturation every pixel is grey: blue, green and red equal (within rounding).
  for (int i = 0; i + 2 < grey.size(); i += 3) ASSERT_NEAR(uchar(grey[i]), uchar(grey[i + 2]), 3) << i;
}

// Retuning without pause while pictures are drawn and sound is made: criticals from the media
// framework mean a frame was drawn from a freed picture, and the source of the sound (a station's
// tone, then hiss, and back) must never be caught between two generators (that crashed the program).
TEST(CaptureGraph, TuningWhileTheCardStreamsIsSafe) {
  std::atomic<int> criticals = 0;
  auto count = [](const gchar*, GLogLevelFlags, const gchar*, gpointer data) {
    ++*static_cast<std::atomic<int>*>(data);
  };
  const guint core = g_log_set_handler("GStreamer", G_LOG_LEVEL_CRITICAL, count, &criticals);
  const guint video = g_log_set_handler("GStreamer-Video", G_LOG_LEVEL_CRITICAL, count, &criticals);
  test::TVirtualRig rig;
  auto capture = rig.Add(Cat::VideoInputDevice);
  auto audio = rig.Add(Cat::AudioInputDevice);
  auto* props = rig.Bind<ITunerPropertySet>(Cat::TVTuner);
  auto sound = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  rig.graph.AddFilter(sound, "AudioSink");
  ASSERT_TRUE(rig.graph.Connect(*audio->FindPin("Capture"), *sound->FindPin("Input")));
  auto sink = rig.Play(*capture, test::VideoType("YUY2", 640, 480));  // full size: drawing takes a while
  ASSERT_TRUE(test::WaitUntil([&] { return sound->Frames() > 0; }));
  // A station with a still pattern, another one, and snow (a moving one), while fifty buffers of
  // sound are made, so many are made amid a change.
  const quint32 stops[] = {48250000, 623250000, 100000000};
  const int start = sound->Frames();
  for (int change = 0; (change < 1500 || sound->Frames() < start + 50) && change < 100000000; ++change)
    props->SetFrequency(stops[change % 3], kTuningExact, 0);
  EXPECT_GE(sound->Frames(), start + 50) << "the sound still flows";
  rig.Later(*sink, 3);
  rig.graph.Stop();
  g_log_remove_handler("GStreamer", core);
  g_log_remove_handler("GStreamer-Video", video);
  EXPECT_EQ(criticals.load(), 0);
}

// A filter connected to nothing stays out of the run and does not hold it back; cycles leave no
// elements or streaming threads behind.
TEST(CaptureGraph, StopStartCyclesLeaveIdleFiltersOutAndLeakNothing) {
  test::TVirtualRig rig;
  auto capture = rig.Add(Cat::VideoInputDevice);
  auto audio = rig.Add(Cat::AudioInputDevice);
  auto idle = rig.Add(Cat::AudioInputDevice);
  auto audioSink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  rig.graph.AddFilter(audioSink, "AudioSink");
  ASSERT_TRUE(rig.graph.Connect(*audio->FindPin("Capture"), *audioSink->FindPin("Input")));
  auto sink = rig.Play(*capture, test::VideoType("YUY2", 320, 240));
  EXPECT_EQ(StateOf(*idle), GST_STATE_NULL);
  ASSERT_TRUE(rig.graph.Stop());
  EXPECT_EQ(GST_ELEMENT_PARENT(idle->Element()), rig.graph.Pipeline()) << "back in the graph, stopped";
  const int elements = rig.graph.ElementCount();
  int threadsAfterFirst = 0;
  for (int cycle = 0; cycle < 10; ++cycle) {
    const int before = sink->Frames();
    ASSERT_TRUE(rig.graph.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > before && audioSink->Frames() > 0; }));
    ASSERT_TRUE(rig.graph.Stop());
    EXPECT_EQ(rig.graph.ElementCount(), elements) << cycle;
    if (cycle == 0) threadsAfterFirst = ThreadCount();
  }
  // GStreamer keeps a few idle pool threads; a leak would add at least two per cycle.
  EXPECT_LE(ThreadCount(), threadsAfterFirst + 2) << "streaming threads pile up across cycles";
  // Stopped means every element is back in NULL, which joins its streaming thread.
  EXPECT_EQ(StateOf(*capture), GST_STATE_NULL);
}

// Source -> sink (and a sink connected to nothing, which must not hold back the end of
// stream): what Run or Pause answers, and the first event the UI thread gets.
TEST(GraphEvents, EndOfStreamErrorsAndStatesNeverReached) {
  struct Case {
    const char* source;
    bool pause, succeeds;
    std::optional<TGraphEvent::Kind> first;
  };
  // A file that does not exist fails as it starts; a source that never produces leaves its sink
  // unable to preroll.
  const char* never = "appsrc name=out caps=video/x-raw,format=I420,width=8,height=8";
  const char* missing = "filesrc name=out location=/nonexistent/pvx-file";
  for (const Case& c : {Case{"videotestsrc name=out num-buffers=3", false, true, TGraphEvent::EndOfStream},
                        Case{missing, false, false, TGraphEvent::Error},
                        Case{never, false, false, std::nullopt}, Case{never, true, false, std::nullopt}}) {
    SCOPED_TRACE(c.source);
    TFilterGraph graph{test::Components()};
    graph.SetStateWait(c.first ? 10000 : 300);
    std::vector<TGraphEvent> events;
    graph.OnEvent = [&](const TGraphEvent& e) { events.push_back(e); };
    auto source = std::make_shared<test::TTestSource>(c.source, MediaMajor::Video);
    auto sink = std::make_shared<test::TTestSink>();
    auto idleSink = std::make_shared<test::TTestSink>();
    ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(sink, "Sink"));
    ASSERT_TRUE(graph.AddFilter(idleSink, "Idle"));
    ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *sink->FindPin("Input")));
    EXPECT_EQ(c.pause ? graph.Pause() : graph.Run(), c.succeeds);
    if (c.first) {
      ASSERT_TRUE(test::WaitUntil([&] { return !events.empty(); }));
      EXPECT_EQ(events[0].kind, *c.first);
      EXPECT_FALSE(events[0].Source.isEmpty());
    }
    graph.Stop();
    EXPECT_EQ(graph.State(), GraphState::Stopped);
    EXPECT_TRUE(graph.RemoveFilter(*idleSink));
  }
}
