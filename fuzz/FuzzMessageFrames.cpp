// The message endpoint's frames, read as a connection's bytes are: request after request until
// one is malformed. A frame taken, and a reply taken, encode back to the very bytes read.

#include "FuzzTarget.h"
#include "platform/ipc/MessageFraming.h"

using namespace pvx;
using namespace pvx::platform::ipc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzz::Bytes(data, size);
  if (size != size_t(kRequestSize)) fuzz::Expect(!DecodeRequest(bytes));
  for (qsizetype at = 0; at + kRequestSize <= bytes.size(); at += kRequestSize) {
    const QByteArray frame = bytes.mid(at, kRequestSize);
    const std::optional<TRequest> request = DecodeRequest(frame);
    if (!request) break;
    fuzz::Expect(EncodeRequest(*request) == frame);
  }
  for (qsizetype at = 0; at + kReplySize <= bytes.size(); at += kReplySize) {
    const QByteArray frame = bytes.mid(at, kReplySize);
    const std::optional<qint32> reply = DecodeReply(frame);
    if (reply) fuzz::Expect(EncodeReply(*reply) == frame);
  }
  return 0;
}
