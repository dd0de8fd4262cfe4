// Start-up cost: time from process start until the program shows live TV (its remote-control
// endpoint opens once the preview runs and the window is shown), split into the waits the
// program prescribes (tuning settle, audio-mode retry, unmute pause: every platform Wait, which
// the program reports when OKA_PVX_TRACE_WAITS is set) and its own time; and the peak memory of
// the process, on the virtual card, over several fresh starts of a home whose channels are
// tuned (a first start would wait in the setup wizard for a person).
//
//   bench-startup [runs | --smoke]   (default 5; smoke: 1; QT_QPA_PLATFORM=offscreen headless)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

#include "common/BenchHome.h"
#include "commands/CommandTable.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"

namespace ipc = pvx::platform::ipc;
using pvx::commands::CodeOf;
using pvx::commands::TCommand;

namespace {

qint64 NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

long PeakKilobytes(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QString text = QString::fromLatin1(status.readAll());
  return QRegularExpression("VmHWM:\\s+(\\d+)").match(text).captured(1).toLong();
}

struct Run {
  double liveMs = 0, waitedMs = 0;
  std::map<int, int> waits;  // asked milliseconds -> count, before live TV
  long peakKb = 0;
};

// Time inside the program's waits between `from` and `to` (microseconds); nested waits count once.
Run WaitsBefore(const QByteArray& log, qint64 from, qint64 to) {
  Run run;
  std::vector<std::pair<qint64, qint64>> spans;
  static const QRegularExpression line("pvx-wait (\\d+) (\\d+) (\\d+)");
  for (auto m = line.globalMatch(QString::fromLatin1(log)); m.hasNext();) {
    const auto hit = m.next();
    const qint64 start = std::max(from, hit.captured(2).toLongLong());
    const qint64 end = std::min(to, hit.captured(3).toLongLong());
    if (start >= to) continue;
    ++run.waits[hit.captured(1).toInt()];
    if (end > start) spans.emplace_back(start, end);
  }
  std::sort(spans.begin(), spans.end());
  qint64 covered = 0, reach = from;
  for (const auto& [start, end] : spans) {
    if (end <= reach) continue;
    covered += end - std::max(start, reach);
    reach = end;
  }
  run.waitedMs = covered / 1000.0;
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  QCoreApplication app(argc, argv);
  const int runs = smoke ? 1 : argc > 1 ? qMax(1, QString(argv[1]).toInt()) : 5;
  constexpr int kLimitMs = 30000;
  std::vector<Run> results;
  for (int i = 0; i < runs; ++i) {
    const pvx::bench::TBenchHome home;
    if (!home.StoreTunedChannels()) {
      std::fprintf(stderr, "bench-startup: cannot store the tuned channels\n");
      return 1;
    }
    QProcessEnvironment env = home.ProgramEnvironment();
    env.insert("OKA_PVX_TRACE_WAITS", "1");
    QProcess program;
    program.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    const qint64 started = NowUs();
    program.start(PVX_PROGRAM, {});
    bool up = false;
    while (!(up = ipc::FindWindow(ipc::kMainWindowClass, 50)) && clock.elapsed() < kLimitMs &&
           program.state() != QProcess::NotRunning)
      QThread::msleep(2);
    const qint64 live = NowUs();
    if (!up) {
      program.kill();
      program.waitForFinished();
      std::fprintf(stderr, "bench-startup: no live TV within %d ms\n%s", kLimitMs,
                   program.readAllStandardError().right(2000).constData());
      return 1;
    }
    QThread::msleep(2000);  // let it run live TV a while before reading its peak
    const long peak = PeakKilobytes(program.processId());
    ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(TCommand::Exit), 0);
    if (!program.waitForFinished(kLimitMs) || program.exitCode() != 0) {
      std::fprintf(stderr, "bench-startup: the program did not end cleanly on Exit\n");
      return 1;
    }
    Run run = WaitsBefore(program.readAllStandardError(), started, live);
    run.liveMs = (live - started) / 1000.0;
    run.peakKb = peak;
    if (peak <= 0) {
      std::fprintf(stderr, "bench-startup: cannot read the program's peak memory\n");
      return 1;
    }
    results.push_back(run);
  }
  std::vector<double> live, waited, own, peaks;
  for (const Run& r : results) {
    live.push_back(r.liveMs);
    waited.push_back(r.waitedMs);
    own.push_back(r.liveMs - r.waitedMs);
    peaks.push_back(r.peakKb / 1024.0);
  }
  std::printf("runs: %d\n", runs);
  std::printf("start to live TV:    median %6.0f ms, worst %6.0f ms\n", Median(live),
              *std::max_element(live.begin(), live.end()));
  std::printf("  prescribed waits:  median %6.0f ms (", Median(waited));
  std::map<int, int> asked;
  for (const Run& r : results)
    for (const auto& [ms, count] : r.waits) asked[ms] += count;
  const char* sep = "";
  for (const auto& [ms, count] : asked) {
    std::printf("%s%.1f x %d ms", sep, double(count) / runs, ms);
    sep = ", ";
  }
  std::printf(")\n  program's own time: median %5.0f ms, worst %6.0f ms\n", Median(own),
              *std::max_element(own.begin(), own.end()));
  std::printf("peak memory:         median %6.1f MB, worst %6.1f MB\n", Median(peaks),
              *std::max_element(peaks.begin(), peaks.end()));
  return 0;
}
