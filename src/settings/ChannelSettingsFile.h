#pragma once
// Reading and writing QDVCR2.cfg, the channel tables and the preview grid: a flat
// little-endian sequence framed by 4505 and 4359.

#include <QString>

namespace pvx::settings {

class TChannelInfo;
class TPreviewInfo;

class TChannelSettingsFile {
 public:
  static constexpr qint32 kMagic = 4505;
  static constexpr qint32 kTrailer = 4359;
  static constexpr const char* kFileName = "QDVCR2.cfg";

  // False when the file is missing, empty, corrupt (error 1104, set aside as
  // QDVCR2.cfg.corrupt) or unreadable (reported, kept, and not saved over); the channel object
  // is then reset with its FM memories spread over the tuner's FM band and the preview is
  // reset. The whole file is checked before any value reaches the tuner.
  static bool Load(const QString& path, TChannelInfo& channels, TPreviewInfo& preview);
  // Writes to a temporary file renamed into place, so a failed save keeps the previous file.
  // False without writing when the load could not read the file.
  static bool Save(const QString& path, const TChannelInfo& channels, const TPreviewInfo& preview);
};

}  // namespace pvx::settings
