#pragma once
// The QR code of a text, such as the home page's address for a phone's camera.

#include <QImage>
#include <QString>

namespace pvx::util {

// One pixel per module, black on white, with the 4-module quiet zone a reader needs around the
// code; error correction level M. A null image for an empty text or one too long for a QR code.
QImage QrCodeImage(const QString& text);

}  // namespace pvx::util
