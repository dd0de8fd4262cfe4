// Preview cost: frames per second reaching the video window and CPU time per frame for
// 640x480 YUY2 from the virtual card, against the same card's picture ending in a fake sink,
// measured in the same run over the same span after both have settled.
//
//   bench-preview [seconds | --smoke]   (default 10; run with QT_QPA_PLATFORM=offscreen headless)

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "platform/BuiltinComponents.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/video/TVideoRenderer.h"
#include "platform/video/TVideoWindow.h"

using namespace pvx::platform;

namespace {

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
  // ui: the share of cpu spent on the UI thread, which converts and paints.
  double seconds = 0, frames = 0, cpu = 0, ui = 0;
  double Fps() const { return seconds > 0 ? frames / seconds : 0; }
  double CpuMsPerFrame() const { return frames > 0 ? cpu * 1000 / frames : 0; }
};

// A blocking event loop, as the program runs: polling would add its own CPU time.
void RunEventLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The virtual card tuned to a station, its picture either rendered to the video window or
// ending in the graph's fake sink behind a sample grabber (the snapshot tap, which only keeps
// a reference to the latest picture): the same broadcast, so the difference is the window's.
Figures RunGraph(int seconds, bool toWindow) {
  graph::TComponentRegistry components;
  RegisterBuiltinComponents(components);
  graph::TFilterGraph graph(components);
  auto capture = components.Enumerate(graph::DeviceCategory::VideoInputDevice).front().Bind();
  auto tuner = components.Enumerate(graph::DeviceCategory::TVTuner).front().Bind();
  graph.AddFilter(capture, "VCapture");
  graph.AddFilter(tuner, "TVTuner");
  graph::TMediaType format;
  capture->As<graph::IStreamConfig>()->GetStreamCaps(0, format);  // YUY2 640x480, 29.97 fps
  capture->As<graph::IStreamConfig>()->SetFormat(format);
  tuner->As<graph::ITunerPropertySet>()->SetFrequency(55250000, graph::kTuningExact, 0);
  video::TVideoRenderer* renderer = nullptr;
  if (toWindow) {
    if (!graph.Render(*capture->FindPin("Capture"))) return {};
    renderer = dynamic_cast<video::TVideoRenderer*>(graph.FindFilter("Video Renderer"));
    if (!renderer) return {};
    renderer->Window()->resize(640, 480);
    renderer->Window()->show();
  } else {
    auto grabber = graph.AddComponent("Sample Grabber", "Grabber");
    graph::TPin* in = grabber ? grabber->FindPin(graph::PinDir::Input) : nullptr;
    if (!in || !graph.Connect(*capture->FindPin("Capture"), *in)) return {};
  }
  if (!graph.Run()) return {};
  // Let the pipeline settle before measuring.
  RunEventLoop(1000);

  Figures f;
  const quint64 frames0 = renderer ? renderer->FramesRendered() : 0;
  const quint64 painted0 = renderer ? renderer->Window()->FramesPainted() : 0;
  const double cpu0 = CpuSeconds(RUSAGE_SELF), ui0 = CpuSeconds(RUSAGE_THREAD);
  QElapsedTimer clock;
  clock.start();
  RunEventLoop(seconds * 1000);
  f.seconds = clock.elapsed() / 1000.0;
  f.cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  f.ui = CpuSeconds(RUSAGE_THREAD) - ui0;
  if (renderer) {
    f.frames = double(renderer->FramesRendered() - frames0);
    std::printf("window path: %.0f frames delivered, %.0f painted\n", f.frames,
                double(renderer->Window()->FramesPainted() - painted0));
  } else if (graph.State() == graph::GraphState::Running) {
    // A live source at 29.97 frames a second; the fake sink takes every one.
    f.frames = f.seconds * 30000 / 1001;
  }
  graph.Stop();
  return f;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // --smoke: a short run that only proves both paths still measure.
  const bool smoke = argc > 1 && QByteArray(argv[1]) == "--smoke";
  const int seconds = smoke ? 1 : argc > 1 ? qMax(2, QString(argv[1]).toInt()) : 10;
  const Figures window = RunGraph(seconds, true);
  const Figures bare = RunGraph(seconds, false);
  if (window.frames <= 0 || bare.frames <= 0 || bare.cpu <= 0) {
    std::fprintf(stderr, "bench-preview: the %s path measured nothing\n",
                 window.frames <= 0 ? "window" : "fake-sink");
    return 1;
  }
  std::printf("%-30s %8s %14s\n", "640x480 YUY2, 29.97 fps", "fps", "CPU ms/frame");
  std::printf("%-30s %8.2f %14.3f\n", "virtual card -> window", window.Fps(), window.CpuMsPerFrame());
  // Where the window path's time goes: the UI thread converts and paints, which the fake
  // sink does not do; the rest is the streaming side, comparable with the fake-sink figure.
  std::printf("%-30s %8s %14.3f\n", "  of which UI thread", "", window.ui * 1000 / window.frames);
  std::printf("%-30s %8.2f %14.3f\n", "virtual card -> fake sink", bare.Fps(), bare.CpuMsPerFrame());
  std::printf("window path costs %.2fx the same source into a fake sink\n",
              window.CpuMsPerFrame() / bare.CpuMsPerFrame());
  return 0;
}
