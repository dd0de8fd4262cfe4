#include "platform/components/TSmartTee.h"

#include "platform/components/ComponentSupport.h"

namespace pvx::platform::components {

using namespace graph;

TSmartTee::TSmartTee() : TFilter(QStringLiteral("Smart Tee")) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Video);
  AddPin("Capture", PinDir::Output, PinCategory::Capture, MediaMajor::Video);
  AddPin("Preview", PinDir::Output, PinCategory::Preview, MediaMajor::Video);
  // The preview queue keeps only the newest two frames and drops older ones, so the tee never
  // blocks on it; only the size limit counts.
  auto bin = BuildBin(
      "tee name=tee allow-not-linked=true "
      "tee. ! queue name=capture "
      "tee. ! queue name=preview leaky=downstream max-size-buffers=2 max-size-bytes=0 "
      "max-size-time=0",
      "smarttee",
      {{"tee", "sink", "Input"}, {"capture", "src", "Capture"}, {"preview", "src", "Preview"}});
  SetElement(bin.get());
}

}  // namespace pvx::platform::components
