#include "app/ScheduledCapture.h"

#include <QFileInfo>
#include <memory>

#include "app/FMCommands.h"
#include "app/RecordingModes.h"
#include "app/ShellContext.h"
#include "app/SourceCommands.h"
#include "engine/CaptureInfo.h"
#include "handoff/ScheduledRecording.h"
#include "handoff/SchedulerLink.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "playback/PlaybackSession.h"
#include "playback/PendingItem.h"
#include "playback/PlaybackInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::app {

using namespace pvx::settings;
using handoff::TChannelSelection;

namespace {

class TShellPieces final : public handoff::IScheduledShell {
 public:
  explicit TShellPieces(TShell& shell) : shell_(shell) {}

  const TCaptureSettings& RecorderSettings() const override { return shell_.Capture->Settings(); }
  void SetRecorderSettings(const TCaptureSettings& settings) override { shell_.Capture->Apply(settings); }
  void SetUnattended(bool on) override { shell_.Capture->SetUnattended(on); }
  bool HasTuner() const override { return shell_.Capture->HasTuner(); }
  bool FMEnabled() const override { return shell_.Main->FMEnabled(); }
  bool FMPanelShown() const override { return shell_.FMPanelVisible(); }
  void ToggleTVFM() override {
    const TAppMode mode = shell_.Main->Mode();
    // Once its recording has stopped, the mode switch that ends the scheduled recording lands
    // on the side this toggle shows; only the band and the panels change here.
    if (mode == amScheduledCapture)
      SwitchBandUnderRecording(shell_, !shell_.FMPanelVisible());
    else if (mode == amFMRadio)
      LeaveFM(shell_);
    else
      EnterFM(shell_);
  }
  void StopPreview() override { shell_.Capture->StopPreview(); }
  TChannelSelection CurrentSelection() const override {
    const TChannelInfo& c = *shell_.Channels;
    return {c.VideoSource(), c.CurrentTable(), c.CurrentChannel()};
  }
  void RestoreSelection(const TChannelSelection& s) override {
    if (s.Source == TChannelInfo::kTuner)
      Tune(s.Table, s.Channel);
    else
      app::SelectSource(shell_, s.Source == TChannelInfo::kSVideo  ? TSourceChoice::SVideo
                                : s.Source == TChannelInfo::kCamera ? TSourceChoice::Camera
                                                                    : TSourceChoice::Composite);
  }
  void SelectSource(qint32 kind, qint32 channel) override {
    switch (kind) {
      case handoff::rsComposite: app::SelectSource(shell_, TSourceChoice::Composite); break;
      case handoff::rsSVideo: app::SelectSource(shell_, TSourceChoice::SVideo); break;
      case handoff::rsFM: Tune(TChannelInfo::kFM, channel); break;
      default: Tune(kind, channel); break;
    }
  }
  bool StartRecording() override { return StartCapture(shell_); }
  void MarkPendingScheduled() override {
    playback::MarkPendingItemScheduled(*shell_.Playback);
    // The desktop hears of it, with the file's name (the end and failures: TellScheduler).
    platform::System().Notify(LanguageText("NoticeRecordingStarted", QStringLiteral("Scheduled recording started")),
                              QFileInfo(shell_.Capture->Recorder().CurrentFile).fileName());
  }
  bool StopRecording() override {
    const bool stopped = StopCapture(shell_, QStringLiteral("Scheduled"));
    // The Done list is written at once: the program may not be the one to close it.
    if (stopped) shell_.Playback->Lists.SaveItems();
    return stopped;
  }
  void TellScheduler(qint32 status) override { handoff::TellScheduler(status); }

 private:
  // A tuner table (antenna, cable, memory or FM) and its channel.
  void Tune(int table, int channel) {
    static constexpr TSourceChoice kTables[] = {TSourceChoice::Antenna, TSourceChoice::Cable, TSourceChoice::Memory};
    if (table < TChannelInfo::kFM) {
      app::SelectSource(shell_, kTables[table]);
    } else {
      shell_.Channels->SetVideoSource(TChannelInfo::kTuner);
      shell_.Channels->SetTable(table);
    }
    shell_.Channels->SelectChannel(channel);
  }

  TShell& shell_;
};

// The recording that runs, for the shell that started it.
struct TScheduledRun {
  const TShell* Shell = nullptr;
  std::unique_ptr<TShellPieces> Pieces;
  std::unique_ptr<handoff::TScheduledRecording> Run;
  void Reset() { Run.reset(), Pieces.reset(), Shell = nullptr; }
};

TScheduledRun& Current() {
  static TScheduledRun run;
  return run;
}

handoff::TScheduledRecording* RunOf(const TShell& shell) {
  return Current().Shell == &shell ? Current().Run.get() : nullptr;
}

}  // namespace

bool StartScheduledRecording(TShell& shell) {
  TScheduledRun& current = Current();
  current.Reset();
  current.Shell = &shell;
  current.Pieces = std::make_unique<TShellPieces>(shell);
  current.Run = std::make_unique<handoff::TScheduledRecording>(*current.Pieces);
  const bool started = current.Run->Start(platform::ProgramFolder() + "Relay.rec");
  if (!started) current.Reset();
  return started;
}

bool EndScheduledRecording(TShell& shell, bool programClosing) {
  handoff::TScheduledRecording* run = RunOf(shell);
  if (!run) return StopCapture(shell);
  const bool stopped = run->End(programClosing);
  Current().Reset();
  return stopped;
}

bool ScheduledReturnsToFM(const TShell& shell) {
  const handoff::TScheduledRecording* run = RunOf(shell);
  return run ? run->ReturnsToFM() : shell.FMPanelVisible();
}

}  // namespace pvx::app
