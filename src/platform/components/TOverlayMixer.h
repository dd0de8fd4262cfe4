#pragma once
// The Overlay Mixer: the renderer draws the picture itself, so this stage passes frames through.

#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

class TOverlayMixer final : public graph::TFilter {
 public:
  TOverlayMixer();
};

}  // namespace pvx::platform::components
