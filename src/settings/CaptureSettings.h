#pragma once
// Settings records that QDVCR.cfg carries for other objects: the capture engine's capture
// preferences and the audio-adjust object's lines and recording level. Their owners hold one
// of each; the main settings file reads and writes them.

#include <QString>
#include <QtGlobal>
#include <algorithm>

namespace pvx::settings {

struct TCaptureSettings {
  qint32 VideoDeviceIndex = 0;
  qint32 PixelFormatChoice = 1;  // 0 UYVY, 1 YUY2, 2 RGB24
  qint32 AudioDeviceIndex = -1;
  qint32 AudioMediaTypeIndex = 0;
  qint32 AudioInputIndex = -1;
  quint8 RecordKind = 0;    // 0 audio and video, 1 audio only, 2 no audio
  quint8 RecordFormat = 1;  // a formats::RecordFormat, "MPEG 2"
  quint8 AudioFormat = 0;   // 0 "Wave", 1 "MP3"
  qint32 CaptureWidth = 640;
  qint32 CaptureHeight = 480;
  qint32 VideoBitRateKbps = 4000;
  qint32 FrameRateCode = 5;
  quint8 Quality = 0;
  bool UseDateTimeName = true;
  QString FilePrefix = "capture";
  bool TimeLimitOn = false;
  qint32 TimeLimit = 60;  // seconds
  bool SaveTimeShift = false;
  bool Deinterlace = false;       // the live picture: off, or deinterlaced ...
  bool DeinterlaceFast = false;   // ... fast, or best (motion-adaptive)
  bool SoftwareEncoding = false;  // never the graphics card's encoder, even when it works

  // Back to the defaults above.
  void Reset() { *this = TCaptureSettings{}; }
  bool operator==(const TCaptureSettings&) const = default;
};

struct TAudioLevels {
  qint32 PlaybackLine = 0;
  qint32 RecordLine = 0;
  qint32 RecordLevel = 0;

  static constexpr qint32 kMaxLevel = 65536;
  // Mixer levels are 0..65535; requests are clamped to 0..65536.
  void SetRecordLevel(qint64 level) {
    RecordLevel = static_cast<qint32>(std::clamp<qint64>(level, 0, kMaxLevel));
  }
  bool operator==(const TAudioLevels&) const = default;
};

}  // namespace pvx::settings
