#include "remote/RemoteServer.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTimer>
#include <QtHttpServer/QHttpServerRequest>
#include <QtHttpServer/QHttpServerResponder>

#include "platform/tls/KeyCheck.h"

namespace pvx::remote {
namespace {

constexpr int kRefusalDelayMs = 300;
constexpr char kTokenFile[] = "remote.token";
constexpr char kCertificateFile[] = "server.crt";
constexpr char kKeyFile[] = "server.key";

QByteArray MethodName(QHttpServerRequest::Method m) {
  switch (m) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    default: return "OTHER";
  }
}

constexpr qint64 kChunk = 256 * 1024;

// Sends a stretch of a file a chunk at a time, as the socket drains: a recording of gigabytes
// never sits in memory. It owns the responder until the last byte has gone.
class TFileSender final : public QObject {
 public:
  TFileSender(QHttpServerResponder&& responder, const QString& path, qint64 from, qint64 length)
      : responder_(std::move(responder)), file_(path), left_(length) {
    QTcpSocket* socket = responder_.socket();
    setParent(socket);
    if (!file_.open(QIODevice::ReadOnly) || !file_.seek(from)) left_ = 0;
    connect(socket, &QTcpSocket::bytesWritten, this, &TFileSender::More);
    More();
  }

 private:
  void More() {
    QTcpSocket* socket = responder_.socket();
    while (left_ > 0 && socket->bytesToWrite() < kChunk) {
      const QByteArray chunk = file_.read(qMin(left_, kChunk));
      if (chunk.isEmpty()) {
        socket->abort();  // the file shrank: the client must not take a short body as whole
        return;
      }
      if (first_) {
        responder_.writeBody(chunk);
        first_ = false;
      } else {
        socket->write(chunk);
      }
      left_ -= chunk.size();
    }
  }

  QHttpServerResponder responder_;
  QFile file_;
  qint64 left_;
  bool first_ = true;
};

// Keeps the responder of a live stream for as long as its socket lives.
class TStreamHead final : public QObject {
 public:
  TStreamHead(QHttpServerResponder&& responder, QObject* parent) : QObject(parent), responder_(std::move(responder)) {}

 private:
  QHttpServerResponder responder_;
};

// The stream has no length: it ends when either side closes.
void SendLive(QHttpServerResponder&& responder, const TRemoteResponse& r, bool head, TLiveHub& hub) {
  using Status = QHttpServerResponder::StatusCode;
  responder.writeStatusLine(Status(r.status));
  for (const auto& [key, value] : r.headers) responder.writeHeader(key, value);
  responder.writeHeader("Content-Type", r.contentType);
  responder.writeHeader("X-Content-Type-Options", "nosniff");
  responder.writeHeader("Connection", "close");
  if (head) {
    responder.writeHeader("Content-Length", "0");
    responder.writeBody(QByteArray());
    return;
  }
  responder.writeBody(QByteArray());
  QTcpSocket* socket = responder.socket();
  new TStreamHead(std::move(responder), socket);
  hub.AddViewer(socket);
}

void Send(QHttpServerResponder&& responder, const TRemoteResponse& r, bool head) {
  using Status = QHttpServerResponder::StatusCode;
  const qint64 length = r.file.isEmpty() ? r.body.size() : r.length;
  responder.writeStatusLine(Status(r.status));
  for (const auto& [key, value] : r.headers) responder.writeHeader(key, value);
  if (!r.contentType.isEmpty()) responder.writeHeader("Content-Type", r.contentType);
  responder.writeHeader("X-Content-Type-Options", "nosniff");
  responder.writeHeader("Content-Length", QByteArray::number(length));
  if (r.file.isEmpty() || head || length == 0) {
    responder.writeBody(head ? QByteArray() : r.body);
    return;
  }
  new TFileSender(std::move(responder), r.file, r.from, r.length);
}

}  // namespace

