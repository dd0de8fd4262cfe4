#pragma once
// Shared pieces of the renderer tests: renderer registration.

#include "platform/components/TestFilters.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"

namespace pvx::test {

// Registers both renderers under the names Render looks for; registering again is harmless.
inline void RegisterRenderers() {
  using platform::graph::DeviceCategory;
  auto& registry = test::Components();
  for (const char* name : {"Video Renderer", "Audio Renderer"}) registry.Unregister(name);
  registry.Register(DeviceCategory::LegacyFilter, "Video Renderer",
                    [] { return std::make_shared<platform::video::TVideoRenderer>(); });
  registry.Register(DeviceCategory::LegacyFilter, "Audio Renderer",
                    [] { return std::make_shared<platform::video::TAudioRenderer>(); });
}

}  // namespace pvx::test
