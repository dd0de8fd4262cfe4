#include "ui/settings/CapturePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "settings/CaptureSettings.h"
#include "settings/ErrorMessages.h"
#include "ui/settings/CaptureProfiles.h"
#include "ui/settings/ConfigApply.h"
#include "ui/settings/FolderField.h"

namespace pvx::ui {

namespace {

constexpr int kLevelMax = 99;
constexpr int kLowestBitRate = 500, kHighestBitRate = 10000;

QStringList FrameRateItems() { return {"23.97", "24", "25", "29.97", "30"}; }

// With a cap that may be none, "No limit" (0) sits next to the lowest real cap: a step from one
// goes to the other, past caps no recording would want.
class TBitRateSpinBox final : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;
  void stepBy(int steps) override {
    const int next = value() + steps * singleStep();
    if (minimum() != 0 || next >= kLowestBitRate) return QSpinBox::stepBy(steps);
    setValue(steps > 0 ? kLowestBitRate : 0);
  }
};

class TRefusedDeviceEvent final : public QEvent {
 public:
  explicit TRefusedDeviceEvent(int index)
      : QEvent(Type(QEvent::User + TCapturePage::kRefusedAudioDeviceEvent)), Index(index) {}
  int Index;
};

QLabel* Buddy(QLabel* label, QWidget* field) {
  label->setBuddy(field);
  return label;
}

void SelectText(QComboBox* combo, const QString& text) { combo->setCurrentIndex(combo->findText(text)); }

}  // namespace

TCapturePage::TCapturePage(int chipFamily, QWidget* parent) : QWidget(parent), chipFamily_(chipFamily) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(BuildVideoGroup(), 0, 0);
  grid->addWidget(BuildFileGroup(), 1, 0);
  grid->addWidget(BuildAudioGroup(), 0, 1, 2, 1);
  GroupBoxTimeShift_ = Named(new QGroupBox(QStringLiteral("Time shift"), this), "GroupBoxTimeShift");
  CheckBoxSaveTimeShift_ = Named(new QCheckBox(QStringLiteral("Save file on time-shifting is over"), GroupBoxTimeShift_),
                                 "CheckBoxSaveTimeShift");
  (new QVBoxLayout(GroupBoxTimeShift_))->addWidget(CheckBoxSaveTimeShift_);
  GroupBoxTimeShift_->hide();
  grid->setRowStretch(2, 1);

  connect(ComboBoxCaptureFormat, &QComboBox::currentIndexChanged, this, &TCapturePage::ComboBoxCaptureFormatChange);
  connect(ComboBoxAudioCaptureDevice, &QComboBox::currentIndexChanged, this,
          &TCapturePage::ComboBoxAudioCaptureDeviceChange);
  connect(CheckBoxEnableTimeLimit_, &QCheckBox::toggled, this, &TCapturePage::UpdateNameAndLimit);
  connect(RadioButtonUserDefineFormat_, &QRadioButton::toggled, this, &TCapturePage::UpdateNameAndLimit);
  connect(TrackBarRecorderVolume, &QSlider::valueChanged, this,
          [this](int position) { LabelRecorderVolume->setText(LevelText(position, kLevelMax)); });
}

