#pragma once
// When a command may run, named by the state it needs. The shell tests the gate against its
// state at the moment the command runs; a closed gate ignores the command without a word.

namespace pvx::commands {

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

}  // namespace pvx::commands
