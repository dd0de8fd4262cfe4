#include <gtest/gtest.h>

#include "platform/ipc/MessageFraming.h"

namespace pvx::platform::ipc {
namespace {

TEST(MessageFraming, RequestAndReplyHaveTheDocumentedBytes) {
  EXPECT_EQ(EncodeRequest({TDelivery::Send, {3024, 4001, -2}}).toHex(' '),
            QByteArray::fromHex("4f4b414d 01 02 0000 d00b0000 a10f0000 feffffff").toHex(' '));
  EXPECT_EQ(EncodeReply(-1).toHex(' '), QByteArray::fromHex("4f4b4152 01 000000 ffffffff").toHex(' '));
}

TEST(MessageFraming, RoundTripsEveryField) {
  for (const TRequest& row : {TRequest{TDelivery::Post, {0, 0, 0}}, {TDelivery::Send, {0xFFFFFFFFu, INT32_MIN, INT32_MAX}},
                              {TDelivery::Post, {0xC0A1, -1, 1}}}) {
    const QByteArray bytes = EncodeRequest(row);
    ASSERT_EQ(bytes.size(), kRequestSize);
    EXPECT_EQ(DecodeRequest(bytes), row);
  }
  for (qint32 result : {0, 1, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(DecodeReply(EncodeReply(result)), result);
}

TEST(MessageFraming, RejectsMalformedRequestsAndReplies) {
  const QByteArray request = EncodeRequest({TDelivery::Post, {3024, 1, 0}}), reply = EncodeReply(7);
  auto with = [](QByteArray bytes, int offset, char value) {
    bytes[offset] = value;
    return bytes;
  };
  // clang-format off
  const std::pair<const char*, QByteArray> requests[] = {
      {"empty", {}}, {"short", request.left(kRequestSize - 1)}, {"long", request + '\0'},
      {"magic", with(request, 0, 'X')}, {"version 0", with(request, 4, 0)}, {"version 2", with(request, 4, 2)},
      {"kind 0", with(request, 5, 0)}, {"kind 3", with(request, 5, 3)}, {"reserved", with(request, 6, 1)},
      {"text", QByteArray("next-channel\n\0\0\0\0\0\0\0\0", kRequestSize)},
      {"reply instead of request", EncodeReply(0) + QByteArray(8, '\0')}};
  const std::pair<const char*, QByteArray> replies[] = {
      {"empty", {}}, {"short", reply.left(11)}, {"long", reply + 'x'}, {"magic", with(reply, 3, 'M')},
      {"version", with(reply, 4, 9)}, {"reserved", with(reply, 7, 1)}};
  // clang-format on
  for (const auto& [what, bytes] : requests) EXPECT_FALSE(DecodeRequest(bytes)) << what;
  for (const auto& [what, bytes] : replies) EXPECT_FALSE(DecodeReply(bytes)) << what;
  EXPECT_TRUE(DecodeRequest(request) && DecodeReply(reply));
}

}  // namespace
}  // namespace pvx::platform::ipc
