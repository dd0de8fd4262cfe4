#include "settings/StoredFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "settings/ErrorMessages.h"

namespace pvx::settings {

QString CorruptCopyPath(const QString& path) { return path + QStringLiteral(".corrupt"); }

TStoredFileLoad LoadStoredFile(const QString& path, const TStoredFileTexts& texts,
                               const std::function<bool(QIODevice&)>& parse) {
  const QFileInfo info(path);
  if (!info.exists()) return TStoredFileLoad::Missing;
  QFile file(path);
  if (info.isFile() && info.size() == 0) return TStoredFileLoad::Missing;
  // An I/O or permission problem says nothing about the content: the user's file stays.
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
  if (!file.isOpen() || file.error() != QFileDevice::NoError) {
    ShowErrorText(texts.cannotRead);
    return TStoredFileLoad::Unreadable;
  }
  file.close();
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  if (parse(buffer)) return TStoredFileLoad::Loaded;
  ShowErrorCode(texts.corruptCode);
  QFile::remove(CorruptCopyPath(path));
  // Should the rename fail, the next save still replaces the bad file.
  QFile::rename(path, CorruptCopyPath(path));
  return TStoredFileLoad::Corrupt;
}

bool SaveStoredFile(const QString& path, const TStoredFileTexts& texts,
                    const std::function<bool(QIODevice&)>& write) {
  QSaveFile file(path);
  // Flushed first: commit() alone replaces the old file even when the last buffered write fails.
  if (file.open(QIODevice::WriteOnly) && write(file) && file.flush() && file.commit()) return true;
  file.cancelWriting();
  ShowErrorText(texts.cannotWrite);
  return false;
}

}  // namespace pvx::settings
