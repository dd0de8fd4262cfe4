#pragma once
// The OKA Deinterlacer: deinterlaces frames their source marks as interlaced (analogue capture
// does) at the input frame rate, and passes progressive frames untouched.

#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

class TDeinterlacer final : public graph::TFilter {
 public:
  TDeinterlacer();
};

}  // namespace pvx::platform::components
