#include "app/PlaybackModes.h"

#include <QFile>
#include <QTimer>

#include "app/ControlPanels.h"
#include "app/MainForm.h"
#include "app/RecordingModes.h"
#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "platform/video/TVideoWindow.h"
#include "playback/FilePlayback.h"
#include "playback/FormPlayListMenu.h"
#include "playback/FormPlayback.h"
#include "playback/PlaybackInfo.h"
#include "playback/PlaybackSession.h"
#include "playback/Player.h"
#include "playback/TimeShiftRoutines.h"
#include "settings/ErrorMessages.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {


platform::video::TVideoWindow* WidgetOf(platform::video::IVideoWindow* window) {
  return window ? qobject_cast<platform::video::TVideoWindow*>(window->Widget()) : nullptr;
}

bool Playing(TShell& shell) {
  const playback::IPlayer* player = playback::ActivePlayer(*shell.Playback);
  return player && player->IsPlaying();
}

// The player's state on the window: Pause or Play in the menu, the window's player flag.
void ShowPlayerState(TShell& shell) {
  shell.Window->SetPlayerRunning(Playing(shell));
  if (shell.Panels) shell.Panels->PlayerRunning(Playing(shell));
}

bool StopPlayers(TShell& shell) {
  const bool stopped = playback::StopPlayback(*shell.Playback) && playback::StopTimeShiftPlayback(*shell.Playback);
  playback::ClosePlayListMenu();
  return stopped;
}

}  // namespace

void InstallPlayers(TShell& shell, const platform::graph::TComponentRegistry& components) {
  TFormMainWindow* window = shell.Window;
  engine::TCaptureInfo* capture = shell.Capture;
  playback::TPlaybackSession& session = *shell.Playback;
  playback::TPlaybackHooks& file = session.FileHooks;
  file.Components = &components;
  file.Host.Widget = window;
  file.PIPEnabled = [&shell] { return shell.Main->Prefs().PIPEnabled; };
  file.OnProgress = [&shell](int, int current, int total) {
    shell.Window->ShowPlayProgress(current, total, !Playing(shell));
    if (shell.Panels) shell.Panels->PlayPosition(false, current, total);
  };
  file.OnComplete = [&shell] {
    // The given file ends with Stop; a play list moves on through its pop-up, which goes round.
    // Without the pop-up the list plays on to its last entry and then returns to live TV.
    playback::TPlaybackInfo& lists = shell.Playback->Lists;
    if (!shell.Main->PlayGivenFile() && playback::PlayListMenu())
      playback::PlayListMenu()->PostEndOfStream();
    else if (!shell.Main->PlayGivenFile() && lists.CurrentIndex + 1 < lists.PlayList.size())
      QTimer::singleShot(0, shell.Window, [&lists] { lists.PlayNext(); });
    else
      QTimer::singleShot(0, shell.Window, [&shell] { shell.Dispatcher->ExecuteCommand(commands::TCommand::Stop); });
  };
  file.OnVideoWindow = [window](platform::video::IVideoWindow* video, bool pip) {
    window->SetPlayer(true, WidgetOf(video), pip);
  };
  file.Snapshots = capture->Snapshots;
  file.PlayTimeShiftFile = [&session](const QString& path) { return playback::PlayTimeShiftFile(session, path); };
  file.StopTimeShiftPlayback = [&session] { playback::StopTimeShiftPlayback(session); };

  playback::TTimeShiftHooks& shift = session.TimeShiftHooks;
  shift.Components = &components;
  shift.Host.Widget = window;
  shift.OnVideoWindow = [window](platform::video::IVideoWindow* video) { window->SetPlayer(true, WidgetOf(video), false); };
  shift.ShowVideoWindow = [](platform::video::IVideoWindow& video, bool visible) {
    if (QWidget* widget = video.Widget()) widget->setVisible(visible);
  };
  shift.OnProgress = [&shell](playback::TTimeShiftPlaybackProject&, int, int current, int total) {
    shell.Window->ShowPlayProgress(current, total, !Playing(shell));
    if (shell.Panels) shell.Panels->PlayPosition(true, current, total);
  };
  shift.Snapshots = capture->Snapshots;
  shift.PIPEnabled = file.PIPEnabled;
  shift.RecordedChannel = [&shell] { return RecordedChannel(shell); };

  session.Lists.OnPlay = [window](playback::TPlaybackInfo&, int index) {
    if (window->IsPictureSwapped()) QTimer::singleShot(0, window, [window] { window->RefreshPictureSwap(); });
    if (playback::PlayListMenu()) playback::PlayListMenu()->OnPlay(index);
  };
}

