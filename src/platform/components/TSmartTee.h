#pragma once
// The Smart Tee: one video input split into a capture output and a preview output. Preview
// frames are dropped, never waited for, so a slow window cannot hold up a recording.

#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

class TSmartTee final : public graph::TFilter {
 public:
  TSmartTee();
};

}  // namespace pvx::platform::components
