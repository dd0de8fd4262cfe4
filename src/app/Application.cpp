#include "app/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>

#include "app/AboutDialog.h"
#include "app/ChannelPreviewGrid.h"
#include "app/KeyboardMap.h"
#include "app/LogoForm.h"
#include "app/MainForm.h"
#include "app/MainMenu.h"
#include "app/OSDForm.h"
#include "app/WarningForm.h"
#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "engine/ChannelTunerAdapter.h"
#include "platform/DialogService.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemServices.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
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
constexpr int kVolumeStep = 0x1999;  // a tenth of the range
// The engine reports free space less this margin; at or below it the disk counts as full.
constexpr qint64 kDiskFullMargin = 500000;

QString Caption(const char* key, const char* builtIn) {
  const QString text = MultiLangInfo ? MultiLangInfo->LookupCaption(key) : QString();
  return text.isEmpty() ? QString::fromLatin1(builtIn) : text;
}

}  // namespace

TApplication::TApplication(const platform::graph::TComponentRegistry& components,
                           QStringList arguments)
    : components_(components), arguments_(std::move(arguments)) {
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
  MainInfo = main_.get();
  audio_ = std::make_unique<engine::TAudioAdjustInfo>();
  hotkeys_ = std::make_unique<THotkeyControlInfo>();
  ChannelInfo = new TChannelInfo;
  PreviewInfo = new TPreviewInfo(*ChannelInfo);
}

TMainSettingsPeers TApplication::Peers() {
  TMainSettingsPeers peers;
  peers.Language = MultiLangInfo;
  peers.Country = CountryInfo;
  peers.Capture = capture_.get();
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
  CountryInfo = new TCountryInfo;
  MultiLangInfo = new TMultiLangInfo(LanguageListPath());
  MultiLangInfo->SetLanguage(CountryInfo->DefaultLanguage);

  mainWindow_ = new TFormMainWindow;
  mainWindow_->setWindowTitle("OKA PVX");
  capture_ = std::make_unique<engine::TCaptureInfo>(mainWindow_, components_);
  capture_->VideoNameOverride = oem_->DeviceNames[0];
  capture_->CrossbarNameOverride = oem_->DeviceNames[1];
  capture_->TunerNameOverride = oem_->DeviceNames[2];
  capture_->TVAudioNameOverride = oem_->DeviceNames[3];
  capture_->TuningPause = oem_->TuningPause;
  capture_->PreferredAudioDevice = audio_->RecordDeviceName();
  WireRelays();
  main_->LoadMainSettings(MainSettingsPath(), Peers());
  audio_->SetRecordLevel(audio_->Levels.RecordLevel);
  audio_->DetectLineInMonitor();
  if (!capture_->OpenDevices()) {
    delete logo_;
    logo_ = nullptr;
    ShowErrorCode(1000);
    return false;
  }
  tunerAdapter_ = std::make_unique<engine::TChannelTunerAdapter>(*capture_, audio_.get());
  ChannelInfo->SetTuner(tunerAdapter_.get());
  RegisterCommands();
  InstallModeActions();

  started_ = true;
  // The rest runs once the event loop does.
  QMetaObject::invokeMethod(this, &TApplication::ContinueStartUp, Qt::QueuedConnection);
  return true;
}

void TApplication::ContinueStartUp() {
  if (logo_) logo_->RepaintLogo();
  const bool ok = StartApplication();
  const QString first = FirstArgument();
  const bool scheduled = first == "srec_tv" || first == "srec_fm";
  if (!ok) {
    // The scheduler waits for its recording: tell it that none will start.
    if (scheduled)
      ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgScheduledStatus, ipc::kScheduledStartRefused, 0);
    emit Started(false);
    return;
  }
  if (capture_->NoPreviewRender) {
    main_->SetMode(amFMRadio);
    if (main_->Mode != amFMRadio) {
      // FM radio could not start: end here, and start in TV next time.
      main_->StartInFM = false;
      mainWindow_->close();
      emit Started(false);
      return;
    }
  }
  if (main_->Mode == amTV) mainWindow_->show();
  mainWindow_->ApplyLanguage();
  if (FormOSD) FormOSD->EnableOSD(true);
  // Other programs reach the window once it shows live TV.
  endpoint_ = std::make_unique<ipc::TMessageEndpoint>(
      ipc::kMainWindowClass,
      [this](quint32 message, qint32 w, qint32 l) { return HandleMessage(message, w, l); });
  endpoint_->Listen();
  if (scheduled)
    QMetaObject::invokeMethod(
        this, [this] { HandleMessage(ipc::kMsgScheduledStart, 0, 0); }, Qt::QueuedConnection);
  emit Started(true);
}

