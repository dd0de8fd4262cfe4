#pragma once
// For the engine benchmarks: the settings objects the engine reads, a window to host its
// picture, the built-in components and the capture engine on the virtual card.

#include <QWidget>
#include <memory>

#include "engine/CaptureInfo.h"
#include "platform/BuiltinComponents.h"
#include "platform/graph/TComponentRegistry.h"
#include "settings/MainInfo.h"

namespace pvx::bench {

class TEngineRig {
 public:
  explicit TEngineRig(engine::TEngineConfig config = {}) {
    owner_.resize(640, 480);
    owner_.show();
    platform::RegisterBuiltinComponents(components_);
    config.Host.Widget = &owner_;
    config.Program = [this] {
      return engine::TProgramSettings{main_.Prefs().CaptureFolder, main_.Prefs().WaveFolder};
    };
    engine_ = std::make_unique<engine::TCaptureInfo>(components_, config);
  }
  ~TEngineRig() { engine_.reset(); }
  TEngineRig(const TEngineRig&) = delete;
  TEngineRig& operator=(const TEngineRig&) = delete;

  engine::TCaptureInfo& Engine() { return *engine_; }
  // The devices open and the live preview running.
  bool StartPreview() { return engine_->OpenDevices() && engine_->StartPreview(); }

 private:
  settings::TMainInfo main_;
  QWidget owner_;
  platform::graph::TComponentRegistry components_;
  std::unique_ptr<engine::TCaptureInfo> engine_;
};

}  // namespace pvx::bench
