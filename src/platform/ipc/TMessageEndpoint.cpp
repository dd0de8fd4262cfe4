#include "platform/ipc/TMessageEndpoint.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>

#include "platform/TTimer.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/MessageFraming.h"

namespace pvx::platform::ipc {
namespace {

Q_LOGGING_CATEGORY(lcIpc, "pvx.ipc")

// A peer that connects and then stalls must not hold a slot for ever.
constexpr int kIdleTimeoutMs = 5000;
constexpr int kMaxConnections = 32;
// Frames a peer may queue while one of its messages is still being handled.
constexpr int kMaxBufferedBytes = 64 * kRequestSize;

// A socket file that no live endpoint answers is a leftover of a dead process. Anything else
// at the path (a live endpoint, a file that is not our socket) is left alone.
bool ClearStaleSocket(const QString& path, const QString& windowClass) {
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) return errno == ENOENT;
  if (!S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) return false;
  if (FindWindow(windowClass, 200)) return false;
  qCInfo(lcIpc) << "replacing stale endpoint" << path;
  return ::unlink(native.constData()) == 0 || errno == ENOENT;
}

// The folder and the socket mode keep other users out, but not root, and not a mode someone
// loosened: the kernel says who connected, and only this user may command the program.
bool FromThisUser(QLocalSocket* socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
    return false;
  if (peer.uid == ::geteuid()) return true;
  qCWarning(lcIpc) << "refused a connection from user" << peer.uid << "process" << peer.pid;
  return false;
}

}  // namespace

class TEndpointConnection : public QObject {
 public:
  TEndpointConnection(QLocalSocket* s, QObject* parent) : QObject(parent), socket(s) {
    socket->setParent(this);
    idle.SetInterval(kIdleTimeoutMs);
  }
  // A peer that stops half-way through a frame is dropped after the idle time; on the
  // platform timer so that tests step it with their clock.
  void RestartIdle() {
    idle.SetEnabled(false);
    idle.SetEnabled(true);
  }
  QLocalSocket* socket;
  QByteArray buffer;
  TTimer idle;
  bool busy = false;     // one of its messages is with the handler
  bool ended = false;    // the peer closed; finish what is buffered
  bool dropped = false;  // nothing more from this connection runs
};

class TEndpointServer : public QObject {
 public:
  TEndpointServer(QString windowClass, TMessageEndpoint::Handler handler)
      : windowClass_(std::move(windowClass)), handler_(std::move(handler)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] { Accept(); });
  }

  bool Listen() {
    if (server_.isListening()) return true;
    const QString path = EndpointPath(windowClass_);
    if (path.isEmpty() || !EnsurePrivateFolder(EndpointFolder())) {
      qCWarning(lcIpc) << "no private endpoint folder for" << windowClass_;
      return false;
    }
    if (!ClearStaleSocket(path, windowClass_)) return false;
    if (!server_.listen(path)) {
      qCWarning(lcIpc) << "cannot listen on" << path << server_.errorString();
      return false;
    }
    // The folder already keeps others out; the socket mode says so again on its own.
    if (::chmod(QFile::encodeName(path).constData(), 0600) != 0) {
      server_.close();
      return false;
    }
    return true;
  }

  void Close() {
    for (TEndpointConnection* c : findChildren<TEndpointConnection*>(Qt::FindDirectChildrenOnly))
      Drop(c);
    if (server_.isListening()) server_.close();  // also removes the socket file
  }

  bool IsListening() const { return server_.isListening(); }
  QString SocketPath() const { return server_.fullServerName(); }
  int Dispatching() const { return dispatching_; }

 private:
  void Accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      if (connections_ >= kMaxConnections || !FromThisUser(socket)) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
      auto* c = new TEndpointConnection(socket, this);
      ++connections_;
      connect(socket, &QLocalSocket::readyRead, c, [this, c] { Read(c); });
      connect(socket, &QLocalSocket::disconnected, c, [this, c] {
        c->ended = true;
        Read(c);
      });
      c->idle.OnTimer = [this, c](TTimer&) { Drop(c); };
      c->RestartIdle();
      if (socket->bytesAvailable() > 0 || socket->state() != QLocalSocket::ConnectedState) {
        c->ended = socket->state() != QLocalSocket::ConnectedState;
        Read(c);
      }
    }
  }

  void Read(TEndpointConnection* c) {
    if (c->dropped) return;
    c->buffer += c->socket->readAll();
    if (c->buffer.size() > kMaxBufferedBytes) {
      qCDebug(lcIpc) << windowClass_ << "peer floods; dropped";
      Drop(c);
      return;
    }
    Pump(c);
  }

  // Takes the next whole frame, if any, and queues it for the handler.
  void Pump(TEndpointConnection* c) {
    if (c->dropped || c->busy) return;
    if (c->buffer.size() < kRequestSize) {
      if (c->ended)
        Drop(c);  // a partial frame left behind is garbage
      else
        c->RestartIdle();
      return;
    }
    const std::optional<TRequest> request =
        DecodeRequest(QByteArrayView(c->buffer).first(kRequestSize));
    if (!request) {
      qCDebug(lcIpc) << windowClass_ << "malformed frame; connection dropped";
      Drop(c);
      return;
    }
    c->buffer.remove(0, kRequestSize);
    c->busy = true;
    c->idle.SetEnabled(false);
    // Queued so that the handler never runs inside socket code; it may even destroy us.
    QMetaObject::invokeMethod(
        this, [this, cp = QPointer(c), r = *request] { Dispatch(cp, r); }, Qt::QueuedConnection);
  }

  void Dispatch(QPointer<TEndpointConnection> c, TRequest request) {
    if (!c || c->dropped) return;
    const TMessageEndpoint::Handler handler = handler_;  // outlives the endpoint if need be
    qCDebug(lcIpc) << windowClass_ << "handles message" << request.message.msg << request.message.wParam
                   << request.message.lParam;
    ++dispatching_;
    const qint32 result =
        handler ? handler(request.message.msg, request.message.wParam, request.message.lParam)
                : 0;
    --dispatching_;
    if (!c || c->dropped) return;
    c->busy = false;
    if (request.delivery == TDelivery::Send &&
        c->socket->state() == QLocalSocket::ConnectedState) {
      c->socket->write(EncodeReply(result));
      c->socket->flush();
    }
    Pump(c);
  }

  void Drop(TEndpointConnection* c) {
    if (c->dropped) return;
    c->dropped = true;
    --connections_;
    c->idle.SetEnabled(false);
    c->socket->disconnect(c);
    c->socket->abort();
    c->deleteLater();
  }

  QString windowClass_;
  TMessageEndpoint::Handler handler_;
  QLocalServer server_;
  int connections_ = 0;
  int dispatching_ = 0;
};

TMessageEndpoint::TMessageEndpoint(QString windowClass, Handler handler)
    : windowClass_(std::move(windowClass)),
      server_(new TEndpointServer(windowClass_, std::move(handler))) {}

TMessageEndpoint::~TMessageEndpoint() {
  server_->Close();
  if (server_->Dispatching() > 0)
    server_->deleteLater();
  else
    delete server_;
}

bool TMessageEndpoint::Listen() { return server_->Listen(); }

bool TMessageEndpoint::IsListening() const { return server_->IsListening(); }

void TMessageEndpoint::Close() { server_->Close(); }

QString TMessageEndpoint::SocketPath() const { return server_->SocketPath(); }

}  // namespace pvx::platform::ipc
