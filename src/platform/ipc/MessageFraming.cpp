#include "platform/ipc/MessageFraming.h"

#include <QtEndian>

namespace pvx::platform::ipc {
namespace {

constexpr char kRequestMagic[4] = {'O', 'K', 'A', 'M'};
constexpr char kReplyMagic[4] = {'O', 'K', 'A', 'R'};

void PutHeader(char* out, const char (&magic)[4], quint8 kind) {
  for (int i = 0; i < 4; ++i) out[i] = magic[i];
  out[4] = char(kFramingVersion);
  out[5] = char(kind);
  out[6] = 0;
  out[7] = 0;
}

bool HasMagic(const char* in, const char (&magic)[4]) {
  for (int i = 0; i < 4; ++i)
    if (in[i] != magic[i]) return false;
  return quint8(in[4]) == kFramingVersion;
}

}  // namespace

QByteArray EncodeRequest(const TRequest& request) {
  QByteArray out(kRequestSize, '\0');
  char* p = out.data();
  PutHeader(p, kRequestMagic, quint8(request.delivery));
  qToLittleEndian<quint32>(request.message.msg, p + 8);
  qToLittleEndian<qint32>(request.message.wParam, p + 12);
  qToLittleEndian<qint32>(request.message.lParam, p + 16);
  return out;
}

std::optional<TRequest> DecodeRequest(QByteArrayView bytes) {
  if (bytes.size() != kRequestSize) return std::nullopt;
  const char* p = bytes.data();
  if (!HasMagic(p, kRequestMagic) || p[6] != 0 || p[7] != 0) return std::nullopt;
  const quint8 kind = quint8(p[5]);
  if (kind != quint8(TDelivery::Post) && kind != quint8(TDelivery::Send)) return std::nullopt;
  TRequest request;
  request.delivery = TDelivery(kind);
  request.message.msg = qFromLittleEndian<quint32>(p + 8);
  request.message.wParam = qFromLittleEndian<qint32>(p + 12);
  request.message.lParam = qFromLittleEndian<qint32>(p + 16);
  return request;
}

QByteArray EncodeReply(qint32 result) {
  QByteArray out(kReplySize, '\0');
  PutHeader(out.data(), kReplyMagic, 0);
  qToLittleEndian<qint32>(result, out.data() + 8);
  return out;
}

std::optional<qint32> DecodeReply(QByteArrayView bytes) {
  if (bytes.size() != kReplySize) return std::nullopt;
  const char* p = bytes.data();
  if (!HasMagic(p, kReplyMagic) || p[5] != 0 || p[6] != 0 || p[7] != 0) return std::nullopt;
  return qFromLittleEndian<qint32>(p + 8);
}

}  // namespace pvx::platform::ipc
