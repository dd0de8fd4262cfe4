#include "app/Application.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include "app/ChannelCommands.h"
#include "app/ControlPanels.h"
#include "app/EngineSetup.h"
#include "app/FMCommands.h"
#include "app/HomeServing.h"
#include "app/LogoForm.h"
#include "app/MainForm.h"
#include "app/MainMenu.h"
#include "app/MediaPlayerLink.h"
#include "app/ModeCommands.h"
#include "app/RecordingModes.h"
#include "app/OSDForm.h"
#include "app/PlaybackModes.h"
#include "app/SourceCommands.h"
#include "app/WarningForm.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "engine/ChannelTunerAdapter.h"
#include "engine/TunerControl.h"
#include "panels/UIInfo.h"
#include "playback/PlaybackSession.h"
#include "playback/PendingItem.h"
#include "playback/PlaybackInfo.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "platform/video/TVideoWindow.h"
#include "platform/DialogService.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "handoff/SchedulerLink.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/CountryInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/HotkeyControlInfo.h"
#include "settings/MainSettingsFile.h"
#include "settings/MultiLangInfo.h"
#include "settings/PreviewInfo.h"
#include "tuning/CountryList.h"
#include "tuning/FrequencyTable.h"
#include "util/OEMInfo.h"
#include "util/Services.h"

