// Test helper run as a separate process, until its stdin closes.
//   lock PATH        take the instance lock and print "held", or print "busy" and exit 3
//   endpoint CLASS   listen as CLASS, print "ready" and answer msg + wParam + lParam, or
//                    print "cannot listen" and exit 4

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "platform/ipc/TInstanceLock.h"
#include "platform/ipc/TMessageEndpoint.h"

namespace ipc = pvx::platform::ipc;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 1;
  const bool lockMode = QByteArray(argv[1]) == "lock";
  const QString name = QString::fromLocal8Bit(argv[2]);
  ipc::TInstanceLock lock(name);
  ipc::TMessageEndpoint endpoint(name, [](quint32 msg, qint32 w, qint32 l) { return qint32(msg) + w + l; });
  const bool ok = lockMode ? lock.Acquire() : endpoint.Listen();
  std::printf("%s\n", ok ? (lockMode ? "held" : "ready") : (lockMode ? "busy" : "cannot listen"));
  std::fflush(stdout);
  if (!ok) return lockMode ? 3 : 4;
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
    char buffer[64];
    if (::read(0, buffer, sizeof buffer) <= 0) app.quit();
  });
  return app.exec();
}
