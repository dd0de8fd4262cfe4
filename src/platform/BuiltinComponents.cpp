#include "platform/BuiltinComponents.h"

#include "platform/components/Registration.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/media/Registration.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"

namespace pvx::platform {

using graph::DeviceCategory;

void RegisterBuiltinComponents(graph::TComponentRegistry& registry) {
  // Without a real card the virtual one is the machine's capture card.
  registry.AddProvider(&devices::DefaultVirtualProvider());
  registry.Register(DeviceCategory::LegacyFilter, "Video Renderer",
                    [] { return std::make_shared<video::TVideoRenderer>(); });
  registry.Register(DeviceCategory::LegacyFilter, "Audio Renderer",
                    [] { return std::make_shared<video::TAudioRenderer>(); });
  components::RegisterPreviewComponents(registry);
  media::RegisterRecorderComponents(registry);
}

}  // namespace pvx::platform
