#include "ui/settings/ConfigForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "engine/AudioAdjustInfo.h"
#include "engine/CaptureInfo.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "ui/settings/CapturePage.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigApply.h"
#include "ui/settings/ConfigText.h"
#include "ui/settings/FMPage.h"
#include "ui/settings/FolderField.h"
#include "ui/settings/OtherPage.h"
#include "ui/settings/PreviewPage.h"
#include "ui/settings/TunerPage.h"
#include "ui/settings/VideoPage.h"

namespace pvx::ui {

using settings::ChannelInfo;
using settings::MainInfo;
using settings::PreviewInfo;
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
  const int chip = MainInfo ? MainInfo->Chip().Family : 0;
  const bool hasTuner = !env_.Capture || env_.Capture->HasTuner();
  const bool tunerPage =
      !env_.FMMode && ChannelInfo && ChannelInfo->VideoSource() == TChannelInfo::kTuner && hasTuner;
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
}

void TFormConfig::LoadPages() {
  const settings::TCaptureSettings& capture = CaptureSettingsOf(env_, spareCapture_);
  savedCapture_ = capture;
  if (PreviewInfo) {
    savedCustomize_ = PreviewInfo->Customize;
    savedDimension_ = PreviewInfo->Dimension;
    savedInterval_ = PreviewInfo->Interval;
    savedCustomGrid_ = PreviewInfo->CustomGrid;
  }
  if (TabSheetTVTuner) TabSheetTVTuner->Load(ChannelInfo);
  if (TabSheetPreview) TabSheetPreview->Load(PreviewInfo);
  if (TabSheetCapture) {
    TabSheetCapture->Load(capture, ListsOf(env_.Capture), RecordLevel(env_));
    TabSheetCapture->CaptureLocation->SetFolder(MainInfo ? MainInfo->Prefs().CaptureFolder : QString());
  }
  if (TabSheetVideo) {
    TVideoOptions options;
    if (ChannelInfo)
      options.CompositeStandard = ChannelInfo->CompositeStandard(),
      options.SVideoStandard = ChannelInfo->SVideoStandard();
    options.Aspect = env_.Aspect ? env_.Aspect() : 0;
    options.AlwaysOnTop = MainInfo && MainInfo->Prefs().AlwaysOnTop;
    options.NoOverlay = MainInfo && MainInfo->Prefs().NoOverlay;
    options.HighQualityPreview = capture.Deinterlace;
    TabSheetVideo->Load(env_.Capture ? &env_.Capture->ColourControls() : nullptr, options);
  }
  if (TabSheetOther) {
    const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
    TabSheetOther->Load(lang ? lang->Languages : QStringList(), lang ? lang->LanguageName : QString(),
                        MainInfo ? MainInfo->Prefs().MPEG4Codec : 0,
                        MainInfo && MainInfo->Prefs().PIPEnabled);
  }
  if (TabSheetFM) {
    const qint32 low = env_.Capture && env_.Capture->Tuner().FMMin() > 0 ? env_.Capture->Tuner().FMMin() : kFMLow;
    const qint32 high = env_.Capture && env_.Capture->Tuner().FMMax() > 0 ? env_.Capture->Tuner().FMMax() : kFMHigh;
    const TCaptureLists lists = ListsOf(env_.Capture);
    TabSheetFM->Load(ChannelInfo, low, high, MainInfo ? MainInfo->Prefs().WaveFolder : QString(),
                     lists.AudioInputs, lists.AudioFormats, capture.AudioInputIndex,
                     capture.AudioMediaTypeIndex, capture.AudioFormat, RecordLevel(env_));
  }
  // The FM page in FM mode, else the TV Tuner page when shown, else the Capture page.
  PageControlConfig->setCurrentIndex(0);
}

void TFormConfig::ApplyLanguage() {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
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
  if (TabSheetVideo) ApplyCaptions(TabSheetVideo->Captions());
  if (TabSheetFM) ApplyCaptions(TabSheetFM->Captions()), TabSheetFM->ApplyItemTexts();
  if (TabSheetOther) ApplyCaptions(TabSheetOther->Captions());
}

void TFormConfig::LanguageChosen(const QString& name) {
  if (!settings::MultiLangInfo) return;
  settings::MultiLangInfo->SetLanguage(name);
  ApplyLanguage();
  if (env_.Relocalise) env_.Relocalise();
  // The scheduler shows its texts in our language; it may not run at all.
  platform::ipc::SendMessage(platform::ipc::kSchedulerWindowClass, platform::ipc::kMsgLanguageChanged, 0, 0);
}

