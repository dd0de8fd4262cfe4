#include "remote/LiveHub.h"

#include <QTcpSocket>

namespace pvx::remote {

TLiveHub::~TLiveHub() {
  OnWatched = nullptr;
  for (Viewer& v : viewers_)
    if (v.socket) v.socket->disconnectFromHost();
}

void TLiveHub::AddViewer(QTcpSocket* socket) {
  viewers_.push_back({socket, false});
  connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Drop(socket); });
  connect(socket, &QObject::destroyed, this, [this, socket] { Drop(socket); });
  if (viewers_.size() == 1 && OnWatched) OnWatched(true);
}

void TLiveHub::Drop(QTcpSocket* socket) {
  const qsizetype before = viewers_.size();
  viewers_.removeIf([socket](const Viewer& v) { return v.socket.isNull() || v.socket == socket; });
  if (before > 0 && viewers_.isEmpty() && OnWatched) OnWatched(false);
}

void TLiveHub::Send(const QPointer<QTcpSocket>& socket, const QByteArray& bytes) {
  if (!socket) return;
  if (socket->bytesToWrite() > kMaxBacklog) {
    socket->abort();
    return;
  }
  socket->write(bytes);
}

void TLiveHub::Take(const QByteArray& bytes, TStreamPiece piece) {
  if (piece == TStreamPiece::Header) {
    if (headerDone_) {
      header_.clear();
      headerDone_ = false;
      for (Viewer& v : viewers_) v.started = false;
    }
    header_ += bytes;
    return;
  }
  if (piece == TStreamPiece::End) {
    const QList<Viewer> closing = viewers_;
    for (const Viewer& v : closing)
      if (v.socket) v.socket->disconnectFromHost();
    return;
  }
  headerDone_ = true;
  // Sending may close a socket, which takes it off the list: collect first, then send.
  QList<QPair<QPointer<QTcpSocket>, bool>> targets;  // the socket, and whether it joins now
  for (Viewer& v : viewers_) {
    const bool joins = !v.started && piece == TStreamPiece::KeyStart;
    if (joins) v.started = true;
    if (v.started) targets.push_back({v.socket, joins});
  }
  for (const auto& [socket, joins] : targets) Send(socket, joins ? header_ + bytes : bytes);
}

}  // namespace pvx::remote
