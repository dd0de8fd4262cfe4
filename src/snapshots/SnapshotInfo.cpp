#include "snapshots/SnapshotInfo.h"

#include "platform/image/JpegWriter.h"

namespace pvx::snapshots {

namespace {

// The extension with its dot, taken from the name part only ("a.b/shot" has none).
qsizetype ExtensionStart(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf('.');
  return dot > fileName.lastIndexOf('/') ? dot : fileName.size();
}

}  // namespace

void TSnapshotInfo::DeleteImage(int index) {
  if (index >= 0 && index < Count()) Images.removeAt(index);
}

void TSnapshotInfo::ClearImages() {
  while (!Images.isEmpty()) Images.removeLast();
}

bool TSnapshotInfo::SaveImage(int index, const QString& fileName) const {
  if (index < 0 || index >= Count()) return false;
  return WritePicture(Images.at(index), fileName);
}

bool TSnapshotInfo::SaveAllImages(const QString& fileName) const {
  bool all = true;
  for (int i = Count() - 1; i >= 0; --i) all = SaveImage(i, NumberedName(fileName, i)) && all;
  return all;
}

void TSnapshotInfo::InsertSnapshot(const QImage& image) {
  Images.prepend(image);
  if (OnInsert) OnInsert();
}

bool WritePicture(const QImage& picture, const QString& fileName) {
  if (picture.isNull()) return false;
  const QString extension = fileName.mid(ExtensionStart(fileName));
  if (extension == ".jpeg" || extension == ".jpg") return platform::image::WriteJpegFile(picture, fileName, 90);
  // A device-independent bitmap of 24 bits, as the grabbers deliver.
  return picture.convertToFormat(QImage::Format_RGB888).save(fileName, "BMP");
}

QString NumberedName(const QString& fileName, int index) {
  const qsizetype start = ExtensionStart(fileName);
  return fileName.left(start) + QString::number(index) + fileName.mid(start);
}

}  // namespace pvx::snapshots
