#pragma once
// What QDVCR.cfg and QDVCR2.cfg share: a file read whole before any value is used, a clear line
// between a file that cannot be read and one whose content is bad, and a save that replaces the
// file only once the new one is complete.

#include <QIODevice>
#include <QString>
#include <functional>

namespace pvx::settings {

enum class TStoredFileLoad {
  Loaded,
  Missing,     // no file, or an empty one: defaults, nothing said
  Corrupt,     // marks or layout wrong: reported and set aside as "<name>.corrupt"
  Unreadable,  // could not be opened or read: reported and left where it is
};

struct TStoredFileTexts {
  int corruptCode = 0;  // error shown for a corrupt file
  QString cannotRead;   // shown when the file cannot be read
  QString cannotWrite;  // shown when the save fails
};

// Reads the file whole; `parse` reads it from memory and returns false on a wrong mark. Only a
// Loaded result may be applied.
TStoredFileLoad LoadStoredFile(const QString& path, const TStoredFileTexts& texts,
                               const std::function<bool(QIODevice&)>& parse);

// Writes through a temporary file renamed into place, so a failed save keeps the previous file.
bool SaveStoredFile(const QString& path, const TStoredFileTexts& texts,
                    const std::function<bool(QIODevice&)>& write);

// The name a corrupt file is kept under, for the user to recover by hand.
QString CorruptCopyPath(const QString& path);

}  // namespace pvx::settings
