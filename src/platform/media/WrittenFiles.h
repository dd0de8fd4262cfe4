#pragma once
// The files this process is writing as recordings, so a growing-file source reading one of
// them knows when its writer has finished.

#include <QString>

namespace pvx::platform::media {

void BeginWriting(const QString& path);
void EndWriting(const QString& path);
bool IsBeingWritten(const QString& path);

}  // namespace pvx::platform::media
