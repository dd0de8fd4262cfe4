#pragma once
// Registers the preview and snapshot components (tees, overlay mixer, deinterlacer, sample
// grabber, video decoders) in the legacy filter category under the names the engine asks for.

namespace pvx::platform::graph {
class TComponentRegistry;
}

namespace pvx::platform::components {

void RegisterPreviewComponents(graph::TComponentRegistry& registry);

}  // namespace pvx::platform::components
