#include "platform/components/TDeinterlacer.h"

#include "platform/components/ComponentSupport.h"

namespace pvx::platform::components {

using namespace graph;

TDeinterlacer::TDeinterlacer() : TFilter(QStringLiteral("OKA Deinterlacer")) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Video);
  AddPin("Output", PinDir::Output, PinCategory::None, MediaMajor::Video);
  // One field per frame keeps the capture frame rate (all fields would double it). The
  // converters pass through for every format the deinterlacer takes (YUY2, UYVY, BGR ...), so
  // those leave in the format they came in; they only convert a format it cannot take.
  auto bin = BuildBin(
      "videoconvert name=in ! deinterlace mode=auto method=greedyh fields=top ! "
      "videoconvert name=out",
      "deinterlacer", {{"in", "sink", "Input"}, {"out", "src", "Output"}});
  SetElement(bin.get());
}

}  // namespace pvx::platform::components
