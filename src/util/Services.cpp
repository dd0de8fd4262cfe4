#include "util/Services.h"

#include <QFileInfo>

#include "platform/SystemServices.h"

namespace pvx::util {

int DirectXVersion() { return platform::System().MediaFrameworkLevel(nullptr); }

int WindowsVersionClass() { return platform::System().WindowsVersionClass(); }

QString FileVersionText(const QString& file, const char* format) {
  if (!QFileInfo(file).isFile()) return {};
  const platform::FileVersion v = platform::System().ProgramVersion();
  return QString::asprintf(format, v.major, v.minor, v.release, v.build);
}

bool PowerOff() { return platform::System().PowerOff(); }

void OpenTVGuide() { platform::System().OpenUrl(QString::fromUtf8(kTVGuideAddress)); }

}  // namespace pvx::util
