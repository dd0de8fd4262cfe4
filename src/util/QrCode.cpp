#include "util/QrCode.h"

#include <qrencode.h>

#include <memory>

namespace pvx::util {
namespace {

constexpr int kQuietZone = 4;

struct TQrFree {
  void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

QImage QrCodeImage(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  if (utf8.isEmpty()) return {};
  // Version 0: the smallest that holds the text; digits and capitals get their denser modes.
  const std::unique_ptr<QRcode, TQrFree> code(QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1));
  if (!code) return {};
  const int side = code->width + 2 * kQuietZone;
  QImage image(side, side, QImage::Format_Grayscale8);
  image.fill(Qt::white);
  // Bit 0 of each byte is the module's colour; the others are libqrencode's bookkeeping.
  for (int y = 0; y < code->width; ++y) {
    uchar* line = image.scanLine(y + kQuietZone) + kQuietZone;
    for (int x = 0; x < code->width; ++x)
      if (code->data[y * code->width + x] & 1) line[x] = 0;
  }
  return image;
}

}  // namespace pvx::util
