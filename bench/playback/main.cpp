// Playback speed: from PlayFile to the first picture on screen for a DVD PAL file, seek latency
// to the new picture while playing and while paused, CPU per second of playback against
// gst-launch-1.0's playbin on the same file (fake sinks), and from pausing live TV on the virtual
// card to the time-shift buffer's first picture.
//
//   bench-playback [file]     (default: 30 s of DVD PAL made with ffmpeg; QT_QPA_PLATFORM=offscreen)
//   bench-playback --smoke    (one play, two seeks each way, 1 s of CPU, the time-shift start)

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

#include "common/BenchHome.h"
#include "platform/BuiltinComponents.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/video/TVideoWindow.h"
#include "engine/CaptureInfo.h"
#include "playback/FilePlayback.h"
#include "playback/PlaybackSession.h"
#include "playback/TimeShiftRoutines.h"
#include "settings/MainInfo.h"

using namespace pvx;

namespace {

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop until `done` or `maxMs`; the time it took in ms, or -1.
double Until(const std::function<bool()>& done, int maxMs = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > maxMs) return -1;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return t.nsecsElapsed() / 1e6;
}

// Runs the event loop for `ms` without spinning (the CPU figures count this process).
void Pump(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = bench::TakeSmokeFlag(argc, argv);
  const bench::TBenchHome home;
  QApplication app(argc, argv);
  auto fail = [](const char* what) {
    std::fprintf(stderr, "bench-playback: %s\n", what);
    return 1;
  };
  QTemporaryDir dir;
  QString file = argc > 1 ? QString(argv[1]) : dir.filePath("dvd.mpg");
  if (argc <= 1 &&
      QProcess::execute("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=720x576:rate=25", "-f",
                                   "lavfi", "-i", "sine=f=440:sample_rate=48000", "-t", smoke ? "10" : "30",
                                   "-target", "pal-dvd", file}) != 0)
    return fail("ffmpeg cannot make the DVD file");
  platform::graph::TComponentRegistry registry;
  platform::RegisterBuiltinComponents(registry);
  QWidget host;
  host.resize(720, 576);
  host.show();
  platform::video::TVideoWindow* window = nullptr;
  playback::TPlaybackSession session;
  session.FileHooks.Components = &registry;
  session.FileHooks.Host.Widget = &host;
  session.FileHooks.PIPEnabled = [] { return false; };
  session.FileHooks.OnVideoWindow = [&](platform::video::IVideoWindow* video, bool) {
    window = qobject_cast<platform::video::TVideoWindow*>(video->Widget());
    if (window) {
      window->setGeometry(host.rect());
      window->show();
    }
  };
  auto painted = [&] { return window ? window->FramesPainted() : 0; };

  // Play to the first picture, five times.
  std::vector<double> first;
  for (int i = 0; i < (smoke ? 1 : 5); ++i) {
    window = nullptr;
    QElapsedTimer t;
    t.start();
    if (!playback::PlayFile(session, file)) return fail("the file does not play");
    if (Until([&] { return painted() > 0; }) < 0) return fail("no picture after Play");
    first.push_back(t.nsecsElapsed() / 1e6);
    Pump(300);
    playback::StopPlayback(session);
  }
  std::printf("Play to first picture:  median %.0f ms, worst %.0f ms (goal <= 200)\n", Median(first),
              *std::max_element(first.begin(), first.end()));

  // Seeks while playing and while paused: time to the next picture painted.
  if (!playback::PlayFile(session, file) || Until([&] { return painted() > 0; }) < 0) return fail("no picture after Play");
  std::vector<double> playing, paused;
  const std::vector<int> targets = smoke ? std::vector<int>{20, 60} : std::vector<int>{20, 60, 40, 80, 10, 50, 70, 30, 90, 15};
  for (int p : targets) {
    const quint64 before = painted();
    QElapsedTimer t;
    t.start();
    session.File->SetPosition(p);
    if (Until([&] { return painted() > before; }) < 0) return fail("no picture after a seek while playing");
    playing.push_back(t.nsecsElapsed() / 1e6);
    Pump(200);
  }
  session.File->Pause();
  Pump(300);
  for (int p : targets) {
    const quint64 before = painted();
    QElapsedTimer t;
    t.start();
    session.File->SetPosition(p);
    if (Until([&] { return painted() > before; }, 3000) < 0) return fail("no picture after a seek while paused");
    paused.push_back(t.nsecsElapsed() / 1e6);
  }
  std::printf("Seek to new picture:    playing median %.0f ms, worst %.0f; paused median %.0f ms, worst %.0f (goal <= 150)\n",
              Median(playing), *std::max_element(playing.begin(), playing.end()), Median(paused),
              *std::max_element(paused.begin(), paused.end()));
  playback::StopPlayback(session);

  // CPU per second of playback, window hidden, against playbin with fake sinks in real time.
  const int kSeconds = smoke ? 1 : 10;
  session.FileHooks.Host.Widget = nullptr;
  double cpu = CpuSeconds(RUSAGE_SELF);
  if (!playback::PlayFile(session, file)) return fail("the file does not play without a window");
  Pump(kSeconds * 1000);
  const double ours = (CpuSeconds(RUSAGE_SELF) - cpu) / kSeconds;
  playback::StopPlayback(session);
  cpu = CpuSeconds(RUSAGE_CHILDREN);
  // timeout ends playbin with status 124: it played all the while.
  if (QProcess::execute("timeout", {QString::number(kSeconds), "gst-launch-1.0", "-q", "playbin", "uri=file://" + file,
                                    "video-sink=fakesink sync=true", "audio-sink=fakesink sync=true"}) != 124)
    return fail("gst-launch-1.0 playbin did not play the file");
  const double reference = (CpuSeconds(RUSAGE_CHILDREN) - cpu) / kSeconds;
  if (ours <= 0 || reference <= 0) return fail("no CPU time measured");
  std::printf("CPU per second:         ours %.3f s, playbin %.3f s, ratio %.2f (goal <= 1.2)\n", ours, reference,
              ours / reference);

  // Live TV paused: the virtual card records its buffer for eleven seconds, then the buffer plays.
  settings::TMainInfo main;
  settings::TMainPreferences prefs = main.Prefs();
  prefs.CaptureFolder = dir.path() + "/";
  main.SetPrefs(prefs);
  engine::TEngineConfig config;
  config.Host.Widget = &host;
  config.Program = [&main] {
    engine::TProgramSettings program;
    program.CaptureFolder = main.Prefs().CaptureFolder;
    return program;
  };
  engine::TCaptureInfo capture(registry, config);
  if (!capture.OpenDevices() || !capture.StartPreview() || !capture.SetTVFrequency(55250000, false) ||
      !capture.StopPreview() || !capture.StartTimeShift())
    return fail("time-shifting does not start");
  Pump(12000);
  session.TimeShiftHooks.Components = &registry;
  session.TimeShiftHooks.Host.Widget = &host;
  session.TimeShiftHooks.OnVideoWindow = [&](platform::video::IVideoWindow* video) {
    session.FileHooks.OnVideoWindow(video, false);
  };
  window = nullptr;
  QElapsedTimer t;
  t.start();
  const bool started = playback::StartTimeShiftPlayback(session, capture);
  const double ms = started ? Until([&] { return painted() > 0; }) : -1;
  const double toPicture = t.nsecsElapsed() / 1e6;
  playback::EndTimeShift(session, capture);
  if (ms < 0) return fail("the time-shift buffer shows no picture");
  std::printf("Pause live TV to picture: %.0f ms (goal <= 200)\n", toPicture);
  return 0;
}
