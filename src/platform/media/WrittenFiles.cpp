#include "platform/media/WrittenFiles.h"

#include <QFileInfo>
#include <QHash>
#include <mutex>

namespace pvx::platform::media {
namespace {

std::mutex gMutex;
// A count per file: the same file may be rewritten by a new recording before the old one ends.
QHash<QString, int> gWriting;

QString Key(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

void BeginWriting(const QString& path) {
  std::lock_guard lock(gMutex);
  ++gWriting[Key(path)];
}

void EndWriting(const QString& path) {
  std::lock_guard lock(gMutex);
  const QString key = Key(path);
  if (--gWriting[key] <= 0) gWriting.remove(key);
}

bool IsBeingWritten(const QString& path) {
  std::lock_guard lock(gMutex);
  return gWriting.contains(Key(path));
}

}  // namespace pvx::platform::media