namespace pvx::app {

using namespace pvx::settings;
namespace ipc = pvx::platform::ipc;

namespace {

constexpr int kRequiredMediaLevel = 8;

}  // namespace

TApplication::TApplication(const platform::graph::TComponentRegistry& components,
                           QStringList arguments)
    : components_(components), arguments_(std::move(arguments)), serving_(std::make_unique<THomeServing>(shell_)) {
  settings::LogWarningsOnly(false);
  CreateModelObjects();
}

QString TApplication::FirstArgument() const {
  return arguments_.isEmpty() ? QString() : arguments_.first().toLower();
}

TApplication::~TApplication() { ShutdownApplication(); }

QString TApplication::MainSettingsPath() {
  return platform::ProgramFolder() + QString::fromLatin1(TMainSettingsFile::kFileName);
}

QString TApplication::ChannelSettingsPath() { return platform::ProgramFolder() + "QDVCR2.cfg"; }

void TApplication::CreateModelObjects() {
  // The settings objects that exist for the whole run, in their order.
  main_ = std::make_unique<TMainInfo>();
  audio_ = std::make_unique<engine::TAudioAdjustInfo>();
  hotkeys_ = std::make_unique<THotkeyControlInfo>();
  channels_ = std::make_unique<TChannelInfo>();
  preview_ = std::make_unique<TPreviewInfo>(*channels_);
  // The Done and Recent lists load now and are saved when they are freed, after the windows.
  playback_ = std::make_unique<playback::TPlaybackSession>();
}

TMainSettingsPeers TApplication::Peers(settings::TCaptureSettings& capture) {
  TMainSettingsPeers peers;
  peers.Language = language_.get();
  peers.Country = country_.get();
  peers.Capture = &capture;
  peers.Audio = &audio_->Levels;
  peers.GetDisplayAspect = [this] { return mainWindow_ ? mainWindow_->Aspect() : 0; };
  peers.SetDisplayAspect = [this](int aspect) {
    if (mainWindow_) mainWindow_->SetAspect(aspect);
  };
  return peers;
}

bool TApplication::InitializeApplication() {
  InstallWarningForm();
  QStringList missing;
  const int level = platform::System().MediaFrameworkLevel(&missing);
  if (level < kRequiredMediaLevel) {
    platform::Dialogs().MessageBox(
        QStringLiteral("Your DirectX Version is V%1.0. Sorry, we need DirectX 8.0 above. \r"
                       "Please Insatll DirectX 9.0 on CD to get the best capability.")
                .arg(level) +
            "\nMissing media components: " + missing.join(", "),
        "OKA PVX", platform::MsgButtons::Ok);
    return false;
  }
  oem_ = std::make_unique<util::TOEMInfo>();
  logo_ = new TFormLogo;
  logo_->ShowLogo();
  country_ = std::make_unique<TCountryInfo>();
  language_ = std::make_unique<TMultiLangInfo>(LanguageListPath());
  language_->SetLanguage(country_->DefaultLanguage);
  MultiLangInfo = language_.get();

  mainWindow_ = new TFormMainWindow(main_.get());
  mainWindow_->setWindowTitle("OKA PVX");
  capture_ = std::make_unique<engine::TCaptureInfo>(
      components_, EngineConfigFor(*main_, *country_, *oem_, audio_->RecordDeviceName(), mainWindow_));
  // Every snapshot, live or played, lands in the store, which shows its browser.
  capture_->Snapshots = &snapshots_;
  snapshots_.OnInsert = [this] { snapshotBrowser_.Show(mainWindow_); };
  WireRelays();
  // The engine takes the stored capture settings whole; its devices are not open yet.
  settings::TCaptureSettings capture = capture_->Settings();
  main_->LoadMainSettings(MainSettingsPath(), Peers(capture));
  capture_->Apply(capture);
  audio_->SetRecordLevel(audio_->Levels.RecordLevel);
  audio_->DetectLineInMonitor();
  if (!capture_->OpenDevices()) {
    delete logo_;
    logo_ = nullptr;
    ShowErrorCode(1000);
    return false;
  }
  tunerAdapter_ = std::make_unique<engine::TChannelTunerAdapter>(*capture_, audio_.get());
  channels_->SetTuner(tunerAdapter_.get());
  RegisterCommands();
  InstallPlayers(shell_, components_);

  started_ = true;
  // The rest runs once the event loop does, as a command: an exit asked for meanwhile (a logout
  // while the first start's wizard is open) waits for it instead of freeing what it uses.
  if (exitRequested_)
    Later([this] { dispatcher_.ExecuteCommand(commands::TCommand::Exit); });
  else
    Later([this] { dispatcher_.Post([this] { ContinueStartUp(); }); });
  return true;
}

void TApplication::ContinueStartUp() {
  if (logo_) logo_->RepaintLogo();
  panels_->CreateFMPanel();
  const bool ok = StartApplication();
  const QString first = FirstArgument();
  const bool scheduled = first == "srec_tv" || first == "srec_fm";
  if (!ok) {
    // The scheduler waits for its recording: tell it that none will start.
    if (scheduled)
      handoff::TellScheduler(ipc::kScheduledStartRefused);
    emit Started(false);
    return;
  }
  if (capture_->NoPreviewRender()) {
    EnterFM(shell_);
    if (main_->Mode() != amFMRadio) {
      // FM radio could not start: end here, and start in TV next time.
      main_->SetStartInFM(false);
      mainWindow_->close();
      emit Started(false);
      return;
    }
    panels_->PlaceFMPanelForStart();
  }
  if (main_->Mode() == amTV) {
    mainWindow_->show();
    panels_->ShowMainPanel();
  }
  mainWindow_->ApplyLanguage();
  panels_->ApplyLanguage();
  mainWindow_->OSD()->EnableOSD(true);
  // Other programs reach the window once it shows live TV.
  endpoint_ = std::make_unique<ipc::TMessageEndpoint>(
      ipc::kMainWindowClass,
      [this](quint32 message, qint32 w, qint32 l) { return HandleMessage(message, w, l); });
  endpoint_->Listen();
  mediaPlayer_ = std::make_unique<TMediaPlayerLink>(shell_, [this](quint32 m, qint32 w) { HandleMessage(m, w, 0); });
  if (arguments_.contains("--serve") || main_->Prefs().Serve) Serve(main_->Prefs().ServeOtherDevices);
  if (scheduled) HandleMessage(ipc::kMsgScheduledStart, 0, 0);
  emit Started(true);
}

void TApplication::WireRelays() {
  TFormMainWindow* window = mainWindow_;
  window->ExecuteCommand = [this](commands::TCommand code) { ExecuteCommand(code); };
  window->EngineStillShown = [this] { return capture_ && capture_->StillShown(); };
  window->SetLineMute = [this](bool on) { audio_->SetLineMute(on); };
  // Closed by the window system or the sleep timer while a command waits (a scan, a tune):
  // the exit runs once that command has returned, never under it.
  window->FormClose = [this] {
    if (dispatcher_.Busy() && !shell_.Exiting)
      dispatcher_.ExecuteNext(commands::TCommand::Exit);
    else
      ShutdownApplication();
  };
  main_->OnModeChange = [this, window](TMainInfo&, TAppMode mode) {
    window->UpdateForMode(mode);
    if (panels_) panels_->ModeChanged(mode);
  };
  audio_->OnVolumeChange = [window, this](engine::TAudioAdjustInfo&, qint32, bool muted) {
    window->SetMuteState(audio_->HasMixer(), muted);
    if (panels_) panels_->VolumeChanged(audio_->Volume(), muted);
  };
  hotkeys_->OnTextChange = [this](THotkeyControlInfo&, const QString& text) {
    if (text.isEmpty()) {
      // Nothing typed (an abandoned entry, a lone 0): the panel shows the channel that plays.
      if (panels_) panels_->ChannelChanged(channels_->CurrentChannel());
      return;
    }
    mainWindow_->OSD()->Show(text, false);
    if (panels_) panels_->EntryText(text);
  };
  hotkeys_->OnCommit = [this](THotkeyControlInfo&, const QString& text, int) {
    if (panels_) panels_->EntryText(text);
  };
  channels_->OnChannelChange = [this](TChannelInfo& channels, int channel, const QString& text) {
    mainWindow_->OSD()->Show(ChannelOSDText(channels, channel, text), true);
    if (panels_) panels_->ChannelChanged(channel);
  };
  channels_->OnSourceChange = [this, window](TChannelInfo& channels) {
    window->UpdateForSource(channels.VideoSource(), channels.CurrentTable());
    if (panels_) panels_->SourceChanged();
  };
  channels_->OnTableChange = [this, window](TChannelInfo& channels, int table) {
    window->UpdateForSource(channels.VideoSource(), table);
    if (panels_) panels_->TableChanged(table);
  };
  channels_->OnAudioModeChange = [this](TChannelInfo&, int, const QString& name) {
    mainWindow_->OSD()->Show(name, false);
    if (panels_) panels_->TVAudioText(name);
  };
  channels_->OnStandardChange = [this](TChannelInfo&, int standard) {
    if (panels_) panels_->VideoStandardText(engine::TTunerControl::StandardName(standard));
  };
  capture_->OnCaptureProgress = [this, window](engine::TCaptureInfo& engine, bool stop, bool timeShift,
                                               qint64 freeLess500k, qint64, qint64 elapsed) {
    // The size shown is what is on disk; the free-space difference counts other writers too.
    // While the buffer plays, the badge shows the play position instead.
    if (main_->Mode() != amTimeShiftPlayback) window->ShowRecordingProgress(timeShift, elapsed, engine.RecordedBytes());
    if (panels_) panels_->CaptureProgress(timeShift, elapsed, engine.RecordedBytes(), freeLess500k);
    if (stop) EndRecordingAsTold(shell_, freeLess500k);
  };
  capture_->WaveFolderActive = [this] { return shell_.FMPanelVisible(); };
  capture_->CurrentStation = [this](int& channel, QString& station) {
    channel = channels_->CurrentChannel();
    station = ChannelName(*channels_, channel);
  };
  capture_->OnTimeShiftReady = [this, window](engine::TCaptureInfo&, bool ready) {
    window->SetTimeShiftReady(ready);
    if (panels_) panels_->TimeShiftReady(ready);
  };
  capture_->OnChipDetected = [this](engine::TCaptureInfo&, const engine::TChipInfo& chip) {
    main_->SetChip({chip.Maker, chip.Model, quint8(chip.Family), chip.IsWis()});
    channels_->SetChipFamily(chip.Family);
  };
  capture_->OnVideoWindowCreated = [window](engine::TCaptureInfo&, platform::video::IVideoWindow* engineWindow, int) {
    auto* video = qobject_cast<platform::video::TVideoWindow*>(engineWindow->Widget());
    window->SetVideoWindow(video);
    window->OSD()->SetVideoWindow(video);
  };
  capture_->OnFMTuned = [this](engine::TCaptureInfo&, quint32 hertz, bool locked) {
    // The station heard is kept, so that FM radio starts on it again (after a restart too).
    channels_->KeepFMFrequency(hertz);
    if (panels_) panels_->FMTuned(hertz, locked);
  };
  capture_->OnDeviceLost = [this](engine::TCaptureInfo& engine, const QString& message, const QString& file) {
    EndRecordingOnLostDevice(shell_, engine.Unattended(), message, file);
  };
  dispatcher_.State = [this] { return DispatchStateOf(shell_); };
}

bool TApplication::StartApplication() {
  if (shutDown_) return false;
  // Start in FM radio only when asked on the command line; the stored flag only records
  // where the last run ended.
  const QString first = FirstArgument();
  capture_->SetNoPreviewRender(platform::System().WindowsVersionClass() == 2 && main_->FMEnabled() &&
                               (first == "srec_fm" || first == "fm"));
  audio_->SetMasterMute(true);
  main_->SetMode(amTV);
  if (main_->Mode() == amClosed) {
    delete logo_;
    logo_ = nullptr;
    ShowErrorCode(1001);
    audio_->SetMasterMute(false);
    QApplication::quit();
    return false;
  }
  TChannelSettingsFile::Load(ChannelSettingsPath(), *channels_, *preview_);
  saveChannels_ = true;
  mainWindow_->SetHasTuner(capture_->HasTuner());
  mainWindow_->SetHasCamera(capture_->HasAuxInput());
  panels_->Capabilities(capture_->HasTuner());
  if (!capture_->HasTuner()) {
    SelectSource(shell_, channels_->VideoSource() == 2 ? TSourceChoice::SVideo : TSourceChoice::Composite);
    main_->SetFMEnabled(false);
    capture_->SetNoPreviewRender(false);
  } else {
    if (channels_->SetupNeeded() && (first == "srec_tv" || first == "srec_fm")) {
      // Nobody is there to answer the wizard, and the recording must not wait for one.
      FirstRunChannels(shell_, country_->CountryCode);
      channels_->ApplyStandard(channels_->Standard());
      RestoreLastSource(shell_);
    } else if (channels_->SetupNeeded()) {
      channels_->ApplyStandard(channels_->Standard());
      channels_->SetVideoSource(0);
      delete logo_;
      logo_ = nullptr;
      mainWindow_->show();
      if (!SetupWizard(shell_, true) && exitRequested_) saveChannels_ = false;
    } else {
      channels_->ApplyStandard(channels_->Standard());
      if (!capture_->NoPreviewRender()) RestoreLastSource(shell_);
    }
  }
  delete logo_;
  logo_ = nullptr;
  audio_->SetMasterMute(false);
  mainWindow_->SetMuteState(audio_->HasMixer(), audio_->Muted());
  // Nobody touches the keyboard while watching: keep the screen on.
  screenSaverCookie_ = platform::System().InhibitScreenSaver("Watching television");
  return true;
}

void TApplication::RegisterCommands() {
  shell_ = TShell{main_.get(), audio_.get(), hotkeys_.get(), capture_.get(), oem_.get(), mainWindow_, &dispatcher_,
                  &snapshotBrowser_, channels_.get(), language_.get(), preview_.get(), country_.get(),
                  playback_.get(), false, {}};
  // A window closed once already (by the window system) sends no second close event.
  shell_.ApplyServing = [this](bool on, bool otherDevices) {
    if (!on) StopServing();
    return on && Serve(otherDevices) ? ServingLink() : QString();
  };
  shell_.CloseProgram = [this] {
    if (mainWindow_) mainWindow_->close();
    ShutdownApplication();
  };
  RegisterWindowCommands(shell_);
  RegisterSourceCommands(shell_);
  RegisterChannelCommands(shell_);
  RegisterAudioCommands(shell_);
  RegisterEntryCommands(shell_);
  RegisterModeCommands(shell_);
  InstallModeSwitch(shell_);
  // A row without a handler is a fault of the build: say which, and stop a debug build here.
  for (commands::TCommand code : dispatcher_.MissingHandlers())
    qCritical("OKA PVX: no handler for the command %s", commands::FindCommand(code).name.data());
  Q_ASSERT_X(dispatcher_.MissingHandlers().empty(), "RegisterCommands", "a command has no handler");
  mainWindow_->PopupMainMenu()->BindHandlers(dispatcher_);
  panels_ = std::make_unique<TControlPanels>(shell_);
  shell_.Panels = panels_.get();
  panels_->FillHooks(mainWindow_->Panels);
  mainWindow_->SleepCountdown.ShowSleepLabel = [this](bool visible) { panels_->SleepLabel(visible); };
  if (TFormOSD* osd = mainWindow_->OSD()) {
    osd->CoveringWindows = [this] {
      QList<QRect> rects = panels_->VisiblePanelRects();
      if (const QWidget* browser = snapshotBrowser_.Form(); browser && browser->isVisible())
        rects << browser->frameGeometry();
      return rects;
    };
    osd->KeyPress = mainWindow_->KeyPress;
    osd->KeyUp = [this](int key, Qt::KeyboardModifiers m) { mainWindow_->FormKeyUp(key, m); };
  }
}

void TApplication::Later(std::function<void()> work) {
  QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

qint32 TApplication::HandleMessage(quint32 message, qint32 wParam, qint32) {
  // Everything that acts takes its turn in the dispatcher, never inside a running command.
  switch (message) {
    case ipc::kMsgCommand: {
      if (IsWarningOpen()) {
        CloseWarning();
        return 0;
      }
      // An exit from outside ends what is open, as a logout does, instead of waiting behind it.
      if (wParam == commands::CodeOf(commands::TCommand::Exit)) {
        Later([this] { RequestExit(); });
        return 1;
      }
      // During a scan only the commands that act at once (stop it, exit) are taken.
      const commands::TCommandDef* def = commands::FindCommand(wParam);
      if (channels_->Scanning() && !(def && (def->flags & commands::kActsAtOnce))) return 0;
      Later([this, wParam] { ExecuteCommand(wParam); });
      return 1;
    }
    case ipc::kMsgLeaveFM:
      Later([this] { dispatcher_.Post([this] { LeaveFM(shell_); }); });
      return 1;
    case ipc::kMsgEnterFM:
      Later([this] { dispatcher_.Post([this] { EnterFM(shell_); }); });
      return 1;
    case ipc::kMsgScheduledStart:
      Later([this] { dispatcher_.Post([this] { ScheduledStart(shell_); }); });
      return 1;
    case ipc::kMsgActivate:
      if (mainWindow_->isMinimized()) mainWindow_->showNormal();
      mainWindow_->raise();
      mainWindow_->activateWindow();
      return 1;
    default:
      return 0;
  }
}

void TApplication::RequestExit() {
  if (shutDown_) return;
  exitRequested_ = true;
  // Exit stops a scan at once and runs as soon as the current command returns; before the
  // commands exist, the start ends into it.
  if (started_) dispatcher_.ExecuteNext(commands::TCommand::Exit);
  CloseDialogsForExit();
}

void TApplication::CloseDialogsForExit() {
  // A command may be waiting in an open dialog; closing it lets the queue reach Exit.
  for (int tries = 0; tries < 8 && !shutDown_; ++tries) {
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (!modal) return;
    modal->close();
    if (!modal || !modal->isVisible()) continue;
    // Its scan ends first (the exit aborts it); then it closes as after Cancel.
    if (channels_ && channels_->Scanning()) {
      QTimer::singleShot(50, this, &TApplication::CloseDialogsForExit);
      return;
    }
    // Refused with nothing running (the first start's wizard): it ends unanswered.
    if (auto* dialog = qobject_cast<QDialog*>(modal.data()))
      dialog->done(QDialog::Rejected);
    else
      modal->hide();
  }
}

quint16 TApplication::Serve(bool otherDevices) { return serving_->Serve(otherDevices); }
void TApplication::StopServing() { serving_->Stop(); }
QString TApplication::LiveStreamLink() const { return serving_->LiveStreamLink(); }
QString TApplication::ServingLink() const { return serving_->Link(); }
quint16 TApplication::ServerPort() const { return serving_->Port(); }

void TApplication::ShutdownApplication() {
  if (shutDown_) return;
  shutDown_ = true;
  // Commands still queued behind Exit would find the objects gone.
  dispatcher_.Close();
  endpoint_.reset();
  mediaPlayer_.reset();
  StopServing();
  settings::LogWarningsOnly(true);
  if (started_) {
    main_->SetMode(amClosed);
    settings::TCaptureSettings capture = capture_->Settings();
    main_->SaveMainSettings(MainSettingsPath(), Peers(capture));
    if (saveChannels_) TChannelSettingsFile::Save(ChannelSettingsPath(), *channels_, *preview_);
  }
  if (started_) ReleasePlayers(shell_);
  // The panels read the models, so they go before them.
  shell_.Panels = nullptr;
  panels_.reset();
  if (screenSaverCookie_) platform::System().ReleaseScreenSaver(screenSaverCookie_);
  screenSaverCookie_ = 0;
  if (audio_) audio_->SetMasterMute(false);
  delete logo_;
  logo_ = nullptr;
  channels_->SetTuner(nullptr);
  tunerAdapter_.reset();
  if (capture_) capture_->Snapshots = nullptr;
  capture_.reset();
  MultiLangInfo = nullptr;
  language_.reset();
  country_.reset();
  preview_.reset();
  channels_.reset();
  hotkeys_.reset();
  audio_.reset();
  // The main model stays until the application goes: the window, deleted from the event loop,
  // reads it until then.
  if (mainWindow_) {
    mainWindow_->deleteLater();
    mainWindow_ = nullptr;
  }
  playback_.reset();
  // The main window may be hidden (FM radio), so its closing alone need not end the loop.
  QCoreApplication::quit();
}

}  // namespace pvx::app
