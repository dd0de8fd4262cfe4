#include "app/PlaybackModes.h"

#include <QFile>
#include <QTimer>

#include "app/ControlPanels.h"
#include "app/MainForm.h"
#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "platform/video/TVideoWindow.h"
#include "playback/FilePlayback.h"
#include "playback/FormPlayListMenu.h"
#include "playback/FormPlayback.h"
#include "playback/Globals.h"
#include "playback/PlaybackInfo.h"
#include "playback/Player.h"
#include "playback/TimeShiftRoutines.h"
#include "settings/ErrorMessages.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

playback::TFilePlayer gFilePlayer;
// A picture shows in the main window even when FM radio had hidden it; leaving puts that back.
bool gMainWasVisible = true;

platform::video::TVideoWindow* WidgetOf(platform::video::IVideoWindow* window) {
  return window ? qobject_cast<platform::video::TVideoWindow*>(window->Widget()) : nullptr;
}

bool Playing() {
  const playback::IPlayer* player = playback::ActivePlayer();
  return player && player->IsPlaying();
}

// The player's state on the window: Pause or Play in the menu, the window's player flag.
void ShowPlayerState(TShell& shell) {
  shell.Window->SetPlayerRunning(Playing());
  if (shell.Panels) shell.Panels->PlayerRunning(Playing());
}

bool StopPlayers() {
  const bool stopped = playback::StopPlayback() && playback::StopTimeShiftPlayback();
  playback::ClosePlayListMenu();
  return stopped;
}

}  // namespace

void InstallPlayers(TShell& shell, const platform::graph::TComponentRegistry& components) {
  TFormMainWindow* window = shell.Window;
  engine::TCaptureInfo* capture = shell.Capture;
  playback::TPlaybackHooks& file = playback::PlaybackHooks;
  file.Components = &components;
  file.Host.Widget = window;
  file.PIPEnabled = [&shell] { return shell.Main->Prefs().PIPEnabled; };
  file.OnProgress = [&shell](int, int current, int total) {
    shell.Window->ShowPlayProgress(current, total);
    if (shell.Panels) shell.Panels->PlayPosition(false, current, total);
  };
  file.OnComplete = [&shell] {
    // The given file ends with Stop; a play list moves on through its pop-up.
    if (shell.Main->PlayGivenFile())
      QTimer::singleShot(0, shell.Window, [&shell] { shell.Dispatcher->ExecuteCommand(commands::TCommand::Stop); });
    else if (playback::PlayListMenu())
      playback::PlayListMenu()->PostEndOfStream();
  };
  file.OnVideoWindow = [window](platform::video::IVideoWindow* video, bool pip) {
    window->SetPlayer(true, WidgetOf(video), pip);
  };
  file.Snapshots = capture->Snapshots;
  file.PlayTimeShiftFile = [](const QString& path) { return playback::PlayTimeShiftFile(path); };
  file.StopTimeShiftPlayback = [] { playback::StopTimeShiftPlayback(); };

  playback::TTimeShiftHooks& shift = playback::TimeShiftHooks;
  shift.Components = &components;
  shift.Host.Widget = window;
  shift.OnVideoWindow = [window](platform::video::IVideoWindow* video) { window->SetPlayer(true, WidgetOf(video), false); };
  shift.ShowVideoWindow = [](platform::video::IVideoWindow& video, bool visible) {
    if (QWidget* widget = video.Widget()) widget->setVisible(visible);
  };
  shift.OnProgress = [&shell](playback::TTimeShiftPlaybackProject&, int, int current, int total) {
    shell.Window->ShowPlayProgress(current, total);
    if (shell.Panels) shell.Panels->PlayPosition(true, current, total);
  };
  shift.Snapshots = capture->Snapshots;

  if (playback::PlaybackInfo) {
    playback::PlaybackInfo->FilePlayer = &gFilePlayer;
    playback::PlaybackInfo->OnPlay = [window](playback::TPlaybackInfo&, int index) {
      if (window->IsPictureSwapped()) QTimer::singleShot(0, window, [window] { window->RefreshPictureSwap(); });
      if (playback::PlayListMenu()) playback::PlayListMenu()->OnPlay(index);
    };
  }
}

