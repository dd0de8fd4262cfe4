#include "ui/settings/CaptureProfiles.h"

#include "settings/CaptureSettings.h"

namespace pvx::ui {

TCaptureProfile CaptureProfile(int format, int chipFamily) {
  using P = TCaptureProfile;
  const QStringList mpeg4Sizes{"160x120", "320x240", "352x240", "352x288",
                               chipFamily == 3 ? "640x576" : "640x240",
                               "640x480", "720x480", "720x576"};
  switch (format) {
    case 0:
      return P{{"160x120", "240x176", "320x240", "320x288", "352x240", "352x288"},
               "320x240", true, 1350, true, kQualityNormal, true, kRate30, true};
    case 2:
    case 3:
      return P{mpeg4Sizes, "352x240", true, 2000, false, kQualityFastest, false, kRate30, true};
    case 4:
      return P{{"352x240"}, "352x240", false, 1150, false, kQualityNormal, false, kRate2997, false};
    case 5:
      return P{{"352x288"}, "352x288", false, 1150, false, kQualityNormal, false, kRate25, false};
    case 6:
      return P{{"720x480"}, "720x480", false, 3950, true, kQualityFastest, true, kRate2997, false};
    case 7:
      return P{{"720x576"}, "720x576", false, 3950, true, kQualityFastest, true, kRate25, false};
    case 8:
      return P{{"480x480"}, "480x480", false, 2300, false, kQualityNormal, false, kRate2997, false};
    case 9:
      // A PAL SVCD runs at 25 frames a second; 29.97 would be shown but never recorded.
      return P{{"480x576"}, "480x576", false, 2300, false, kQualityNormal, false, kRate25, false};
    default:
      return P{{"160x120", "320x240", "320x288", "352x288", "640x240", "640x480", "720x480", "720x576"},
               "640x240", true, 4000, true, kQualityFastest, true, kRate30, true};
  }
}

QString SizeText(int width, int height) {
  return QStringLiteral("%1x%2").arg(width, 3).arg(height, 3);
}

bool ParseSizeText(const QString& text, int* width, int* height) {
  bool okW = false, okH = false;
  const int w = text.mid(0, 3).trimmed().toInt(&okW);
  const int h = text.mid(4, 3).trimmed().toInt(&okH);
  if (!okW || !okH) return false;
  *width = w;
  *height = h;
  return true;
}

int StoredCaptureWidth(int chipFamily, int width, int height, bool ntsc) {
  return chipFamily == 3 && width == 720 && height == 480 && !ntsc ? 640 : width;
}

QString LevelText(int position, int maximum) {
  return QString::number(maximum > 0 ? qint64(position) * 100 / maximum : 0) + '%';
}

QString AudioFormatText(const QString& name) {
  static const QString lead = QStringLiteral("Major Type: Audio - Sub Type: PCM Format: ");
  return name.startsWith(lead) ? name.mid(lead.size()) : name;
}

int LevelFromPosition(int position, int maximum) {
  constexpr qint64 full = settings::TAudioLevels::kMaxLevel;
  return maximum > 0 ? int(qint64(position) * full / maximum) : 0;
}

int PositionFromLevel(int level, int maximum) {
  constexpr qint64 full = settings::TAudioLevels::kMaxLevel;
  return int((qint64(level) * maximum + full / 2) / full);
}

}  // namespace pvx::ui
