// What the wizard's buttons and the scan events do, and the run around the modal wizard.

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <utility>

#include "settings/ChannelTuner.h"
#include "settings/ErrorMessages.h"
#include "tuning/CountryList.h"
#include "tuning/FormTVSetupWizard.h"
#include "tuning/FrequencyTable.h"
#include "tuning/TVStandard.h"
#include "tuning/TVSystemList.h"

namespace pvx::tuning {

using settings::TChannelInfo;

TChannelSnapshot TChannelSnapshot::Take(const TChannelInfo& c) {
  return {c.AntennaChannels, c.CableChannels, c.TableIndex, c.Standard, c.TVSystemChoice,
          c.CableTypeChoice, c.CountryCode};
}

void TChannelSnapshot::Restore(TChannelInfo& c) const {
  c.AntennaChannels = Antenna;
  c.CableChannels = Cable;
  c.TableIndex = TableIndex;
  c.SetStandard(Standard);
  c.SetCountryCode(CountryCode);
  c.TVSystemChoice = TVSystemChoice;
  c.CableTypeChoice = CableTypeChoice;
}

void TFormTVSetupWizard::Connect() {
  connect(next_, &QPushButton::clicked, this, [this] { SetPage(page_ + 1); });
  connect(back_, &QPushButton::clicked, this, [this] { SetPage(page_ - 1); });
  connect(finish_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(start_, &QPushButton::clicked, this, &TFormTVSetupWizard::Start);
  connect(abort_, &QPushButton::clicked, this, &TFormTVSetupWizard::Abort);
  connect(radioCountry_, &QRadioButton::toggled, this, [this](bool on) { ChooseByCountry(on); });
  connect(comboLetter_, &QComboBox::activated, this, [this](int letter) { FillLetter(letter); });
  connect(radioFree_, &QRadioButton::toggled, this, [this](bool on) {
    FreeScan = on;
    cableTypeBox_->setEnabled(!on);
  });

  oldAutoProgress_ = std::exchange(channels_.OnAutoScanProgress,
                                   [this](TChannelInfo&, int n, bool, bool antenna) {
                                     (antenna ? barAntenna_ : barCable_)->setValue(n);
                                   });
  oldAutoDone_ = std::exchange(channels_.OnAutoScanDone, [this](TChannelInfo&, int last, int found,
                                                                int kind, bool) {
    const QString text = QString::asprintf("%s = %d, %s %d ", qPrintable(TotalScanText), last,
                                           qPrintable(FindText), found);
    (kind == 0 ? labelAntennaResult_ : labelCableResult_)->setText(text);
    if (kind == CableType()) RestoreButtons();
  });
  oldFreeProgress_ = std::exchange(channels_.OnFreeScanProgress, [this](TChannelInfo& c, int slot,
                                                                        quint32 f, bool found) {
    labelFrequencyValue_->setText(QStringLiteral("%1 Hz").arg(f));
    const qint64 lowest = c.Tuner() ? c.Tuner()->TVMin() : 0;
    barFree_->setValue(int((qint64(f) - lowest) / 1000));
    if (found) memoFree_->appendPlainText(QString::asprintf("Channel %d is set to %d Hz", slot, int(f)));
  });
  oldFreeDone_ = std::exchange(channels_.OnFreeScanDone, [this](TChannelInfo&, int, bool) {
    barFree_->setValue(barFree_->maximum());
    comboStep_->setEnabled(true);
    RestoreButtons();
  });
}

TFormTVSetupWizard::~TFormTVSetupWizard() {
  channels_.OnAutoScanProgress = std::move(oldAutoProgress_);
  channels_.OnAutoScanDone = std::move(oldAutoDone_);
  channels_.OnFreeScanProgress = std::move(oldFreeProgress_);
  channels_.OnFreeScanDone = std::move(oldFreeDone_);
}

int TFormTVSetupWizard::CableType() const { return std::max(cableType_->checkedId(), 0); }

void TFormTVSetupWizard::FillLetter(int letter) {
  Letter = letter;
  listCountry_->clear();
  listCountry_->addItems(CountryTexts(letter));
  listCountry_->setCurrentRow(0);
}

void TFormTVSetupWizard::ChooseByCountry(bool byCountry) {
  for (QWidget* w : {static_cast<QWidget*>(comboLetter_), static_cast<QWidget*>(labelCountryDesc_),
                     static_cast<QWidget*>(listCountry_)})
    w->setEnabled(byCountry);
  comboTVSystem_->setEnabled(!byCountry);
}

void TFormTVSetupWizard::SetPage(int page) {
  page_ = std::clamp(page, 1, 3);
  page1_->setVisible(page_ == 1);
  page2_->setVisible(page_ == 2);
  page3_->setVisible(page_ == 3);
  back_->setVisible(page_ > 1);
  next_->setVisible(page_ < 3);
  finish_->setVisible(page_ == 3);
  if (page_ == 3) EnterPage3();
}

void TFormTVSetupWizard::EvaluateChoice() {
  TTuningEntry entry;
  if (radioCountry_->isChecked()) {
    entry = CountryEntry(Letter, std::max(listCountry_->currentRow(), 0));
    SelectedCode = entry.CountryCode;
  } else {
    entry = TVSystemEntry(comboTVSystem_->currentIndex());
    TVSystemCode = entry.CountryCode;
  }
  ChosenTable = entry.TableIndex;
  ChosenStandard = entry.Standard;
}

void TFormTVSetupWizard::EnterPage3() {
  abort_->setEnabled(false);
  start_->setEnabled(true);
  panelFreeScan_->setVisible(FreeScan);
  panelCableScan_->setVisible(!FreeScan);
  EvaluateChoice();
  if (FreeScan) {
    memoFree_->clear();
    barFree_->setValue(barFree_->minimum());
    return;
  }
  for (QProgressBar* bar : {barAntenna_, barCable_}) bar->setValue(bar->minimum());
  labelAntennaResult_->clear();
  labelCableResult_->clear();
  const int type = CableType();
  for (QWidget* w : {static_cast<QWidget*>(labelAntenna_), static_cast<QWidget*>(barAntenna_)})
    w->setEnabled(type != 1);
  for (QWidget* w : {static_cast<QWidget*>(labelCable_), static_cast<QWidget*>(barCable_)})
    w->setEnabled(type != 0);
  TFrequencyBlock antenna{}, cable{};
  // A missing table file has been reported; the scan then tests what the records hold.
  if (!LoadFrequencyTable(ChosenTable, antenna, cable)) return;
  ApplyFrequencyBlock(antenna, [this](int n) -> auto& { return *channels_.ChannelRecord(false, n); });
  ApplyFrequencyBlock(cable, [this](int n) -> auto& { return *channels_.ChannelRecord(true, n); });
}

void TFormTVSetupWizard::Start() {
  for (QPushButton* b : {start_, back_, finish_, cancel_}) b->setEnabled(false);
  abort_->setEnabled(true);
  channels_.VerifyCount = spinVerified_->value();
  if (!FreeScan) {
    for (QProgressBar* bar : {barAntenna_, barCable_}) bar->setValue(bar->minimum());
    labelAntennaResult_->clear();
    labelCableResult_->clear();
    channels_.AutoScan(CableType());
    return;
  }
  const qint64 step = comboStep_->currentIndex() == 1 ? 125000 : 250000;
  comboStep_->setEnabled(false);
  memoFree_->clear();
  const settings::IChannelTuner* tuner = channels_.Tuner();
  barFree_->setRange(0, tuner ? int((qint64(tuner->TVMax()) - tuner->TVMin()) / 1000) : 0);
  channels_.FreeScan(step);
}

void TFormTVSetupWizard::Abort() {
  channels_.AbortScan = true;
  for (QProgressBar* bar : {barAntenna_, barCable_, barFree_})
    if (bar->isEnabled() && bar->isVisibleTo(this)) bar->setValue(bar->maximum());
  RestoreButtons();
}

void TFormTVSetupWizard::RestoreButtons() {
  for (QPushButton* b : {start_, back_, finish_}) b->setEnabled(true);
  abort_->setEnabled(false);
  cancel_->setEnabled(!FirstRun);
}

void TFormTVSetupWizard::accept() {
  if (channels_.Scanning) return;
  channels_.CableTypeChoice = FreeScan ? 2 : quint8(CableType());
  channels_.TableIndex = ChosenTable;
  if (radioCountry_->isChecked()) {
    channels_.TVSystemChoice = TChannelInfo::kChoiceByCountry;
    channels_.SetCountryCode(SelectedCode);
  } else {
    channels_.TVSystemChoice = quint8(comboTVSystem_->currentIndex());
    channels_.SetCountryCode(TVSystemCode);
  }
  channels_.SetStandard(ChosenStandard);
  channels_.VerifyCount = spinVerified_->value();
  if (applySound_) applySound_(comboLiveSound_->currentIndex(), comboRecordSound_->currentIndex());
  QDialog::accept();
}

void TFormTVSetupWizard::reject() {
  // The first run has to end with a table; a running scan has to be aborted first.
  if (FirstRun || !cancel_->isEnabled()) return;
  snapshot_.Restore(channels_);
  QDialog::reject();
}

bool RunSetupWizard(TChannelInfo& channels, bool firstRun, TWizardSound sound, QWidget* parent) {
  const int channel = channels.CurrentChannel();
  const settings::IChannelTuner* tuner = channels.Tuner();
  const int tunerStandard = tuner ? StandardIndexOf(tuner->VideoStandard()) : kNoStandardIndex;
  bool finished = false;
  {
    TFormTVSetupWizard wizard(channels, firstRun, std::move(sound), parent);
    finished = wizard.exec() == QDialog::Accepted;
  }
  if (firstRun) {
    channels.SetTable(channels.CableTypeChoice == 1 ? TChannelInfo::kCable : TChannelInfo::kAntenna);
    channels.CompositeStandard = channels.SVideoStandard = channels.Standard;
  }
  if (channels.Standard != tunerStandard) {
    channels.ChangeStandard(channels.Standard);  // says 2009 itself when refused
    if (!firstRun) settings::ShowErrorCode(2010);
  }
  channels.SelectChannel(1);
  channels.SelectChannel(channel);
  return finished;
}

}  // namespace pvx::tuning
