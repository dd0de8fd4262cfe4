#include "app/ModeCommands.h"

#include "app/FMCommands.h"
#include "app/MainForm.h"
#include "app/OSDForm.h"
#include "app/PlaybackModes.h"
#include "app/RecordingModes.h"
#include "app/ScheduledCapture.h"
#include "playback/FilePlayback.h"
#include "playback/PlaybackSession.h"
#include "playback/TimeShiftRoutines.h"
#include "app/ShellContext.h"
#include "app/SourceCommands.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "handoff/SchedulerLink.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/PreviewInfo.h"

namespace pvx::app {

using namespace pvx::settings;
namespace ipc = pvx::platform::ipc;

namespace {

bool LeaveMode(TShell& shell, TAppMode from, TAppMode to) {
  switch (from) {
    case amTV:
      if (to == amChannelPreview || to == amPlayback || to == amFMRadio) return true;
      return shell.Capture->StopPreview();
    case amChannelPreview:
      shell.Window->LeaveChannelPreview();
      return true;
    case amFMRadio:
      return to == amPlayback || shell.Capture->StopPreview();
    case amCapture:
      return StopCapture(shell);
    case amScheduledCapture:
      return EndScheduledRecording(shell, to == amClosed);
    case amPlayback:
      return LeavePlayback(shell);
    case amTimeShifting:
      return to == amTimeShiftPlayback || LeaveTimeShiftPlayback(shell);
    case amTimeShiftPlayback:
      return LeaveTimeShiftPlayback(shell);
    case amClosed:
      return true;
    default:
      return shell.Capture->StopPreview();
  }
}

bool EnterMode(TShell& shell, TAppMode from, TAppMode to) {
  engine::TCaptureInfo& capture = *shell.Capture;
  switch (to) {
    case amTV:
      if (from == amChannelPreview) return true;
      if (from == amFMRadio) return ReturnToTVFromFM(shell);
      shell.Audio->SetLineMute(false);
      // After picture-in-picture the live picture never stopped.
      if (from == amPlayback && shell.Main->Prefs().PIPEnabled) return true;
      // A card that is gone leaves live TV without a picture until it is back.
      return capture.StartPreview() || capture.DeviceLost();
    case amChannelPreview:
      if (shell.Preview->Count() < 1) {
        ShowErrorCode(1006);
        return false;
      }
      return shell.Window->EnterChannelPreview();
    case amCapture:
    case amScheduledCapture:
    case amTimeShifting: {
      const bool started = to == amCapture            ? StartCapture(shell)
                           : to == amScheduledCapture ? StartScheduledRecording(shell)
                                                      : playback::StartTimeShiftRecording(*shell.Playback, capture);
      // A refused recording keeps the live picture it replaced.
      if (!started && (from == amTV || from == amFMRadio)) capture.StartPreview();
      return started;
    }
    case amPlayback:
      return EnterPlayback(shell, from);
    case amTimeShiftPlayback:
      return EnterTimeShiftPlayback(shell);
    case amFMRadio:
      return EnterFMRadioMode(shell, from);
    case amClosed:
      return true;
    default:
      return false;
  }
}

// The preview grid shows consecutive valid channels of the current list, row by row.
TPreviewSource ChannelPreviewSource(settings::TPreviewInfo& preview, settings::TChannelInfo& channels) {
  TPreviewSource source;
  auto cellChannel = [&preview](int cell) {
    const int d = preview.Dimension;
    return preview.Grid[size_t(cell / d)][size_t(cell % d)].Channel;
  };
  source.Count = [&preview] { return preview.Count(); };
  source.Name = [cellChannel](int cell) { return TChannelPreviewGrid::CellLabel(1, cellChannel(cell)); };
  source.Tune = [cellChannel, &channels](int cell) { channels.SelectChannel(cellChannel(cell)); };
  source.Select = [cellChannel, &channels](int cell) { channels.SelectChannel(cellChannel(cell)); };
  source.Dimension = [&preview] { return int(preview.Dimension); };
  source.Interval = [&preview] { return int(preview.Interval); };
  source.FirstPage = [&preview, &channels] { preview.Fill(channels.CurrentChannel()); };
  source.NextPage = [&preview] { preview.NextPage(); };
  return source;
}

}  // namespace

void InstallModeSwitch(TShell& shell) {
  shell.Main->LeaveMode = [&shell](TAppMode from, TAppMode to) { return LeaveMode(shell, from, to); };
  shell.Main->EnterMode = [&shell](TAppMode from, TAppMode to) { return EnterMode(shell, from, to); };
}

void StopRecordingMode(TShell& shell) {
  // The scheduler's recording may have switched between TV and FM; its end switches back.
  const bool fm = shell.Main->Mode() == amScheduledCapture ? ScheduledReturnsToFM(shell) : shell.FMPanelVisible();
  shell.Main->SetMode(fm ? amFMRadio : amTV);
}

void ScheduledStart(TShell& shell) {
  TMainInfo& main = *shell.Main;
  // The recording's own start answers the scheduler when it fails.
  if (main.Mode() == amTV || main.Mode() == amFMRadio)
    main.SetMode(amScheduledCapture);
  else
    handoff::TellScheduler(ipc::kScheduledStartRefused);
}

void RegisterModeCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  TMainInfo& main = *shell.Main;
  TFormMainWindow* window = shell.Window;
  window->PreviewSource = ChannelPreviewSource(*shell.Preview, *shell.Channels);
  using enum commands::TCommand;
  d.Register(ChannelPreview, [&main, window] {
    if (main.Mode() != amChannelPreview)
      main.SetMode(amChannelPreview);
    else
      window->LeavePreviewWithSelection();
  });
  d.Register(PreviewSelect, [window] { window->FormKeyUp(Qt::Key_Return, {}); });
  // In FM radio the remote's left and right step the frequency.
  for (const bool up : {false, true}) {
    d.Register(up ? Right : Left, [&shell, up] {
      if (shell.Main->Mode() == amFMRadio)
        FMStep(shell, up);
      else
        shell.Window->FormKeyUp(up ? Qt::Key_Right : Qt::Key_Left, {});
    });
  }
  d.Register(Snapshot, [&shell] {
    // The played picture while a player runs (the players say when they fail), else the live one.
    if (shell.Playback->File)
      playback::SnapshotPlayback(*shell.Playback);
    else if (shell.Playback->TimeShift)
      playback::SnapshotTimeShiftPlayback(*shell.Playback);
    else if (!shell.Capture->GrabSnapshot())
      ShowErrorCode(1008);
    // The browser came up; the keys stay with the picture.
    if (!shell.Window->IsOverlayFullScreen()) {
      shell.Window->activateWindow();
      shell.Window->setFocus();
    }
  });
  d.Register(Capture, [&main] { main.SetMode(amCapture); });
  d.Register(Stop, [&shell] { StopRecordingMode(shell); });
  d.Register(TimeShifting, [&main] { main.SetMode(amTimeShifting); });
  d.Register(Play, [&shell, &main] {
    if (PlayerExists(shell)) return TogglePlayer(shell);
    main.SetPlayGivenFile(false);
    main.SetMode(main.Mode() == amTimeShifting ? amTimeShiftPlayback : amPlayback);
  });
  d.Register(PlayGivenFile, [&shell, &main] {
    if (PlayerExists(shell)) return TogglePlayer(shell);
    shell.Window->SetOverlayFullScreen(false);
    main.SetPlayGivenFile(true);
    main.SetMode(amPlayback);
  });
  RegisterPlaybackCommands(shell);
  RegisterFMCommands(shell);
}

}  // namespace pvx::app
