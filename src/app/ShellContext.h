#pragma once
// What the command handlers work on: the shell's objects, created and freed by the
// application in their fixed order.

#include <functional>

#include "app/CommandDispatcher.h"

namespace pvx::engine {
class TAudioAdjustInfo;
class TCaptureInfo;
}  // namespace pvx::engine
namespace pvx::settings {
class TChannelInfo;
class TCountryInfo;
class TMainInfo;
class TMultiLangInfo;
class TPreviewInfo;
class THotkeyControlInfo;
}  // namespace pvx::settings
namespace pvx::util {
class TOEMInfo;
}
namespace pvx::snapshots {
class TSnapshotBrowser;
}
namespace pvx::playback {
struct TPlaybackSession;
}

namespace pvx::app {

class TControlPanels;
class TFormMainWindow;

struct TShell {
  settings::TMainInfo* Main = nullptr;
  engine::TAudioAdjustInfo* Audio = nullptr;
  settings::THotkeyControlInfo* Hotkeys = nullptr;
  engine::TCaptureInfo* Capture = nullptr;
  util::TOEMInfo* OEM = nullptr;
  TFormMainWindow* Window = nullptr;
  TCommandDispatcher* Dispatcher = nullptr;
  snapshots::TSnapshotBrowser* SnapshotBrowser = nullptr;
  settings::TChannelInfo* Channels = nullptr;
  settings::TMultiLangInfo* Language = nullptr;
  settings::TPreviewInfo* Preview = nullptr;
  const settings::TCountryInfo* Country = nullptr;
  playback::TPlaybackSession* Playback = nullptr;
  // Exit was asked for: work still to do before it (a tune after a scan) is skipped.
  bool Exiting = false;
  // Closes the main window and runs the exit sequence (once).
  std::function<void()> CloseProgram;

  // FM radio shows its own panel instead of the main window: the panel's answer, or without a
  // panel whether FM radio has put it up (recording from FM keeps it).
  bool FMPanelVisible() const;
  bool FMPanelShown = false;
  // A played picture shows in the main window even when FM radio had hidden it; leaving the
  // playback puts that back.
  bool MainWasVisible = true;
  // The TV and FM panels; nullptr before start-up creates them and after the exit.
  TControlPanels* Panels = nullptr;
  // Starts, moves or stops the home server; the page's address with its token, empty when it
  // does not serve.
  std::function<QString(bool on, bool otherDevices)> ApplyServing;
};

// The handlers, by domain; each registers its commands with the shell's dispatcher.
void RegisterWindowCommands(TShell& shell);
void RegisterSourceCommands(TShell& shell);
void RegisterChannelCommands(TShell& shell);
void RegisterAudioCommands(TShell& shell);
void RegisterEntryCommands(TShell& shell);
void RegisterModeCommands(TShell& shell);
void RegisterFMCommands(TShell& shell);

}  // namespace pvx::app
