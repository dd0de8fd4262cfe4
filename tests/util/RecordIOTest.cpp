#include <gtest/gtest.h>

#include <QBuffer>
#include <QVariantList>

#include "util/RecordIO.h"

using namespace pvx::util;

TEST(RecordIO, GoldenBytesReadBackInSequenceAndStringLengthsOutsideTheLimitReadAsEmpty) {
  const QString text = QString::fromUtf8("频道 Kanäle");  // UTF-8, length in bytes
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  EXPECT_TRUE(WriteInteger(out, 4505) && WriteInteger(out, -2) && WriteBoolean(out, true) &&
              WriteBoolean(out, false) && WriteDouble(out, 1.0) && WriteString(out, "ab") &&
              WriteString(out, "") && WriteDouble(out, 44900.75) && WriteString(out, text));
  // 4505, -2, true, false, 1.0, "ab", "": little-endian, booleans and lengths as integers.
  const QByteArray golden = QByteArray::fromHex(
      "99110000 feffffff 01000000 00000000 000000000000f03f 020000006162 00000000");
  QByteArray bytes = out.data();
  EXPECT_EQ(bytes.left(golden.size()), golden);
  // Read back (a wrong text length would shift what follows); then a boolean is true for any
  // non-zero value, and a short read fills with zero.
  QBuffer in(&bytes.append(QByteArray::fromHex("000100003412")));
  in.open(QIODevice::ReadOnly);
  EXPECT_EQ(QVariantList({ReadInteger(in), ReadInteger(in), ReadBoolean(in), ReadBoolean(in),
                          ReadDouble(in), ReadString(in), ReadString(in), ReadDouble(in),
                          ReadString(in), ReadBoolean(in), ReadInteger(in), ReadInteger(in)}),
                QVariantList({4505, -2, true, false, 1.0, "ab", "", 44900.75, text, true, 0x1234, 0}));
  // A length beyond the limit reads as empty and its text is not skipped: the next read lands
  // inside it (a negative length carries none).
  for (auto [length, readsText] :
       {std::pair{512, true}, {513, false}, {600, false}, {-1, false}, {INT32_MIN, false}}) {
    QBuffer framed;
    framed.open(QIODevice::ReadWrite);
    WriteInteger(framed, length);
    framed.write(QByteArray(std::clamp(length, 0, 600), 'x'));
    WriteInteger(framed, 4359);
    framed.seek(0);
    EXPECT_EQ(ReadString(framed).size(), readsText ? length : 0) << length;
    EXPECT_EQ(ReadInteger(framed) == 4359, readsText || length < 0) << length;
  }
}
