// A recording end to end: the program itself on the virtual card, live preview running, told to
// record DVD PAL (or H.264 / HEVC) by the remote-control command and to stop after a while. Prints the time from
// the command to the first byte on disk, dropped frames, the audio/video duration difference,
// the program's resident memory sampled every second, and its CPU per recorded second against
// ffmpeg encoding the same pictures plus the preview's own cost.
//
//   bench-record-e2e [seconds] [heavy|calm] [timeshift|dvd|mp4|mkv|hevc]
//     default 60 heavy dvd; 7200 is the two-hour run. With timeshift the program time-shifts
//     instead, keeps the buffer, plays it behind live and, each minute, pauses, resumes and seeks
//     back and forth; 1800 is the half-hour run. mp4, mkv and hevc record MP4 (H.264), Matroska
//     (H.264) and Matroska (HEVC) at 720x576 instead of DVD PAL.
//   bench-record-e2e --smoke                    (3 s, 1 s of preview, no ffmpeg comparison)

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "common/BenchHome.h"
#include "common/ProcessCpu.h"
#include "common/StreamSpan.h"
#include "commands/CommandTable.h"
#include "formats/RecordFormats.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/CaptureSettings.h"
#include "settings/MainInfo.h"
#include "settings/MainSettingsFile.h"

namespace ipc = pvx::platform::ipc;

namespace {

using pvx::bench::CpuSecondsOf;
using pvx::commands::CodeOf;
using pvx::commands::TCommand;
constexpr int kCapture = CodeOf(TCommand::Capture), kStop = CodeOf(TCommand::Stop);
constexpr int kExit = CodeOf(TCommand::Exit), kTimeShift = CodeOf(TCommand::TimeShifting);

// What a person does each minute of a time-shift session, by the second of the minute.
void TimeShiftStep(int second) {
  const std::pair<int, TCommand> steps[] = {{20, TCommand::Pause}, {25, TCommand::Pause},
                                            {26, TCommand::Backward}, {30, TCommand::Forward}};
  // Play is open once ten seconds are buffered.
  if (second == 15) ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(TCommand::Play), 0);
  for (const auto& [at, command] : steps)
    if (second > 60 && second % 60 == at) ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(command), 0);
}

double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QByteArray Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(600000);
  return p.readAllStandardOutput();
}

int VideoFrames(const QString& path) {
  return Run("ffprobe", {"-v", "error", "-select_streams", "V:0", "-count_packets", "-show_entries",
                         "stream=nb_read_packets", "-of", "csv=p=0", path})
      .trimmed()
      .split(',')
      .first()
      .toInt();
}

struct Format {
  const char* arg;
  pvx::formats::RecordFormat format;
  const char* name;
  QStringList ffmpeg;  // the same encoding on ffmpeg's command line
};
const Format kFormats[] = {
    {"dvd", pvx::formats::RecordFormat::DvdPal, "DVD PAL", {"-target", "pal-dvd", "-b:v", "3950k", "-f", "dvd"}},
    // Quality "Normal": constant quality 22, a key picture a second, sound at 160 kbit/s.
    {"mp4", pvx::formats::RecordFormat::Mp4H264, "MP4 (H.264)",
     {"-c:v", "libx264", "-preset", "veryfast", "-crf", "22", "-rc-lookahead", "5", "-g", "30", "-bf", "0", "-threads", "2", "-thread_type", "slice", "-c:a",
      "aac", "-b:a", "160k", "-movflags", "frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "500000", "-f", "mp4"}},
    {"mkv", pvx::formats::RecordFormat::MatroskaH264, "Matroska (H.264)",
     {"-c:v", "libx264", "-preset", "veryfast", "-crf", "22", "-rc-lookahead", "5", "-g", "30", "-bf", "2", "-threads", "2", "-thread_type", "slice", "-c:a",
      "aac", "-b:a", "160k", "-f", "matroska"}},
    {"hevc", pvx::formats::RecordFormat::MatroskaHevc, "Matroska (HEVC)",
     {"-c:v", "libx265", "-preset", "ultrafast", "-crf", "26", "-g", "30", "-bf", "2", "-x265-params",
      "log-level=error:pools=2:frame-threads=1", "-c:a", "libopus", "-b:a", "128k", "-f", "matroska"}},
};

// The first ten seconds of the recording decoded to the card's own picture format (YUY2), then
// encoded again by ffmpeg as the program encodes them: CPU seconds per second of pictures.
double FfmpegCpuPerSecond(const QString& recording, const QString& folder, const Format& format) {
  const QString raw = folder + "/same.yuv", sound = folder + "/same.wav", out = folder + "/same.out";
  Run("ffmpeg", {"-v", "error", "-y", "-i", recording, "-t", "10", "-an", "-f", "rawvideo", "-pix_fmt", "yuyv422", raw});
  Run("ffmpeg", {"-v", "error", "-y", "-i", recording, "-t", "10", "-vn", sound});
  const QString rate = Run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "stream=r_frame_rate",
                                       "-of", "csv=p=0", recording}).trimmed();
  const double before = ChildrenCpuSeconds();
  Run("ffmpeg", QStringList{"-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "yuyv422", "-s", "720x576", "-r", rate,
                            "-i", raw, "-i", sound} + format.ffmpeg + QStringList{out});
  const double cpu = ChildrenCpuSeconds() - before;
  QFile::remove(raw);
  return cpu / 10.0;
}

