#pragma once
// The virtual card's picture as its capture device delivers it: a test pattern, or a station's
// picture with its name, a clock and a caption, through the colour controls, in the format
// asked; with a preview branch of its own where the card has a preview pin.

#include <memory>

#include "platform/devices/ICaptureCard.h"
#include "platform/graph/GstPtr.h"

namespace pvx::platform::devices {

class TPictureAnimator;
class TVirtualCard;

class TVirtualVideoSource final : public ICardSource {
 public:
  explicit TVirtualVideoSource(const TVirtualCard& card);

  GstElement* Bin() const override { return bin_.get(); }
  void Apply(const graph::TMediaType& format) override;
  void Follow() override;
  void Rest() override;
  const std::shared_ptr<TPictureAnimator>& Animator() const { return animator_; }

 private:
  void AddPreviewBranch();
  GstElement* Child(const char* name) const;

  const TVirtualCard& card_;
  graph::GstPtr<GstElement> bin_;
  // Shared with the source's streaming thread, which animates every frame.
  std::shared_ptr<TPictureAnimator> animator_;
};

}  // namespace pvx::platform::devices
