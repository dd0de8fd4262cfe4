#include "engine/CaptureFileName.h"

#include <QFileInfo>

#include "formats/RecordFormats.h"

namespace pvx::engine {

int StreamKindOf(const TStreamChoice& c) {
  if (c.TimeShift) return kStreamTimeShift;
  if (c.RecordKind == 1 || c.Radio) return c.AudioFormat == 1 ? kStreamMp3 : kStreamWav;
  const formats::TRecordFormatDef& format = formats::RecordFormatOrDefault(c.RecordFormat);
  if (format.Container == formats::Container::Mp4) return kStreamMp4;
  if (format.Container == formats::Container::Matroska) return kStreamMatroska;
  if (format.Container == formats::Container::Avi)
    return format.Video == formats::VideoCodec::Raw ? kStreamAvi : kStreamMpeg4Avi;
  return format.Video == formats::VideoCodec::Mpeg1 ? kStreamMpeg1 : kStreamMpeg2;
}

QString StreamExtension(int kind) {
  switch (kind) {
    case kStreamMpeg4Avi:
    case kStreamAvi: return "avi";
    case kStreamWav: return "wav";
    case kStreamMp3: return "mp3";
    case kStreamTimeShift: return "mpv";
    case kStreamMp4: return "mp4";
    case kStreamMatroska: return "mkv";
    default: return "mpg";
  }
}

QString MakeCaptureFileName(bool numbered, const QString& base, int kind, const QString& folder,
                            const QDateTime& now) {
  // Without a base name a numbered file would be the hidden ".mpg": it takes the time instead.
  const QString stem = numbered && !base.isEmpty() ? base : now.toString("yyyyMMdd_hhmmss");
  // A name with a folder part stays where it says; the existence test looks where the file goes.
  const bool hasFolder = stem.contains('/');
  // Stored folders end with a separator; one typed without it still names the folder.
  const QString where = hasFolder || folder.isEmpty() ? QString() : folder.endsWith('/') ? folder : folder + '/';
  const QString ext = "." + StreamExtension(kind);
  QString name = stem + ext;
  for (int n = 1; QFileInfo::exists(where + name); ++n) name = stem + "_" + QString::number(n) + ext;
  return where + name;
}

}  // namespace pvx::engine
