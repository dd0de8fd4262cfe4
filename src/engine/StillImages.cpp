#include "engine/StillImages.h"

#include <QFile>

#include "engine/PreviewPipeline.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/components/SampleConversion.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
constexpr int kDecoderSnapshotTries = 5;
constexpr int kDecoderSnapshotWaitMs = 300;
}  // namespace

QImage TStillImages::Grab(bool throughDecoder) const {
  if (throughDecoder) return GrabThroughDecoder();
  TFilter* snapshot = preview_.Snapshot();
  auto* grabber = snapshot ? snapshot->As<ISampleGrabber>() : nullptr;
  QImage image;
  if (!grabber || !platform::components::GrabBitmap(*grabber, image)) return {};
  return image;
}

QImage TStillImages::GrabThroughDecoder() const {
  // The Wis decoder writes the frame to a file that is polled for.
  const QString path = platform::ProgramFolder() + "Qsnap.bmp";
  QFile::remove(path);
  TFilter* decoder = preview_.VideoDecoder();
  auto* snapshot = decoder ? decoder->As<IDecoderSnapshot>() : nullptr;
  if (!snapshot || !snapshot->SetSnapshotFile(path)) return {};
  for (int attempt = 0; attempt < kDecoderSnapshotTries; ++attempt) {
    platform::Wait(kDecoderSnapshotWaitMs);
    if (!QFile::exists(path)) continue;
    QImage image(path);
    QFile::remove(path);
    return image.convertToFormat(QImage::Format_RGB888);
  }
  return {};
}

bool TStillImages::GrabStill(bool throughDecoder) {
  still_ = QImage();
  still_ = Grab(throughDecoder);
  return !still_.isNull();
}

void TStillImages::SetStillShown(bool on) {
  if (on == shown_) return;
  platform::video::IVideoWindow* window = preview_.VideoWindow();
  if (on) {
    if (!still_.isNull() && window) window->ShowStill(still_);
  } else if (window) {
    window->ClearStill();
  }
  shown_ = on;
}

}  // namespace pvx::engine
