#pragma once
// The Infinite Pin Tee: one input copied to as many outputs as are connected. It starts with
// "Output1" and "Output2" and adds the next "OutputN" whenever the last free output is taken,
// so there is always one to connect.
//
// The pins are declared as audio, since the engine uses this tee for sound and Render matches
// pins by major type; the tee itself carries any media, so explicit connections of video work.

#include <vector>

#include "platform/graph/TFilter.h"

typedef struct _GstPad GstPad;

namespace pvx::platform::components {

class TInfinitePinTee final : public graph::TFilter {
 public:
  TInfinitePinTee();
  ~TInfinitePinTee() override;

 protected:
  void Connected(graph::TPin& own) override;

 private:
  bool AddOutput();

  GstElement* tee_ = nullptr;  // owned by the bin
  std::vector<graph::GstPtr<GstPad>> requestPads_;
  int outputs_ = 0;
};

}  // namespace pvx::platform::components