QWidget* TCapturePage::BuildVideoGroup() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);

  groupDevice_ = new QGroupBox(QStringLiteral("Video"), box);
  auto* device = new QGridLayout(groupDevice_);
  ComboBoxVideoCaptureDevice_ = Named(new QComboBox(groupDevice_), "ComboBoxVideoCaptureDevice");
  ComboBoxCaptureInputFormat_ = Named(new QComboBox(groupDevice_), "ComboBoxCaptureInputFormat");
  FillItems(ComboBoxCaptureInputFormat_, {"UYVY", "YUY2", "RGB24"});
  labelDevice_ = Buddy(new QLabel(QStringLiteral("Video Capture Device"), groupDevice_), ComboBoxVideoCaptureDevice_);
  labelInput_ = Buddy(new QLabel(QStringLiteral("Input Format"), groupDevice_), ComboBoxCaptureInputFormat_);
  device->addWidget(labelDevice_, 0, 0);
  device->addWidget(ComboBoxVideoCaptureDevice_, 0, 1);
  device->addWidget(labelInput_, 1, 0);
  device->addWidget(ComboBoxCaptureInputFormat_, 1, 1);
  device->setColumnStretch(1, 1);
  column->addWidget(groupDevice_);

  groupFormat_ = new QGroupBox(QStringLiteral("Capture Format"), box);
  auto* format = new QGridLayout(groupFormat_);
  ComboBoxCaptureFormat = Named(new QComboBox(groupFormat_), "ComboBoxCaptureFormat");
  FillItems(ComboBoxCaptureFormat, RecordFormatNames());
  ComboBoxCaptureSize = Named(new QComboBox(groupFormat_), "ComboBoxCaptureSize");
  SpinEditBitRate = Named(new TBitRateSpinBox(groupFormat_), "SpinEditBitRate");
  SpinEditBitRate->setRange(kLowestBitRate, kHighestBitRate);
  SpinEditBitRate->setSingleStep(50);
  ComboBoxCaptureQuality = Named(new QComboBox(groupFormat_), "ComboBoxCaptureQuality");
  FillItems(ComboBoxCaptureQuality, {"Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest"});
  ComboBoxFrameRate = Named(new QComboBox(groupFormat_), "ComboBoxFrameRate");
  FillItems(ComboBoxFrameRate, FrameRateItems());
  CheckBoxHardwareEncoder_ = Named(
      new QCheckBox(QStringLiteral("Use the graphics card's encoder when it works"), groupFormat_),
      "CheckBoxHardwareEncoder");
  labelFormat_ = Buddy(new QLabel(QStringLiteral("Capture Format"), groupFormat_), ComboBoxCaptureFormat);
  labelSize_ = Buddy(new QLabel(QStringLiteral("Capture Size"), groupFormat_), ComboBoxCaptureSize);
  labelBitRate_ = Buddy(new QLabel(QStringLiteral("Bit Rate (kbps)"), groupFormat_), SpinEditBitRate);
  labelQuality_ = Buddy(new QLabel(QStringLiteral("Quality"), groupFormat_), ComboBoxCaptureQuality);
  labelFrameRate_ = Buddy(new QLabel(QStringLiteral("Frame Rate"), groupFormat_), ComboBoxFrameRate);
  const std::pair<QLabel*, QWidget*> rows[] = {{labelFormat_, ComboBoxCaptureFormat},
                                               {labelSize_, ComboBoxCaptureSize},
                                               {labelBitRate_, SpinEditBitRate},
                                               {labelQuality_, ComboBoxCaptureQuality},
                                               {labelFrameRate_, ComboBoxFrameRate}};
  for (int r = 0; r < 5; ++r) {
    format->addWidget(rows[r].first, r, 0);
    format->addWidget(rows[r].second, r, 1);
  }
  format->addWidget(CheckBoxHardwareEncoder_, 5, 0, 1, 2);
  format->setColumnStretch(1, 1);
  column->addWidget(groupFormat_);
  return box;
}

QWidget* TCapturePage::BuildFileGroup() {
  groupFile_ = new QGroupBox(QStringLiteral("File Name"), this);
  auto* grid = new QGridLayout(groupFile_);
  RadioButtonUseDateTimeFormat_ = Named(
      new QRadioButton(QStringLiteral("Use date/time as filename (yyyymmdd_hhmmss.xxx)"), groupFile_),
      "RadioButtonUseDateTimeFormat");
  RadioButtonUserDefineFormat_ = Named(new QRadioButton(QStringLiteral("User defined"), groupFile_),
                                       "RadioButtonUserDefineFormat");
  EditCaptureBaseName_ = Named(new QLineEdit(groupFile_), "EditCaptureBaseName");
  CaptureLocation = new TFolderField("EditStoreCaptureFilePath", "SbtnCaptureLocation", groupFile_);
  labelLocation_ = Buddy(new QLabel(QStringLiteral("Capture Location"), groupFile_), CaptureLocation);
  CheckBoxEnableTimeLimit_ = Named(new QCheckBox(QStringLiteral("Enable time limit"), groupFile_),
                                   "CheckBoxEnableTimeLimit");
  SpinEditTimeValue_ = Named(new QSpinBox(groupFile_), "SpinEditTimeValue");
  SpinEditTimeValue_->setRange(10, 5000000);
  labelSecond_ = new QLabel(QStringLiteral("sec."), groupFile_);
  grid->addWidget(RadioButtonUseDateTimeFormat_, 0, 0, 1, 3);
  grid->addWidget(RadioButtonUserDefineFormat_, 1, 0);
  grid->addWidget(EditCaptureBaseName_, 1, 1, 1, 2);
  grid->addWidget(labelLocation_, 2, 0);
  grid->addWidget(CaptureLocation, 2, 1, 1, 2);
  grid->addWidget(CheckBoxEnableTimeLimit_, 3, 0);
  grid->addWidget(SpinEditTimeValue_, 3, 1);
  grid->addWidget(labelSecond_, 3, 2);
  grid->setColumnStretch(1, 1);
  return groupFile_;
}

