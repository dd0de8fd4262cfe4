#include "platform/graph/BuiltinComponents.h"

#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/TComponentRegistry.h"

namespace pvx::platform::graph {

void RegisterBuiltinComponents(TComponentRegistry& registry) {
  // Without a real card the virtual one is the machine's capture card.
  registry.AddProvider(&devices::DefaultVirtualProvider());
}

}  // namespace pvx::platform::graph
