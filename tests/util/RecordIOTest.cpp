#include <gtest/gtest.h>

#include <QBuffer>
#include <QVariantList>

#include "support/TestEnvironment.h"
#include "util/RecordIO.h"

using namespace pvx::util;

namespace {

QByteArray Written(const std::function<bool(QIODevice&)>& write) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(write(buffer));
  return buffer.data();
}

// An integer, then `block` bytes of `fill`, then an integer unless `tail` is 0.
QByteArray Framed(qint32 head, int block, char fill, qint32 tail) {
  return Written([&](QIODevice& d) {
    return WriteInteger(d, head) && d.write(QByteArray(block, fill)) == block &&
           (!tail || WriteInteger(d, tail));
  });
}

}  // namespace

TEST(RecordIO, GoldenBytesReadBackInSequence) {
  const QString text = QString::fromUtf8("频道 Kanäle");  // UTF-8, length in bytes
  QByteArray bytes = Written([&](QIODevice& d) {
    return WriteInteger(d, 4505) && WriteInteger(d, -2) && WriteBoolean(d, true) &&
           WriteBoolean(d, false) && WriteDouble(d, 1.0) && WriteString(d, "ab") &&
           WriteString(d, "") && WriteDouble(d, 44900.75) && WriteString(d, text);
  });
  // 4505, -2, true, false, 1.0, "ab", "": little-endian, booleans and lengths as integers.
  const QByteArray golden = QByteArray::fromHex(
      "99110000 feffffff 01000000 00000000 000000000000f03f 020000006162 00000000");
  EXPECT_EQ(bytes.left(golden.size()), golden);
  // Read back (a wrong text length would shift what follows); then a boolean is true for any
  // non-zero value, and a short read fills with zero.
  QBuffer in(&bytes.append(QByteArray::fromHex("000100003412")));
  in.open(QIODevice::ReadOnly);
  EXPECT_EQ(QVariantList({ReadInteger(in), ReadInteger(in), ReadBoolean(in), ReadBoolean(in),
                          ReadDouble(in), ReadString(in), ReadString(in), ReadDouble(in),
                          ReadString(in), ReadBoolean(in), ReadInteger(in), ReadInteger(in)}),
            QVariantList({4505, -2, true, false, 1.0, "ab", "", 44900.75, text, true, 0x1234, 0}));
}

TEST(RecordIO, StringLengthsOutsideTheLimitReadAsEmptyAndRelayFilesNeedBothMarks) {
  for (auto [length, readsText] :
       {std::pair{512, true}, {513, false}, {600, false}, {-1, false}, {INT32_MIN, false}}) {
    QByteArray bytes = Framed(length, std::clamp(length, 0, 600), 'x', 4359);
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadString(in).size(), readsText ? length : 0) << length;
    // Not skipped: the next read lands inside the text (a negative length carries none).
    EXPECT_EQ(ReadInteger(in) == 4359, readsText || length < 0) << length;
  }
}
