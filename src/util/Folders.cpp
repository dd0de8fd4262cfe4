#include "util/Folders.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/SystemServices.h"
#include "util/DirDialog.h"

namespace pvx::util {

bool EnsureFolder(const QString& path) {
  if (path.isEmpty()) return false;
  if (platform::System().IsReadOnlyMedia(path)) return false;
  if (QFileInfo(path).isDir()) return true;
  return QDir().mkdir(path);
}

bool BaseNameAccepted(const QString& name) {
  // 255 bytes a name, less "_99999" and the longest extension.
  constexpr int kMaxBytes = 240;
  if (name == "." || name == ".." || name.contains('/') || name.toUtf8().size() > kMaxBytes) return false;
  return std::none_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString DocumentsFolder() { return platform::System().DocumentsFolder(); }

QString FallbackFolder() { return platform::System().FallbackFolder(); }

QString BrowseFolder(QWidget* owner) {
  TDirDialog dialog(owner);
  if (!dialog.Execute()) return {};
  QString folder = dialog.Directory;
  if (folder.size() > 1 && !folder.endsWith('/')) folder += '/';
  return folder;
}

}  // namespace pvx::util
