#include "tuning/FineTuneDialog.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <algorithm>

#include "settings/ChannelInfo.h"
#include "settings/ChannelTuner.h"
#include "settings/Globals.h"
#include "tuning/DialogParts.h"
#include "tuning/FrequencyText.h"
#include "util/WindowPlacement.h"

namespace pvx::tuning {

// Wide enough that one slider step is a few pixels.
constexpr int kSliderWidth = 300;

TDialogFineTune::TDialogFineTune(settings::IChannelTuner* tuner, qint32 frequency, qint32 base,
                                 QWidget* parent)
    : QDialog(parent), Base(base), EntryFrequency(frequency), tuner_(tuner) {
  setObjectName("DialogFineTune");
  setWindowTitle("Tuning");
  auto* layout = new QVBoxLayout(this);

  auto* readout = new QHBoxLayout;
  readout->addStretch(1);
  LabelFrequency_ = Named(new QLabel(this), "LabelFrequency");
  LabelMHz_ = Named(new QLabel("MHz", this), "LabelMHz");
  readout->addWidget(LabelFrequency_);
  readout->addWidget(LabelMHz_);
  readout->addStretch(1);
  layout->addLayout(readout);

  TrackBarTuning_ = Named(new QSlider(Qt::Horizontal, this), "TrackBarTuning");
  TrackBarTuning_->setRange(-kMaxSteps, kMaxSteps);
  TrackBarTuning_->setTickPosition(QSlider::NoTicks);
  TrackBarTuning_->setPageStep(10);
  TrackBarTuning_->setMinimumWidth(kSliderWidth);
  TrackBarTuning_->setValue(StartPosition(frequency, base));
  layout->addWidget(TrackBarTuning_);
  ShowFrequency(frequency);
  connect(TrackBarTuning_, &QSlider::valueChanged, this, &TDialogFineTune::TrackBarTuningChange);

  auto* row = new QHBoxLayout;
  BitBtnDefault_ = Named(new QPushButton("Default", this), "BitBtnDefault");
  BitBtnDefault_->setAutoDefault(false);
  connect(BitBtnDefault_, &QPushButton::clicked, this, &TDialogFineTune::BitBtnDefaultClick);
  row->addWidget(BitBtnDefault_);
  layout->addLayout(row);
  auto [ok, cancel] = AddOKCancel(*this, *row, [this] { BitBtnOKClick(); });

  ApplyLanguage(*this, "Tuning", {{"Default", BitBtnDefault_}, {"OK", ok}, {"Cancel", cancel}});
  setTabOrder(TrackBarTuning_, BitBtnDefault_);
  setTabOrder(BitBtnDefault_, ok);
  setTabOrder(ok, cancel);
  TrackBarTuning_->setFocus();
  FixToContents(*this, *layout);
}

int TDialogFineTune::StartPosition(qint64 frequency, qint64 base) {
  return int(std::clamp<qint64>((frequency - base) / kStepHz, -kMaxSteps, kMaxSteps));
}

void TDialogFineTune::TrackBarTuningChange(int position) {
  Chosen = position * kStepHz + Base;
  Tune(Chosen);
  ShowFrequency(Chosen);
  LabelFrequency_->repaint();
}

void TDialogFineTune::BitBtnDefaultClick() {
  // At 0 already the slider reports no change, yet Default still means the table frequency.
  if (TrackBarTuning_->value() == 0)
    TrackBarTuningChange(0);
  else
    TrackBarTuning_->setValue(0);
}

void TDialogFineTune::BitBtnOKClick() {
  if (Chosen > 0) EntryFrequency = Chosen;
  accept();
}

void TDialogFineTune::reject() {
  Tune(EntryFrequency);
  QDialog::reject();
}

void TDialogFineTune::Tune(qint32 hertz) {
  if (tuner_) tuner_->SetTVFrequency(quint32(hertz));
}

void TDialogFineTune::ShowFrequency(qint64 hertz) { LabelFrequency_->setText(FrequencyText(hertz)); }

bool FineTune(settings::IChannelTuner* tuner, QWidget* owner, quint32& frequency, quint32 base,
              const QRect& picture) {
  if (qint32(base) <= 0) return false;
  TDialogFineTune dialog(tuner, qint32(frequency), qint32(base), owner);
  QWidget* aside = owner && picture.isValid() ? owner->window() : nullptr;
  const QPoint was = aside ? aside->pos() : QPoint();
  if (aside) {
    const QRect screen = aside->screen() ? aside->screen()->availableGeometry() : QRect(picture.topLeft(), QSize(1, 1));
    if (aside->frameGeometry().intersects(picture)) aside->move(util::AsideFrom(picture, aside->frameGeometry().size(), screen));
    dialog.adjustSize();
    dialog.move(util::AsideFrom(picture, dialog.frameGeometry().size(), screen));
  }
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (aside) aside->move(was);
  if (!accepted) return false;
  frequency = quint32(dialog.EntryFrequency);
  return true;
}

}  // namespace pvx::tuning