void TApplication::WireRelays() {
  TFormMainWindow* window = mainWindow_;
  window->ExecuteCommand = [this](int code) { ExecuteCommand(code); };
  window->KeyUp = [this](int key, Qt::KeyboardModifiers m) { OnKeyUp(key, m); };
  window->KeyPress = [this](QChar c) { OnKeyPress(c); };
  window->EngineStillShown = [this] { return capture_ && capture_->StillShown; };
  window->SelectCamera = [this] { SelectSource(-3); };
  window->SetLineMute = [this](bool on) { audio_->SetLineMute(on); };
  window->FormClose = [this] { ShutdownApplication(); };
  // The preview grid shows consecutive valid channels of the current list, row by row.
  TPreviewSource source;
  auto cellChannel = [](int cell) {
    const int d = PreviewInfo->Dimension;
    return PreviewInfo->Grid[size_t(cell / d)][size_t(cell % d)].Channel;
  };
  source.Count = [] { return PreviewInfo->Count(); };
  source.Name = [cellChannel](int cell) { return TChannelPreviewGrid::CellLabel(1, cellChannel(cell)); };
  source.Tune = [cellChannel](int cell) { ChannelInfo->SelectChannel(cellChannel(cell)); };
  source.Select = [cellChannel](int cell) { ChannelInfo->SelectChannel(cellChannel(cell)); };
  source.Dimension = [] { return int(PreviewInfo->Dimension); };
  source.Interval = [] { return int(PreviewInfo->Interval); };
  source.FirstPage = [] { PreviewInfo->Fill(ChannelInfo->CurrentChannel()); };
  source.NextPage = [] { PreviewInfo->NextPage(); };
  window->PreviewSource = source;

  main_->OnModeChange = [window](TMainInfo&, TAppMode mode) { window->UpdateForMode(mode); };
  audio_->OnVolumeChange = [window, this](engine::TAudioAdjustInfo&, qint32, bool muted) {
    window->SetMuteState(audio_->HasMixer(), muted);
  };
  hotkeys_->OnTextChange = [](THotkeyControlInfo&, const QString& text) { ShowOSD(text, false); };
  hotkeys_->SelectChannel = [this](int channel) { SelectTypedChannel(channel); };
  ChannelInfo->OnChannelChange = [](TChannelInfo&, int, const QString& text) {
    if (!text.isEmpty()) ShowOSD(text, false);
  };
  ChannelInfo->OnSourceChange = [window](TChannelInfo& channels) {
    window->UpdateForSource(channels.VideoSource, channels.CurrentTable);
  };
  ChannelInfo->OnTableChange = [window](TChannelInfo& channels, int table) {
    window->UpdateForSource(channels.VideoSource, table);
  };
  ChannelInfo->OnAudioModeChange = [](TChannelInfo&, int, const QString& name) { ShowOSD(name, false); };
  capture_->OnCaptureProgress = [this](engine::TCaptureInfo&, bool stop, bool, qint64 freeLess500k,
                                       qint64, qint64) { OnCaptureProgress(stop, freeLess500k); };
  capture_->OnTimeShiftReady = [window](engine::TCaptureInfo&, bool ready) { window->SetTimeShiftReady(ready); };
  capture_->OnVideoWindowCreated = [window](engine::TCaptureInfo&, platform::video::TVideoWindow* video, int) {
    window->SetVideoWindow(video);
    if (FormOSD) FormOSD->SetVideoWindow(video);
  };
  dispatcher_.State = [this] { return DispatchState(); };
}

void TApplication::OnCaptureProgress(bool stop, qint64 freeLess500k) {
  // The running figures are for the panels; the shell only acts when the engine says stop.
  if (!stop) return;
  const bool unattended = capture_->Unattended;
  // What the Stop command does; recording from FM radio returns to TV until FM has a panel.
  main_->SetMode(amTV);
  if (freeLess500k > kDiskFullMargin) return;  // a time limit, not a full disk
  if (unattended)
    ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgScheduledStatus, ipc::kScheduledDiskFull, 0);
  else
    ShowErrorCode(1101);
}