// Resident memory in kB, -1 once the process is gone.
long ResidentKb(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}

qint64 FileSize(const QString& folder) {
  const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
  return files.isEmpty() ? -1 : files.first().size();
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  QCoreApplication app(argc, argv);
  const int seconds = smoke ? 3 : argc > 1 ? qMax(5, QString(argv[1]).toInt()) : 60;
  const bool heavy = argc <= 2 || QString(argv[2]) != "calm";
  const bool timeShift = argc > 3 && QString(argv[3]) == "timeshift";
  const Format* format = &kFormats[0];
  for (const Format& f : kFormats)
    if (argc > 3 && QString(argv[3]) == f.arg) format = &f;
  const pvx::bench::TBenchHome bench;
  QTemporaryDir dir;
  const QString home = bench.Home(), folder = dir.filePath("rec");
  QDir().mkpath(folder);
  if (!bench.StoreTunedChannels()) {
    std::fprintf(stderr, "bench-record-e2e: cannot store the tuned channels\n");
    return 1;
  }

  // DVD PAL into an empty folder, from one station on the channel the first start tunes.
  pvx::settings::TMainInfo main;
  pvx::settings::TMainPreferences prefs = main.Prefs();
  prefs.CaptureFolder = folder + "/";
  main.SetPrefs(prefs);
  pvx::settings::TCaptureSettings capture;
  capture.RecordFormat = quint8(format->format);
  capture.CaptureWidth = 720, capture.CaptureHeight = 576;
  capture.VideoBitRateKbps = format == &kFormats[0] ? 3950 : 0, capture.UseDateTimeName = false;
  capture.FrameRateCode = format == &kFormats[0] ? 5 : 0, capture.Quality = format == &kFormats[0] ? 0 : 3;
  capture.SaveTimeShift = timeShift;
  pvx::settings::TMainSettingsPeers peers;
  peers.Capture = &capture;
  if (!main.SaveMainSettings(home + "QDVCR.cfg", peers)) return 1;
  QFile stations(home + "stations.ini");
  // The tuned home starts on the plan's first channel, 55.25 MHz: the one station there.
  if (!stations.open(QIODevice::WriteOnly) ||
      stations.write(QByteArray("[tv1]\nfrequency=55250000\nname=Bench\nstandard=PAL B\naudio=mono,stereo\n"
                                "tone=440\n") +
                     (heavy ? "pattern=zone-plate\nmotion=heavy\n" : "pattern=smpte\n")) <= 0)
    return 1;
  stations.close();

  QProcessEnvironment env = bench.ProgramEnvironment();
  // The recorder's own count of its pictures, and what became of each command.
  env.insert("QT_LOGGING_RULES", "pvx.media.info=true;pvx.commands.debug=true");
  QProcess program;
  // BENCH_PROGRAM runs another build's program, for runs longer than a rebuild.
  if (!pvx::bench::StartProgram(program, qEnvironmentVariable("BENCH_PROGRAM", PVX_PROGRAM), env,
                                dir.filePath("program.log")))
    return 1;
  QElapsedTimer clock;
  const qint64 pid = program.processId();
  QThread::msleep(smoke ? 500 : 2000);

  // The preview alone.
  const int kPreviewSeconds = smoke ? 1 : 10;
  double cpu = CpuSecondsOf(pid);
  QThread::msleep(kPreviewSeconds * 1000);
  const double previewPerSecond = (CpuSecondsOf(pid) - cpu) / kPreviewSeconds;

  std::printf("%s%s %d s from a %s station with the live preview running\n", timeShift ? "time-shifting" : "recording ",
              timeShift ? "" : format->name, seconds, heavy ? "heavy-motion" : "calm");
  cpu = CpuSecondsOf(pid);
  clock.start();
  ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, timeShift ? kTimeShift : kCapture, 0);
  while (FileSize(folder) <= 0 && clock.elapsed() < 10000) QThread::usleep(500);
  const double firstByteMs = clock.nsecsElapsed() / 1e6;
  const bool started = FileSize(folder) > 0;
  // Memory once a second; after the first minute it must stay flat.
  long rssAtMinute = -1, rssMax = -1, rssEnd = -1;
  for (int second = 1; clock.elapsed() < seconds * 1000LL; ++second) {
    QThread::msleep(qBound(qint64(0), qint64(second * 1000LL - clock.elapsed()), qint64(1000)));
    rssEnd = ResidentKb(pid);
    if (timeShift) TimeShiftStep(second);
    if (second == 60) rssAtMinute = rssEnd;
    if (second >= 60) rssMax = std::max(rssMax, rssEnd);
    if (second % 600 == 0)
      std::printf("  %3d min: %.1f MB resident, %.0f MB on disk\n", second / 60, rssEnd / 1024.0,
                  FileSize(folder) / 1e6), std::fflush(stdout);
  }
  const double recordCpu = CpuSecondsOf(pid) - cpu;
  ipc::SendMessage(ipc::kMainWindowClass, ipc::kMsgCommand, kStop, 0, 10000);
  QThread::msleep(1500);
  ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, kExit, 0);
  if (!program.waitForFinished(30000)) program.kill();

  const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
  if (!started || files.isEmpty()) {
    std::fprintf(stderr, "bench-record-e2e: nothing was recorded\n");
    return 1;
  }
  // A time-shift buffer keeps its pictures and its sound in two files.
  const auto named = [&](const char* suffix) {
    for (const QFileInfo& f : files)
      if (f.suffix() == suffix) return f;
    return files.first();
  };
  const char* suffix = timeShift ? "mpv" : pvx::formats::ContainerOf(pvx::formats::RecordFormatOrDefault(int(format->format)).Container).Extension.data();
  const QFileInfo picture = named(suffix), sound = named(timeShift ? "mpa" : suffix);
  const QString file = picture.filePath();
  // BENCH_KEEP=path keeps the recording for a closer look.
  if (const QString keep = qEnvironmentVariable("BENCH_KEEP"); !keep.isEmpty()) QFile::copy(file, keep);
  const int frames = VideoFrames(file);
  // A time-shift buffer's pictures carry no times: they last their count at the frame rate.
  const double video = timeShift ? frames / 25.0 : pvx::bench::StreamSpan(file, "V:0");
  const double audio = pvx::bench::StreamSpan(sound.filePath(), "a:0");
  if (frames <= 0 || video <= 0 || audio <= 0 || recordCpu <= 0) {
    std::fprintf(stderr, "bench-record-e2e: the recording holds no pictures or no sound\n");
    return 1;
  }
  const double perSecond = recordCpu / seconds;
  std::printf("file:                  %s, %.1f MB\n", qPrintable(picture.fileName()), picture.size() / 1e6);
  std::printf("command to first byte: %.0f ms (goal <= 300)\n", firstByteMs);
  if (timeShift)
    std::printf("frames:                %d, %.2f s (the recorder's count of drops below)\n", frames, video);
  else
    std::printf("frames:                %d in %.2f s of pictures, dropped %d (goal 0)\n", frames, video,
                std::max(0, int(video * 25 + 0.5) - frames));
  QFile log(dir.filePath("program.log"));
  log.open(QIODevice::ReadOnly);
  const QString text = QString::fromUtf8(log.readAll());
  const auto counts = QRegularExpression("recorded .*: (\\d+) pictures \\((\\d+) repeated over gaps\\), (\\d+) pictures and (\\d+) sound")
                          .match(text);
  if (timeShift)
    std::printf("commands:              play %lld, pause %lld, backward %lld, forward %lld ran; %lld refused\n",
                text.count("play ran"), text.count("pause ran"), text.count("backward ran"),
                text.count("forward ran"), text.count("refused by its gate"));
  if (counts.hasMatch())
    std::printf("recorder:              %s pictures, %s repeated over gaps in the source, %s pictures and %s sound "
                "buffers dropped\n", qPrintable(counts.captured(1)), qPrintable(counts.captured(2)),
                qPrintable(counts.captured(3)), qPrintable(counts.captured(4)));
  else
    std::printf("recorder:              its log holds no count of pictures\n");
  std::printf("audio - video:         %+.0f ms (goal <= 40)\n", (audio - video) * 1000);
  if (rssAtMinute > 0)
    std::printf("resident memory:       %.1f MB after the first minute, at most %.1f MB later, %.1f MB at the "
                "end: growth %.1f MB (goal < 5)\n", rssAtMinute / 1024.0, rssMax / 1024.0, rssEnd / 1024.0,
                (rssMax - rssAtMinute) / 1024.0);
  else
    std::printf("resident memory:       %.1f MB at the end\n", rssEnd / 1024.0);
  if (timeShift && (text.count("play ran") != 1 || text.count("refused by its gate") > 0)) {
    std::fprintf(stderr, "bench-record-e2e: the time-shift session did not go as planned\n");
    return 1;
  }
  if (smoke || timeShift) {
    std::printf("CPU per second:        program %.3f s, preview alone %.3f s\n", perSecond, previewPerSecond);
    return 0;
  }
  const double ffmpeg = FfmpegCpuPerSecond(file, dir.path(), *format);
  if (ffmpeg <= 0) {
    std::fprintf(stderr, "bench-record-e2e: ffmpeg did not encode the comparison\n");
    return 1;
  }
  std::printf("CPU per second:        program %.3f s; ffmpeg %.3f + preview %.3f = %.3f; ratio %.2f (goal <= 1.1)\n",
              perSecond, ffmpeg, previewPerSecond, ffmpeg + previewPerSecond,
              perSecond / (ffmpeg + previewPerSecond));
  return 0;
}