QWidget* TCapturePage::BuildAudioGroup() {
  groupAudio_ = new QGroupBox(QStringLiteral("Audio Option"), this);
  auto* grid = new QGridLayout(groupAudio_);
  ComboBoxCaptureAudioOption = Named(new QComboBox(groupAudio_), "ComboBoxCaptureAudioOption");
  FillItems(ComboBoxCaptureAudioOption, {"Capture Audio and Video", "Capture Audio only", "Disable Audio"});
  ComboBoxCaptureAudioFormat_ = Named(new QComboBox(groupAudio_), "ComboBoxCaptureAudioFormat");
  FillItems(ComboBoxCaptureAudioFormat_, AudioFormatNames());
  ComboBoxAudioCaptureDevice = Named(new QComboBox(groupAudio_), "ComboBoxAudioCaptureDevice");
  ComboBoxAudioSource_ = Named(new QComboBox(groupAudio_), "ComboBoxAudioSource");
  ComboBoxAudioCaptureFormat_ = Named(new QComboBox(groupAudio_), "ComboBoxAudioCaptureFormat");
  TrackBarRecorderVolume = Named(new QSlider(Qt::Horizontal, groupAudio_), "TrackBarRecorderVolume");
  TrackBarRecorderVolume->setRange(0, kLevelMax);
  LabelRecorderVolume = Named(new QLabel(LevelText(0, kLevelMax), groupAudio_), "LabelRecorderVolume");
  labelAudioOption_ = new QLabel(QStringLiteral("Audio Option"), groupAudio_);
  labelAudioFormat_ = new QLabel(QStringLiteral("Audio Output Format"), groupAudio_);
  labelAudioDevice_ = new QLabel(QStringLiteral("Audio Capture Device"), groupAudio_);
  labelAudioSource_ = new QLabel(QStringLiteral("Audio Source"), groupAudio_);
  labelAudioCaptureFormat_ = new QLabel(QStringLiteral("Audio Format"), groupAudio_);
  labelLevel_ = Buddy(new QLabel(QStringLiteral("Recording Level"), groupAudio_), TrackBarRecorderVolume);
  // Labels above their fields: the device and format names are long.
  int r = AddStackedRows(grid, {{labelAudioOption_, ComboBoxCaptureAudioOption},
                                {labelAudioFormat_, ComboBoxCaptureAudioFormat_},
                                {labelAudioDevice_, ComboBoxAudioCaptureDevice},
                                {labelAudioSource_, ComboBoxAudioSource_},
                                {labelAudioCaptureFormat_, ComboBoxAudioCaptureFormat_}});
  grid->addWidget(labelLevel_, r++, 0, 1, 2);
  grid->addWidget(TrackBarRecorderVolume, r, 0);
  grid->addWidget(LabelRecorderVolume, r++, 1);
  grid->setRowStretch(r, 1);
  grid->setColumnStretch(0, 1);
  for (QComboBox* combo : {ComboBoxAudioCaptureDevice, ComboBoxAudioSource_, ComboBoxAudioCaptureFormat_}) {
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(24);
  }
  return groupAudio_;
}

