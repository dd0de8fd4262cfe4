#pragma once
// The snapshot store: still pictures from the live picture and the players, newest first, kept
// in memory for the run and written to files only when the user asks.

#include <QImage>
#include <QList>
#include <QString>
#include <functional>

#include "engine/CaptureInfo.h"

namespace pvx::snapshots {

class TSnapshotInfo final : public engine::ISnapshotSink {
 public:
  ~TSnapshotInfo() override { ClearImages(); }

  // Index 0 is the newest.
  QList<QImage> Images;

  int Count() const { return int(Images.size()); }
  void DeleteImage(int index);
  void ClearImages();
  // Writes the picture at `index`: JPEG when the name ends exactly in ".jpeg" or ".jpg", else a
  // bitmap file. Nothing for an empty picture or a wrong index.
  bool SaveImage(int index, const QString& fileName) const;
  // Every picture, oldest first, as the name with its index before the extension
  // ("shot.jpg" gives shot0.jpg for the newest).
  bool SaveAllImages(const QString& fileName) const;

  // A taker's picture goes to the front; then OnInsert shows it.
  void InsertSnapshot(const QImage& image) override;
  std::function<void()> OnInsert;
};

// Writes a picture by the extension rule above; false for an empty picture or a failed write.
bool WritePicture(const QImage& picture, const QString& fileName);
// `fileName` with `index` before its extension.
QString NumberedName(const QString& fileName, int index);

}  // namespace pvx::snapshots
