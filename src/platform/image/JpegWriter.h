#pragma once
// Writing pictures as JPEG files through libjpeg: baseline, colour.

#include <QImage>
#include <QString>

namespace pvx::platform::image {

// Writes `picture` to `path` at the given quality (0..100); false for an empty picture or when
// the file cannot be written.
bool WriteJpegFile(const QImage& picture, const QString& path, int quality = 90);

}  // namespace pvx::platform::image
