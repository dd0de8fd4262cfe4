#pragma once
// Shared pieces of the renderer tests: renderer registration and a scoped environment variable.

#include <optional>

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

// Sets an environment variable for one scope and restores what was there.
struct TScopedEnv {
  TScopedEnv(const char* name, const QByteArray& value) : name(name) {
    if (qEnvironmentVariableIsSet(name)) old = qgetenv(name);
    qputenv(name, value);
  }
  ~TScopedEnv() { old ? qputenv(name, *old) : qunsetenv(name); }
  const char* name;
  std::optional<QByteArray> old;
};

}  // namespace pvx::test
