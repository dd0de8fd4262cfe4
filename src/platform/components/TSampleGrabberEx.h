#pragma once
// The Sample Grabber: passes video through and keeps the last frame that went by, with the
// format it came in, for snapshots. Keeping a frame is one reference under a lock, so the
// stream pays next to nothing for it.

#include <memory>

#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

class TSampleGrabberEx final : public graph::TFilter, public graph::ISampleGrabber {
 public:
  TSampleGrabberEx();
  ~TSampleGrabberEx() override;

  // Accepts only raw video of the type's subtype ("YUY2", "UYVY", "RGB24"; empty for any) and
  // of any size or rate it sets. False, changing nothing, for other types. Set it before
  // connecting: a connection from a pin that cannot deliver such video is refused.
  bool SetMediaType(const graph::TMediaType& type) override;

  // The format of the last frame kept, else the format negotiated on the input; false before
  // the graph has run with the input connected.
  bool GetConnectedMediaType(graph::TMediaType& type) const override;
  // The last frame's bytes in its own format, rows tightly packed; false when none arrived.
  bool GetCurrentBuffer(QByteArray& buffer) const override;

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;
  void Disconnected(graph::TPin& own) override;

 private:
  struct State;
  static int OnProbe(void* pad, void* info, void* state);
  std::unique_ptr<State> state_;
};

}  // namespace pvx::platform::components
