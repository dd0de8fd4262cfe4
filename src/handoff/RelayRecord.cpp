#include "handoff/RelayRecord.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace pvx::handoff {

namespace {

constexpr qint32 kMark = 4500;
constexpr int kRecord = 4;  // the record's offset in the file

// Offsets inside the record.
enum : int {
  oDuration = 16, oSource = 20, oChannel = 24, oFormat = 28, oWidth = 32, oHeight = 36,
  oQuality = 40, oBitRate = 44, oFrameRate = 48, oKind = 52, oDateName = 60, oName = 61
};

void Put(QByteArray& b, int at, qint32 v) { qToLittleEndian(v, b.data() + at); }
qint32 Get(const QByteArray& b, int at) { return qFromLittleEndian<qint32>(b.constData() + at); }
quint8 Byte(const QByteArray& b, int at) { return quint8(b[at]); }

}  // namespace

QByteArray EncodeRelayFile(const TRelayRecord& r) {
  QByteArray b(kRelayFileSize, '\0');
  Put(b, 0, kMark);
  Put(b, kRelayFileSize - 4, kMark);
  const int at = kRecord;
  std::memcpy(b.data() + at, r.Reserved.constData(), size_t(qMin<qsizetype>(r.Reserved.size(), 16)));
  Put(b, at + oDuration, r.DurationSeconds);
  Put(b, at + oSource, r.Source);
  Put(b, at + oChannel, r.Channel);
  b[at + oFormat] = char(r.Format);
  Put(b, at + oWidth, r.CaptureWidth);
  Put(b, at + oHeight, r.CaptureHeight);
  b[at + oQuality] = char(r.Quality);
  Put(b, at + oBitRate, r.VideoBitRateKbps);
  Put(b, at + oFrameRate, r.FrameRateCode);
  b[at + oKind] = char(r.RecordKind);
  b[at + oDateName] = r.UseDateTimeName ? 1 : 0;
  const QByteArray name = r.BaseName.left(r.BaseName.indexOf('\0') < 0 ? kRelayNameBytes
                                                                        : r.BaseName.indexOf('\0'));
  std::memcpy(b.data() + at + oName, name.constData(), size_t(qMin<qsizetype>(name.size(), kRelayNameBytes)));
  return b;
}

TRelayError DecodeRelayFile(const QByteArray& b, TRelayRecord& out, int formatCount) {
  if (b.size() != kRelayFileSize) return TRelayError::BadSize;
  if (Get(b, 0) != kMark || Get(b, kRelayFileSize - 4) != kMark) return TRelayError::BadMark;
  const int at = kRecord;
  TRelayRecord r;
  r.Source = Get(b, at + oSource);
  if (r.Source < rsAntenna || r.Source > rsFM) return TRelayError::BadSource;
  r.Format = Byte(b, at + oFormat);
  if (r.Format >= formatCount) return TRelayError::BadFormat;
  r.DurationSeconds = Get(b, at + oDuration);
  if (r.DurationSeconds <= 0) return TRelayError::BadDuration;
  r.Reserved = b.mid(at, 16);
  r.Channel = Get(b, at + oChannel);
  r.CaptureWidth = Get(b, at + oWidth);
  r.CaptureHeight = Get(b, at + oHeight);
  r.Quality = Byte(b, at + oQuality);
  r.VideoBitRateKbps = Get(b, at + oBitRate);
  r.FrameRateCode = Get(b, at + oFrameRate);
  r.RecordKind = Byte(b, at + oKind);
  r.UseDateTimeName = Byte(b, at + oDateName) != 0;
  const QByteArray field = b.mid(at + oName, kRelayNameBytes);
  const qsizetype end = field.indexOf('\0');
  r.BaseName = end < 0 ? field : field.left(end);
  out = r;
  return TRelayError::None;
}

TRelayError ReadRelayFile(const QString& path, TRelayRecord& record, int formatCount) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return TRelayError::Missing;
  // One byte more than the size, so a longer file is told from an exact one.
  return DecodeRelayFile(file.read(kRelayFileSize + 1), record, formatCount);
}

bool WriteRelayFile(const QString& path, const TRelayRecord& record) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = EncodeRelayFile(record);
  return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace pvx::handoff
