// Recording cost: how fast the MPEG recorder encodes (MPEG-1/2, H.264, HEVC), fed through the graph facade from a raw
// file (YUY2 pictures + 16-bit PCM in an uncompressed AVI, recorded first from the virtual
// card in real time), side by side with the ffmpeg command line encoding the same file with
// the same settings. The input comes from a calm station (bars, a bouncing box, a scrolling
// caption) and from a heavy-motion one (a moving zone plate), as encoders treat them very
// differently.
//
//   bench-record [seconds] [--all-cores] [--calm | --heavy]   (default 10 s of each station)
//   bench-record --smoke                                       (1 s of the calm station)
//
// Both run pinned to one core unless --all-cores is given. Figures per profile: wall time,
// real-time factor (recorded seconds per wall second, and per CPU second) and CPU seconds per
// recorded second; then our CPU cost over ffmpeg's. For the H.264 and HEVC rows, the size at
// equal quality: the smallest of our files, over the quality settings, whose SSIM against the
// input reaches the DVD file's, in bytes of the DVD file (not in the smoke run).

#include <sched.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <iterator>
#include <optional>
#include <vector>

#include "common/BenchHome.h"
#include "common/RecordingRig.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TCaptureGraphBuilder.h"

using namespace pvx::platform;
using graph::TMediaType;