void TCapturePage::Load(const settings::TCaptureSettings& s, const TCaptureLists& lists, int recordLevel) {
  // Filling the controls is no user choice: no profile or device reactions meanwhile.
  const QList<QWidget*> all = findChildren<QWidget*>();
  for (QWidget* w : all) w->blockSignals(true);

  FillItems(ComboBoxVideoCaptureDevice_, lists.VideoDevices);
  ComboBoxVideoCaptureDevice_->setCurrentIndex(s.VideoDeviceIndex);
  ComboBoxCaptureInputFormat_->setCurrentIndex(s.PixelFormatChoice);
  ComboBoxCaptureFormat->setCurrentIndex(s.RecordFormat);
  ComboBoxCaptureFormatChange();
  SelectText(ComboBoxCaptureSize, SizeText(s.CaptureWidth, s.CaptureHeight));
  SpinEditBitRate->setValue(s.VideoBitRateKbps);
  ComboBoxCaptureQuality->setCurrentIndex(s.Quality);
  if (!frameRateAsReceived_) ComboBoxFrameRate->setCurrentIndex(s.FrameRateCode - 1);
  CheckBoxHardwareEncoder_->setChecked(!s.SoftwareEncoding);
  RadioButtonUseDateTimeFormat_->setChecked(s.UseDateTimeName);
  RadioButtonUserDefineFormat_->setChecked(!s.UseDateTimeName);
  EditCaptureBaseName_->setText(s.FilePrefix);
  CheckBoxEnableTimeLimit_->setChecked(s.TimeLimitOn);
  SpinEditTimeValue_->setValue(s.TimeLimit);
  CheckBoxSaveTimeShift_->setChecked(s.SaveTimeShift);
  ComboBoxCaptureAudioOption->setCurrentIndex(s.RecordKind);
  ComboBoxCaptureAudioFormat_->setCurrentIndex(s.AudioFormat);
  FillItems(ComboBoxAudioCaptureDevice, lists.AudioDevices);
  ComboBoxAudioCaptureDevice->setCurrentIndex(s.AudioDeviceIndex);
  FillItems(ComboBoxAudioSource_, lists.AudioInputs);
  ComboBoxAudioSource_->setCurrentIndex(s.AudioInputIndex);
  ComboBoxAudioCaptureFormat_->clear();
  for (const QString& name : lists.AudioFormats) ComboBoxAudioCaptureFormat_->addItem(AudioFormatText(name));
  ComboBoxAudioCaptureFormat_->setCurrentIndex(s.AudioMediaTypeIndex);
  TrackBarRecorderVolume->setValue(PositionFromLevel(recordLevel, kLevelMax));
  LabelRecorderVolume->setText(LevelText(TrackBarRecorderVolume->value(), kLevelMax));

  for (QWidget* w : all) w->blockSignals(false);
  UpdateNameAndLimit();
}

void TCapturePage::Choose(TTVChoices& c) const {
  settings::TCaptureSettings& s = c.Capture;
  // An empty device list chooses nothing: the stored device stays.
  if (ComboBoxVideoCaptureDevice_->currentIndex() >= 0) s.VideoDeviceIndex = ComboBoxVideoCaptureDevice_->currentIndex();
  s.PixelFormatChoice = ComboBoxCaptureInputFormat_->currentIndex();
  s.AudioFormat = quint8(std::max(0, ComboBoxCaptureAudioFormat_->currentIndex()));
  s.UseDateTimeName = RadioButtonUseDateTimeFormat_->isChecked();
  s.FilePrefix = EditCaptureBaseName_->text();
  s.TimeLimitOn = CheckBoxEnableTimeLimit_->isChecked();
  s.TimeLimit = SpinEditTimeValue_->value();
  s.SaveTimeShift = CheckBoxSaveTimeShift_->isChecked();
  s.RecordKind = quint8(std::max(0, ComboBoxCaptureAudioOption->currentIndex()));
  s.AudioDeviceIndex = ComboBoxAudioCaptureDevice->currentIndex();
  s.AudioInputIndex = ComboBoxAudioSource_->currentIndex();
  s.AudioMediaTypeIndex = ComboBoxAudioCaptureFormat_->currentIndex();
  s.RecordFormat = quint8(std::max(0, ComboBoxCaptureFormat->currentIndex()));
  s.VideoBitRateKbps = SpinEditBitRate->value();
  s.Quality = quint8(std::max(0, ComboBoxCaptureQuality->currentIndex()));
  s.SoftwareEncoding = !CheckBoxHardwareEncoder_->isChecked();
  c.SizeText = ComboBoxCaptureSize->currentText();
  c.FrameRateIndex = frameRateAsReceived_ ? -1 : ComboBoxFrameRate->currentIndex();
  c.CaptureFolder = CaptureLocation->Folder();
  c.RecordLevel = LevelFromPosition(TrackBarRecorderVolume->value(), kLevelMax);
}

