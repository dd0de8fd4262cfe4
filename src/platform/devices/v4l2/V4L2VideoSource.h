#pragma once
// A real card's picture as its capture device delivers it: v4l2src on the node, read in the
// device format nearest to what was asked (MJPEG decoded), converted and scaled to it.

#include <QString>
#include <vector>

#include "platform/devices/ICaptureCard.h"
#include "platform/devices/v4l2/TV4L2Card.h"
#include "platform/graph/GstPtr.h"

namespace pvx::platform::devices::v4l2 {

class TV4L2VideoSource final : public ICardSource {
 public:
  // `source` describes the source element ("v4l2src device=..."), which is named "src".
  TV4L2VideoSource(const QString& source, std::vector<TV4L2Format> formats);
  GstElement* Bin() const override { return bin_.get(); }
  void Apply(const graph::TMediaType& format) override;

 private:
  GstElement* Child(const char* name) const;

  graph::GstPtr<GstElement> bin_;
  std::vector<TV4L2Format> formats_;
};

}  // namespace pvx::platform::devices::v4l2
