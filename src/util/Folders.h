#pragma once
// Folder checks shared by the settings, the recorder and the snapshot store.

#include <QString>

class QWidget;

namespace pvx::util {

// True when the folder can hold recordings: it is not on an optical disc or read-only mount,
// and it exists or can be created (one level).
bool EnsureFolder(const QString& path);

// True when `name` can start a recording's file name inside its folder: no folder part, not
// "." or "..", no control characters, and short enough (240 bytes) for a file name with its
// number and extension.
bool BaseNameAccepted(const QString& name);

// The user's documents folder, ending with "/".
QString DocumentsFolder();

// Where an unusable stored folder falls back to, ending with "/".
QString FallbackFolder();

// Lets the user choose a folder. The result ends with "/" unless it is the root "/";
// empty when the user cancelled.
QString BrowseFolder(QWidget* owner);

}  // namespace pvx::util
