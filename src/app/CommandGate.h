#pragma once
// When a command may run: each command's gate is tested against the application's state at the
// moment it runs. A closed gate ignores the command without a word.

#include "settings/MainInfo.h"

namespace pvx::app {

// What the gates look at, read fresh for every command.
struct TDispatchState {
  settings::TAppMode Mode = settings::amClosed;
  bool Scanning = false;
  int VideoSource = 0;  // 0 tuner, 1 composite, 2 S-Video, 3 camera
  int TunerMode = 0;    // 0 antenna, 1 cable, 2 memory
  bool PIPEnabled = false;
  bool PlayerExists = false;
  bool TimeShiftEnabled = true;
  bool TimeShiftReady = false;
  int ChipFamily = 0;
};

enum class Gate {
  Always,
  NotFM,
  TVIdleOrFM,
  TunerIdle,
  TunerIdleOrChannelPreview,
  TVIdle,
  TunerOrPIP,
  TVIdleOrPlaying,
  NotLiveOrPreviewOrFM,  // Stop
  Playing,
  TimeShifting,          // starting time-shift
  RealScreen,
  Play,
  PlayGivenFile,
  FMOrTunerOrPIP,
  Scan,
  MemoriseChannel,
  ChannelPreview,
  ChannelPreviewOrFM,
  FM,
};

bool GateOpen(Gate gate, const TDispatchState& state);

}  // namespace pvx::app
