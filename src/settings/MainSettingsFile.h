#pragma once
// Reading and writing QDVCR.cfg: a flat little-endian sequence framed by 4505 and 4359, then
// extensions that older files lack: the capture block framed by 4606 and 4460, then the home
// server block framed by 4607 and 4461. Other programs read up to the trailer, so everything
// before it stays as it is.

#include <QString>

namespace pvx::settings {

class TMainInfo;
struct TMainSettingsPeers;

class TMainSettingsFile {
 public:
  static constexpr qint32 kMagic = 4505;
  static constexpr qint32 kTrailer = 4359;
  static constexpr qint32 kExtensionMagic = 4606;
  static constexpr qint32 kExtensionTrailer = 4460;
  static constexpr qint32 kServingMagic = 4607;
  static constexpr qint32 kServingTrailer = 4461;
  static constexpr const char* kFileName = "QDVCR.cfg";

  static bool Load(const QString& path, TMainInfo& main, const TMainSettingsPeers& peers);
  // The language name the file keeps; empty when it keeps none or cannot be read. Reads only:
  // a damaged file is the program's to report and set aside.
  static QString StoredLanguage(const QString& path);
  // Writes to a temporary file renamed into place, so a failed save keeps the previous file.
  // False without writing when the load could not read the file.
  static bool Save(const QString& path, const TMainInfo& main, const TMainSettingsPeers& peers);
};

}  // namespace pvx::settings
