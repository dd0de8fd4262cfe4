#pragma once
// Shared pieces of the renderer tests: live test sources, renderer registration, bounded waits
// for real streaming, and a scoped environment variable.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>

#include <gst/gst.h>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilter.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

inline void PumpFor(int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < ms) {
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
}

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

// A live source with one output pin, built from a launch description ending in `last`.
class TTestSource final : public platform::graph::TFilter {
 public:
  TTestSource(const char* description, const char* last, const char* pin,
              platform::graph::MediaMajor major)
      : TFilter("Test Source") {
    AddPin(pin, platform::graph::PinDir::Output, platform::graph::PinCategory::Capture, major);
    if (GstElement* bin = platform::graph::MakeBin(description, "TestSource")) {
      SetElement(bin);
      platform::graph::Ghost(bin, last, "src", pin);
    }
  }
};

inline std::shared_ptr<TTestSource> MakeVideoSource() {
  return std::make_shared<TTestSource>(
      "videotestsrc is-live=true ! capsfilter name=caps "
      "caps=\"video/x-raw,format=YUY2,width=320,height=240,framerate=30/1\"",
      "caps", "Capture", platform::graph::MediaMajor::Video);
}

inline std::shared_ptr<TTestSource> MakeAudioSource() {
  return std::make_shared<TTestSource>(
      "audiotestsrc is-live=true ! capsfilter name=caps "
      "caps=\"audio/x-raw,format=S16LE,rate=48000,channels=2\"",
      "caps", "Audio", platform::graph::MediaMajor::Audio);
}

// Sets an environment variable for one scope and restores what was there.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~TScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

}  // namespace pvx::test
