// Test helper run as a separate process.
//   lock PATH        take the instance lock; prints "held" and keeps it until stdin closes,
//                    or prints "busy" and exits 3
//   endpoint CLASS   listen as CLASS; prints "ready" and answers msg + wParam + lParam until
//                    stdin closes; exits 4 when it cannot listen

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>

#include "platform/ipc/TInstanceLock.h"
#include "platform/ipc/TMessageEndpoint.h"

namespace ipc = pvx::platform::ipc;

namespace {

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

void WaitForStdinEnd() {
  char buffer[64];
  while (::read(0, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 1;
  if (std::strcmp(argv[1], "lock") == 0) {
    ipc::TInstanceLock lock(QString::fromLocal8Bit(argv[2]));
    if (!lock.Acquire()) {
      Say("busy");
      return 3;
    }
    Say("held");
    WaitForStdinEnd();
    return 0;
  }
  if (std::strcmp(argv[1], "endpoint") == 0) {
    ipc::TMessageEndpoint endpoint(QString::fromLocal8Bit(argv[2]),
                                   [](quint32 msg, qint32 w, qint32 l) { return qint32(msg) + w + l; });
    if (!endpoint.Listen()) {
      Say("cannot listen");
      return 4;
    }
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
      char buffer[64];
      if (::read(0, buffer, sizeof buffer) <= 0) app.quit();
    });
    Say("ready");
    return app.exec();
  }
  return 1;
}
