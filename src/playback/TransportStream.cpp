#include "playback/TransportStream.h"

#include <QFile>

namespace pvx::playback {

namespace {
constexpr qint64 kPacketSize = 188;
constexpr qint64 kProbeBytes = 545;
constexpr int kSyncSearch = 9;  // the first sync byte may sit at 0..8
constexpr char kSync = 0x47;
}  // namespace

bool IsMpeg2TransportStream(const QString& path) {
  QFile file(path);
  if (!file.exists() || file.size() < kPacketSize || !file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(qMin(file.size(), kProbeBytes));
  const qint64 n = head.size();
  const qint64 first = head.left(kSyncSearch).indexOf(kSync);
  if (first < 0) return false;
  // Packets the bytes read hold, rounded to the nearest whole number, ties to even.
  qint64 k = n / kPacketSize;
  const qint64 rest = n % kPacketSize;
  if (2 * rest > kPacketSize || (2 * rest == kPacketSize && k % 2 == 1)) ++k;
  for (qint64 at = first; k > 0 && at < n && head[at] == kSync; at += kPacketSize) --k;
  return k == 0;
}

}  // namespace pvx::playback
