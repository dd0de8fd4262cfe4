#pragma once
// Where message endpoints live: one socket per window class in a folder only the user can enter.

#include <QString>
#include <QStringView>

namespace pvx::platform::ipc {

// $XDG_RUNTIME_DIR/oka-pvx/ when that runtime folder exists, else /tmp/oka-pvx-<uid>/.
// Ends with "/". Not created.
QString EndpointFolder();

// Creates the folder with mode 0700 when missing and tightens it when looser. Fails when the
// path is not a real folder owned by the user (someone else could listen in it).
bool EnsurePrivateFolder(const QString& folder);

// Letters, digits, "_", "-" and ".", at most 64, not starting with "." (it becomes a file name).
bool IsValidWindowClass(QStringView windowClass);

// The socket path for a window class; empty for an invalid class.
QString EndpointPath(const QString& windowClass);

}  // namespace pvx::platform::ipc
