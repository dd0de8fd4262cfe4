#include "ui/settings/CaptureProfiles.h"

#include "settings/CaptureSettings.h"

namespace pvx::ui {

TCaptureProfile CaptureProfile(int format, int chipFamily) {
  const formats::TRecordFormatDef& f = formats::RecordFormatOrDefault(format);
  TCaptureProfile p;
  for (const formats::TFrameSize& size : f.Sizes) {
    // The Empia 2800 records 640x576 into AVI where other cards offer 640x240.
    const bool empia = chipFamily == 3 && f.Container == formats::Container::Avi &&
                       size == formats::TFrameSize{640, 240};
    p.Sizes << (empia ? SizeText(640, 576) : SizeText(size.Width, size.Height));
  }
  p.Size = SizeText(f.Size.Width, f.Size.Height);
  p.SizeEnabled = f.SizeFree;
  p.BitRate = f.BitRateKbps;
  p.BitRateEnabled = f.BitRateFree;
  p.BitRateIsCap = f.IsConstantQuality();
  p.Quality = f.Quality;
  p.QualityEnabled = f.QualityFree;
  p.FrameRate = f.FrameRate - 1;
  p.FrameRateEnabled = f.FrameRateFree;
  return p;
}

QStringList RecordFormatNames() {
  QStringList names;
  for (const formats::TRecordFormatDef& f : formats::RecordFormats())
    names << QString::fromLatin1(f.Name.data(), qsizetype(f.Name.size()));
  return names;
}

QStringList AudioFormatNames() {
  QStringList names;
  for (const formats::TAudioFormatDef& f : formats::AudioFormats())
    names << QString::fromLatin1(f.Name.data(), qsizetype(f.Name.size()));
  return names;
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
