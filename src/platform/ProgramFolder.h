#pragma once
// Where the program keeps its writable files, and where read-only installed data is found.

#include <QString>
#include <QStringList>

namespace pvx::platform {

// The program's own folder, ending with "/": $OKA_PVX_HOME when set, else
// $XDG_CONFIG_HOME/oka-pvx/ (default ~/.config/oka-pvx/). Created when missing.
QString ProgramFolder();

// Folders searched for installed data, in order: the program folder, the installed data folder,
// then the source tree's data/ for a build that was never installed. Each ends with "/".
QStringList DataFolders();

// Full path of the first existing file named by a path relative to a data folder
// (e.g. "Language/Lang.cfg"); empty when none has it.
QString DataFile(const QString& relative);

}  // namespace pvx::platform
