#include "engine/StillImages.h"

#include <QFile>

#include "engine/CaptureInfo.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/components/SampleConversion.h"
#include "platform/graph/Interfaces.h"
#include "platform/video/TVideoWindow.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {
constexpr int kDecoderSnapshotTries = 5;
constexpr int kDecoderSnapshotWaitMs = 300;
}  // namespace

QImage TStillImages::Grab() {
  if (settings::MainInfo && settings::MainInfo->ChipFamily == 5) return GrabThroughDecoder();
  auto* grabber = e_.Snapshot ? e_.Snapshot->As<ISampleGrabber>() : nullptr;
  QImage image;
  if (!grabber || !platform::components::GrabBitmap(*grabber, image)) return {};
  return image;
}

QImage TStillImages::GrabThroughDecoder() {
  // The Wis decoder writes the frame to a file that is polled for.
  const QString path = platform::ProgramFolder() + "Qsnap.bmp";
  QFile::remove(path);
  auto* snapshot = e_.VideoDecoder ? e_.VideoDecoder->As<IDecoderSnapshot>() : nullptr;
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

bool TStillImages::GrabSnapshot() {
  const QImage image = Grab();
  if (image.isNull()) return false;
  if (e_.Snapshots) e_.Snapshots->InsertSnapshot(image);
  return true;
}

bool TStillImages::GrabStill() {
  e_.StillImage = QImage();
  e_.StillImage = Grab();
  return !e_.StillImage.isNull();
}

void TStillImages::SetStillShown(bool on) {
  if (on == e_.StillShown) return;
  platform::video::TVideoWindow* window = e_.VideoWindow;
  if (on) {
    if (!e_.StillImage.isNull() && window) window->SetStillImage(e_.StillImage);
  } else if (window) {
    window->ClearStillImage();
  }
  e_.StillShown = on;
}

}  // namespace pvx::engine
