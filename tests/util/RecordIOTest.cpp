#include <gtest/gtest.h>

#include <QBuffer>
#include <QVariantList>

#include "support/TestEnvironment.h"
#include "util/RecordIO.h"

using namespace pvx::util;

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(static_cast<char>(v));
  return out;
}

QByteArray Written(const std::function<bool(QIODevice&)>& write) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(write(buffer));
  return buffer.data();
}

QBuffer* Reader(QBuffer& buffer, const QByteArray& bytes) {
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return &buffer;
}

}  // namespace

TEST(RecordIO, GoldenBytesReadBackInSequence) {
  const QString text = QString::fromUtf8("频道 Kanäle");  // UTF-8, length in bytes
  const QByteArray bytes = Written([&](QIODevice& d) {
    return WriteInteger(d, 4505) && WriteInteger(d, -2) && WriteBoolean(d, true) &&
           WriteBoolean(d, false) && WriteDouble(d, 1.0) && WriteString(d, "ab") &&
           WriteString(d, "") && WriteDouble(d, 44900.75) && WriteString(d, text);
  });
  const QByteArray golden =
      Bytes({0x99, 0x11, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0,   0,   0, 0, 0, 0,
             0,    0,    0, 0, 0,    0xF0, 0x3F, 2,    0, 0, 0, 'a', 'b', 0, 0, 0, 0});
  EXPECT_EQ(bytes.left(golden.size()), golden);
  EXPECT_EQ(bytes.size(), golden.size() + 8 + 4 + text.toUtf8().size());
  QBuffer in;
  Reader(in, bytes);
  EXPECT_EQ(QVariantList({ReadInteger(in), ReadInteger(in), ReadBoolean(in), ReadBoolean(in),
                          ReadDouble(in), ReadString(in), ReadString(in), ReadDouble(in),
                          ReadString(in)}),
            QVariantList({4505, -2, true, false, 1.0, "ab", "", 44900.75, text}));
}

TEST(RecordIO, BooleanIsTrueForAnyNonZeroAndShortReadsFillWithZero) {
  QBuffer in;
  Reader(in, Bytes({0, 1, 0, 0, 0x34, 0x12}));
  EXPECT_EQ(QList<int>({ReadBoolean(in), ReadInteger(in), ReadInteger(in)}),
            QList<int>({true, 0x1234, 0}));  // the last with nothing left at all
}

TEST(RecordIO, StringLengthsOutsideTheLimitReadAsEmptyWithoutSkipping) {
  struct Row {
    qint32 length;
    bool readsText;
  };
  const Row rows[] = {{512, true}, {513, false}, {600, false}, {-1, false}, {INT32_MIN, false}};
  for (const Row& row : rows) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteInteger(out, row.length);
    out.write(QByteArray(row.length > 0 ? row.length : 0, 'x').left(600));
    WriteInteger(out, 4359);
    QBuffer in;
    Reader(in, out.data());
    const QString text = ReadString(in);
    if (row.readsText) {
      EXPECT_EQ(text.size(), row.length);
      EXPECT_EQ(ReadInteger(in), 4359);
    } else {
      EXPECT_TRUE(text.isEmpty()) << row.length;
      // The text was not skipped: the next read lands inside it (or on the trailer for
      // negative lengths, which carry no text).
      if (row.length > 0) EXPECT_NE(ReadInteger(in), 4359) << row.length;
    }
  }
}

TEST(RecordIO, RelayFileNeedsBothMarksAndTheWholeBlock) {
  auto relay = [](qint32 head, int block, qint32 tail) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    WriteInteger(out, head);
    out.write(QByteArray(block, 'r'));
    if (tail) WriteInteger(out, tail);
    return out.data();
  };
  const QString path = pvx::test::Home() + "Relay.rec";
  RelayBlock block{};

  EXPECT_FALSE(ReadRelayFile(path, block));  // missing
  pvx::test::WriteFile(path, relay(4500, 320, 4500));
  ASSERT_TRUE(ReadRelayFile(path, block));
  EXPECT_EQ(QByteArray(block.data(), 320), QByteArray(320, 'r'));
  for (const QByteArray& bytes : {relay(4501, 320, 4500), relay(4500, 320, 4359), relay(4500, 100, 0)}) {
    pvx::test::WriteFile(path, bytes);
    EXPECT_FALSE(ReadRelayFile(path, block));
  }
}
