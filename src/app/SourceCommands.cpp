#include "app/SourceCommands.h"

#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"

namespace pvx::app {

using settings::TChannelInfo;

namespace {

enum Source { kTuner = 0, kComposite = 1, kSVideo = 2, kCamera = 3 };
enum Table { kAntenna = 0, kCable = 1, kMemory = 2 };

// The source after the current one: antenna, cable, memory (with a tuner), composite,
// S-Video, the camera when the card has one, and round again.
TSourceChoice NextSource(const TChannelInfo& c, bool tuner, bool camera) {
  using enum TSourceChoice;
  if (!tuner)
    return c.VideoSource() == kComposite            ? SVideo
           : (c.VideoSource() == kSVideo && camera) ? Camera
                                                    : Composite;
  switch (c.VideoSource()) {
    case kTuner:
      return c.CurrentTable() == kAntenna ? Cable : c.CurrentTable() == kCable ? Memory : Composite;
    case kComposite: return SVideo;
    case kSVideo: return camera ? Camera : Antenna;
    default: return Antenna;
  }
}

}  // namespace

void SelectSource(TShell& shell, TSourceChoice choice) {
  TChannelInfo& channels = *shell.Channels;
  int table = -1, source = -1;
  switch (choice) {
    case TSourceChoice::Antenna: table = kAntenna; break;
    case TSourceChoice::Cable: table = kCable; break;
    case TSourceChoice::Memory: table = kMemory; break;
    case TSourceChoice::AntennaOrCable:
      table = channels.VideoSource() != kTuner      ? kAntenna
              : channels.CurrentTable() == kAntenna ? kCable
                                                    : kAntenna;
      break;
    case TSourceChoice::Composite: source = kComposite; break;
    case TSourceChoice::SVideo: source = kSVideo; break;
    case TSourceChoice::Camera: source = kCamera; break;
  }
  if (table >= 0) {
    channels.SetVideoSource(kTuner);
    if (!channels.ApplyStandard(channels.Standard())) settings::ShowErrorCode(2009);
    channels.SetTable(table);
  } else {
    channels.SetVideoSource(source);
    const int standard = source == kSVideo ? channels.SVideoStandard() : channels.CompositeStandard();
    if (!channels.ApplyStandard(standard)) settings::ShowErrorCode(2009);
  }
  shell.Window->UpdateForSource(channels.VideoSource(), channels.CurrentTable());
}

void RestoreLastSource(TShell& shell) {
  TChannelInfo& channels = *shell.Channels;
  switch (channels.VideoSource()) {
    case kTuner: {
      // Antenna, cable or memory with its channel.
      const int table = channels.CurrentTable() <= kMemory ? int(channels.CurrentTable()) : int(kAntenna);
      channels.SetVideoSource(kTuner);
      channels.ReselectTable(table);
      break;
    }
    case kSVideo: SelectSource(shell, TSourceChoice::SVideo); break;
    case kCamera: SelectSource(shell, TSourceChoice::Camera); break;
    default: SelectSource(shell, TSourceChoice::Composite); break;
  }
}

void RegisterSourceCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  using enum commands::TCommand;
  const std::pair<commands::TCommand, TSourceChoice> choices[] = {
      {Antenna, TSourceChoice::Antenna},     {Cable, TSourceChoice::Cable},
      {Memory, TSourceChoice::Memory},       {AntennaOrCable, TSourceChoice::AntennaOrCable},
      {Composite, TSourceChoice::Composite}, {SVideo, TSourceChoice::SVideo}};
  for (const auto& [code, choice] : choices)
    d.Register(code, [&shell, choice] { SelectSource(shell, choice); });
  d.Register(SwitchVideoSource, [&shell] {
    SelectSource(shell, NextSource(*shell.Channels, shell.Capture->HasTuner(), shell.Capture->HasAuxInput()));
  });
  // The camera item selects its input directly, not through a command.
  shell.Window->SelectCamera = [&shell] { SelectSource(shell, TSourceChoice::Camera); };
}

}  // namespace pvx::app
