#include "app/CommandGate.h"

#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "settings/ChannelInfo.h"

namespace pvx::app {

using namespace pvx::settings;
using commands::Gate;

TDispatchState DispatchStateOf(const TShell& shell) {
  TDispatchState s;
  s.Mode = shell.Main->Mode();
  s.Scanning = shell.Channels->Scanning();
  s.VideoSource = shell.Channels->VideoSource();
  s.TunerMode = shell.Channels->CurrentTable();
  s.PIPEnabled = shell.Main->Prefs().PIPEnabled;
  s.PlayerExists = shell.Window && shell.Window->PlayerExists();
  s.TimeShiftEnabled = shell.Main->TimeShiftEnabled();
  s.TimeShiftReady = shell.Capture && shell.Capture->TimeShiftReady();
  s.ChipFamily = shell.Main->Chip().Family;
  return s;
}

bool GateOpen(Gate gate, const TDispatchState& s) {
  const bool tvIdle = s.Mode == amTV && !s.Scanning;
  const bool tunerIdle = tvIdle && s.VideoSource == 0;
  const bool pipPlaying = s.PIPEnabled && s.PlayerExists;
  const bool tunerOrPIP = tunerIdle || pipPlaying;
  const bool playing = s.Mode == amPlayback || s.Mode == amTimeShiftPlayback;
  const bool fm = s.Mode == amFMRadio;
  switch (gate) {
    case Gate::Always: return true;
    case Gate::NotFM: return !fm;
    case Gate::TVIdleOrFM: return tvIdle || fm;
    case Gate::TunerIdle: return tunerIdle;
    case Gate::TunerIdleOrChannelPreview: return tunerIdle || s.Mode == amChannelPreview;
    case Gate::TVIdle: return tvIdle;
    case Gate::TunerOrPIP: return tunerOrPIP;
    case Gate::TVIdleOrPlaying: return tvIdle || playing;
    case Gate::NotLiveOrPreviewOrFM:
      return s.Mode != amTV && s.Mode != amChannelPreview && s.Mode != amFMRadio;
    case Gate::Playing: return playing;
    case Gate::TimeShifting: return s.TimeShiftEnabled && s.ChipFamily != 5 && tvIdle;
    case Gate::RealScreen: return s.Mode == amTimeShifting || s.Mode == amTimeShiftPlayback;
    case Gate::Play:
      return tvIdle || fm || playing || (s.Mode == amTimeShifting && s.TimeShiftReady);
    case Gate::PlayGivenFile: return tvIdle || fm || s.PlayerExists;
    case Gate::FMOrTunerOrPIP: return fm || tunerOrPIP;
    case Gate::Scan: return tunerIdle || s.Scanning;
    case Gate::MemoriseChannel: return tunerOrPIP && (s.TunerMode == 0 || s.TunerMode == 1);
    case Gate::ChannelPreview: return s.Mode == amChannelPreview;
    case Gate::ChannelPreviewOrFM: return s.Mode == amChannelPreview || fm;
    case Gate::FM: return fm;
  }
  return false;
}

}  // namespace pvx::app
