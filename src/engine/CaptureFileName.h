#pragma once
// Stream kinds of a recording and the names of the files they are written to.

#include <QDateTime>
#include <QString>

namespace pvx::engine {

// 0 MPEG-1, 1 MPEG-2, 2 MPEG-4 in AVI, 3 AVI, 4 WAV, 5 MP3, 6 MPEG-1 time-shift pair,
// 7 H.264 in MP4, 8 H.264 or HEVC in Matroska.
enum StreamKind : int {
  kStreamMpeg1 = 0,
  kStreamMpeg2 = 1,
  kStreamMpeg4Avi = 2,
  kStreamAvi = 3,
  kStreamWav = 4,
  kStreamMp3 = 5,
  kStreamTimeShift = 6,
  kStreamMp4 = 7,
  kStreamMatroska = 8,
};

struct TStreamChoice {
  int RecordFormat = 1;
  int RecordKind = 0;
  int AudioFormat = 0;
  bool Radio = false;
  bool TimeShift = false;
};

int StreamKindOf(const TStreamChoice& choice);
// "mpg", "avi", "wav", "mp3", "mpv", "mp4" or "mkv".
QString StreamExtension(int kind);

// Numbered: base.ext, base_1.ext, base_2.ext ... the first that does not exist. Otherwise the
// local date and time "yyyyMMdd_hhmmss.ext", numbered the same way when that name is taken so an
// earlier recording is never overwritten. A base without a folder part goes into `folder`.
QString MakeCaptureFileName(bool numbered, const QString& base, int kind, const QString& folder,
                            const QDateTime& now = QDateTime::currentDateTime());

}  // namespace pvx::engine
