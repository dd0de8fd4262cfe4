#pragma once
// The home server: HTTP on a port of this machine (127.0.0.1 unless other devices may come),
// every request answered by TRemoteRoutes. Runs on the program's event loop.

#include <QHostAddress>
#include <QtHttpServer/QAbstractHttpServer>
#include <memory>

#include "remote/LiveHub.h"
#include "remote/RemoteRoutes.h"

namespace pvx::remote {

class TRemoteServer final : public QAbstractHttpServer {
 public:
  TRemoteServer(IRemoteShell& shell, QByteArray token, QString webFolder, QObject* parent = nullptr);

  // Port 0 takes a free one; the port listened on, 0 when it cannot listen.
  quint16 Listen(bool otherDevices, quint16 port);
  // The browsers watching /live.
  TLiveHub& Live() { return live_; }

 protected:
  bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
  void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

 private:
  TRemoteRoutes routes_;
  TLiveHub live_;
};

// The access token in the program folder: made on first use, readable by the user alone.
QByteArray RemoteToken(const QString& folder);

}  // namespace pvx::remote
