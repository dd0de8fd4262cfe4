#pragma once
// The playback modes: a file or the play list (amPlayback), the time-shift buffer
// (amTimeShiftPlayback), and the commands that steer a running player.

#include "settings/MainInfo.h"

namespace pvx::platform::graph {
class TComponentRegistry;
}

namespace pvx::app {

struct TShell;

// Connects both players to the main window; ReleasePlayers stops them and clears the hooks.
void InstallPlayers(TShell& shell, const platform::graph::TComponentRegistry& components);
void ReleasePlayers(TShell& shell);
bool PlayerExists(TShell& shell);

// The mode switch's steps.
bool EnterPlayback(TShell& shell, settings::TAppMode from);
bool LeavePlayback(TShell& shell);
bool EnterTimeShiftPlayback(TShell& shell);
bool LeaveTimeShiftPlayback(TShell& shell);

// Play (3000) while a player exists: pause or resume it.
void TogglePlayer(TShell& shell);
// Pause, forward, backward, faster, slower, real screen and the snapshot while playing.
void RegisterPlaybackCommands(TShell& shell);

}  // namespace pvx::app
