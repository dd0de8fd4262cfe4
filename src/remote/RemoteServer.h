#pragma once
// The home server: HTTP, or HTTPS with the user's certificate, on a port of this machine
// (127.0.0.1 unless other devices may come), every request answered by TRemoteRoutes. Runs on
// the program's event loop.

#include <QHostAddress>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QtHttpServer/QAbstractHttpServer>
#include <memory>

#include "remote/LiveHub.h"
#include "remote/RemoteRoutes.h"

namespace pvx::remote {

// The server's certificate, with the chain that follows it in its file, and its private key.
struct TTlsIdentity {
  QList<QSslCertificate> chain;
  QSslKey key;
};

class TRemoteServer final : public QAbstractHttpServer {
 public:
  // With an identity it speaks HTTPS alone; without one, plain HTTP.
  TRemoteServer(IRemoteShell& shell, QByteArray token, QString webFolder, TTlsIdentity tls = {},
                QObject* parent = nullptr);

  // Port 0 takes a free one; the port listened on, 0 when it cannot listen.
  quint16 Listen(bool otherDevices, quint16 port);
  bool Secure() const { return !tls_.chain.isEmpty(); }
  // The browsers watching /live.
  TLiveHub& Live() { return live_; }

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  TRemoteRoutes routes_;
  TLiveHub live_;
  TTlsIdentity tls_;
};

// The access token in the program folder: made on first use, readable by the user alone.
QByteArray RemoteToken(const QString& folder);

enum class TTlsFiles { None, Loaded, Broken };
// server.crt and server.key (PEM, the key unencrypted) in the program folder: None when neither
// is there; Broken, with `why` naming the file at fault, when one is missing, does not load or
// the key does not belong to the certificate.
TTlsFiles LoadTls(const QString& folder, TTlsIdentity& tls, QString& why);

}  // namespace pvx::remote
