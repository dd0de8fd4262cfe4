#include "util/DirDialog.h"

#include <QDir>

#include "platform/DialogService.h"

namespace pvx::util {

namespace {
// Paths longer than this were never accepted by the chooser; keep stored folders readable.
constexpr int kMaxPath = 260;
}  // namespace

bool TDirDialog::Execute() {
  const QString start = Directory.isEmpty() ? QDir::homePath() : Directory;
  const QString chosen = platform::Dialogs().BrowseFolder(Title, start);
  if (chosen.isEmpty() || chosen.toUtf8().size() > kMaxPath) return false;
  Directory = QDir::cleanPath(chosen);
  return true;
}

}  // namespace pvx::util
