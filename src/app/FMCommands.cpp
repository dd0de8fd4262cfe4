#include "app/FMCommands.h"

#include <QPointer>

#include "app/ControlPanels.h"
#include "app/MainForm.h"
#include "app/OSDForm.h"
#include "app/ShellContext.h"
#include "app/SourceCommands.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "engine/FMSeek.h"
#include "panels/FMPanelRules.h"
#include "panels/FormFMMainPanel.h"
#include "platform/Clock.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "tuning/AddFMForm.h"

namespace pvx::app {

using namespace pvx::settings;

namespace {

// The tuner settles from FM before the TV channel is tuned again.
constexpr int kTVSettleMs = 500;
// Philips tuners lose the TV sound mode while they settle; it is set again after this.
constexpr int kSoundModeSettleMs = 1000;

void Call(const std::function<void()>& hook) {
  if (hook) hook();
}

void AnnounceMode(TShell& shell) {
  if (shell.Main->OnModeChange) shell.Main->OnModeChange(*shell.Main, shell.Main->Mode());
}

void Seek(TShell& shell, bool up) {
  engine::TFMSeek seek(*shell.Capture);
  // A seek may tune for half a minute; the panel tells that it runs (its tunings show the
  // frequencies tried).
  const QPointer<panels::TFormFMMainPanel> panel = shell.Panels ? shell.Panels->FM() : nullptr;
  if (panel) panel->ShowSeeking(true);
  // Anything else the user asks for ends the seek where it is; the request then runs.
  shell.Dispatcher->SetInterrupt([&seek] { seek.Abort(); });
  seek.Run(up);
  shell.Dispatcher->SetInterrupt(nullptr);
  if (panel) panel->ShowSeeking(false);
}

}  // namespace

bool EnterFMRadioMode(TShell& shell, TAppMode from) {
  engine::TCaptureInfo& capture = *shell.Capture;
  TChannelInfo& channels = *shell.Channels;
  if (from != amTV) {
    // Back from a recording or a playback made from FM: the tuner never left FM.
    if (!capture.StartPreview()) return false;
    shell.Audio->SetLineMute(false);
    return true;
  }
  channels.SaveState();
  capture.SetRadioMode(true);  // errors 1014 and 1015 come from the engine
  if (!capture.RadioMode()) {
    channels.DropSavedState();
    return false;
  }
  // The radio's sound comes through the tuner's input.
  channels.SetVideoSource(TChannelInfo::kTuner);
  // FM starts on the station last heard in this run, else on the memory listened to; empty or off
  // the dial (a first start spreads the memories over the tuner's whole band), at the dial's
  // lower end. The memory itself is left as stored.
  const engine::TTunerControl& tuner = capture.Tuner();
  const TFMMemoryChannelRecord* memory = channels.FMRecord(channels.CurFM());
  const quint32 heard = channels.LastFMHeard() ? channels.LastFMHeard() : memory ? memory->Frequency : 0;
  const quint32 start = panels::FMStartFrequency(heard, tuner.FMMin(), tuner.FMMax());
  if (channels.CurrentTable() == TChannelInfo::kFM)
    channels.SelectChannel(channels.CurFM());
  else
    channels.SetTable(TChannelInfo::kFM);
  if (!memory || memory->Frequency != start) capture.SetFMFrequency(start);
  shell.Audio->SetLineMute(false);
  return true;
}

bool ReturnToTVFromFM(TShell& shell) {
  engine::TCaptureInfo& capture = *shell.Capture;
  TChannelInfo& channels = *shell.Channels;
  shell.Audio->SetLineMute(true);
  // A start straight into FM built the preview without its picture; TV needs it from now on.
  capture.SetNoPreviewRender(false);
  capture.SetRadioMode(false);
  if (capture.RadioMode()) {
    shell.Audio->SetLineMute(false);
    return false;
  }
  platform::Wait(kTVSettleMs);
  if (channels.HasSavedState()) {
    channels.RestoreState();
  } else {
    RestoreLastSource(shell);
  }
  if (shell.Main->Chip().Family == 1 && channels.AudioMode() < TChannelInfo::kNoAudioMode) {
    platform::Wait(kSoundModeSettleMs);
    channels.SetAudioMode(channels.AudioMode());
  }
  shell.Audio->SetLineMute(false);
  if (shell.Window->isHidden()) shell.Window->show();
  return true;
}

namespace {

// The panels and windows of each band; the mode switch is the caller's.
void ShowFMSide(TShell& shell) {
  const TPanelHooks& panels = shell.Window->Panels;
  Call(panels.HideTVPanel);
  Call(panels.ShowFMPanel);
  shell.FMPanelShown = true;
  shell.Window->hide();
}

void ShowTVSide(TShell& shell) {
  const TPanelHooks& panels = shell.Window->Panels;
  Call(panels.HideFMPanel);
  shell.FMPanelShown = false;
  Call(panels.ShowTVPanel);
  shell.Window->show();
  shell.Window->OSD()->EnableOSD(true);
}

void LeaveTVScreen(TShell& shell) {
  shell.Window->OSD()->EnableOSD(false);
  shell.Window->SetOverlayFullScreen(false);
  shell.Window->SetFullScreen(false);
}

}  // namespace

void EnterFM(TShell& shell) {
  if (shell.Main->Mode() != amTV || shell.Channels->Scanning()) return;
  LeaveTVScreen(shell);
  shell.Main->SetMode(amFMRadio);
  if (shell.Main->Mode() != amFMRadio) {
    shell.Window->OSD()->EnableOSD(true);
    return;
  }
  ShowFMSide(shell);
  AnnounceMode(shell);
}

void LeaveFM(TShell& shell) {
  if (shell.Main->Mode() != amFMRadio) return;
  // The mode switch brings back the TV source and channel stored when FM began.
  shell.Main->SetMode(amTV);
  if (shell.Main->Mode() != amTV) return;
  ShowTVSide(shell);
  AnnounceMode(shell);
  // The tuner's channel is back already; an input takes its own standard again.
  if (shell.Channels->VideoSource() != TChannelInfo::kTuner) RestoreLastSource(shell);
}

bool SwitchBandUnderRecording(TShell& shell, bool toFM) {
  if (toFM) {
    LeaveTVScreen(shell);
    if (!EnterFMRadioMode(shell, amTV)) {
      shell.Window->OSD()->EnableOSD(true);
      return false;
    }
    ShowFMSide(shell);
    return true;
  }
  shell.Capture->StopPreview();
  if (!ReturnToTVFromFM(shell)) return false;
  ShowTVSide(shell);
  if (shell.Channels->VideoSource() != TChannelInfo::kTuner) RestoreLastSource(shell);
  return true;
}

void FMStep(TShell& shell, bool up) {
  if (up)
    shell.Capture->FMUp();
  else
    shell.Capture->FMDown();
}

void KeepFMStateForExit(TShell& shell) { shell.Channels->WriteBackSavedState(); }

QPoint FMPanelStartPosition(QSize screen, QSize mainWindow, QSize panel) {
  const int half = (screen.width() - mainWindow.width()) / 2;
  const int left = half < panel.width() ? screen.width() - panel.width()
                                        : screen.width() / 2 + half - panel.width() / 2;
  return {left, (screen.height() - mainWindow.height()) / 2};
}

void RegisterFMCommands(TShell& shell) {
  TCommandDispatcher& d = *shell.Dispatcher;
  using enum commands::TCommand;
  d.Register(TVOrFM, [&shell] {
    if (shell.Main->Mode() == amFMRadio)
      LeaveFM(shell);
    else
      EnterFM(shell);
  });
  d.Register(SeekUp, [&shell] { Seek(shell, true); });
  d.Register(SeekDown, [&shell] { Seek(shell, false); });
  d.Register(FrequencyUp, [&shell] { FMStep(shell, true); });
  d.Register(FrequencyDown, [&shell] { FMStep(shell, false); });
  d.Register(MemoriseFM, [&shell] {
    tuning::AddFMFrequency(*shell.Channels, shell.Panels ? shell.Panels->FM() : nullptr, qint32(shell.Capture->Tuner().FMFrequency()));
  });
}

}  // namespace pvx::app
