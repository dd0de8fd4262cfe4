// Bad input on the program's message endpoint: the program itself on the virtual card gets
// malformed and oversized messages, each on a connection of its own: cut frames, frames with one
// header byte wrong, random bytes, floods past the endpoint's buffer. None may be handled or
// answered; afterwards the program still answers a send and ends cleanly. Prints the rate and
// what the program's own log counted.
//
//   bench-endpoint-flood [messages]     (default 10000)
//   bench-endpoint-flood --smoke        (500)

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "common/BenchHome.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/MessageFraming.h"
#include "platform/ipc/Messages.h"

namespace ipc = pvx::platform::ipc;

namespace {

// One malformed message of kind i % 4, never a frame that decodes.
QByteArray Malformed(int i, QRandomGenerator& random) {
  const auto bytes = [&](int n) {
    QByteArray b(n, '\0');
    for (char& c : b) c = char(random.bounded(256));
    return b;
  };
  QByteArray m;
  do {
    switch (i % 4) {
      case 0: m = bytes(1 + int(random.bounded(ipc::kRequestSize - 1))); break;  // cut short
      case 1:
        m = ipc::EncodeRequest({ipc::TDelivery::Send, {ipc::kMsgCommand, 4001, 0}});
        m[int(random.bounded(8))] = char(random.bounded(256));  // one header byte wrong
        break;
      case 2: m = bytes(ipc::kRequestSize); break;
      default: m = bytes(2000 + int(random.bounded(70000)));  // past what a peer may queue
    }
  } while (ipc::DecodeRequest(QByteArrayView(m).first(std::min<qsizetype>(m.size(), ipc::kRequestSize))) &&
           m.size() >= ipc::kRequestSize);
  return m;
}

// Writes the message, closes the sending side and reads until the endpoint hangs up: the number
// of bytes it answered with, or -1 when it could not connect or kept the line open for 10 s.
int Deliver(const QByteArray& path, const QByteArray& message) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  // The endpoint may hang up while a flood is still being written: that is its answer.
  for (qsizetype done = 0; done < message.size();) {
    const ssize_t n = ::send(fd, message.constData() + done, size_t(message.size() - done), MSG_NOSIGNAL);
    if (n <= 0) break;
    done += n;
  }
  ::shutdown(fd, SHUT_WR);
  int answered = 0;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) {
      answered = -1;
      break;
    }
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    answered += int(n);
  }
  ::close(fd);
  return answered;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool smoke = pvx::bench::TakeSmokeFlag(argc, argv);
  QCoreApplication app(argc, argv);
  const int count = smoke ? 500 : argc > 1 ? qMax(1, QString(argv[1]).toInt()) : 10000;
  const pvx::bench::TBenchHome bench;
  QTemporaryDir dir;
  if (!bench.StoreTunedChannels()) {
    std::fprintf(stderr, "bench-endpoint-flood: cannot store the tuned channels\n");
    return 1;
  }
  QProcessEnvironment env = bench.ProgramEnvironment();
  env.insert("QT_LOGGING_RULES", "pvx.ipc.debug=true");  // every handled message is logged
  QProcess program;
  if (!pvx::bench::StartProgram(program, PVX_PROGRAM, env, dir.filePath("program.log"))) return 1;
  QElapsedTimer clock;

  const QByteArray path = QFile::encodeName(ipc::EndpointPath(ipc::kMainWindowClass));
  QRandomGenerator random(20261208);
  int answered = 0, unconnected = 0, held = 0;
  qint64 bytes = 0;
  clock.start();
  for (int i = 0; i < count && program.state() == QProcess::Running; ++i) {
    const QByteArray message = Malformed(i, random);
    bytes += message.size();
    const int reply = Deliver(path, message);
    if (reply > 0) ++answered;
    if (reply < 0) ++(ipc::FindWindow(ipc::kMainWindowClass, 100) ? held : unconnected);
  }
  const double seconds = clock.nsecsElapsed() / 1e9;
  const bool alive = program.state() == QProcess::Running;
  const bool answers = alive && ipc::SendMessage(ipc::kMainWindowClass, ipc::kMsgCommand, 0, 0, 5000).has_value();
  if (alive) ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, 1, 0);  // exit
  const bool ended = program.waitForFinished(15000) && program.exitStatus() == QProcess::NormalExit &&
                     program.exitCode() == 0;
  if (!ended) program.kill();
  QFile log(dir.filePath("program.log"));
  log.open(QIODevice::ReadOnly);
  const QByteArray text = log.readAll();
  // The send and the exit above are the two messages it should have handled.
  const int handled = int(text.count("handles message")), malformed = int(text.count("malformed frame")),
            floods = int(text.count("peer floods"));

  std::printf("%d malformed messages (%.1f MB) in %.1f s: %.2f ms each\n", count, bytes / 1e6, seconds,
              seconds * 1000 / count);
  std::printf("answered:               %d (goal 0)\n", answered);
  std::printf("held open or refused:   %d, %d (goal 0)\n", held, unconnected);
  std::printf("handled by the program: %d besides the closing send and exit (goal 0)\n", handled - 2);
  std::printf("its log:                %d malformed frames, %d floods dropped\n", malformed, floods);
  std::printf("afterwards:             %s, %s\n", answers ? "answers a send" : "does NOT answer a send",
              ended ? "ended with status 0" : "did NOT end cleanly");
  return answered == 0 && held == 0 && unconnected == 0 && handled == 2 && answers && ended ? 0 : 1;
}
