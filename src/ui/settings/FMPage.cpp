#include "ui/settings/FMPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "settings/ChannelInfo.h"
#include "ui/settings/CaptureProfiles.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigApply.h"
#include "ui/settings/FolderField.h"
#include "util/FrequencyFormat.h"

namespace pvx::ui {

using settings::TChannelInfo;

namespace {

// Holds hertz, as the memories do, but shows and reads megahertz as every FM frequency is written.
class TMHzSpinBox final : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  QString textFromValue(int hertz) const override { return util::MHzText(quint32(std::max(hertz, 0))); }
  int valueFromText(const QString& text) const override { return int(std::llround(MHz(text) * 1e6)); }
  QValidator::State validate(QString& text, int&) const override {
    bool ok = false;
    const double hertz = MHz(text, &ok) * 1e6;
    return ok && hertz >= minimum() && hertz <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  }

 private:
  static double MHz(QString text, bool* ok = nullptr) {
    text.remove(QStringLiteral("MHz"), Qt::CaseInsensitive);
    return QLocale::c().toDouble(text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')), ok);
  }
};

}  // namespace

TFMPage::TFMPage(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  groupMemories_ = new QGroupBox(QStringLiteral("Memory Channels"), this);
  auto* memories = new QVBoxLayout(groupMemories_);
  StringGridFMMemoryChannel =
      MakeGrid(groupMemories_, "StringGridFMMemoryChannel", TChannelInfo::kMemoryCount, {"Channel", "Frequency", "Name"});
  QTableWidget* grid = StringGridFMMemoryChannel;
  memories->addWidget(grid);
  row->addWidget(groupMemories_, 1);

  SpinEditFMFrequency = Named(new TMHzSpinBox(this), "SpinEditFMFrequency");
  SpinEditFMFrequency->setSingleStep(50000);
  EditFMChannelName_ = Named(new QLineEdit(this), "EditFMChannelName");
  Editors = new TCellEditors(grid);
  Editors->RefreshRow = [this](int r) { ShowRow(r); };
  Editors->SetEditor(
      kColFrequency, SpinEditFMFrequency,
      [this](int r) { SpinEditFMFrequency->setValue(int(channels_->FMRecord(r + 1)->Frequency)); },
      [this](int r) {
        channels_->FMRecord(r + 1)->Frequency = quint32(std::clamp(SpinEditFMFrequency->value(), fmMin_, fmMax_));
      });
  Editors->SetEditor(
      kColName, EditFMChannelName_, [this](int r) { EditFMChannelName_->setText(channels_->FMRecord(r + 1)->Name); },
      [this](int r) { channels_->FMRecord(r + 1)->Name = EditFMChannelName_->text(); });

  groupRecording_ = new QGroupBox(QStringLiteral("FM Recording"), this);
  auto* rec = new QGridLayout(groupRecording_);
  WaveLocation = new TFolderField("EditWaveLocation", "SbtnWaveLocation", groupRecording_);
  ComboBoxFMAudioSource_ = Named(new QComboBox(groupRecording_), "ComboBoxFMAudioSource");
  ComboBoxFMAudioCaptureFormat_ = Named(new QComboBox(groupRecording_), "ComboBoxFMAudioCaptureFormat");
  ComboBoxFMAudioOutputFormat_ = Named(new QComboBox(groupRecording_), "ComboBoxFMAudioOutputFormat");
  FillItems(ComboBoxFMAudioOutputFormat_, AudioFormatNames());
  TrackBarFMRecorderVolume = Named(new QSlider(Qt::Horizontal, groupRecording_), "TrackBarFMRecorderVolume");
  TrackBarFMRecorderVolume->setRange(0, kLevelMax);
  TrackBarFMRecorderVolume->setPageStep(kLevelMax / 20);
  LabelFMRecorderVolume = Named(new QLabel(LevelText(0, kLevelMax), groupRecording_), "LabelFMRecorderVolume");
  labelLocation_ = new QLabel(QStringLiteral("FM Recording Location"), groupRecording_);
  labelSource_ = new QLabel(QStringLiteral("Audio Source"), groupRecording_);
  labelFormat_ = new QLabel(QStringLiteral("Audio Format"), groupRecording_);
  labelOutput_ = new QLabel(QStringLiteral("Audio Output Format"), groupRecording_);
  labelLevel_ = new QLabel(QStringLiteral("Recording Level"), groupRecording_);
  const int r = AddStackedRows(rec, {{labelLocation_, WaveLocation},
                                     {labelSource_, ComboBoxFMAudioSource_},
                                     {labelFormat_, ComboBoxFMAudioCaptureFormat_},
                                     {labelOutput_, ComboBoxFMAudioOutputFormat_},
                                     {labelLevel_, TrackBarFMRecorderVolume}});
  rec->addWidget(LabelFMRecorderVolume, r - 1, 1);
  rec->setRowStretch(r, 1);
  rec->setColumnStretch(0, 1);
  ComboBoxFMAudioCaptureFormat_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ComboBoxFMAudioCaptureFormat_->setMinimumContentsLength(24);
  row->addWidget(groupRecording_, 1);

  connect(TrackBarFMRecorderVolume, &QSlider::valueChanged, this,
          [this](int position) { LabelFMRecorderVolume->setText(LevelText(position, kLevelMax)); });
}

void TFMPage::Load(TChannelInfo* channels, qint32 fmMin, qint32 fmMax, const QString& waveFolder,
                   const QStringList& audioInputs, const QStringList& audioFormats, int audioInput,
                   int audioFormatIndex, int outputFormat, int recordLevel) {
  channels_ = channels;
  fmMin_ = fmMin, fmMax_ = std::max(fmMin, fmMax);
  SpinEditFMFrequency->setRange(fmMin_, fmMax_);
  if (channels)
    for (int r = 0; r < TChannelInfo::kMemoryCount; ++r) ShowRow(r);
  FitGrid(StringGridFMMemoryChannel, 12);
  WaveLocation->SetFolder(waveFolder);
  FillItems(ComboBoxFMAudioSource_, audioInputs);
  ComboBoxFMAudioSource_->setCurrentIndex(audioInput);
  ComboBoxFMAudioCaptureFormat_->clear();
  for (const QString& name : audioFormats) ComboBoxFMAudioCaptureFormat_->addItem(AudioFormatText(name));
  ComboBoxFMAudioCaptureFormat_->setCurrentIndex(audioFormatIndex);
  ComboBoxFMAudioOutputFormat_->setCurrentIndex(outputFormat);
  TrackBarFMRecorderVolume->setValue(recordLevel);
  LabelFMRecorderVolume->setText(LevelText(TrackBarFMRecorderVolume->value(), kLevelMax));
}

void TFMPage::Choose(TFMChoices& c) const {
  c.WaveFolder = WaveLocation->Folder();
  c.AudioInputIndex = ComboBoxFMAudioSource_->currentIndex();
  c.AudioMediaTypeIndex = ComboBoxFMAudioCaptureFormat_->currentIndex();
  c.AudioFormat = std::max(0, ComboBoxFMAudioOutputFormat_->currentIndex());
  c.RecordLevel = TrackBarFMRecorderVolume->value();
}

void TFMPage::ShowRow(int row) {
  const settings::TFMMemoryChannelRecord* m = channels_->FMRecord(row + 1);
  QTableWidget* grid = StringGridFMMemoryChannel;
  grid->item(row, kColNumber)->setText(QString::number(row + 1));
  grid->item(row, kColFrequency)->setText(m->Frequency ? util::MHzText(m->Frequency) : QString());
  grid->item(row, kColName)->setText(m->Name);
}

void TFMPage::ApplyItemTexts() {
  ApplyHeaders(StringGridFMMemoryChannel, {"Channel", "Frequency", "Name"});
  FitGrid(StringGridFMMemoryChannel, 12);
}

void TFMPage::CommitEdits() { Editors->Commit(); }

TCaptionList TFMPage::Captions() {
  return {{"MemoryGroup", groupMemories_}, {"Capture", groupRecording_}, {"WaveLocation", labelLocation_}, {"ACapSource", labelSource_},
          {"ACapFormat", labelFormat_},    {"AudioOuput", labelOutput_},    {"RecordingLevel", labelLevel_}};
}

}  // namespace pvx::ui
