#pragma once
// Snapshots from the preview's grabber, and the still picture shown in place of live video.

#include <QImage>

namespace pvx::engine {

class TCaptureInfo;

class TStillImages {
 public:
  explicit TStillImages(TCaptureInfo& engine) : e_(engine) {}

  bool GrabSnapshot();
  bool GrabStill();
  void SetStillShown(bool on);

  // The current frame as a 24-bit picture; null when there is none to take.
  QImage Grab();

 private:
  QImage GrabThroughDecoder();
  TCaptureInfo& e_;
};

}  // namespace pvx::engine
