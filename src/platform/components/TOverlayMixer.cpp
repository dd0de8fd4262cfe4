#include "platform/components/TOverlayMixer.h"

#include "platform/components/ComponentSupport.h"

namespace pvx::platform::components {

using namespace graph;

TOverlayMixer::TOverlayMixer() : TFilter(QStringLiteral("Overlay Mixer")) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Video);
  AddPin("Output", PinDir::Output, PinCategory::None, MediaMajor::Video);
  auto bin = BuildBin("identity name=pass silent=true", "overlaymixer",
                      {{"pass", "sink", "Input"}, {"pass", "src", "Output"}});
  SetElement(bin.get());
}

}  // namespace pvx::platform::components
