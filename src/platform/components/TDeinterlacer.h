#pragma once
// The OKA Deinterlacer: deinterlaces frames their source marks as interlaced (analogue capture
// does) at the input frame rate, and passes progressive frames untouched.

#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

// How a deinterlacer makes a frame of a field: fast line doubling, or the best it knows
// (motion-adaptive). Chosen before the graph runs.
class IDeinterlaceMethod {
 public:
  virtual ~IDeinterlaceMethod() = default;
  virtual bool SetFast(bool fast) = 0;
};

class TDeinterlacer final : public graph::TFilter, public IDeinterlaceMethod {
 public:
  TDeinterlacer();
  bool SetFast(bool fast) override;
};

}  // namespace pvx::platform::components
