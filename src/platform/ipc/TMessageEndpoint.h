#pragma once
// The listening side of a window: other processes address it by its window class (see
// MessageClient.h and the wire format in MessageFraming.h). Messages reach the handler one at a
// time on the thread that created the endpoint, from its event loop. A connection from another
// user id (root included) is closed before a byte of it is read.

#include <QString>
#include <functional>

namespace pvx::platform::ipc {

class TEndpointServer;

class TMessageEndpoint {
 public:
  // Returns the result a send gets back; ignored for a post. Unknown messages should return 0.
  using Handler = std::function<qint32(quint32 msg, qint32 wParam, qint32 lParam)>;

  TMessageEndpoint(QString windowClass, Handler handler);
  // The handler may destroy the endpoint; the rest of the teardown then waits for the event loop.
  ~TMessageEndpoint();
  TMessageEndpoint(const TMessageEndpoint&) = delete;
  TMessageEndpoint& operator=(const TMessageEndpoint&) = delete;

  // Creates the private folder (0700) and the socket (0600), replacing a socket file that no
  // live endpoint answers. False when the class is invalid, a live endpoint already owns it, or
  // the folder or socket cannot be made.
  bool Listen();
  bool IsListening() const;
  // Stops listening, removes the socket file and drops open connections.
  void Close();

  const QString& WindowClass() const { return windowClass_; }
  QString SocketPath() const;

 private:
  QString windowClass_;
  TEndpointServer* server_;  // a QObject; deleted directly or, inside a handler, later
};

}  // namespace pvx::platform::ipc
