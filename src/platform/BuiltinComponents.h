#pragma once
// The program's own components (the virtual card, renderers, tees, deinterlacer, grabber,
// decoders, recorders) under the friendly names the engine looks for. Start-up fills the one
// registry with them; the graphs only see the registry they are given.

namespace pvx::platform::graph {
class TComponentRegistry;
}

namespace pvx::platform {

void RegisterBuiltinComponents(graph::TComponentRegistry& registry);

}  // namespace pvx::platform
