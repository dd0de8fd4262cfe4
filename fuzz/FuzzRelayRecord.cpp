// Relay.rec: an order read encodes to a file that decodes to the same order.

#include "FuzzTarget.h"
#include "formats/RecordFormats.h"
#include "handoff/RelayRecord.h"

using namespace pvx;
using namespace pvx::handoff;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int formats = int(formats::RecordFormats().size());
  const QString path = fuzz::Put("Relay.rec", fuzz::Bytes(data, size));
  TRelayRecord order;
  if (ReadRelayFile(path, order, formats) != TRelayError::None) return 0;
  fuzz::Expect(size == size_t(kRelayFileSize) && order.DurationSeconds > 0);
  fuzz::Expect(order.Format < formats);
  const QByteArray encoded = EncodeRelayFile(order);
  TRelayRecord back;
  fuzz::Expect(DecodeRelayFile(encoded, back, formats) == TRelayError::None);
  fuzz::Expect(EncodeRelayFile(back) == encoded && back.BaseName == order.BaseName);
  return 0;
}
