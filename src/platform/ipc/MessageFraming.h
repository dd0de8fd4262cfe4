#pragma once
// Wire format of the message endpoints, version 1. All integers are little-endian.
//
// Request, 20 bytes, client -> endpoint (a connection may carry several, handled in order):
//   offset 0  4 bytes  magic "OKAM"
//   offset 4  1 byte   version, 1
//   offset 5  1 byte   kind: 1 = post (no reply), 2 = send (one reply follows)
//   offset 6  2 bytes  reserved, 0
//   offset 8  uint32   message number
//   offset 12 int32    wParam
//   offset 16 int32    lParam
// Reply to a send, 12 bytes, endpoint -> client:
//   offset 0  4 bytes  magic "OKAR"
//   offset 4  1 byte   version, 1
//   offset 5  3 bytes  reserved, 0
//   offset 8  int32    the handler's result
// Any other byte sequence is malformed: the endpoint closes the connection without a reply.
// A new version gets a new version byte, so old peers reject it instead of misreading it.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace pvx::platform::ipc {

inline constexpr quint8 kFramingVersion = 1;
inline constexpr int kRequestSize = 20;
inline constexpr int kReplySize = 12;

enum class TDelivery : quint8 { Post = 1, Send = 2 };

struct TMessage {
  quint32 msg = 0;
  qint32 wParam = 0;
  qint32 lParam = 0;
  friend bool operator==(const TMessage&, const TMessage&) = default;
};

struct TRequest {
  TDelivery delivery = TDelivery::Post;
  TMessage message;
  friend bool operator==(const TRequest&, const TRequest&) = default;
};

QByteArray EncodeRequest(const TRequest& request);
// Exactly kRequestSize bytes with a valid header, else nothing.
std::optional<TRequest> DecodeRequest(QByteArrayView bytes);

QByteArray EncodeReply(qint32 result);
// Exactly kReplySize bytes with a valid header, else nothing.
std::optional<qint32> DecodeReply(QByteArrayView bytes);

}  // namespace pvx::platform::ipc
