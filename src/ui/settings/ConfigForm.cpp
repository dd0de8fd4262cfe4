#include "ui/settings/ConfigForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/DialogService.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "settings/MultiLangInfo.h"
#include "ui/settings/CapturePage.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigApply.h"
#include "ui/settings/ConfigText.h"
#include "ui/settings/FMPage.h"
#include "ui/settings/FolderField.h"
#include "ui/settings/OtherPage.h"
#include "ui/settings/PreviewPage.h"
#include "ui/settings/ServingGroup.h"
#include "ui/settings/TunerPage.h"
#include "ui/settings/VideoPage.h"
#include "util/Folders.h"

namespace pvx::ui {

using settings::TChannelInfo;

namespace {

// FM range of a tuner that reports none.
constexpr qint32 kFMLow = 87500000, kFMHigh = 108000000;

const settings::TCaptureSettings& CaptureSettingsOf(const TConfigEnvironment& env,
                                                    const settings::TCaptureSettings& spare) {
  if (env.Recording) return *env.Recording;
  return env.Capture ? env.Capture->Settings() : spare;
}

TCaptureLists ListsOf(const engine::TCaptureInfo* capture) {
  if (!capture) return {};
  return {capture->Devices().VideoDevices(), capture->Devices().AudioDevices(),
          capture->Formats().AudioInputNames(), capture->Formats().AudioMediaTypeNames()};
}

int RecordLevel(const TConfigEnvironment& env) { return env.Audio ? env.Audio->Levels.RecordLevel : 0; }

}  // namespace

TFormConfig::TFormConfig(TConfigEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment)) {
  setObjectName(QStringLiteral("FormConfig"));
  setWindowTitle(QStringLiteral("Setup"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* layout = new QVBoxLayout(this);
  PageControlConfig = Named(new QTabWidget(this), "PageControlConfig");
  layout->addWidget(PageControlConfig, 1);
  auto* buttons = new QHBoxLayout;
  BitBtnHelp_ = Named(new QPushButton(QStringLiteral("Help"), this), "BitBtnHelp");
  BitBtnOK_ = Named(new QPushButton(QStringLiteral("OK"), this), "BitBtnOK");
  BitBtnCancel_ = Named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtnCancel");
  BitBtnOK_->setDefault(true);
  BitBtnHelp_->setAutoDefault(false);
  BitBtnCancel_->setAutoDefault(false);
  buttons->addWidget(BitBtnHelp_);
  buttons->addStretch(1);
  buttons->addWidget(BitBtnOK_);
  buttons->addWidget(BitBtnCancel_);
  layout->addLayout(buttons);
  connect(BitBtnOK_, &QPushButton::clicked, this, &TFormConfig::BitBtnOKClick);
  connect(BitBtnCancel_, &QPushButton::clicked, this, &TFormConfig::reject);
  connect(BitBtnHelp_, &QPushButton::clicked, this, &TFormConfig::BitBtnHelpClick);

  CreatePages();
  ApplyLanguage();
  LoadPages();
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::CreatePages() {
  const int chip = env_.Main ? env_.Main->Chip().Family : 0;
  const bool hasTuner = !env_.Capture || env_.Capture->HasTuner();
  const bool tunerPage =
      !env_.FMMode && env_.Channels && env_.Channels->VideoSource() == TChannelInfo::kTuner && hasTuner;
  auto add = [this](QWidget* page, const char* name, const QString& caption) {
    page->setObjectName(QLatin1String(name));
    PageControlConfig->addTab(page, caption);
  };
  if (tunerPage) {
    add(TabSheetTVTuner = new TTunerPage(PageControlConfig), "TabSheetTVTuner", QStringLiteral("TV Tuner"));
    add(TabSheetPreview = new TPreviewPage(env_.Capture && env_.Capture->HasAuxInput(), PageControlConfig),
        "TabSheetPreview", QStringLiteral("Preview"));
  }
  if (env_.FMMode) {
    add(TabSheetFM = new TFMPage(PageControlConfig), "TabSheetFM", QStringLiteral("FM"));
    return;
  }
  add(TabSheetCapture = new TCapturePage(chip, PageControlConfig), "TabSheetCapture", QStringLiteral("Capture"));
  add(TabSheetVideo = new TVideoPage(PageControlConfig), "TabSheetVideo", QStringLiteral("Video"));
  add(TabSheetOther = new TOtherPage(PageControlConfig), "TabSheetOther", QStringLiteral("Other"));
  TabSheetOther->OnLanguageChosen = [this](const QString& name) { LanguageChosen(name); };
  TabSheetOther->Serving->OnApply = [this] { ApplyServingNow(); };
}

void TFormConfig::LoadPages() {
  const settings::TCaptureSettings& capture = CaptureSettingsOf(env_, spareCapture_);
  savedCapture_ = capture;
  if (env_.Preview) {
    savedCustomize_ = env_.Preview->Customize;
    savedDimension_ = env_.Preview->Dimension;
    savedInterval_ = env_.Preview->Interval;
    savedCustomGrid_ = env_.Preview->CustomGrid;
  }
  if (TabSheetTVTuner) TabSheetTVTuner->Load(env_.Channels);
  if (TabSheetPreview) TabSheetPreview->Load(env_.Preview);
  if (TabSheetCapture) {
    TabSheetCapture->Load(capture, ListsOf(env_.Capture), RecordLevel(env_));
    TabSheetCapture->CaptureLocation->SetFolder(env_.Main ? env_.Main->Prefs().CaptureFolder : QString());
  }
  if (TabSheetVideo) {
    TVideoOptions options;
    if (env_.Channels)
      options.CompositeStandard = env_.Channels->CompositeStandard(),
      options.SVideoStandard = env_.Channels->SVideoStandard();
    options.Aspect = env_.Aspect ? env_.Aspect() : 0;
    options.AlwaysOnTop = env_.Main && env_.Main->Prefs().AlwaysOnTop;
    options.NoOverlay = env_.Main && env_.Main->Prefs().NoOverlay;
    options.Deinterlace = capture.Deinterlace, options.DeinterlaceFast = capture.DeinterlaceFast;
    TabSheetVideo->Load(env_.Capture ? &env_.Capture->ColourControls() : nullptr, options);
  }
  if (TabSheetOther) {
    const settings::TMultiLangInfo* lang = env_.Language;
    TabSheetOther->Load(lang ? lang->Languages : QStringList(), lang ? lang->LanguageName : QString(),
                        env_.Main ? env_.Main->Prefs().MPEG4Codec : 0,
                        env_.Main && env_.Main->Prefs().PIPEnabled);
    TabSheetOther->Serving->Load(env_.Main && env_.Main->Prefs().Serve,
                                 env_.Main && env_.Main->Prefs().ServeOtherDevices);
  }
  if (TabSheetFM) {
    const qint32 low = env_.Capture && env_.Capture->Tuner().FMMin() > 0 ? env_.Capture->Tuner().FMMin() : kFMLow;
    const qint32 high = env_.Capture && env_.Capture->Tuner().FMMax() > 0 ? env_.Capture->Tuner().FMMax() : kFMHigh;
    const TCaptureLists lists = ListsOf(env_.Capture);
    TabSheetFM->Load(env_.Channels, low, high, env_.Main ? env_.Main->Prefs().WaveFolder : QString(),
                     lists.AudioInputs, lists.AudioFormats, capture.AudioInputIndex,
                     capture.AudioMediaTypeIndex, capture.AudioFormat, RecordLevel(env_));
  }
  // The FM page in FM mode, else the TV Tuner page when shown, else the Capture page.
  PageControlConfig->setCurrentIndex(0);
}

void TFormConfig::ApplyLanguage() {
  const settings::TMultiLangInfo* lang = env_.Language;
  if (lang) {
    QFont f = font();
    f.setPointSize(lang->FontSize);
    setFont(f);
  }
  setWindowTitle(Text("Setup", QStringLiteral("Setup")));
  ApplyCaptions({{"OK", BitBtnOK_}, {"Cancel", BitBtnCancel_}, {"Help", BitBtnHelp_}});
  const std::pair<QWidget*, const char*> pages[] = {{TabSheetTVTuner, "TVTuner"}, {TabSheetPreview, "Preview"},
                                                    {TabSheetCapture, "Capture"}, {TabSheetVideo, "Video"},
                                                    {TabSheetFM, "FM"},           {TabSheetOther, "Other"}};
  for (const auto& [page, key] : pages) {
    const int index = page ? PageControlConfig->indexOf(page) : -1;
    if (index >= 0) PageControlConfig->setTabText(index, Text(key, PageControlConfig->tabText(index)));
  }
  if (TabSheetTVTuner) ApplyCaptions(TabSheetTVTuner->Captions()), TabSheetTVTuner->ApplyItemTexts();
  if (TabSheetPreview) ApplyCaptions(TabSheetPreview->Captions());
  if (TabSheetCapture) ApplyCaptions(TabSheetCapture->Captions()), TabSheetCapture->ApplyItemTexts();
  if (TabSheetVideo) ApplyCaptions(TabSheetVideo->Captions()), TabSheetVideo->ApplyItemTexts();
  if (TabSheetFM) ApplyCaptions(TabSheetFM->Captions()), TabSheetFM->ApplyItemTexts();
  if (TabSheetOther) ApplyCaptions(TabSheetOther->Captions()), TabSheetOther->Serving->ApplyItemTexts();
}

void TFormConfig::LanguageChosen(const QString& name) {
  if (!env_.Language) return;
  env_.Language->SetLanguage(name);
  ApplyLanguage();
  if (env_.Relocalise) env_.Relocalise();
  // The scheduler shows its texts in our language; it may not run at all.
  platform::ipc::SendMessage(platform::ipc::kSchedulerWindowClass, platform::ipc::kMsgLanguageChanged, 0, 0);
}

void TFormConfig::BitBtnOKClick() {
  // The Tuner page's scan still tunes the card: Abort it first.
  if (env_.Channels && env_.Channels->Scanning()) return;
  if (!env_.Main || !env_.Channels || !env_.Preview) return accept();
  if (TabSheetTVTuner) TabSheetTVTuner->CommitEdits();
  if (TabSheetFM) TabSheetFM->CommitEdits();
  engine::TCaptureInfo* capture = env_.Capture;
  // The choices go into a copy the engine then takes whole.
  settings::TCaptureSettings chosen = CaptureSettingsOf(env_, spareCapture_);
  TApplyTarget target{*env_.Main, chosen, *env_.Channels, *env_.Preview};
  settings::TChannelInfo* channels = env_.Channels;
  target.ApplyCapture = [this](const settings::TCaptureSettings& next) { return StoreCapture(next); };
  target.HasTuner = !capture || capture->HasTuner();
  target.HasCamera = capture && capture->HasAuxInput();
  target.EnsureFolder = &FolderAccepted;
  target.SetAspect = env_.SetAspect;
  if (env_.Audio) target.SetRecordLevel = [audio = env_.Audio](int level) { audio->SetRecordLevel(level); };
  target.SelectTVChannel = [channels] { channels->SelectChannel(channels->CurrentChannel()); };
  target.SelectFMChannel = target.SelectTVChannel;
  target.ApplyInputStandard = [channels](int source) {
    channels->ChangeStandard(source == TChannelInfo::kComposite ? channels->CompositeStandard()
                                                                : channels->SVideoStandard());
  };
  if (capture) {
    target.SetVendorStandard = [capture](int code) { capture->SetVendorStandard(code); };
    target.SetDeinterlace = [capture](bool on, bool fast) { capture->SetDeinterlace(on, fast); };
  }
  target.SwitchSource = env_.SwitchSource;
  target.OverlayFullScreen = env_.OverlayFullScreen;
  target.SetOverlayFullScreen = env_.SetOverlayFullScreen;
  target.ApplyServing = [this](bool on, bool otherDevices) { ServingChosen(on, otherDevices); };
  if (env_.FMMode)
    OKInFM(target);
  else
    OKInTV(target);
  accept();
}

void TFormConfig::OKInTV(TApplyTarget& target) {
  TTVChoices choices;
  choices.Capture = target.Capture;
  choices.TableShown = TabSheetTVTuner != nullptr;
  if (TabSheetTVTuner) TabSheetTVTuner->Choose(choices);
  choices.Customize = env_.Preview->Customize;
  choices.DimensionIndex = env_.Preview->Dimension - 2;
  choices.Interval = env_.Preview->Interval;
  if (TabSheetPreview) TabSheetPreview->Choose(choices);
  TabSheetCapture->Choose(choices);
  TabSheetVideo->Choose(choices);
  TabSheetOther->Choose(choices);
  if (choices.CaptureFolder != env_.Main->Prefs().CaptureFolder && !FolderAccepted(choices.CaptureFolder))
    ReportRefusedFolder(choices.CaptureFolder, env_.Main->Prefs().CaptureFolder);
  // The base name is a name inside the recording folder, never a way out of it.
  if (choices.Capture.FilePrefix != target.Capture.FilePrefix && !util::BaseNameAccepted(choices.Capture.FilePrefix)) {
    ReportRefusedBaseName(choices.Capture.FilePrefix, target.Capture.FilePrefix);
    choices.Capture.FilePrefix = target.Capture.FilePrefix;
  }
  ApplyTV(choices, target);
  // The levels the user set are the ones the next preview starts with.
  if (env_.Capture) env_.Capture->ColourControls().StoreLevels();
}

void TFormConfig::OKInFM(TApplyTarget& target) {
  TFMChoices choices;
  TabSheetFM->Choose(choices);
  if (choices.WaveFolder != env_.Main->Prefs().WaveFolder && !FolderAccepted(choices.WaveFolder))
    ReportRefusedFolder(choices.WaveFolder, env_.Main->Prefs().WaveFolder);
  ApplyFM(choices, target);
}

void TFormConfig::ApplyServingNow() {
  if (!env_.Main) return;
  const TServingGroup& serving = *TabSheetOther->Serving;
  // Asked again even when unchanged: a server that could not start may start now, and a running
  // one gives its address without a restart.
  StoreServing(*env_.Main, serving.On(), serving.OtherDevices());
  ServingChosen(serving.On(), serving.OtherDevices());
}

void TFormConfig::ServingChosen(bool on, bool otherDevices) {
  const QString address = env_.ApplyServing ? env_.ApplyServing(on, otherDevices) : QString();
  TabSheetOther->Serving->ShowAddress(address);
  if (on && address.isEmpty())
    platform::Dialogs().MessageBox(
        Text("ServeFailed", QStringLiteral("The home server could not start: port 8765 is in use, or the certificate "
                                           "in server.crt and server.key cannot be used (the log says which).")),
        Text("Setup", QStringLiteral("Setup")), platform::MsgButtons::Ok);
}

bool TFormConfig::StoreCapture(const settings::TCaptureSettings& next) {
  if (env_.Recording) {
    *env_.Recording = next;
    return true;
  }
  if (env_.Capture) return env_.Capture->Apply(next);
  spareCapture_ = next;
  return true;
}

void TFormConfig::BitBtnHelpClick() {
  if (env_.Help) env_.Help();
}

void TFormConfig::reject() {
  if (env_.Channels && env_.Channels->Scanning()) return;
  if (TabSheetTVTuner) TabSheetTVTuner->MemoryEditors->Cancel(), TabSheetTVTuner->ChannelEditors->Cancel();
  if (TabSheetFM) TabSheetFM->Editors->Cancel();
  if (env_.Channels) env_.Channels->SelectChannel(env_.Channels->CurrentChannel());
  if (env_.FMMode) {
    StoreCapture(savedCapture_);
  } else if (TabSheetVideo) {
    TabSheetVideo->RestoreColours();
  }
  if (env_.Preview) {
    env_.Preview->Customize = savedCustomize_;
    env_.Preview->SetDimension(savedDimension_);
    env_.Preview->Interval = savedInterval_;
    env_.Preview->CustomGrid = savedCustomGrid_;
  }
  QDialog::reject();
}

bool ShowConfigForm(const TConfigEnvironment& environment, QWidget* owner) {
  TFormConfig form(environment, owner);
  return form.exec() == QDialog::Accepted;
}

}  // namespace pvx::ui
