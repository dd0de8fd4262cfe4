#include "util/Services.h"

#include <QByteArrayView>
#include <QFile>
#include <QRegularExpression>

#include "platform/SystemServices.h"

namespace pvx::util {
namespace {

// Kept in every binary that can report a version, where FileVersionText finds it again.
[[gnu::used]] const char kVersionMarker[] = "\x7fOKA-PVX-VERSION:" PVX_VERSION_TEXT;

// The first prefix followed by four dotted numbers; a bare prefix (the search key itself as
// the compiler stored it) is passed over.
bool FindVersion(QByteArrayView bytes, int (&parts)[4]) {
  static const QRegularExpression numbers(
      QStringLiteral("^(\\d{1,5})\\.(\\d{1,5})\\.(\\d{1,5})\\.(\\d{1,5})"));
  const QByteArrayView prefix(kVersionMarkerPrefix);
  for (qsizetype at = bytes.indexOf(prefix); at >= 0; at = bytes.indexOf(prefix, at + 1)) {
    const QByteArrayView rest =
        bytes.sliced(at + prefix.size())
            .first(std::min<qsizetype>(24, bytes.size() - at - prefix.size()));
    const auto match = numbers.match(QString::fromLatin1(rest.data(), rest.size()));
    if (!match.hasMatch()) continue;
    for (int i = 0; i < 4; ++i) parts[i] = match.captured(i + 1).toInt();
    return true;
  }
  return false;
}

}  // namespace

int DirectXVersion() { return platform::System().MediaFrameworkLevel(nullptr); }

int WindowsVersionClass() { return platform::System().WindowsVersionClass(); }

QString FileVersionText(const QString& file, const char* format) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly) || in.size() == 0) return {};
  const uchar* mapped = in.map(0, in.size());
  const QByteArray read = mapped ? QByteArray() : in.readAll();
  const QByteArrayView bytes = mapped ? QByteArrayView(mapped, in.size()) : QByteArrayView(read);
  int v[4];
  if (!FindVersion(bytes, v)) return {};
  return QString::asprintf(format, v[0], v[1], v[2], v[3]);
}

bool PowerOff() { return platform::System().PowerOff(); }

void OpenTVGuide() { platform::System().OpenUrl(QString::fromUtf8(kTVGuideAddress)); }

}  // namespace pvx::util
