#pragma once
// The sound card's line input playing the virtual TV card's sound out of the speakers, as the
// audio cable between a real card and the sound card does. The mixer sets its level.

#include <memory>

#include "platform/graph/GstPtr.h"

namespace pvx::platform::devices {

class TVirtualCard;
class TSoundAnimator;

class TLineInMonitor {
 public:
  TLineInMonitor();
  ~TLineInMonitor();
  TLineInMonitor(const TLineInMonitor&) = delete;
  TLineInMonitor& operator=(const TLineInMonitor&) = delete;

  // volume 0..1; the sound plays while it is above 0 and not muted.
  void SetLevel(double volume, bool muted);
  bool Playing() const { return pipeline_ != nullptr; }

 private:
  void Start();
  void Stop();
  void Follow();

  std::shared_ptr<TVirtualCard> card_;
  graph::GstPtr<GstElement> pipeline_, source_, volume_;
  std::shared_ptr<TSoundAnimator> sound_;
  int subscription_ = 0;
};

}  // namespace pvx::platform::devices
