#pragma once
// The tuner-chip family a card belongs to, told from its video device's name, and the rules
// that follow from the family and the video standard: lock readings and capture sizes.

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

namespace pvx::engine {

// 0 other, 1 Philips 713x, 2 Conexant, 3 Empia 2800, 4 Empia 282x, 5 Wis.
struct TChipInfo {
  QString Maker;
  QString Model;
  int Family = 0;

  bool IsWis() const { return Family == 5; }
  bool IsEmpia2800() const { return Family == 3; }
  // Tuners whose capture size stays put when the standard changes.
  bool IsStandardTuner() const { return Family != 2 && Family != 3 && Family != 4; }
  // Lock readings per TV tuning.
  int SignalReadings() const { return Family == 2 || Family == 4 ? 3 : Family == 3 ? 10 : 1; }
  bool operator==(const TChipInfo&) const = default;
};

// The maker and model are the first entries of the lists the name contains.
TChipInfo DetectChip(const QString& deviceName, const QStringList& makers, const QStringList& models);

// Case-insensitive "contains" where an empty part matches nothing.
bool NameContains(const QString& name, const QString& part);

// Standards with 480 lines (the NTSC bits and PAL M's neighbours below 3, and NTSC 433).
inline bool IsNtscLike(int standard) { return standard < 3 || standard == 4; }

// The capture sizes to try, in order, for the preview of a standard.
std::vector<QSize> CaptureSizes(int standard, bool deinterlace, int family);

}  // namespace pvx::engine
