#include "platform/components/Registration.h"

#include "platform/components/ComponentSupport.h"
#include "platform/components/TDeinterlacer.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TOverlayMixer.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/components/TSmartTee.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"

namespace pvx::platform::components {

using graph::DeviceCategory;

namespace {

struct DecoderName {
  const char* name;
  VideoDecoderKind kind;
};
// The engine finds a decoder by any of these names; the MPEG-4 AVI ones decode MPEG-4.
constexpr DecoderName kDecoders[] = {
    {"OKA MPEG Video Decoder", VideoDecoderKind::Mpeg12},
    {"MPEG Video Decoder", VideoDecoderKind::Mpeg12},
    {"WMVideo Decoder DMO", VideoDecoderKind::Mpeg4},
    {"DivX Decoder Filter", VideoDecoderKind::Mpeg4},
    {"okaMPEG2VideoDecoder", VideoDecoderKind::Mpeg12},
};

}  // namespace

void RegisterPreviewComponents(graph::TComponentRegistry& registry) {
  const auto legacy = DeviceCategory::LegacyFilter;
  registry.Register(legacy, "Smart Tee", [] { return MakeComponent<TSmartTee>(); });
  registry.Register(legacy, "Infinite Pin Tee Filter",
                    [] { return MakeComponent<TInfinitePinTee>(); });
  registry.Register(legacy, "Overlay Mixer", [] { return MakeComponent<TOverlayMixer>(); });
  registry.Register(legacy, "OKA Deinterlacer", [] { return MakeComponent<TDeinterlacer>(); });
  registry.Register(legacy, "Sample Grabber", [] { return MakeComponent<TSampleGrabberEx>(); });
  for (const DecoderName& d : kDecoders) {
    const QString name = QString::fromLatin1(d.name);
    const VideoDecoderKind kind = d.kind;
    registry.Register(legacy, name,
                      [name, kind] { return MakeComponent<TVideoDecoder>(kind, name); });
  }
}

}  // namespace pvx::platform::components
