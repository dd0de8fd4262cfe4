#include "platform/ipc/MessageClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include "platform/ipc/EndpointFolder.h"

namespace pvx::platform::ipc {
namespace {

int Remaining(const QDeadlineTimer& deadline) {
  return int(qMax<qint64>(0, deadline.remainingTime()));
}

bool Connect(QLocalSocket& socket, const QString& windowClass, const QDeadlineTimer& deadline) {
  const QString path = EndpointPath(windowClass);
  if (path.isEmpty()) return false;
  socket.connectToServer(path);
  return socket.waitForConnected(Remaining(deadline));
}

bool WriteAll(QLocalSocket& socket, const QByteArray& bytes, const QDeadlineTimer& deadline) {
  if (socket.write(bytes) != bytes.size()) return false;
  while (socket.bytesToWrite() > 0) {
    if (deadline.hasExpired() || !socket.waitForBytesWritten(Remaining(deadline))) return false;
  }
  return true;
}

}  // namespace

bool FindWindow(const QString& windowClass, int timeoutMs) {
  QLocalSocket socket;
  const bool found = Connect(socket, windowClass, QDeadlineTimer(timeoutMs));
  socket.abort();
  return found;
}

bool PostMessage(const QString& windowClass, quint32 msg, qint32 wParam, qint32 lParam,
                 int timeoutMs) {
  return PostMessages(windowClass, {TMessage{msg, wParam, lParam}}, timeoutMs);
}

bool PostMessages(const QString& windowClass, const std::vector<TMessage>& messages,
                  int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  if (!Connect(socket, windowClass, deadline)) return false;
  QByteArray bytes;
  for (const TMessage& message : messages) bytes += EncodeRequest({TDelivery::Post, message});
  const bool written = WriteAll(socket, bytes, deadline);
  socket.disconnectFromServer();
  return written;
}

std::optional<qint32> SendMessage(const QString& windowClass, quint32 msg, qint32 wParam,
                                  qint32 lParam, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  if (!Connect(socket, windowClass, deadline)) return std::nullopt;
  if (!WriteAll(socket, EncodeRequest({TDelivery::Send, {msg, wParam, lParam}}), deadline))
    return std::nullopt;
  QByteArray reply;
  while (reply.size() < kReplySize) {
    if (socket.bytesAvailable() == 0 &&
        (deadline.hasExpired() || !socket.waitForReadyRead(Remaining(deadline))))
      break;
    reply += socket.read(kReplySize - reply.size());
  }
  socket.abort();
  return DecodeReply(reply);
}

}  // namespace pvx::platform::ipc
