#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "BuildInfo.h"

namespace pvx::platform {
namespace {

QString WithSlash(QString path) {
  if (!path.endsWith('/')) path += '/';
  return path;
}

}  // namespace

QString ProgramFolder() {
  QString folder = qEnvironmentVariable("OKA_PVX_HOME");
  if (folder.isEmpty()) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + "/.config";
    folder = config + "/oka-pvx";
  }
  folder = WithSlash(QDir::cleanPath(folder));
  QDir().mkpath(folder);
  return folder;
}

QStringList DataFolders() {
  QStringList folders{ProgramFolder()};
  if (QCoreApplication::instance()) {
    // A relocated install: <prefix>/bin/oka-pvx next to <prefix>/share/oka-pvx.
    const QString relocated =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/oka-pvx");
    folders << WithSlash(relocated);
  }
  folders << WithSlash(QString::fromUtf8(build::kInstallDataDir))
          << WithSlash(QString::fromUtf8(build::kSourceDataDir));
  folders.removeDuplicates();
  return folders;
}

QString DataFile(const QString& relative) {
  for (const QString& folder : DataFolders()) {
    const QString path = folder + relative;
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

}  // namespace pvx::platform
