// Start-up cost: time from process start until the program shows live TV (its remote-control
// endpoint opens once the preview runs and the window is shown) and the peak memory of the
// process, on the virtual card, over several fresh starts.
//
//   bench-startup [runs]      (default 5; QT_QPA_PLATFORM=offscreen headless)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"

namespace ipc = pvx::platform::ipc;

namespace {

long PeakKilobytes(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QString text = QString::fromLatin1(status.readAll());
  return QRegularExpression("VmHWM:\\s+(\\d+)").match(text).captured(1).toLong();
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? qMax(1, QString(argv[1]).toInt()) : 5;
  std::vector<double> times;
  std::vector<long> peaks;
  for (int run = 0; run < runs; ++run) {
    QTemporaryDir home, runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OKA_PVX_HOME", home.path());
    env.insert("OKA_PVX_AUDIO_SINK", "null");
    if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess program;
    program.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    program.start(PVX_PROGRAM, {});
    while (!ipc::FindWindow(ipc::kMainWindowClass, 50) && clock.elapsed() < 30000) QThread::msleep(2);
    times.push_back(clock.nsecsElapsed() / 1e6);
    QThread::msleep(2000);  // let it run live TV a while before reading its peak
    peaks.push_back(PeakKilobytes(program.processId()));
    ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, 1, 0);
    program.waitForFinished(30000);
  }
  std::sort(times.begin(), times.end());
  std::sort(peaks.begin(), peaks.end());
  std::printf("runs: %d\n", runs);
  std::printf("start to live TV: median %.0f ms, worst %.0f ms\n", times[times.size() / 2], times.back());
  std::printf("peak memory:      median %.1f MB, worst %.1f MB\n", peaks[peaks.size() / 2] / 1024.0,
              peaks.back() / 1024.0);
  return 0;
}
