#pragma once
// Shared pieces of the renderer tests: live test sources, renderer registration and a scoped
// environment variable.

#include <QByteArray>
#include <memory>
#include <optional>

#include <gst/gst.h>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilter.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"

namespace pvx::test {

// Registers both renderers under the names Render looks for; registering again is harmless.
inline void RegisterRenderers() {
  using platform::graph::DeviceCategory;
  auto& registry = test::Components();
  registry.Unregister("Video Renderer");
  registry.Register(DeviceCategory::LegacyFilter, "Video Renderer",
                    [] { return std::make_shared<platform::video::TVideoRenderer>(); });
  registry.Unregister("Audio Renderer");
  registry.Register(DeviceCategory::LegacyFilter, "Audio Renderer",
                    [] { return std::make_shared<platform::video::TAudioRenderer>(); });
}

// A source with one output pin named after its kind: "Capture" pictures or "Audio"; live, or
// `frames` pictures as fast as they are taken, as from a file.
class TTestSource final : public platform::graph::TFilter {
 public:
  explicit TTestSource(platform::graph::MediaMajor major, int frames = 0) : TFilter("Test Source") {
    const bool video = major == platform::graph::MediaMajor::Video;
    const char* pin = video ? "Capture" : "Audio";
    AddPin(pin, platform::graph::PinDir::Output, platform::graph::PinCategory::Capture, major);
    const QByteArray from = frames ? "num-buffers=" + QByteArray::number(frames) : "is-live=true";
    const QByteArray description =
        video ? "videotestsrc " + from + " ! capsfilter name=caps "
                "caps=\"video/x-raw,format=YUY2,width=320,height=240,framerate=30/1\""
              : "audiotestsrc " + from + " ! capsfilter name=caps "
                "caps=\"audio/x-raw,format=S16LE,rate=48000,channels=2\"";
    if (GstElement* bin = platform::graph::MakeBin(description.constData(), "TestSource")) {
      SetElement(bin);
      platform::graph::Ghost(bin, "caps", "src", pin);
    }
  }
};

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