TRemoteServer::TRemoteServer(IRemoteShell& shell, QByteArray token, QString webFolder, TTlsIdentity tls, QObject* parent)
    : QAbstractHttpServer(parent), routes_(shell, std::move(token), std::move(webFolder)), tls_(std::move(tls)) {}

quint16 TRemoteServer::Listen(bool otherDevices, quint16 port) {
  if (Secure()) {
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(tls_.chain);
    tls.setPrivateKey(tls_.key);
    sslSetup(tls);
  }
  return listen(otherDevices ? QHostAddress::Any : QHostAddress::LocalHost, port);
}

bool TRemoteServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
  TRemoteRequest r;
  r.method = MethodName(request.method());
  r.path = request.url().path(QUrl::FullyEncoded).toUtf8();
  r.query = request.query();
  for (const auto& [key, value] : request.headers()) r.headers.push_back({key.toLower(), value});
  r.body = request.body();
  const TRemoteResponse response = routes_.Handle(r);
  const bool head = r.method == "HEAD";
  if (response.live) {
    SendLive(makeResponder(request, socket), response, head, live_);
    return true;
  }
  if (!response.slow) {
    Send(makeResponder(request, socket), response, head);
    return true;
  }
  // The responder answers when it is destroyed: it waits in the timer with the socket.
  auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
  QPointer<QTcpSocket> alive(socket);
  QTimer::singleShot(kRefusalDelayMs, this, [responder, response, head, alive]() mutable {
    if (alive) Send(std::move(*responder), response, head);
  });
  return true;
}

void TRemoteServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
  Send(makeResponder(request, socket), TRemoteResponse{404, "text/plain", "not found"}, false);
}

QByteArray RemoteToken(const QString& folder) {
  const QString path = QDir(folder).filePath(kTokenFile);
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    const QByteArray token = file.readAll().trimmed();
    if (token.size() >= 32) return token;
    file.close();
  }
  QByteArray bytes(24, Qt::Uninitialized);
  QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
  const QByteArray token = bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return token;
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  file.write(token + '\n');
  return token;
}

TTlsFiles LoadTls(const QString& folder, TTlsIdentity& tls, QString& why) {
  tls = {};
  const QDir dir(folder);
  QFile certificateFile(dir.filePath(kCertificateFile)), keyFile(dir.filePath(kKeyFile));
  const QString certificatePath = certificateFile.fileName(), keyPath = keyFile.fileName();
  if (!certificateFile.exists() && !keyFile.exists()) return TTlsFiles::None;
  if (!certificateFile.exists() || !keyFile.exists()) {
    const bool keyMissing = certificateFile.exists();
    why = QStringLiteral("%1 is missing (%2 is there)")
              .arg(keyMissing ? keyPath : certificatePath, keyMissing ? certificatePath : keyPath);
    return TTlsFiles::Broken;
  }
  if (certificateFile.open(QIODevice::ReadOnly)) tls.chain = QSslCertificate::fromData(certificateFile.readAll());
  if (tls.chain.isEmpty() || tls.chain.front().isNull()) {
    why = QStringLiteral("%1 holds no readable PEM certificate").arg(certificatePath);
    return TTlsFiles::Broken;
  }
  const QByteArray keyPem = keyFile.open(QIODevice::ReadOnly) ? keyFile.readAll() : QByteArray();
  for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec})
    if (tls.key.isNull()) tls.key = QSslKey(keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
  if (tls.key.isNull()) {
    why = QStringLiteral("%1 holds no unencrypted PEM private key (RSA or EC)").arg(keyPath);
    return TTlsFiles::Broken;
  }
  if (!platform::tls::KeyFitsCertificate(tls.chain.front().toPem(), tls.key.toPem())) {
    why = QStringLiteral("%1 is not the key of the certificate in %2").arg(keyPath, certificatePath);
    return TTlsFiles::Broken;
  }
  return TTlsFiles::Loaded;
}

}  // namespace pvx::remote