void TFormConfig::BitBtnOKClick() {
  if (!MainInfo || !ChannelInfo || !PreviewInfo) return accept();
  if (TabSheetTVTuner) TabSheetTVTuner->CommitEdits();
  if (TabSheetFM) TabSheetFM->CommitEdits();
  engine::TCaptureInfo* capture = env_.Capture;
  // The choices go into a copy the engine then takes whole.
  settings::TCaptureSettings chosen = CaptureSettingsOf(env_, spareCapture_);
  TApplyTarget target{*MainInfo, chosen, *ChannelInfo, *PreviewInfo};
  target.ApplyCapture = [this](const settings::TCaptureSettings& next) { return StoreCapture(next); };
  target.HasTuner = !capture || capture->HasTuner();
  target.HasCamera = capture && capture->HasAuxInput();
  target.EnsureFolder = &FolderAccepted;
  target.SetAspect = env_.SetAspect;
  if (env_.Audio) target.SetRecordLevel = [audio = env_.Audio](int level) { audio->SetRecordLevel(level); };
  target.SelectTVChannel = [] { ChannelInfo->SelectChannel(ChannelInfo->CurrentChannel()); };
  target.SelectFMChannel = target.SelectTVChannel;
  target.ApplyInputStandard = [](int source) {
    ChannelInfo->ChangeStandard(source == TChannelInfo::kComposite ? ChannelInfo->CompositeStandard()
                                                                   : ChannelInfo->SVideoStandard());
  };
  if (capture) {
    target.SetVendorStandard = [capture](int code) { capture->SetVendorStandard(code); };
    target.SetDeinterlace = [capture](bool on) { capture->SetDeinterlace(on); };
  }
  target.SwitchSource = env_.SwitchSource;
  target.OverlayFullScreen = env_.OverlayFullScreen;
  target.SetOverlayFullScreen = env_.SetOverlayFullScreen;
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
  choices.Customize = PreviewInfo->Customize;
  choices.DimensionIndex = PreviewInfo->Dimension - 2;
  choices.Interval = PreviewInfo->Interval;
  if (TabSheetPreview) TabSheetPreview->Choose(choices);
  TabSheetCapture->Choose(choices);
  TabSheetVideo->Choose(choices);
  TabSheetOther->Choose(choices);
  if (choices.CaptureFolder != MainInfo->Prefs().CaptureFolder && !FolderAccepted(choices.CaptureFolder))
    ReportRefusedFolder(choices.CaptureFolder, MainInfo->Prefs().CaptureFolder);
  ApplyTV(choices, target);
  // The levels the user set are the ones the next preview starts with.
  if (env_.Capture) env_.Capture->ColourControls().StoreLevels();
}

void TFormConfig::OKInFM(TApplyTarget& target) {
  TFMChoices choices;
  TabSheetFM->Choose(choices);
  if (choices.WaveFolder != MainInfo->Prefs().WaveFolder && !FolderAccepted(choices.WaveFolder))
    ReportRefusedFolder(choices.WaveFolder, MainInfo->Prefs().WaveFolder);
  ApplyFM(choices, target);
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
  if (TabSheetTVTuner) TabSheetTVTuner->MemoryEditors->Cancel(), TabSheetTVTuner->ChannelEditors->Cancel();
  if (TabSheetFM) TabSheetFM->Editors->Cancel();
  if (ChannelInfo) ChannelInfo->SelectChannel(ChannelInfo->CurrentChannel());
  if (env_.FMMode) {
    StoreCapture(savedCapture_);
  } else if (TabSheetVideo) {
    TabSheetVideo->RestoreColours();
  }
  if (PreviewInfo) {
    PreviewInfo->Customize = savedCustomize_;
    PreviewInfo->SetDimension(savedDimension_);
    PreviewInfo->Interval = savedInterval_;
    PreviewInfo->CustomGrid = savedCustomGrid_;
  }
  QDialog::reject();
}

bool ShowConfigForm(const TConfigEnvironment& environment, QWidget* owner) {
  TFormConfig form(environment, owner);
  return form.exec() == QDialog::Accepted;
}

}  // namespace pvx::ui