void TCapturePage::ComboBoxCaptureFormatChange() {
  const TCaptureProfile p = CaptureProfile(ComboBoxCaptureFormat->currentIndex(), chipFamily_);
  FillItems(ComboBoxCaptureSize, p.Sizes);
  SelectText(ComboBoxCaptureSize, p.Size);
  ComboBoxCaptureSize->setEnabled(p.SizeEnabled);
  // The range first, so the value is not clamped to the previous format's.
  SpinEditBitRate->setRange(p.BitRateIsCap ? 0 : kLowestBitRate, kHighestBitRate);
  SpinEditBitRate->setValue(p.BitRate);
  SpinEditBitRate->setEnabled(p.BitRateEnabled);
  ComboBoxCaptureQuality->setCurrentIndex(p.Quality);
  ComboBoxCaptureQuality->setEnabled(p.QualityEnabled);
  ShowFrameRates(p.FrameRate < 0);
  ComboBoxFrameRate->setCurrentIndex(std::max(0, p.FrameRate));
  ComboBoxFrameRate->setEnabled(p.FrameRateEnabled);
  ApplyStandInTexts();
}

void TCapturePage::ShowFrameRates(bool asReceived) {
  if (asReceived == frameRateAsReceived_) return;
  frameRateAsReceived_ = asReceived;
  FillItems(ComboBoxFrameRate, asReceived ? QStringList{QStringLiteral("As received")} : FrameRateItems());
}

void TCapturePage::ApplyStandInTexts() {
  // A special text shows at the minimum: only a cap that may be none has one.
  const bool capMayBeNone = SpinEditBitRate->minimum() == 0;
  SpinEditBitRate->setSpecialValueText(capMayBeNone ? Text("BitRateNoLimit", "No limit") : QString());
  if (frameRateAsReceived_) ApplyItems(ComboBoxFrameRate, {"FrameRateAsReceived"});
}

void TCapturePage::ComboBoxAudioCaptureDeviceChange(int index) {
  if (index < 0 || !ComboBoxAudioCaptureDevice->itemText(index).contains(QLatin1String("OKA 5170"), Qt::CaseInsensitive))
    return;
  settings::ShowErrorText(
      QStringLiteral("This is an invalid audio capture device, please select another audio capture device."));
  QCoreApplication::postEvent(this, new TRefusedDeviceEvent(index));
}

bool TCapturePage::event(QEvent* e) {
  if (e->type() != QEvent::User + kRefusedAudioDeviceEvent) return QWidget::event(e);
  const int refused = static_cast<TRefusedDeviceEvent*>(e)->Index;
  const int last = ComboBoxAudioCaptureDevice->count() - 1;
  ComboBoxAudioCaptureDevice->setCurrentIndex(refused < last ? refused + 1 : refused - 1);
  return true;
}

void TCapturePage::UpdateNameAndLimit() {
  EditCaptureBaseName_->setEnabled(RadioButtonUserDefineFormat_->isChecked());
  SpinEditTimeValue_->setEnabled(CheckBoxEnableTimeLimit_->isChecked());
  labelSecond_->setEnabled(CheckBoxEnableTimeLimit_->isChecked());
}

TCaptionList TCapturePage::Captions() {
  return {{"VCapDevice", labelDevice_},       {"InputFormat", labelInput_},
          {"Video", groupDevice_},            {"CaptureFormat", groupFormat_},
          {"CaptureFormat", labelFormat_},    {"CaptureSize", labelSize_},
          {"BitRate", labelBitRate_},         {"CaptureQuality", labelQuality_},
          {"FrameRate", labelFrameRate_},     {"CaptureFilename", groupFile_},
          {"DateTimeFormat", RadioButtonUseDateTimeFormat_},
          {"UserFormat", RadioButtonUserDefineFormat_},
          {"CaptureLocation", labelLocation_}, {"EnableTimeLimit", CheckBoxEnableTimeLimit_},
          {"Second", labelSecond_},           {"AudioOption", groupAudio_},
          {"AudioOption", labelAudioOption_}, {"AudioOuput", labelAudioFormat_},
          {"ACapDevice", labelAudioDevice_},  {"ACapSource", labelAudioSource_},
          {"ACapFormat", labelAudioCaptureFormat_}, {"RecordingLevel", labelLevel_},
          {"TimeShifting", GroupBoxTimeShift_}, {"SaveTimeShift", CheckBoxSaveTimeShift_},
          {"HardwareEncoder", CheckBoxHardwareEncoder_}};
}

void TCapturePage::ApplyItemTexts() {
  ApplyItems(ComboBoxCaptureQuality, {"Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest"});
  ApplyItems(ComboBoxCaptureAudioOption, {"AudioOption1", "AudioOption2", "AudioOption3"});
  ApplyStandInTexts();
}

}  // namespace pvx::ui
