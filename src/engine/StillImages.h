#pragma once
// Snapshots from the preview's grabber (or the Wis decoder), and the still picture shown in
// place of live video.

#include <QImage>

namespace pvx::engine {

class TPreviewPipeline;

class TStillImages {
 public:
  explicit TStillImages(const TPreviewPipeline& preview) : preview_(preview) {}

  // The current frame as a 24-bit picture; null when there is none to take.
  QImage Grab(bool throughDecoder) const;
  bool GrabStill(bool throughDecoder);
  void SetStillShown(bool on);

  const QImage& StillImage() const { return still_; }
  bool StillShown() const { return shown_; }

 private:
  QImage GrabThroughDecoder() const;

  const TPreviewPipeline& preview_;
  QImage still_;
  bool shown_ = false;
};

}  // namespace pvx::engine
