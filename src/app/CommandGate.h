#pragma once
// Whether a command's gate is open in the application's state of the moment.

#include "commands/Gate.h"
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

struct TShell;
// The state the gates look at, read from the running shell.
TDispatchState DispatchStateOf(const TShell& shell);

bool GateOpen(commands::Gate gate, const TDispatchState& state);

}  // namespace pvx::app
