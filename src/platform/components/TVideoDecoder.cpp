#include "platform/components/TVideoDecoder.h"

#include "platform/components/ComponentSupport.h"

namespace pvx::platform::components {

using namespace graph;

TVideoDecoder::TVideoDecoder(VideoDecoderKind kind, QString friendlyName)
    : TFilter(std::move(friendlyName)), kind_(kind) {
  AddPin("XForm In", PinDir::Input, PinCategory::None, MediaMajor::Stream);
  AddPin("XForm Out", PinDir::Output, PinCategory::None, MediaMajor::Video);
  // The parser frames the elementary stream for the decoder; the converter lets the decoder's
  // planar output reach sinks that want packed formats.
  const char* description =
      kind == VideoDecoderKind::Mpeg4
          ? "mpeg4videoparse name=parse ! avdec_mpeg4 ! videoconvert name=convert"
          : "mpegvideoparse name=parse ! avdec_mpeg2video ! videoconvert name=convert";
  auto bin = BuildBin(description, "videodecoder",
                      {{"parse", "sink", "XForm In"}, {"convert", "src", "XForm Out"}});
  SetElement(bin.get());
}

}  // namespace pvx::platform::components