void ReleasePlayers(TShell& shell) {
  StopPlayers(shell);
  playback::ReleasePlayers(*shell.Playback);
}

bool PlayerExists(TShell& shell) { return playback::ActivePlayer(*shell.Playback) != nullptr; }

bool EnterPlayback(TShell& shell, TAppMode from) {
  TMainInfo& main = *shell.Main;
  TFormMainWindow& window = *shell.Window;
  playback::TPlaybackInfo& lists = shell.Playback->Lists;
  if (main.PlayGivenFile()) {
    if (!QFile::exists(main.GivenFilePath())) return false;
  } else if (!playback::ShowPlaybackDialog(lists, &window, shell.FMPanelVisible()) || lists.PlayList.isEmpty()) {
    return false;
  }
  window.SetOverlayFullScreen(false);
  shell.MainWasVisible = window.isVisible();
  window.show();
  if (from == amFMRadio || !main.Prefs().PIPEnabled) shell.Capture->StopPreview();
  const bool played =
      main.PlayGivenFile() ? playback::PlayFile(*shell.Playback, main.GivenFilePath()) : lists.PlayIndex(0);
  if (!played) {
    playback::ClosePlayListMenu();
    window.SetPlayer(false);
    static_cast<QWidget&>(window).setVisible(shell.MainWasVisible);
    if (!main.Prefs().PIPEnabled) shell.Capture->StartPreview();
    return false;
  }
  // A sound file shows no picture, yet it is a player all the same.
  if (!window.PlayerExists()) window.SetPlayer(true);
  if (!main.PlayGivenFile() && lists.PlayList.size() > 1) playback::ShowPlayListMenu(lists, &window);
  ShowPlayerState(shell);
  return true;
}

bool LeavePlayback(TShell& shell) {
  if (!StopPlayers(shell)) return false;
  shell.Window->SetPlayer(false);
  static_cast<QWidget*>(shell.Window)->setVisible(shell.MainWasVisible);
  return true;
}

bool EnterTimeShiftPlayback(TShell& shell) {
  if (!playback::StartTimeShiftPlayback(*shell.Playback, *shell.Capture)) return false;
  ShowPlayerState(shell);
  return true;
}

bool LeaveTimeShiftPlayback(TShell& shell) {
  const bool ended = playback::EndTimeShift(*shell.Playback, *shell.Capture);
  shell.Window->SetPlayer(false);
  return ended;
}

void TogglePlayer(TShell& shell) {
  const bool pause = Playing(shell);
  playback::ForEachPlayer(*shell.Playback, [pause](playback::IPlayer& player) {
    if (player.IsPlaying() == pause) pause ? player.Pause() : player.Play();
  });
  if (shell.Main->Prefs().PIPEnabled && shell.Window->IsPictureSwapped()) shell.Window->RefreshPictureSwap();
  ShowPlayerState(shell);
}

void RegisterPlaybackCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  using enum commands::TCommand;
  d.Register(Pause, [&shell] { TogglePlayer(shell); });
  playback::TPlaybackSession& session = *shell.Playback;
  d.Register(Forward, [&session] { playback::ForEachPlayer(session, [](playback::IPlayer& player) { player.Forward(); }); });
  d.Register(Backward,
             [&session] { playback::ForEachPlayer(session, [](playback::IPlayer& player) { player.Backward(); }); });
  d.Register(FastSpeed, [&session] { playback::FasterPlayback(session); });
  d.Register(SlowSpeed, [&session] { playback::SlowerPlayback(session); });
  d.Register(RealScreen, [&shell, &session] {
    if (shell.Main->Mode() == amTimeShifting)
      shell.Window->ToggleTimeShiftingPreview();
    else if (session.TimeShift)
      session.TimeShift->SetVideoHidden(!session.TimeShift->IsVideoHidden());
  });
}

}  // namespace pvx::app
