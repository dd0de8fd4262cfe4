#include "EntryDialog.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "ProgramChannels.h"
#include "Wording.h"

namespace pvx::scheduled {

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QComboBox* Combo(const char* name, const QStringList& items) {
  auto* box = Named(new QComboBox, name);
  box->addItems(items);
  return box;
}

bool IsAudioOnly(int source, int audioOption) { return source == handoff::rsFM || audioOption == 1; }

constexpr int kLowestBitRate = 500, kHighestBitRate = 10000;

}  // namespace

TDialogScheduleEntry::TDialogScheduleEntry(QWidget* parent) : QDialog(parent) {
  setObjectName("DialogScheduleEntry");
  setWindowTitle(Shown("SchedEntryTitle", "Scheduled recording"));
  DateTimeEditStart = Named(new QDateTimeEdit, "DateTimeEditStart");
  DateTimeEditStart->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
  DateTimeEditStart->setCalendarPopup(true);
  TimeEditDuration = Named(new QTimeEdit, "TimeEditDuration");
  TimeEditDuration->setDisplayFormat("HH:mm:ss");
  ComboBoxRepeat = Combo("ComboBoxRepeat", ShownRepeatNames());
  ComboBoxSource = Combo("ComboBoxSource", ShownSourceNames());
  ComboBoxChannel = Combo("ComboBoxChannel", {});
  ComboBoxFormat = Combo("ComboBoxFormat", {});
  ComboBoxSize = Combo("ComboBoxSize", {});
  ComboBoxQuality = Combo("ComboBoxQuality", ShownQualityNames());
  ComboBoxFrameRate = Combo("ComboBoxFrameRate", FrameRateNames());
  ComboBoxAudioOption = Combo("ComboBoxAudioOption", ShownAudioOptionNames());
  SpinEditBitRate = Named(new QSpinBox, "SpinEditBitRate");
  SpinEditBitRate->setRange(kLowestBitRate, kHighestBitRate);
  SpinEditBitRate->setSingleStep(50);
  SpinEditBitRate->setSuffix(" kbit/s");
  RadioButtonDateTimeName = Named(new QRadioButton(Shown("SchedDateTimeName", "Date and time (yyyymmdd_hhmmss)")), "RadioButtonDateTimeName");
  RadioButtonBaseName = Named(new QRadioButton(Shown("SchedBaseName", "Base name")), "RadioButtonBaseName");
  EditBaseName = Named(new QLineEdit, "EditBaseName");
  EditBaseName->setMaxLength(handoff::kRelayNameBytes);
  LabelReason = Named(new QLabel, "LabelReason");
  LabelReason->setWordWrap(true);
  LabelReason->setStyleSheet("color: #b00000");

  auto* form = new QFormLayout;
  form->addRow(Shown("SchedStart", "Start"), DateTimeEditStart);
  form->addRow(Shown("SchedDuration", "Duration"), TimeEditDuration);
  form->addRow(Shown("SchedRepeat", "Repeat"), ComboBoxRepeat);
  form->addRow(Shown("SchedSource", "Source"), ComboBoxSource);
  form->addRow(Shown("SchedChannel", "Channel"), ComboBoxChannel);
  form->addRow(Shown("SchedAudio", "Audio"), ComboBoxAudioOption);
  form->addRow(Shown("SchedFormat", "Format"), ComboBoxFormat);
  form->addRow(Shown("SchedSize", "Size"), ComboBoxSize);
  form->addRow(Shown("SchedQuality", "Quality"), ComboBoxQuality);
  form->addRow(Shown("SchedBitRate", "Bit rate"), SpinEditBitRate);
  form->addRow(Shown("SchedFrameRate", "Frame rate"), ComboBoxFrameRate);
  auto* naming = new QHBoxLayout;
  naming->addWidget(RadioButtonBaseName);
  naming->addWidget(EditBaseName, 1);
  form->addRow(Shown("SchedFileName", "File name"), RadioButtonDateTimeName);
  form->addRow("", naming);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtnOK");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtnCancel");
  buttons->button(QDialogButtonBox::Ok)->setText(Shown("OK", "OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(Shown("Cancel", "Cancel"));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(LabelReason);
  layout->addWidget(buttons);

  connect(ComboBoxSource, &QComboBox::currentIndexChanged, this, [this] { ComboBoxSourceChange(); });
  connect(ComboBoxAudioOption, &QComboBox::currentIndexChanged, this, [this] { ComboBoxAudioOptionChange(); });
  connect(ComboBoxFormat, &QComboBox::currentIndexChanged, this, [this] { ComboBoxFormatChange(); });
  connect(RadioButtonBaseName, &QRadioButton::toggled, EditBaseName, &QWidget::setEnabled);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { BitBtnOKClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  TScheduleEntry fresh;
  ApplyFormatDefaults(fresh, 1);
  fresh.Start = QDateTime::currentDateTime().addSecs(300);
  fresh.DurationSeconds = 1800;
  SetEntry(fresh);
}

void TDialogScheduleEntry::ComboBoxSourceChange() {
  const int source = ComboBoxSource->currentIndex();
  ComboBoxChannel->clear();
  for (const TProgramChannel& c : ProgramChannels(source)) ComboBoxChannel->addItem(c.Label(), c.Channel);
  // No channel settings yet: plain numbers, as the tables hold them.
  const int count = source <= handoff::rsCable ? 160 : source == handoff::rsMemory || source == handoff::rsFM ? 50 : 0;
  if (ComboBoxChannel->count() == 0)
    for (int n = 1; n <= count; ++n) ComboBoxChannel->addItem(QString::number(n), n);
  ComboBoxChannel->setEnabled(ComboBoxChannel->count() > 0);
  // The radio records sound only.
  if (source == handoff::rsFM) ComboBoxAudioOption->setCurrentIndex(1);
  ComboBoxAudioOption->setEnabled(source != handoff::rsFM);
  FillFormats();
}

void TDialogScheduleEntry::ComboBoxAudioOptionChange() { FillFormats(); }

void TDialogScheduleEntry::FillFormats() {
  const bool audio = IsAudioOnly(ComboBoxSource->currentIndex(), ComboBoxAudioOption->currentIndex());
  const QStringList& names = audio ? AudioFormatNames() : FormatNames();
  if (ComboBoxFormat->count() == names.size() && ComboBoxFormat->itemText(0) == names[0]) return;
  const int keep = ComboBoxFormat->currentIndex();
  ComboBoxFormat->clear();
  ComboBoxFormat->addItems(names);
  ComboBoxFormat->setCurrentIndex(qBound(0, keep, int(names.size()) - 1));
}

void TDialogScheduleEntry::ComboBoxFormatChange() {
  const bool audio = IsAudioOnly(ComboBoxSource->currentIndex(), ComboBoxAudioOption->currentIndex());
  for (QWidget* w : {static_cast<QWidget*>(ComboBoxSize), static_cast<QWidget*>(ComboBoxQuality),
                     static_cast<QWidget*>(SpinEditBitRate), static_cast<QWidget*>(ComboBoxFrameRate)})
    w->setEnabled(!audio);
  if (audio || ComboBoxFormat->currentIndex() < 0) return;
  TScheduleEntry profile;
  ApplyFormatDefaults(profile, ComboBoxFormat->currentIndex());
  ComboBoxSize->clear();
  ComboBoxSize->addItems(FormatSizes(profile.Format));
  ComboBoxSize->setCurrentText(QStringLiteral("%1x%2").arg(profile.CaptureWidth).arg(profile.CaptureHeight));
  ComboBoxQuality->setCurrentIndex(profile.Quality);
  // Only a cap may be none; the special text shows at the minimum, so only then.
  const bool cap = IsConstantQualityFormat(profile.Format);
  SpinEditBitRate->setRange(cap ? 0 : kLowestBitRate, kHighestBitRate);
  SpinEditBitRate->setSpecialValueText(cap ? Shown("BitRateNoLimit", "No limit") : QString());
  SpinEditBitRate->setValue(profile.VideoBitRateKbps);
  ShowFrameRates(profile.FrameRateCode == 0);
  ComboBoxFrameRate->setCurrentIndex(qMax(0, profile.FrameRateCode - 1));
}

void TDialogScheduleEntry::ShowFrameRates(bool asReceived) {
  ComboBoxFrameRate->setEnabled(!asReceived);
  if (asReceived == frameRateAsReceived_) return;
  frameRateAsReceived_ = asReceived;
  ComboBoxFrameRate->clear();
  ComboBoxFrameRate->addItems(asReceived ? QStringList{Shown("FrameRateAsReceived", "As received")}
                                         : FrameRateNames());
}

void TDialogScheduleEntry::SetEntry(const TScheduleEntry& e) {
  base_ = e;
  DateTimeEditStart->setDateTime(e.Start);
  TimeEditDuration->setTime(QTime(0, 0).addSecs(qMin(e.DurationSeconds, 86399)));
  ComboBoxRepeat->setCurrentIndex(int(e.Repeat));
  ComboBoxSource->setCurrentIndex(e.Source);
  ComboBoxSourceChange();
  ComboBoxChannel->setCurrentIndex(qMax(0, ComboBoxChannel->findData(e.Channel)));
  ComboBoxAudioOption->setCurrentIndex(e.AudioOption);
  FillFormats();
  ComboBoxFormat->setCurrentIndex(e.Format);
  ComboBoxFormatChange();
  ComboBoxSize->setCurrentText(QStringLiteral("%1x%2").arg(e.CaptureWidth).arg(e.CaptureHeight));
  ComboBoxQuality->setCurrentIndex(e.Quality);
  SpinEditBitRate->setValue(e.VideoBitRateKbps);
  if (!frameRateAsReceived_) ComboBoxFrameRate->setCurrentIndex(e.FrameRateCode - 1);
  RadioButtonDateTimeName->setChecked(e.UseDateTimeName);
  RadioButtonBaseName->setChecked(!e.UseDateTimeName);
  EditBaseName->setText(e.BaseName);
  EditBaseName->setEnabled(!e.UseDateTimeName);
}

TScheduleEntry TDialogScheduleEntry::Entry() const {
  TScheduleEntry e = base_;
  e.Start = DateTimeEditStart->dateTime();
  e.DurationSeconds = QTime(0, 0).secsTo(TimeEditDuration->time());
  e.Repeat = TRepeat(ComboBoxRepeat->currentIndex());
  e.Source = ComboBoxSource->currentIndex();
  e.Channel = ComboBoxChannel->count() ? ComboBoxChannel->currentData().toInt() : 0;
  e.AudioOption = quint8(ComboBoxAudioOption->currentIndex());
  e.Format = quint8(qMax(0, ComboBoxFormat->currentIndex()));
  const QStringList size = ComboBoxSize->currentText().split('x');
  if (size.size() == 2) e.CaptureWidth = size[0].toInt(), e.CaptureHeight = size[1].toInt();
  e.Quality = quint8(qMax(0, ComboBoxQuality->currentIndex()));
  e.VideoBitRateKbps = SpinEditBitRate->value();
  e.FrameRateCode = frameRateAsReceived_ ? 0 : ComboBoxFrameRate->currentIndex() + 1;
  e.UseDateTimeName = RadioButtonDateTimeName->isChecked() || EditBaseName->text().trimmed().isEmpty();
  e.BaseName = EditBaseName->text().trimmed();
  return e;
}

void TDialogScheduleEntry::BitBtnOKClick() {
  QString reason;
  if (Check && !Check(Entry(), &reason)) {
    LabelReason->setText(reason);
    return;
  }
  accept();
}

}  // namespace pvx::scheduled
