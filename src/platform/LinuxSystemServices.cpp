#include "platform/LinuxSystemServices.h"

#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "BuildInfo.h"
#include "platform/MediaFramework.h"
#include "platform/TerritoryDialCode.h"

namespace pvx::platform {
namespace {

constexpr long kIsoFsMagic = 0x9660;
constexpr long kUdfMagic = 0x15013346;
constexpr int kPowerOffWaitMs = 10000;

QString WithSlash(QString path) {
  if (!path.endsWith('/')) path += '/';
  return path;
}

}  // namespace

QString NearestExistingFolder(const QString& path) {
  QString current = QDir::cleanPath(QDir(path).absolutePath());
  while (!QFileInfo(current).isDir()) {
    const QString parent = QFileInfo(current).path();
    if (parent == current) break;
    current = parent;
  }
  return current;
}

QString LinuxSystemServices::DocumentsFolder() {
  const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty() || docs == QDir::homePath()) return FallbackFolder();
  return WithSlash(docs);
}

QString LinuxSystemServices::FallbackFolder() { return WithSlash(QDir::homePath()); }

bool LinuxSystemServices::IsReadOnlyMedia(const QString& path) {
  const QByteArray folder = NearestExistingFolder(path).toLocal8Bit();
  struct statvfs vfs {};
  if (statvfs(folder.constData(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY)) return true;
  struct statfs fs {};
  if (statfs(folder.constData(), &fs) == 0) {
    const long type = static_cast<long>(fs.f_type);
    if (type == kIsoFsMagic || type == kUdfMagic) return true;
  }
  return false;
}

qint64 LinuxSystemServices::FreeBytes(const QString& path) {
  const QByteArray folder = NearestExistingFolder(path).toLocal8Bit();
  struct statvfs vfs {};
  if (statvfs(folder.constData(), &vfs) != 0) return -1;
  return static_cast<qint64>(vfs.f_bavail) * static_cast<qint64>(vfs.f_frsize);
}

int LinuxSystemServices::MediaFrameworkLevel(QStringList* missing) {
  const QStringList absent = MissingMediaElements(RequiredMediaElements());
  if (missing) *missing = absent;
  return absent.isEmpty() ? 9 : 0;
}

int LinuxSystemServices::LocaleCountryCode() {
  return DialCodeForTerritory(QLocale::system().territory());
}

bool LinuxSystemServices::PowerOff() {
  QProcess process;
  process.start("systemctl", {"poweroff"});
  if (!process.waitForFinished(kPowerOffWaitMs)) return false;
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool LinuxSystemServices::OpenUrl(const QString& url) {
  const QUrl target = QUrl::fromUserInput(url);
  if (!target.isValid()) return false;
  return QDesktopServices::openUrl(target);
}

bool LinuxSystemServices::StartProgram(const QString& name, const QStringList& args) {
  // Only companions installed beside us; never a name searched on PATH.
  if (name.contains('/') || name.isEmpty()) return false;
  const QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QString();
  const QString program = folder + "/" + name;
  if (!QFileInfo(program).isExecutable()) return false;
  return QProcess::startDetached(program, args);
}

FileVersion LinuxSystemServices::ProgramVersion() {
  return {build::kVersionMajor, build::kVersionMinor, build::kVersionPatch, build::kVersionBuild};
}

}  // namespace pvx::platform
