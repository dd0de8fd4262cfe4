#include <gtest/gtest.h>

#include "platform/ipc/MessageFraming.h"

namespace pvx::platform::ipc {
namespace {

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

TEST(MessageFraming, RequestHasTheDocumentedBytes) {
  const TRequest request{TDelivery::Send, {3024, 4001, -2}};
  EXPECT_EQ(EncodeRequest(request).toHex(' '),
            Hex("4f4b414d 01 02 0000 d00b0000 a10f0000 feffffff").toHex(' '));
}

TEST(MessageFraming, ReplyHasTheDocumentedBytes) {
  EXPECT_EQ(EncodeReply(-1).toHex(' '), Hex("4f4b4152 01 000000 ffffffff").toHex(' '));
}

TEST(MessageFraming, RoundTripsEveryField) {
  const TRequest rows[] = {
      {TDelivery::Post, {0, 0, 0}},
      {TDelivery::Send, {0xFFFFFFFFu, INT32_MIN, INT32_MAX}},
      {TDelivery::Post, {0xC0A1, -1, 1}},
  };
  for (const TRequest& row : rows) {
    const QByteArray bytes = EncodeRequest(row);
    ASSERT_EQ(bytes.size(), kRequestSize);
    EXPECT_EQ(DecodeRequest(bytes), row);
  }
  for (qint32 result : {0, 1, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(DecodeReply(EncodeReply(result)), result);
}

TEST(MessageFraming, RejectsMalformedRequests) {
  const QByteArray good = EncodeRequest({TDelivery::Post, {3024, 1, 0}});
  auto with = [&](int offset, char value) {
    QByteArray bytes = good;
    bytes[offset] = value;
    return bytes;
  };
  const struct {
    const char* what;
    QByteArray bytes;
  } rows[] = {
      {"empty", {}},
      {"short", good.left(kRequestSize - 1)},
      {"long", good + '\0'},
      {"magic", with(0, 'X')},
      {"version 0", with(4, 0)},
      {"version 2", with(4, 2)},
      {"kind 0", with(5, 0)},
      {"kind 3", with(5, 3)},
      {"reserved", with(6, 1)},
      {"text", QByteArray("next-channel\n\0\0\0\0\0\0\0\0", kRequestSize)},
      {"reply instead of request", EncodeReply(0) + QByteArray(8, '\0')},
  };
  for (const auto& row : rows) EXPECT_FALSE(DecodeRequest(row.bytes)) << row.what;
  EXPECT_TRUE(DecodeRequest(good));
}

TEST(MessageFraming, RejectsMalformedReplies) {
  const QByteArray good = EncodeReply(7);
  QByteArray badMagic = good, badVersion = good, badReserved = good;
  badMagic[3] = 'M';
  badVersion[4] = 9;
  badReserved[7] = 1;
  for (const QByteArray& bytes : {QByteArray(), good.left(11), good + 'x', badMagic, badVersion, badReserved})
    EXPECT_FALSE(DecodeReply(bytes)) << bytes.toHex().constData();
}

}  // namespace
}  // namespace pvx::platform::ipc