void ReleasePlayers() {
  StopPlayers();
  playback::ReleasePlayers();
}

bool PlayerExists() { return playback::ActivePlayer() != nullptr; }

bool EnterPlayback(TShell& shell, TAppMode from) {
  TMainInfo& main = *shell.Main;
  TFormMainWindow& window = *shell.Window;
  if (main.PlayGivenFile()) {
    if (!QFile::exists(main.GivenFilePath())) return false;
  } else if (!playback::ShowPlaybackDialog(&window, shell.FMPanelVisible()) ||
             playback::PlaybackInfo->PlayList.isEmpty()) {
    return false;
  }
  window.SetOverlayFullScreen(false);
  gMainWasVisible = window.isVisible();
  window.show();
  if (from == amFMRadio || !main.Prefs().PIPEnabled) shell.Capture->StopPreview();
  const bool played =
      main.PlayGivenFile() ? playback::PlayFile(main.GivenFilePath()) : playback::PlaybackInfo->PlayIndex(0);
  if (!played) {
    playback::ClosePlayListMenu();
    window.SetPlayer(false);
    static_cast<QWidget&>(window).setVisible(gMainWasVisible);
    if (!main.Prefs().PIPEnabled) shell.Capture->StartPreview();
    return false;
  }
  // A sound file shows no picture, yet it is a player all the same.
  if (!window.PlayerExists()) window.SetPlayer(true);
  if (!main.PlayGivenFile() && playback::PlaybackInfo->PlayList.size() > 1)
    playback::ShowPlayListMenu(&window);
  ShowPlayerState(shell);
  return true;
}

bool LeavePlayback(TShell& shell) {
  if (!StopPlayers()) return false;
  shell.Window->SetPlayer(false);
  static_cast<QWidget*>(shell.Window)->setVisible(gMainWasVisible);
  return true;
}

bool EnterTimeShiftPlayback(TShell& shell) {
  if (!playback::StartTimeShiftPlayback(*shell.Capture)) return false;
  ShowPlayerState(shell);
  return true;
}

bool LeaveTimeShiftPlayback(TShell& shell) {
  const bool ended = playback::EndTimeShift(*shell.Capture);
  shell.Window->SetPlayer(false);
  return ended;
}

void TogglePlayer(TShell& shell) {
  const bool pause = Playing();
  playback::ForEachPlayer([pause](playback::IPlayer& player) {
    if (player.IsPlaying() == pause) pause ? player.Pause() : player.Play();
  });
  if (shell.Main->Prefs().PIPEnabled && shell.Window->IsPictureSwapped()) shell.Window->RefreshPictureSwap();
  ShowPlayerState(shell);
}

void RegisterPlaybackCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  using enum commands::TCommand;
  d.Register(Pause, [&shell] { TogglePlayer(shell); });
  d.Register(Forward, [] { playback::ForEachPlayer([](playback::IPlayer& player) { player.Forward(); }); });
  d.Register(Backward, [] { playback::ForEachPlayer([](playback::IPlayer& player) { player.Backward(); }); });
  d.Register(FastSpeed, [] { playback::FasterPlayback(); });
  d.Register(SlowSpeed, [] { playback::SlowerPlayback(); });
  d.Register(RealScreen, [&shell] {
    if (shell.Main->Mode() == amTimeShifting)
      shell.Window->ToggleTimeShiftingPreview();
    else if (playback::TimeShiftPlayback)
      playback::TimeShiftPlayback->SetVideoHidden(!playback::TimeShiftPlayback->IsVideoHidden());
  });
}

}  // namespace pvx::app
