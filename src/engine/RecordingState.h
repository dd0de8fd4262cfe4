#pragma once
// What the recording and time-shift graphs keep while they run: the recording clock and its
// figures, the file being written, the sound parameters, and the time-shift flags. Also the
// block of recording settings that time-shifting and the scheduled hand-off put aside.

#include <QString>
#include <QtGlobal>

#include "platform/TTimer.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

// Recordings stop (and do not start) with this much free space or less.
inline constexpr qint64 kMinFreeBytes = 500000;

struct TRecordingState {
  TRecordingState() {
    Timer.SetInterval(1000);
    Timer.SetEnabled(false);
  }
  // A recording or time-shift graph is running: tuning, inputs and preview rebuilds are refused.
  bool Recording = false;
  platform::TTimer Timer;
  qint64 ElapsedSeconds = 0;
  qint64 BytesWritten = 0;
  qint64 FreeAtStart = 0;
  // Full name of the file being (or last) written.
  QString CurrentFile;
  int AudioBitRate = 224000, AudioChannels = 2, AudioSampleRate = 48000;
};

struct TTimeShiftState {
  bool Active = false;
  bool Ready = false;
};

// The recording settings a time-shift run or a scheduled recording replaces for a while.
struct TRecordingSettingsBlock {
  quint8 RecordFormat = 1;
  quint8 AudioFormat = 0;
  qint32 VideoBitRateKbps = 4000;
  qint32 FrameRateCode = 5;
  quint8 Quality = 0;
  qint32 CaptureWidth = 640, CaptureHeight = 480;
  bool TimeLimitOn = false;
  qint32 TimeLimit = 60;
  bool UseDateTimeName = true;
  QString FilePrefix = "capture";
  quint8 RecordKind = 0;
  bool operator==(const TRecordingSettingsBlock&) const = default;
};

inline TRecordingSettingsBlock SaveRecordingBlock(const settings::TCaptureSettings& s) {
  return {s.RecordFormat, s.AudioFormat,  s.VideoBitRateKbps, s.FrameRateCode,
          s.Quality,      s.CaptureWidth, s.CaptureHeight,    s.TimeLimitOn,
          s.TimeLimit,    s.UseDateTimeName, s.FilePrefix,    s.RecordKind};
}

inline void RestoreRecordingBlock(settings::TCaptureSettings& s, const TRecordingSettingsBlock& b) {
  s.RecordFormat = b.RecordFormat;
  s.AudioFormat = b.AudioFormat;
  s.VideoBitRateKbps = b.VideoBitRateKbps;
  s.FrameRateCode = b.FrameRateCode;
  s.Quality = b.Quality;
  s.CaptureWidth = b.CaptureWidth;
  s.CaptureHeight = b.CaptureHeight;
  s.TimeLimitOn = b.TimeLimitOn;
  s.TimeLimit = b.TimeLimit;
  s.UseDateTimeName = b.UseDateTimeName;
  s.FilePrefix = b.FilePrefix;
  s.RecordKind = b.RecordKind;
}

}  // namespace pvx::engine
