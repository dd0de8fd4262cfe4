#pragma once
// Registers the platform's own components (tees, renderers, deinterlacer, grabber, decoders)
// under the friendly names the engine looks for.

namespace pvx::platform::graph {

class TComponentRegistry;

void RegisterBuiltinComponents(TComponentRegistry& registry);

}  // namespace pvx::platform::graph
