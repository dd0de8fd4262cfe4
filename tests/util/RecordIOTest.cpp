#include "util/RecordIO.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include "support/TestEnvironment.h"

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

TEST(RecordIO, WritesLittleEndianValues) {
  EXPECT_EQ(Written([](QIODevice& d) { return WriteInteger(d, 4505); }), Bytes({0x99, 0x11, 0, 0}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteInteger(d, -2); }),
            Bytes({0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteBoolean(d, true); }), Bytes({1, 0, 0, 0}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteBoolean(d, false); }), Bytes({0, 0, 0, 0}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteDouble(d, 1.0); }),
            Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteString(d, "ab"); }), Bytes({2, 0, 0, 0, 'a', 'b'}));
  EXPECT_EQ(Written([](QIODevice& d) { return WriteString(d, ""); }), Bytes({0, 0, 0, 0}));
}

TEST(RecordIO, StringsAreUtf8WithByteLength) {
  const QString text = QString::fromUtf8("频道 Kanäle");
  const QByteArray out = Written([&](QIODevice& d) { return WriteString(d, text); });
  EXPECT_EQ(out.size(), 4 + text.toUtf8().size());
  QBuffer buffer;
  EXPECT_EQ(ReadString(*Reader(buffer, out)), text);
}

TEST(RecordIO, RoundTripsEveryKindInSequence) {
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  ASSERT_TRUE(WriteInteger(out, 123456789) && WriteDouble(out, 44900.75) &&
              WriteBoolean(out, true) && WriteString(out, "/home/tv/Videos/") &&
              WriteInteger(out, -7));
  QBuffer in;
  Reader(in, out.data());
  EXPECT_EQ(ReadInteger(in), 123456789);
  EXPECT_DOUBLE_EQ(ReadDouble(in), 44900.75);
  EXPECT_TRUE(ReadBoolean(in));
  EXPECT_EQ(ReadString(in), "/home/tv/Videos/");
  EXPECT_EQ(ReadInteger(in), -7);
}

TEST(RecordIO, BooleanIsTrueForAnyNonZero) {
  QBuffer in;
  Reader(in, Bytes({0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(ReadBoolean(in));
  EXPECT_FALSE(ReadBoolean(in));
}

TEST(RecordIO, ShortReadLeavesMissingBytesZero) {
  QBuffer in;
  Reader(in, Bytes({0x34, 0x12}));
  EXPECT_EQ(ReadInteger(in), 0x1234);
  EXPECT_EQ(ReadInteger(in), 0);  // nothing left at all
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
  EXPECT_EQ(block[0], 'r');
  EXPECT_EQ(block[319], 'r');

  pvx::test::WriteFile(path, relay(4501, 320, 4500));
  EXPECT_FALSE(ReadRelayFile(path, block));
  pvx::test::WriteFile(path, relay(4500, 320, 4359));
  EXPECT_FALSE(ReadRelayFile(path, block));
  pvx::test::WriteFile(path, relay(4500, 100, 0));
  EXPECT_FALSE(ReadRelayFile(path, block));
}
