// Preview cost: frames per second reaching the video window and CPU time per frame for
// 640x480 YUY2 from the virtual card, against the same source chain run bare by gst-launch-1.0
// into fakesink, measured in the same run over the same span after both have settled.
//
//   bench-preview [seconds]      (default 10; run with QT_QPA_PLATFORM=offscreen headless)

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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

Figures RunWindowPath(int seconds) {
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
  if (!graph.Render(*capture->FindPin("Capture"))) return {};
  auto* renderer = dynamic_cast<video::TVideoRenderer*>(graph.FindFilter("Video Renderer"));
  video::TVideoWindow* window = renderer->Window();
  window->resize(640, 480);
  window->show();
  graph.Run();
  // Let the pipeline settle before measuring.
  RunEventLoop(1000);

  Figures f;
  const quint64 frames0 = renderer->FramesRendered();
  const quint64 painted0 = window->FramesPainted();
  const double cpu0 = CpuSeconds(RUSAGE_SELF), ui0 = CpuSeconds(RUSAGE_THREAD);
  QElapsedTimer clock;
  clock.start();
  RunEventLoop(seconds * 1000);
  f.seconds = clock.elapsed() / 1000.0;
  f.cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
  f.ui = CpuSeconds(RUSAGE_THREAD) - ui0;
  f.frames = double(renderer->FramesRendered() - frames0);
  std::printf("window path: %.0f frames delivered, %.0f painted\n", f.frames,
              double(window->FramesPainted() - painted0));
  graph.Stop();
  return f;
}

// CPU seconds a process has used so far, from /proc (user + system clock ticks).
double ProcessCpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  // The fields after the command name, which is in parentheses and may hold spaces.
  const QByteArray text = stat.readAll();
  const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (f.size() < 13) return -1;
  return (f[11].toDouble() + f[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// The same source chain run bare by gst-launch-1.0, measured like the window path: its CPU
// time over the same span once it has settled, so its start-up does not count.
Figures RunBarePipeline(int seconds) {
  const QStringList args = {
      "-q", "videotestsrc", "is-live=true", "pattern=smpte",
      "!", "video/x-raw,format=I420,width=640,height=480,framerate=30000/1001",
      "!", "textoverlay", "text=OKA One", "font-desc=Sans Bold 18", "shaded-background=true",
      "!", "clockoverlay", "!", "videobalance", "!", "videoconvert",
      "!", "video/x-raw,format=YUY2", "!", "fakesink", "sync=false"};
  QProcess process;
  process.start("gst-launch-1.0", args);
  Figures f;
  if (!process.waitForStarted()) return f;
  RunEventLoop(1000);
  const double cpu0 = ProcessCpuSeconds(process.processId());
  QElapsedTimer clock;
  clock.start();
  RunEventLoop(seconds * 1000);
  const double cpu1 = ProcessCpuSeconds(process.processId());
  f.seconds = clock.elapsed() / 1000.0;
  process.kill();
  process.waitForFinished();
  if (cpu0 < 0 || cpu1 < 0) {
    std::printf("gst-launch-1.0 failed: %s\n", process.readAllStandardError().constData());
    return {};
  }
  // A live source at 29.97 frames a second.
  f.frames = f.seconds * 30000 / 1001;
  f.cpu = cpu1 - cpu0;
  return f;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const int seconds = argc > 1 ? qMax(2, QString(argv[1]).toInt()) : 10;
  const Figures window = RunWindowPath(seconds);
  const Figures bare = RunBarePipeline(seconds);
  std::printf("%-28s %8s %14s\n", "640x480 YUY2, 29.97 fps", "fps", "CPU ms/frame");
  std::printf("%-28s %8.2f %14.3f\n", "virtual card -> window", window.Fps(), window.CpuMsPerFrame());
  // Where the window path's time goes: the UI thread converts and paints, which the bare run
  // does not do; the rest is the streaming side, comparable with the bare figure.
  if (window.frames > 0)
    std::printf("%-28s %8s %14.3f\n", "  of which UI thread", "", window.ui * 1000 / window.frames);
  std::printf("%-28s %8.2f %14.3f\n", "gst-launch -> fakesink", bare.Fps(), bare.CpuMsPerFrame());
  if (bare.CpuMsPerFrame() > 0)
    std::printf("window path costs %.2fx the bare pipeline\n",
                window.CpuMsPerFrame() / bare.CpuMsPerFrame());
  return window.frames > 0 && bare.frames > 0 ? 0 : 1;
}
