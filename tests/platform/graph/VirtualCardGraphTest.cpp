// The virtual card's devices in a running graph: colour controls that change the picture,
// retuning that is safe while it streams, stop and start cycles; then the graph's own events
// and states. What every card's filters do is in v4l2/CardFiltersTest; enumeration and the
// route walk over cascaded crossbars are checked through the capture engine (engine_tests).

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <atomic>

#include "platform/graph/TComponentRegistry.h"
#include "platform/virtual/VirtualRig.h"

using namespace pvx;
using namespace pvx::platform::graph;
using Cat = DeviceCategory;

namespace {

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

// An idle filter (connected to nothing) stays out of the run and does not hold it back; 64x48
// RGB24 frames of the colour bars change as the card's colour controls change; stop and start
// cycles leave no elements or streaming threads behind; then retuning while it streams is safe.
TEST(CaptureGraph, ColourControlsStopStartCyclesAndRetuningWhileStreamingLeaveNoDamage) {
  test::TVirtualRig rig;
  auto capture = rig.Add(Cat::VideoInputDevice);
  auto audio = rig.Add(Cat::AudioInputDevice);
  auto idle = rig.Add(Cat::AudioInputDevice);
  auto audioSink = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  rig.graph.AddFilter(audioSink, "AudioSink");
  ASSERT_TRUE(rig.graph.Connect(*audio->FindPin("Capture"), *audioSink->FindPin("Input")));
  auto* props = rig.Bind<ITunerPropertySet>(Cat::TVTuner);
  ASSERT_TRUE(props->SetFrequency(55250000, kTuningExact, 0));
  auto sink = rig.Play(*capture, test::VideoType("RGB24", 64, 48));
  EXPECT_EQ(StateOf(*idle), GST_STATE_NULL);
  auto* procAmp = capture->As<IVideoProcAmp>();
  const auto mean = [&] {
    const QByteArray f = rig.Later(*sink, 3);
    qint64 sum = 0;
    for (char c : f) sum += uchar(c);
    return f.isEmpty() ? -1.0 : double(sum) / f.size();
  };
  const double normal = mean();
  EXPECT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 230, kVideoProcAmpFlagsManual) && mean() > normal + 20);
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Brightness, 128, kVideoProcAmpFlagsManual));
  ASSERT_TRUE(procAmp->Set(VideoProcAmp_Saturation, 0, kVideoProcAmpFlagsManual));
  const QByteArray grey = rig.Later(*sink, 3);
  // Without saturation every pixel is grey: blue, green and red equal (within rounding).
  ASSERT_TRUE(rig.graph.Stop() && grey.size() == 64 * 48 * 3);
  for (int i = 0; i + 2 < grey.size(); i += 3) ASSERT_NEAR(uchar(grey[i]), uchar(grey[i + 2]), 3) << i;
  EXPECT_EQ(GST_ELEMENT_PARENT(idle->Element()), rig.graph.Pipeline()) << "back in the graph, stopped";
  const int elements = rig.graph.ElementCount();
  int threadsAfterFirst = 0;
  for (int cycle = 0; cycle < 10; ++cycle) {
    const int before = sink->Frames();
    ASSERT_TRUE(rig.graph.Run());
    ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > before && audioSink->Frames() > 0; }));
    ASSERT_TRUE(rig.graph.Stop() && rig.graph.ElementCount() == elements) << cycle;
    if (cycle == 0) threadsAfterFirst = ThreadCount();
  }
  // GStreamer keeps a few idle pool threads; a leak would add at least two per cycle.
  EXPECT_LE(ThreadCount(), threadsAfterFirst + 2) << "streaming threads pile up across cycles";
  // Stopped means every element is back in NULL, which joins its streaming thread.
  EXPECT_EQ(StateOf(*capture), GST_STATE_NULL);
  // Retuning without pause while pictures are drawn and sound is made: criticals from the media
  // framework mean a frame was drawn from a freed picture, and the source of the sound (a station's
  // tone, then hiss, and back) must never be caught between two generators (that crashed the program).
  std::atomic<int> criticals = 0;
  auto count = [](const gchar*, GLogLevelFlags, const gchar*, gpointer data) {
    ++*static_cast<std::atomic<int>*>(data);
  };
  const guint core = g_log_set_handler("GStreamer", G_LOG_LEVEL_CRITICAL, count, &criticals);
  const guint video = g_log_set_handler("GStreamer-Video", G_LOG_LEVEL_CRITICAL, count, &criticals);
  // Full size: drawing takes a while.
  ASSERT_TRUE(capture->As<IStreamConfig>()->SetFormat(test::VideoType("YUY2", 640, 480)) && rig.graph.Run());
  rig.Later(*sink, 2);
  // A station with a still pattern, another one, and snow (a moving one), while fifty buffers of
  // sound are made, so many are made amid a change.
  const quint32 stops[] = {48250000, 623250000, 100000000};
  const int start = audioSink->Frames();
  for (int change = 0; (change < 1500 || audioSink->Frames() < start + 50) && change < 100000000; ++change)
    props->SetFrequency(stops[change % 3], kTuningExact, 0);
  EXPECT_GE(audioSink->Frames(), start + 50) << "the sound still flows";
  rig.Later(*sink, 3);
  rig.graph.Stop();
  g_log_remove_handler("GStreamer", core);
  g_log_remove_handler("GStreamer-Video", video);
  EXPECT_EQ(criticals.load(), 0);
}

// A source that never produces leaves its sink unable to preroll: Run and Pause fail once the
// graph's wait is over, and Stop leaves it stopped. (The end of a stream: VideoRenderer in
// video_tests; a source that fails as it starts: AlsaAudioCapture in v4l2_sound_tests.)
TEST(GraphEvents, StatesNeverReachedFailAndStopLeavesTheGraphStopped) {
  for (const bool pause : {false, true}) {
    SCOPED_TRACE(pause);
    TFilterGraph graph{test::Components()};
    graph.SetStateWait(300);
    auto source = std::make_shared<test::TTestSource>(
        "appsrc name=out caps=video/x-raw,format=I420,width=8,height=8", MediaMajor::Video);
    auto sink = std::make_shared<test::TTestSink>();
    ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(sink, "Sink"));
    ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *sink->FindPin("Input")));
    EXPECT_FALSE(pause ? graph.Pause() : graph.Run());
    graph.Stop();
    EXPECT_EQ(graph.State(), GraphState::Stopped);
  }
}
