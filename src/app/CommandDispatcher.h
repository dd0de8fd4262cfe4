#pragma once
// The one dispatcher every user action reaches as a command code: it tests the code's gate
// against the application's state and runs the operation registered for it. Keys, menus,
// panel buttons and command messages all end here.

#include <deque>
#include <functional>
#include <map>

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

// The gate of a command code; Gate::Always for codes with no entry (they have no operation).
Gate GateOf(int code);
// Whether a command passes its gate in this state.
bool Allowed(int code, const TDispatchState& state);

class TCommandDispatcher {
 public:
  std::function<TDispatchState()> State;

  // The operation of a code; one per code, set by start-up.
  void Register(int code, std::function<void()> action) { actions_[code] = std::move(action); }
  bool Has(int code) const { return actions_.count(code) != 0; }

  // Runs the command when its gate allows it; false when it was ignored. Called while another
  // command runs, it is queued and runs (gate checked then) when that one returns.
  bool ExecuteCommand(int code);
  bool Busy() const { return running_; }
  // Work that must follow the running command before anything queued (a typed channel
  // committed by it); runs at once when no command runs.
  void RunNext(std::function<void()> work);
  // As ExecuteCommand, but ahead of anything queued (an exit asked for by the system).
  bool ExecuteNext(int code);
  // The program is ending: queued commands are dropped and new ones ignored.
  void Close() {
    closed_ = true;
    pending_.clear();
  }

 private:
  bool Run(int code);
  void Drain();

  std::map<int, std::function<void()>> actions_;
  std::deque<std::function<void()>> pending_;
  bool running_ = false;
  bool closed_ = false;
};

}  // namespace pvx::app
