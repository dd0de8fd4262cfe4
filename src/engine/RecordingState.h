#pragma once
// What the recording and time-shift graphs keep while they run: the recording clock and its
// figures, and the time-shift flags.

#include <QtGlobal>

#include "platform/TTimer.h"

namespace pvx::engine {

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
  int AudioBitRate = 224000, AudioChannels = 2, AudioSampleRate = 48000;
};

struct TTimeShiftState {
  bool Active = false;
  bool Ready = false;
};

}  // namespace pvx::engine
