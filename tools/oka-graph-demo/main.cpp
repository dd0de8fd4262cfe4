// Shows the virtual TV card's picture and sound through the preview graph and tunes through
// its stations. With --screenshots DIR it saves one snapshot and one window picture per
// station and exits, which also works without a display (QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "DemoWindow.h"

namespace {

// Real time passes here: the demo shows a live broadcast.
void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("OKA PVX graph demo on the virtual TV card");
  parser.addHelpOption();
  QCommandLineOption screenshots("screenshots", "Save pictures of every station to DIR and exit.",
                                 "DIR");
  QCommandLineOption dwell("seconds", "Seconds per station when tuning through them.", "N", "4");
  parser.addOption(screenshots);
  parser.addOption(dwell);
  parser.process(app);

  pvx::tools::DemoWindow window;
  window.show();
  if (!window.Build()) {
    std::fprintf(stderr, "oka-graph-demo: cannot build the preview graph\n");
    return 1;
  }
  if (parser.isSet(screenshots)) {
    const QString dir = parser.value(screenshots);
    QDir().mkpath(dir);
    for (int i = 0; i < window.StationCount(); ++i) {
      window.Tune(i);
      Pump(1000);
      window.Snapshot().save(QStringLiteral("%1/station-%2-snapshot.png").arg(dir).arg(i + 1));
      window.WindowShot().save(QStringLiteral("%1/station-%2-window.png").arg(dir).arg(i + 1));
    }
    std::printf("frames shown: %llu\n", static_cast<unsigned long long>(window.FramesShown()));
    return 0;
  }
  QTimer next;
  int station = 0;
  QObject::connect(&next, &QTimer::timeout, &window, [&] { window.Tune(++station); });
  next.start(parser.value(dwell).toInt() * 1000);
  return app.exec();
}
