// Recording cost: how fast the MPEG recorder encodes, fed through the graph facade from a raw
// file (YUY2 pictures + 16-bit PCM in an uncompressed AVI, made once per run), side by side
// with the ffmpeg command line encoding the same file with the same settings.
//
//   bench-record [seconds] [--all-cores]     (default 10 seconds of input)
//
// Both run pinned to one core unless --all-cores is given. Figures per profile: wall time,
// real-time factor (recorded seconds per wall second, and per CPU second) and CPU seconds per
// recorded second; then our CPU cost over ffmpeg's.

#include <sched.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "platform/BuiltinComponents.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"

using namespace pvx::platform;

namespace {

struct Profile {
  const char* name;
  int width, height;
  const char* rate;  // input frame rate
  // The recorder's settings, in the order the recording graph gives them.
  int streamType, bitRate, quality, sampleRate, frameRateCode;
  // The same encoding on the ffmpeg command line.
  QStringList ffmpeg;
};

const Profile kProfiles[] = {
    {"DVD PAL 720x576 25 fps, MPEG-2 4 Mbit/s + MP2", 720, 576, "25", 2, 4000000, 0, 48000, 3,
     {"-c:v", "mpeg2video", "-b:v", "4000000", "-maxrate", "9000000", "-bufsize", "1835008",
      "-g", "15", "-bf", "0", "-aspect", "4:3", "-c:a", "mp2", "-b:a", "224000", "-ar", "48000",
      "-ac", "2", "-packetsize", "2048", "-muxrate", "10080000", "-f", "dvd"}},
    {"MPEG-1 320x240 29.97 fps, 1.35 Mbit/s + MP2", 320, 240, "30000/1001", 1, 1350000, 3, 44100,
     4,
     {"-c:v", "mpeg1video", "-b:v", "1350000", "-g", "18", "-bf", "2", "-mbd", "bits", "-aspect",
      "4:3", "-c:a", "mp2", "-b:a", "224000", "-ar", "44100", "-ac", "2", "-f", "mpeg"}},
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
  double wall = 0, cpu = 0;
  double megabytes = 0;
  bool ok = false;
};

bool MakeInput(const Profile& p, int seconds, const QString& path) {
  // A moving test picture with a little grain, as a tuner delivers, and a tone.
  QProcess make;
  make.start("ffmpeg",
             {"-v", "error", "-y", "-f", "lavfi", "-i",
              QString("testsrc2=size=%1x%2:rate=%3,noise=alls=6:allf=t")
                  .arg(p.width)
                  .arg(p.height)
                  .arg(p.rate),
              "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t",
              QString::number(seconds), "-c:v", "rawvideo", "-pix_fmt", "yuyv422", "-c:a",
              "pcm_s16le", "-ac", "2", "-f", "avi", path});
  return make.waitForFinished(-1) && make.exitCode() == 0;
}

Figures RunFacade(const Profile& p, const QString& input, const QString& output) {
  graph::TComponentRegistry components;
  RegisterBuiltinComponents(components);
  graph::TFilterGraph graph(components);
  bool ended = false;
  graph.OnEvent = [&](const graph::TGraphEvent& e) {
    if (e.kind != graph::TGraphEvent::Warning) ended = true;
  };
  auto recorder = graph.AddComponent(media::kMpegRecorderName, "MPEG");
  auto* s = recorder ? recorder->As<media::IMpegRecorderSettings>() : nullptr;
  if (!s) return {};
  s->SetStreamType(p.streamType);
  s->SetVideoBitRate(p.bitRate);
  s->SetQuality(p.quality);
  s->SetFrameSize(p.width, p.height);
  s->SetAudioSampleRate(p.sampleRate);
  s->SetFrameRateCode(p.frameRateCode);
  s->SetFlags(false, true);
  recorder->As<graph::IFileSink>()->SetFileName(output);
  auto source = media::AddSourceFilter(graph, input, "Source");
  if (!source || !graph.Render(*source->FindPin("Output"))) return {};

  Figures f;
  const double cpu = CpuSeconds(RUSAGE_SELF);
  QElapsedTimer timer;
  timer.start();
  if (!graph.Run()) return {};
  while (!ended) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  graph.Stop();  // encodes what is queued and completes the file
  f.wall = timer.elapsed() / 1000.0;
  f.cpu = CpuSeconds(RUSAGE_SELF) - cpu;
  f.megabytes = QFile(output).size() / 1e6;
  f.ok = f.megabytes > 0;
  return f;
}

Figures RunFfmpeg(const Profile& p, const QString& input, const QString& output) {
  Figures f;
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  QElapsedTimer timer;
  timer.start();
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y", "-threads", "1", "-filter_threads", "1",
                                     "-i", input, "-threads", "1"} +
                             p.ffmpeg + QStringList{output});
  f.ok = ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0;
  f.wall = timer.elapsed() / 1000.0;
  f.cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu;
  f.megabytes = QFile(output).size() / 1e6;
  if (!f.ok) std::fprintf(stderr, "%s\n", ffmpeg.readAllStandardError().constData());
  return f;
}

void Print(const char* who, const Figures& f, int seconds) {
  std::printf("  %-8s wall %6.2f s  %5.1fx real time  %5.1fx per CPU second  %.3f CPU s per "
              "recorded s  %5.1f MB%s\n",
              who, f.wall, seconds / f.wall, seconds / f.cpu, f.cpu / seconds, f.megabytes,
              f.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int seconds = 10;
  bool allCores = false;
  for (int i = 1; i < argc; ++i) {
    if (QByteArray(argv[i]) == "--all-cores") {
      allCores = true;
    } else if (atoi(argv[i]) > 0) {
      seconds = atoi(argv[i]);
    }
  }
  if (!allCores) {
    // One core for us, our threads and the ffmpeg child alike.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
  }
  QTemporaryDir dir;
  std::printf("recording %d s of raw YUY2 + PCM input%s\n", seconds,
              allCores ? "" : ", pinned to one core");
  for (const Profile& p : kProfiles) {
    const QString input = dir.filePath("input.avi");
    if (!MakeInput(p, seconds, input)) {
      std::fprintf(stderr, "cannot make the input with ffmpeg\n");
      return 1;
    }
    const Figures ours = RunFacade(p, input, dir.filePath("facade.mpg"));
    const Figures theirs = RunFfmpeg(p, input, dir.filePath("ffmpeg.mpg"));
    std::printf("%s\n", p.name);
    Print("facade", ours, seconds);
    Print("ffmpeg", theirs, seconds);
    std::printf("  CPU cost facade / ffmpeg: %.2f\n", theirs.cpu > 0 ? ours.cpu / theirs.cpu : 0.0);
    QFile::remove(input);
  }
  return 0;
}
