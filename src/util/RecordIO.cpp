#include "util/RecordIO.h"

#include <QtEndian>
#include <cstring>

namespace pvx::util {
namespace {

bool WriteAll(QIODevice& out, const char* data, qint64 size) {
  return out.write(data, size) == size;
}

template <typename T>
T ReadLittle(QIODevice& in) {
  unsigned char bytes[sizeof(T)] = {};
  in.read(reinterpret_cast<char*>(bytes), sizeof(T));
  return qFromLittleEndian<T>(bytes);
}

}  // namespace

bool WriteInteger(QIODevice& out, qint32 value) {
  unsigned char bytes[4];
  qToLittleEndian(value, bytes);
  return WriteAll(out, reinterpret_cast<const char*>(bytes), 4);
}

bool WriteDouble(QIODevice& out, double value) {
  quint64 bits;
  std::memcpy(&bits, &value, sizeof bits);
  unsigned char bytes[8];
  qToLittleEndian(bits, bytes);
  return WriteAll(out, reinterpret_cast<const char*>(bytes), 8);
}

bool WriteBoolean(QIODevice& out, bool value) { return WriteInteger(out, value ? 1 : 0); }

bool WriteString(QIODevice& out, const QString& value) {
  const QByteArray bytes = value.toUtf8();
  return WriteInteger(out, static_cast<qint32>(bytes.size())) &&
         WriteAll(out, bytes.constData(), bytes.size());
}

bool WriteBoundedString(QIODevice& out, const QString& value) {
  QByteArray bytes = value.toUtf8();
  if (bytes.size() > kMaxStoredString) {
    qsizetype cut = kMaxStoredString;
    while (cut > 0 && (static_cast<uchar>(bytes[cut]) & 0xC0) == 0x80) --cut;
    bytes.truncate(cut);
  }
  return WriteInteger(out, static_cast<qint32>(bytes.size())) &&
         WriteAll(out, bytes.constData(), bytes.size());
}

qint32 ReadInteger(QIODevice& in) { return ReadLittle<qint32>(in); }

double ReadDouble(QIODevice& in) {
  const quint64 bits = ReadLittle<quint64>(in);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool ReadBoolean(QIODevice& in) { return ReadInteger(in) != 0; }

QString ReadString(QIODevice& in) {
  const qint32 length = ReadInteger(in);
  if (length <= 0 || length > kMaxStoredString) return {};
  char buffer[kMaxStoredString];
  const qint64 got = in.read(buffer, length);
  return QString::fromUtf8(buffer, got > 0 ? static_cast<qsizetype>(got) : 0);
}

}  // namespace pvx::util