namespace {

struct Profile {
  const char* name;
  int width, height;
  const char* rate;  // input frame rate
  // The recorder's settings, in the order the recording graph gives them.
  int streamType, bitRate, quality, sampleRate, frameRateCode;
  pvx::formats::Container container;
  // The same encoding on the ffmpeg command line.
  QStringList ffmpeg;
  std::optional<pvx::formats::RecordFormat> format = std::nullopt;  // the H.264 and HEVC rows
};

const Profile kProfiles[] = {
    // A disc's MPEG-2 keeps under its peak rate with the non-linear scale and a coarsest
    // quantiser of 28, as the recorder's encoder does.
    {"DVD PAL 720x576 25 fps, MPEG-2 4 Mbit/s + MP2", 720, 576, "25", 2, 4000000, 0, 48000, 3,
     pvx::formats::Container::Dvd,
     {"-c:v", "mpeg2video", "-b:v", "4000000", "-maxrate", "9000000", "-bufsize", "1835008",
      "-g", "15", "-bf", "0", "-mbd", "simple", "-non_linear_quant", "1", "-qmax", "28",
      "-aspect", "4:3", "-c:a", "mp2", "-b:a", "224000", "-ar", "48000", "-ac", "2",
      "-packetsize", "2048", "-muxrate", "10080000", "-f", "dvd"}},
    // Quality "Normal": constant quality 22 (HEVC 26), a key picture a second.
    {"MP4 720x576 25 fps, H.264 constant quality + AAC", 720, 576, "25", 2, 0, 3, 48000, 0,
     pvx::formats::Container::Mp4,
     {"-c:v", "libx264", "-preset", "veryfast", "-crf", "22", "-rc-lookahead", "5", "-g", "25", "-bf", "0", "-threads", "2", "-thread_type", "slice", "-aspect", "4:3", "-c:a",
      "aac", "-b:a", "160000", "-ar", "48000", "-ac", "2", "-movflags", "frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "500000",
      "-f", "mp4"},
     pvx::formats::RecordFormat::Mp4H264},
    {"Matroska 720x576 25 fps, HEVC constant quality + Opus", 720, 576, "25", 2, 0, 3, 48000, 0,
     pvx::formats::Container::Matroska,
     {"-c:v", "libx265", "-preset", "ultrafast", "-crf", "26", "-g", "25", "-bf", "2", "-x265-params",
      "log-level=error:pools=2:frame-threads=1", "-aspect", "4:3", "-c:a", "libopus", "-b:a", "128000", "-ar",
      "48000", "-ac", "2", "-f", "matroska"},
     pvx::formats::RecordFormat::MatroskaHevc},
    {"MPEG-1 320x240 29.97 fps, 1.35 Mbit/s + MP2", 320, 240, "30000/1001", 1, 1350000, 3, 44100,
     4, pvx::formats::Container::MpegSystem,
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

struct Station {
  const char* name;
  quint32 hertz;
};

const Station kStations[] = {{"calm station (OKA One)", 55250000},
                             {"heavy-motion station (Seven Sports)", 175250000}};

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Records the virtual card tuned to `station` into an uncompressed AVI, in real time.
bool MakeInput(const Profile& p, const Station& station, int seconds, const QString& path) {
  graph::TFilterGraph graph(pvx::bench::Components());
  const auto [video, audio] = pvx::bench::AddCard(graph, station.hertz);
  TMediaType picture, sound;
  video->As<graph::IStreamConfig>()->GetStreamCaps(0, picture);
  picture.Subtype = "YUY2";
  picture.Width = p.width;
  picture.Height = p.height;
  picture.AvgTimePerFrame = QByteArray(p.rate) == "25" ? 400000 : 333667;
  audio->As<graph::IStreamConfig>()->GetStreamCaps(0, sound);
  sound.SampleRate = 48000;
  media::TCaptureGraphBuilder builder(graph);
  std::shared_ptr<graph::TFilter> mux;
  if (!video->As<graph::IStreamConfig>()->SetFormat(picture) ||
      !audio->As<graph::IStreamConfig>()->SetFormat(sound) ||
      !builder.SetOutputFileName("AVI", path, &mux, nullptr) ||
      !builder.RenderStream(graph::PinCategory::Capture, std::nullopt, *video, nullptr, mux.get()) ||
      !builder.RenderStream(graph::PinCategory::None, std::nullopt, *audio, nullptr, mux.get()) ||
      !graph.Run())
    return false;
  Wait(seconds * 1000);
  return graph.Stop() && QFile(path).size() > 0;
}

Figures RunFacade(const Profile& p, const QString& input, const QString& output, int quality) {
  graph::TFilterGraph graph(pvx::bench::Components());
  bool ended = false;
  graph.OnEvent = [&](const graph::TGraphEvent& e) {
    if (e.kind != graph::TGraphEvent::Warning) ended = true;
  };
  auto recorder = graph.AddComponent(media::kMpegRecorderName, "MPEG");
  auto* s = recorder ? recorder->As<media::IMpegRecorderSettings>() : nullptr;
  if (!s) return {};
  s->SetStreamType(p.streamType);
  s->SetVideoBitRate(p.bitRate);
  s->SetQuality(quality);
  s->SetFrameSize(p.width, p.height);
  s->SetAudioSampleRate(p.sampleRate);
  s->SetFrameRateCode(p.frameRateCode);
  s->SetFlags(false, true);
  if (p.format) {
    s->SetRecordFormat(*p.format);
  } else {
    s->SetContainer(p.container);
  }
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

// The mean SSIM of a recording's pictures against the input's.
double Ssim(const QString& file, const QString& input) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "info", "-i", file, "-i", input, "-lavfi",
                          "[0:v]setpts=PTS-STARTPTS,format=yuv420p[a];[1:v]setpts=PTS-STARTPTS,format=yuv420p[b];[a][b]ssim", "-f", "null", "-"});
  ffmpeg.waitForFinished(-1);
  const QRegularExpressionMatch m =
      QRegularExpression(" All:([0-9.]+)").match(QString::fromUtf8(ffmpeg.readAllStandardError()));
  return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

void Print(const char* who, const Figures& f, int seconds) {
  std::printf("  %-8s wall %6.2f s  %5.1fx real time  %5.1fx per CPU second  %.3f CPU s per "
              "recorded s  %5.1f MB\n",
              who, f.wall, seconds / f.wall, seconds / f.cpu, f.cpu / seconds, f.megabytes);
}

}  // namespace

int main(int argc, char** argv) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  const pvx::bench::TBenchHome home;
  QCoreApplication app(argc, argv);
  // The encoders' rate-control chatter would bury the figures.
  QLoggingCategory::setFilterRules("pvx.media.warning=false");
  int seconds = 10;
  bool allCores = false;
  std::vector<Station> stations(std::begin(kStations), std::end(kStations));
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "--all-cores") {
      allCores = true;
    } else if (arg == "--calm" || arg == "--heavy") {
      stations = {kStations[arg == "--calm" ? 0 : 1]};
    } else if (atoi(argv[i]) > 0) {
      seconds = atoi(argv[i]);
    }
  }
  if (smoke) {
    seconds = 1;
    stations = {kStations[0]};
  }
  if (!allCores) {
    // One core for us, our threads and the ffmpeg child alike.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
  }
  QTemporaryDir dir;
  std::printf("recording %d s of raw YUY2 + PCM input from the virtual card%s\n", seconds,
              allCores ? "" : ", pinned to one core");
  for (const Station& station : stations) {
    const Profile* made = nullptr;  // the input's size and rate, kept while they stay the same
    double dvdSsim = -1, dvdBytes = 0;
    const QString input = dir.filePath("input.avi");
    for (const Profile& p : kProfiles) {
      if (!made || made->width != p.width || made->height != p.height || QByteArray(made->rate) != p.rate) {
        if (!MakeInput(p, station, seconds, input)) {
          std::fprintf(stderr, "cannot record the input from the virtual card\n");
          return 1;
        }
        made = &p;
      }
      const QString output = dir.filePath("facade.out");
      const Figures ours = RunFacade(p, input, output, p.quality);
      const Figures theirs = RunFfmpeg(p, input, dir.filePath("ffmpeg.out"));
      if (!ours.ok || !theirs.ok || ours.cpu <= 0 || theirs.cpu <= 0) {
        std::fprintf(stderr, "bench-record: %s failed for %s\n", ours.ok ? "ffmpeg" : "the recorder", p.name);
        return 1;
      }
      std::printf("%s, %s\n", station.name, p.name);
      Print("facade", ours, seconds);
      Print("ffmpeg", theirs, seconds);
      std::printf("  CPU cost facade / ffmpeg: %.2f\n", ours.cpu / theirs.cpu);
      if (smoke) continue;
      if (p.container == pvx::formats::Container::Dvd) {
        dvdSsim = Ssim(output, input), dvdBytes = ours.megabytes;
        std::printf("  SSIM %.4f\n", dvdSsim);
      } else if (p.format && dvdSsim > 0) {
        // From the smallest file up, the first quality that looks as good as the DVD.
        bool reached = false;
        for (int quality = 0; quality <= 6 && !reached; ++quality) {
          const Figures f = RunFacade(p, input, output, quality);
          const double ssim = Ssim(output, input);
          if (!f.ok || ssim < dvdSsim) continue;
          reached = true;
          std::printf("  at the DVD's SSIM (%.4f): quality %d, SSIM %.4f, %.2f MB = %.0f %% of the DVD's bytes "
                      "(goal <= 45 %%)\n", dvdSsim, quality, ssim, f.megabytes, 100 * f.megabytes / dvdBytes);
        }
        if (!reached) std::printf("  no quality setting reaches the DVD's SSIM (%.4f)\n", dvdSsim);
        // The dialog's steps are coarse: the same encoder on ffmpeg's command line, its quality
        // factor halved in on the DVD's SSIM.
        double low = 10, high = 51, megabytes = 0, ssim = 0;
        for (int step = 0; step < 7; ++step) {
          const double crf = (low + high) / 2;
          Profile at = p;
          at.ffmpeg[at.ffmpeg.indexOf("-crf") + 1] = QString::number(crf, 'f', 2);
          const Figures f = RunFfmpeg(at, input, output);
          const double s = Ssim(output, input);
          if (!f.ok || s < 0) break;
          if (s >= dvdSsim) {
            low = crf, megabytes = f.megabytes, ssim = s;
          } else {
            high = crf;
          }
        }
        if (megabytes > 0)
          std::printf("  the same encoder at the DVD's SSIM: factor %.1f, SSIM %.4f, %.2f MB = %.0f %% of the DVD's "
                      "bytes (goal <= 45 %%)\n", low, ssim, megabytes, 100 * megabytes / dvdBytes);
      }
    }
    QFile::remove(input);
  }
  return 0;
}
