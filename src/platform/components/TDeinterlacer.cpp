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
      "videoconvert name=in ! deinterlace name=deinterlace mode=auto method=yadif fields=top ! "
      "videoconvert name=out",
      "deinterlacer", {{"in", "sink", "Input"}, {"out", "src", "Output"}});
  SetElement(bin.get());
}

bool TDeinterlacer::SetFast(bool fast) {
  GstElement* element = Element() ? gst_bin_get_by_name(GST_BIN(Element()), "deinterlace") : nullptr;
  if (!element) return false;
  // yadif takes every format the element does; greedyh would quietly fall back to linear on RGB.
  gst_util_set_object_arg(G_OBJECT(element), "method", fast ? "linear" : "yadif");
  gst_object_unref(element);
  return true;
}

}  // namespace pvx::platform::components