TDispatchState TApplication::DispatchState() const {
  TDispatchState s;
  s.Mode = main_->Mode;
  s.Scanning = ChannelInfo && ChannelInfo->Scanning;
  s.VideoSource = ChannelInfo ? ChannelInfo->VideoSource : 0;
  s.TunerMode = ChannelInfo ? ChannelInfo->CurrentTable : 0;
  s.PIPEnabled = main_->PIPEnabled;
  s.PlayerExists = mainWindow_ && mainWindow_->PlayerExists();
  s.TimeShiftEnabled = main_->TimeShiftEnabled;
  s.TimeShiftReady = capture_ && capture_->TimeShiftReady;
  s.ChipFamily = main_->ChipFamily;
  return s;
}

bool TApplication::StartApplication() {
  if (shutDown_) return false;
  // Start in FM radio only when asked on the command line; the stored flag only records
  // where the last run ended.
  const QString first = FirstArgument();
  capture_->NoPreviewRender = platform::System().WindowsVersionClass() == 2 && main_->FMEnabled &&
                              (first == "srec_fm" || first == "fm");
  audio_->SetMasterMute(true);
  main_->SetMode(amTV);
  if (main_->Mode == amClosed) {
    delete logo_;
    logo_ = nullptr;
    ShowErrorCode(1001);
    audio_->SetMasterMute(false);
    QApplication::quit();
    return false;
  }
  TChannelSettingsFile::Load(ChannelSettingsPath(), *ChannelInfo, *PreviewInfo);
  mainWindow_->SetHasTuner(capture_->HasTuner);
  mainWindow_->SetHasCamera(capture_->HasAuxInput);
  if (!capture_->HasTuner) {
    SelectSource(ChannelInfo->VideoSource == 2 ? 205 : 204);
    main_->FMEnabled = false;
    main_->StartInFM = false;
    capture_->NoPreviewRender = false;
  } else {
    if (ChannelInfo->SetupNeeded()) {
      FirstRunChannels();
      ChannelInfo->ApplyStandard(ChannelInfo->Standard);
      RestoreLastSource();
    } else {
      ChannelInfo->ApplyStandard(ChannelInfo->Standard);
      if (!capture_->NoPreviewRender) RestoreLastSource();
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

void TApplication::FirstRunChannels() {
  // Until the setup wizard has run, the channels of the user's country plan are offered as
  // they are, so the first start already shows television.
  TChannelInfo& channels = *ChannelInfo;
  const tuning::TCountryPosition at = tuning::EntryForCode(CountryInfo ? CountryInfo->CountryCode : 1);
  const tuning::TTuningEntry entry = tuning::CountryEntry(at.Letter, at.Position);
  tuning::TFrequencyBlock antenna{}, cable{};
  if (!tuning::LoadFrequencyTable(entry.TableIndex, antenna, cable)) return;
  tuning::ApplyFrequencyBlock(antenna, [&](int n) -> TChannelRecord& { return *channels.ChannelRecord(false, n); });
  tuning::ApplyFrequencyBlock(cable, [&](int n) -> TChannelRecord& { return *channels.ChannelRecord(true, n); });
  for (int n = 1; n <= 160; ++n) {
    for (bool isCable : {false, true}) {
      TChannelRecord* record = channels.ChannelRecord(isCable, n);
      record->Valid = record->Frequency != 0;
      record->Standard = entry.Standard;
    }
  }
  channels.TableIndex = entry.TableIndex;
  channels.Standard = entry.Standard;
  channels.SetCountryCode(entry.CountryCode);
  channels.VideoSource = 0;
  channels.CurrentTable = 0;
}

void TApplication::RestoreLastSource() {
  switch (ChannelInfo->VideoSource) {
    case 0: {
      // Antenna, cable or memory with its channel.
      const int table = ChannelInfo->CurrentTable <= 2 ? ChannelInfo->CurrentTable : 0;
      ChannelInfo->SetVideoSource(0);
      ChannelInfo->CurrentTable = 0xFF;  // force the table's channel to be tuned again
      ChannelInfo->SetTable(table);
      break;
    }
    case 2: SelectSource(205); break;
    case 3: SelectSource(-3); break;
    default: SelectSource(204); break;
  }
}

void TApplication::InstallModeActions() {
  main_->LeaveMode = [this](TAppMode from, TAppMode to) { return LeaveMode(from, to); };
  main_->EnterMode = [this](TAppMode from, TAppMode to) { return EnterMode(from, to); };
}

bool TApplication::LeaveMode(TAppMode from, TAppMode to) {
  switch (from) {
    case amTV:
      if (to == amChannelPreview || to == amPlayback || to == amFMRadio) return true;
      return capture_->StopPreview();
    case amChannelPreview:
      mainWindow_->LeaveChannelPreview();
      return true;
    case amFMRadio:
      return to == amPlayback || capture_->StopPreview();
    case amClosed:
      return true;
    default:
      // Recording, playback and time-shifting have no graph of their own here yet.
      return capture_->StopPreview();
  }
}

bool TApplication::EnterMode(TAppMode from, TAppMode to) {
  switch (to) {
    case amTV:
      if (from == amChannelPreview) return true;
      if (from == amFMRadio) {
        capture_->SetRadioMode(false);
        mainWindow_->show();
        return !capture_->RadioMode;
      }
      audio_->SetLineMute(false);
      return capture_->StartPreview();
    case amChannelPreview:
      if (PreviewInfo->Count() < 1) {
        ShowErrorCode(1006);
        return false;
      }
      return mainWindow_->EnterChannelPreview();
    case amClosed:
      return true;
    default:
      // FM needs its panel, recording, playback and time-shifting their graphs and players;
      // until those exist the switch fails and the mode stays as it was, with its picture back.
      if (from == amTV && to != amPlayback && to != amFMRadio) capture_->StartPreview();
      return false;
  }
}

void TApplication::RegisterCommands() {
  TCommandDispatcher& d = dispatcher_;
  d.Register(1, [this] {
    main_->StartInFM = false;
    mainWindow_->close();
  });
  d.Register(2, [this] { mainWindow_->showMinimized(); });
  d.Register(5, [this] {
    if (mainWindow_->isMinimized())
      mainWindow_->showNormal();
    else
      mainWindow_->showMinimized();
  });
  d.Register(3, [this] { mainWindow_->SetFullScreen(!mainWindow_->IsFullScreen()); });
  d.Register(8, [this] {
    if (main_->Mode != amChannelPreview)
      main_->SetMode(amChannelPreview);
    else
      mainWindow_->LeavePreviewWithSelection();
  });
  d.Register(11, [] {
    const QString name = MultiLangInfo ? "PVX_" + MultiLangInfo->LanguageName + ".html" : QString();
    QString help = name.isEmpty() ? QString() : platform::DataFile(name);
    if (help.isEmpty()) help = platform::DataFile("PVX.html");
    if (!help.isEmpty()) platform::System().OpenUrl(help);
  });
  d.Register(12, [this] { mainWindow_->SleepCountdown.Execute(mainWindow_); });
  d.Register(13, [this] {
    TDialogAbout about(*oem_, mainWindow_);
    about.exec();
  });
  d.Register(14, [] { util::OpenTVGuide(); });
  d.Register(200, [this] { CycleSource(); });
  for (int code : {201, 202, 203, 204, 205, 206}) d.Register(code, [this, code] { SelectSource(code); });
  d.Register(300, [this] { CycleTVAudioMode(); });
  d.Register(401, [this] { StepVolume(+1); });
  d.Register(402, [this] { StepVolume(-1); });
  d.Register(403, [this] { ToggleMute(); });
  d.Register(1000, [this] {
    if (!capture_->GrabSnapshot()) ShowErrorCode(1008);
  });
  d.Register(1001, [this] { main_->SetMode(amCapture); });
  d.Register(1002, [this] { main_->SetMode(amTV); });
  d.Register(2000, [this] { main_->SetMode(amTimeShifting); });
  d.Register(3000, [this] {
    main_->PlayGivenFile = false;
    main_->SetMode(main_->Mode == amTimeShifting ? amTimeShiftPlayback : amPlayback);
  });
  d.Register(3001, [this] {
    main_->PlayGivenFile = true;
    main_->SetMode(amPlayback);
  });
  d.Register(4001, [] { ChannelInfo->ChannelUp(); });
  d.Register(4002, [] { ChannelInfo->ChannelDown(); });
  d.Register(4003, [] { ChannelInfo->Recall(); });
  d.Register(4004, [] {
    if (ChannelInfo->Scanning) {
      ChannelInfo->AbortScan = true;
      return;
    }
    if (ChannelInfo->CurrentTable <= 1) ChannelInfo->AutoScan(ChannelInfo->CurrentTable);
    ChannelInfo->SelectChannel(ChannelInfo->CurrentChannel());
  });
  d.Register(5001, [this] { mainWindow_->FormKeyUp(Qt::Key_Return, {}); });
  d.Register(5002, [this] { mainWindow_->FormKeyUp(Qt::Key_Left, {}); });
  d.Register(5003, [this] { mainWindow_->FormKeyUp(Qt::Key_Right, {}); });
  d.Register(6000, [this] { main_->SetMode(main_->Mode == amFMRadio ? amTV : amFMRadio); });
  for (int digit = 0; digit <= 9; ++digit)
    d.Register(10000 + digit, [this, digit] { hotkeys_->Key(QChar('0' + digit)); });
  for (int n : {10, 11, 12}) {
    d.Register(10000 + n, [this, n] {
      for (QChar c : QString::number(n)) hotkeys_->Key(c);
      hotkeys_->Key(QChar(13));
    });
  }
  d.Register(10020, [this] { hotkeys_->Key(QChar(13)); });
  d.Register(10021, [this] { hotkeys_->Key(QChar(27)); });
  d.Register(10100, [this] { hotkeys_->Key(QChar('.')); });
}

void TApplication::SelectSource(int code) {
  TChannelInfo& channels = *ChannelInfo;
  int table = -1, source = -1;
  switch (code) {
    case 201: table = 0; break;
    case 202: table = 1; break;
    case 203: table = 2; break;
    case 206: table = channels.VideoSource != 0 ? 0 : channels.CurrentTable == 0 ? 1 : 0; break;
    case 204: source = 1; break;
    case 205: source = 2; break;
    case -3: source = 3; break;
    default: return;
  }
  if (table >= 0) {
    channels.SetVideoSource(0);
    if (!channels.ApplyStandard(channels.Standard)) ShowErrorCode(2009);
    channels.SetTable(table);
  } else {
    channels.SetVideoSource(source);
    const int standard = source == 2 ? channels.SVideoStandard : channels.CompositeStandard;
    if (!channels.ApplyStandard(standard)) ShowErrorCode(2009);
  }
  mainWindow_->UpdateForSource(channels.VideoSource, channels.CurrentTable);
}

void TApplication::CycleSource() {
  const TChannelInfo& c = *ChannelInfo;
  const bool camera = capture_->HasAuxInput;
  int next = 204;
  if (capture_->HasTuner) {
    if (c.VideoSource == 0) next = c.CurrentTable == 0 ? 202 : c.CurrentTable == 1 ? 203 : 204;
    else if (c.VideoSource == 1) next = 205;
    else if (c.VideoSource == 2) next = camera ? -3 : 201;
    else next = 201;
  } else {
    next = c.VideoSource == 1 ? 205 : (c.VideoSource == 2 && camera) ? -3 : 204;
  }
  SelectSource(next);
}

void TApplication::CycleTVAudioMode() {
  TChannelInfo& c = *ChannelInfo;
  if (c.VideoSource != 0) return;
  const int current = c.AudioMode < 5 ? c.AudioMode : 0;
  for (int step = 1; step <= 5; ++step) {
    const int mode = (current + step) % 5;
    if (mode == 2 && (c.Standard <= 1 || c.Standard == 11)) continue;
    if (c.SetAudioMode(mode)) {
      if (c.CurrentTable <= 1) {
        if (auto* record = c.ChannelRecord(c.CurrentTable == 1, c.CurrentChannel()))
          record->AudioMode = quint8(mode);
      }
      return;
    }
  }
}

void TApplication::StepVolume(int direction) {
  const qint64 requested = qint64(audio_->Volume()) + direction * kVolumeStep;
  if (audio_->HasMixer()) audio_->SetVolume(requested);
  qint64 percent = requested * 100 / 65536;
  percent = direction > 0 ? qMin<qint64>(percent, 100) : qMax<qint64>(percent, 0);
  ShowOSD(Caption("Volume", "Volume") + " " + QString::number(percent) + "%", false);
}

void TApplication::ToggleMute() {
  const bool mute = !audio_->Muted();
  if (audio_->HasMixer()) audio_->SetMasterMute(mute);
  ShowOSD(Caption("Mute", "Mute") + (mute ? " ON" : " OFF"), false);
}

void TApplication::OnKeyUp(int key, Qt::KeyboardModifiers modifiers) {
  const bool keypad = modifiers & Qt::KeypadModifier;
  const int command = CommandForKey(key, modifiers, keypad, false);
  switch (command) {
    case kKeyNone: return;
    case kKeyPopupMenu:
      mainWindow_->PopupMenuAt(mainWindow_->mapToGlobal(QPoint(mainWindow_->width(), mainWindow_->height())));
      return;
    case kKeyEscape:
      if (mainWindow_->IsFullScreen()) mainWindow_->SetFullScreen(false);
      return;
    case kKeyEnterFullScreen:
      if (!mainWindow_->IsFullScreen()) mainWindow_->SetFullScreen(true);
      return;
    case kKeyTogglePIP: main_->PIPEnabled = !main_->PIPEnabled; return;
    case kKeyShowVersion: ShowVersion(); return;
    default: ExecuteCommand(command);
  }
}

void TApplication::ShowVersion() {
  platform::Dialogs().MessageBox(
      "Version = " + util::FileVersionText(QCoreApplication::applicationFilePath(), "%d.%d.%d.%d"),
      "OKA PVX", platform::MsgButtons::Ok);
}

void TApplication::OnKeyPress(QChar character) {
  // Typed keys go through their commands, so their gates apply and a tuning in progress
  // finishes first.
  int code = 0;
  if (character.isDigit()) code = 10000 + character.digitValue();
  else if (character == '.') code = 10100;
  else if (character == QChar(13)) code = 10020;
  else if (character == QChar(27)) code = 10021;
  if (code) ExecuteCommand(code);
}

void TApplication::SelectTypedChannel(int channel) {
  // The entry may commit while a tuning waits (its timer) or from a command: tune right after.
  dispatcher_.RunNext([channel] {
    if (ChannelInfo) ChannelInfo->SelectChannel(channel);
  });
}

qint32 TApplication::HandleMessage(quint32 message, qint32 wParam, qint32) {
  switch (message) {
    case ipc::kMsgCommand:
      if (IsWarningOpen()) {
        CloseWarning();
        return 0;
      }
      if (ChannelInfo->Scanning && wParam != 4004) return 0;
      // Run from the event loop, so a sender never waits on a modal dialog.
      QMetaObject::invokeMethod(this, [this, wParam] { ExecuteCommand(wParam); }, Qt::QueuedConnection);
      return 1;
    case ipc::kMsgLeaveFM:
      if (main_->Mode == amFMRadio) main_->SetMode(amTV);
      return 1;
    case ipc::kMsgEnterFM:
      if (main_->Mode == amTV) main_->SetMode(amFMRadio);
      return 1;
    case ipc::kMsgScheduledStart:
      if (main_->Mode == amTV || main_->Mode == amFMRadio) main_->SetMode(amScheduledCapture);
      if (main_->Mode != amScheduledCapture)
        ipc::PostMessage(ipc::kSchedulerWindowClass, ipc::kMsgScheduledStatus, ipc::kScheduledStartRefused, 0);
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
  // A command may be waiting in an open dialog; closing it lets the queue reach Exit.
  for (int tries = 0; tries < 8; ++tries) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) break;
    modal->close();
  }
  if (!shutDown_) dispatcher_.ExecuteNext(1);
}

void TApplication::ShutdownApplication() {
  if (shutDown_) return;
  shutDown_ = true;
  // Commands still queued behind Exit would find the objects gone.
  dispatcher_.Close();
  endpoint_.reset();
  if (started_) {
    main_->SetMode(amClosed);
    main_->SaveMainSettings(MainSettingsPath(), Peers());
    TChannelSettingsFile::Save(ChannelSettingsPath(), *ChannelInfo, *PreviewInfo);
  }
  if (screenSaverCookie_) platform::System().ReleaseScreenSaver(screenSaverCookie_);
  screenSaverCookie_ = 0;
  if (audio_) audio_->SetMasterMute(false);
  delete logo_;
  logo_ = nullptr;
  ChannelInfo->SetTuner(nullptr);
  tunerAdapter_.reset();
  capture_.reset();
  delete MultiLangInfo;
  MultiLangInfo = nullptr;
  delete CountryInfo;
  CountryInfo = nullptr;
  delete PreviewInfo;
  PreviewInfo = nullptr;
  delete ChannelInfo;
  ChannelInfo = nullptr;
  hotkeys_.reset();
  audio_.reset();
  MainInfo = nullptr;
  main_.reset();
  if (mainWindow_) {
    mainWindow_->deleteLater();
    mainWindow_ = nullptr;
  }
  // The main window may be hidden (FM radio), so its closing alone need not end the loop.
  QCoreApplication::quit();
}

}  // namespace pvx::app
