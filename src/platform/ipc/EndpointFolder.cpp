#include "platform/ipc/EndpointFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace pvx::platform::ipc {

QString EndpointFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
    QString folder = runtime;
    if (!folder.endsWith('/')) folder += '/';
    return folder + QStringLiteral("oka-pvx/");
  }
  return QStringLiteral("/tmp/oka-pvx-%1/").arg(::getuid());
}

bool EnsurePrivateFolder(const QString& folder) {
  // Without the trailing "/", lstat sees a link planted in place of the folder.
  QString bare = folder;
  while (bare.size() > 1 && bare.endsWith('/')) bare.chop(1);
  const QByteArray path = QFile::encodeName(bare);
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
  if ((st.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0) return false;
  return true;
}

bool IsValidWindowClass(QStringView windowClass) {
  if (windowClass.isEmpty() || windowClass.size() > 64 || windowClass.front() == u'.')
    return false;
  for (QChar c : windowClass) {
    const char16_t u = c.unicode();
    const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                    (u >= u'0' && u <= u'9') || u == u'_' || u == u'-' || u == u'.';
    if (!ok) return false;
  }
  return true;
}

QString EndpointPath(const QString& windowClass) {
  if (!IsValidWindowClass(windowClass)) return {};
  return EndpointFolder() + windowClass;
}

}  // namespace pvx::platform::ipc
