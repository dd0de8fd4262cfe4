// What a played file holds, told from its first bytes: the transport-stream check the file
// player refuses such files by, and the file source's format guess (without libavformat).

#include "FuzzTarget.h"
#include "platform/graph/GraphTypes.h"
#include "platform/media/TFileSource.h"
#include "playback/TransportStream.h"

using namespace pvx;
using platform::graph::MediaMajor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzz::Bytes(data, size);
  const QString path = fuzz::Put("probe.mpv", bytes);
  if (playback::IsMpeg2TransportStream(path))
    fuzz::Expect(size >= 188 && bytes.left(9).contains('\x47'));
  const auto types = platform::media::FileMediaTypes(path, false);
  fuzz::Expect(!types.empty() && types[0].Major == MediaMajor::Stream);
  fuzz::Expect(!types[0].Subtype.isEmpty());
  if (bytes.startsWith(QByteArray::fromHex("000001ba")))
    fuzz::Expect(types[0].Subtype == "MPEG2Program" || types[0].Subtype == "MPEG1System");
  if (bytes.isEmpty()) fuzz::Expect(types[0].Subtype == "MPEG1Video");
  return 0;
}
