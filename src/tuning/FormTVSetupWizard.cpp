#include "tuning/FormTVSetupWizard.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <utility>

#include "settings/ChannelTuner.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "tuning/CountryList.h"
#include "tuning/TVStandard.h"
#include "tuning/TVSystemList.h"
#include "util/FrequencyFormat.h"

namespace pvx::tuning {

using settings::TChannelInfo;

namespace {

template <typename T>
T* Named(QWidget* parent, const char* name, const QString& text = {}) {
  auto* w = new T(parent);
  w->setObjectName(QLatin1String(name));
  if constexpr (requires { w->setText(text); })
    if (!text.isEmpty()) w->setText(text);
  return w;
}

QProgressBar* ScanBar(QWidget* parent, const char* name) {
  auto* bar = Named<QProgressBar>(parent, name);
  bar->setRange(0, settings::TChannelInfo::kChannelCount);
  return bar;
}

}  // namespace

TFormTVSetupWizard::TFormTVSetupWizard(settings::TChannelInfo& channels, bool firstRun,
                                       TWizardInputs sound, QWidget* parent)
    : QDialog(parent), applySound_(std::move(sound.Apply)), rules_(channels, firstRun, sound.HomeCountry, Events()) {
  setObjectName(QStringLiteral("FormTVSetupWizard"));
  setWindowTitle(QStringLiteral("TV Setup Wizard"));

  auto* pages = new QVBoxLayout(this);
  page1_ = Named<QWidget>(this, "PanelPage1");
  page2_ = Named<QWidget>(this, "PanelPage2");
  page3_ = Named<QWidget>(this, "PanelPage3");
  for (QWidget* p : {page1_, page2_, page3_}) pages->addWidget(p);
  BuildPage1();
  BuildPage2(sound);
  BuildPage3();

  auto* buttons = new QHBoxLayout;
  back_ = Named<QPushButton>(this, "BitBtnBack", QStringLiteral("< Back"));
  next_ = Named<QPushButton>(this, "BitBtnNext", QStringLiteral("Next >"));
  finish_ = Named<QPushButton>(this, "BitBtnFinish", QStringLiteral("Finish"));
  cancel_ = Named<QPushButton>(this, "BitBtnCancel", QStringLiteral("Cancel"));
  buttons->addStretch();
  for (QPushButton* b : {back_, next_, finish_, cancel_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  next_->setDefault(true);
  pages->addLayout(buttons);

  ApplyCaptions();
  Connect();
  ShowChoices(channels);
  ShowButtons();
  SetPage(1);
}

void TFormTVSetupWizard::BuildPage1() {
  auto* grid = new QGridLayout(page1_);
  radioCountry_ = Named<QRadioButton>(page1_, "RadioButtonCountry", QStringLiteral("Country"));
  radioTVSystem_ = Named<QRadioButton>(page1_, "RadioButtonTVSystem", QStringLiteral("TV system"));
  labelCountryDesc_ = Named<QLabel>(page1_, "LabelCountryDesc", QStringLiteral("Country selected by letter"));
  comboLetter_ = Named<QComboBox>(page1_, "ComboBoxLetter");
  comboLetter_->addItems(CountryLetters());
  listCountry_ = Named<QListWidget>(page1_, "ListBoxCountry");
  comboTVSystem_ = Named<QComboBox>(page1_, "ComboBoxTVSystem");
  comboTVSystem_->addItems(TVSystemTexts());
  grid->addWidget(radioCountry_, 0, 0, 1, 2);
  grid->addWidget(labelCountryDesc_, 1, 0);
  grid->addWidget(comboLetter_, 1, 1);
  grid->addWidget(listCountry_, 2, 0, 1, 2);
  grid->addWidget(radioTVSystem_, 3, 0, 1, 2);
  grid->addWidget(comboTVSystem_, 4, 0, 1, 2);
}

void TFormTVSetupWizard::BuildPage2(const TWizardInputs& sound) {
  auto* grid = new QGridLayout(page2_);
  labelLiveSound_ = Named<QLabel>(page2_, "LabelTVLiveSound", QStringLiteral("TV live sound"));
  labelRecordSound_ = Named<QLabel>(page2_, "LabelRecordSound", QStringLiteral("Recording sound"));
  comboLiveSound_ = Named<QComboBox>(page2_, "ComboBoxTVLiveSound");
  comboRecordSound_ = Named<QComboBox>(page2_, "ComboBoxRecordSound");
  comboLiveSound_->addItems(sound.PlaybackLines);
  comboLiveSound_->setCurrentIndex(sound.PlaybackLine);
  comboRecordSound_->addItems(sound.RecordLines);
  comboRecordSound_->setCurrentIndex(sound.RecordLine);
  grid->addWidget(labelLiveSound_, 0, 0);
  grid->addWidget(comboLiveSound_, 0, 1);
  grid->addWidget(labelRecordSound_, 1, 0);
  grid->addWidget(comboRecordSound_, 1, 1);

  auto* scan = Named<QGroupBox>(page2_, "GroupBoxScan");
  scan->setTitle(QStringLiteral("Scan"));
  auto* box = new QVBoxLayout(scan);
  cableTypeBox_ = Named<QGroupBox>(scan, "RadioGroupCableType");
  static_cast<QGroupBox*>(cableTypeBox_)->setTitle(QStringLiteral("Cable type"));
  auto* types = new QHBoxLayout(cableTypeBox_);
  cableType_ = new QButtonGroup(this);
  const char* names[] = {"RadioButtonAntenna", "RadioButtonCable", "RadioButtonBoth"};
  const char* texts[] = {"Antenna", "Cable", "Both"};
  for (int i = 0; i < 3; ++i) {
    auto* r = Named<QRadioButton>(cableTypeBox_, names[i], QLatin1String(texts[i]));
    cableType_->addButton(r, i);
    types->addWidget(r);
  }
  radioDefault_ = Named<QRadioButton>(scan, "RadioButtonUseDefaultTable", QStringLiteral("Use default table"));
  radioFree_ = Named<QRadioButton>(scan, "RadioButtonUseFreeScan", QStringLiteral("Use free scan"));
  box->addWidget(cableTypeBox_);
  box->addWidget(radioDefault_);
  box->addWidget(radioFree_);
  grid->addWidget(scan, 2, 0, 1, 2);
}

void TFormTVSetupWizard::BuildPage3() {
  auto* column = new QVBoxLayout(page3_);
  panelCableScan_ = Named<QWidget>(page3_, "PanelCableScan");
  auto* cable = new QGridLayout(panelCableScan_);
  labelAntenna_ = Named<QLabel>(panelCableScan_, "LabelAntenna", QStringLiteral("Antenna"));
  labelCable_ = Named<QLabel>(panelCableScan_, "LabelCable", QStringLiteral("Cable"));
  barAntenna_ = ScanBar(panelCableScan_, "ProgressBarAntenna");
  barCable_ = ScanBar(panelCableScan_, "ProgressBarCable");
  labelAntennaResult_ = Named<QLabel>(panelCableScan_, "LabelAntennaResult");
  labelCableResult_ = Named<QLabel>(panelCableScan_, "LabelCableResult");
  cable->addWidget(labelAntenna_, 0, 0);
  cable->addWidget(barAntenna_, 0, 1);
  cable->addWidget(labelAntennaResult_, 1, 1);
  cable->addWidget(labelCable_, 2, 0);
  cable->addWidget(barCable_, 2, 1);
  cable->addWidget(labelCableResult_, 3, 1);

  panelFreeScan_ = Named<QWidget>(page3_, "PanelFreeScan");
  auto* free = new QGridLayout(panelFreeScan_);
  labelScanStep_ = Named<QLabel>(panelFreeScan_, "LabelScanStep", QStringLiteral("Step size"));
  comboStep_ = Named<QComboBox>(panelFreeScan_, "ComboBoxScanStep");
  comboStep_->addItem(QStringLiteral("0.25 MHz"));
  labelFrequency_ = Named<QLabel>(panelFreeScan_, "LabelFrequency", QStringLiteral("Frequency"));
  labelFrequencyValue_ = Named<QLabel>(panelFreeScan_, "LabelFrequencyValue");
  barFree_ = Named<QProgressBar>(panelFreeScan_, "ProgressBarFreeScan");
  memoFree_ = Named<QPlainTextEdit>(panelFreeScan_, "MemoFreeScanResult");
  memoFree_->setReadOnly(true);
  free->addWidget(labelScanStep_, 0, 0);
  free->addWidget(comboStep_, 0, 1);
  free->addWidget(labelFrequency_, 1, 0);
  free->addWidget(labelFrequencyValue_, 1, 1);
  free->addWidget(barFree_, 2, 0, 1, 2);
  free->addWidget(memoFree_, 3, 0, 1, 2);

  auto* verify = new QHBoxLayout;
  labelVerified_ = Named<QLabel>(page3_, "LabelVerifiedCount", QStringLiteral("Maximum verified count for channel scaning"));
  spinVerified_ = Named<QSpinBox>(page3_, "SpinEditVerifiedCount");
  spinVerified_->setRange(1, 10);
  verify->addWidget(labelVerified_);
  verify->addWidget(spinVerified_);
  auto* run = new QHBoxLayout;
  start_ = Named<QPushButton>(page3_, "BitBtnStart", QStringLiteral("Start"));
  abort_ = Named<QPushButton>(page3_, "BitBtnAbort", QStringLiteral("Abort"));
  for (QPushButton* b : {start_, abort_}) {
    b->setAutoDefault(false);
    run->addWidget(b);
  }
  column->addWidget(panelCableScan_);
  column->addWidget(panelFreeScan_);
  column->addLayout(verify);
  column->addLayout(run);
}

// Language keys in the order the language file lists them; a missing key keeps the built-in text.
void TFormTVSetupWizard::ApplyCaptions() {
  const settings::TMultiLangInfo* lang = settings::MultiLangInfo;
  if (!lang) return;
  // The language's text size; buttons one point larger.
  QFont text = font();
  text.setPointSize(lang->FontSize);
  setFont(text);
  text.setPointSize(lang->FontSize + 1);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setFont(text);
  auto caption = [&](const char* key, auto&& set) {
    QString text, hint;
    if (lang->Lookup(QLatin1String(key), &text, &hint)) set(text, hint);
  };
  auto to = [](QWidget* w) {
    return [w](const QString& text, const QString& hint) {
      if (auto* l = qobject_cast<QLabel*>(w)) l->setText(text);
      else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(text);
      else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(text);
      if (!hint.isEmpty()) w->setToolTip(hint);
    };
  };
  caption("WizardForm", [this](const QString& t, const QString&) { setWindowTitle(t); });
  caption("Finish", to(finish_));
  caption("Cancel", to(cancel_));
  caption("Back", to(back_));
  caption("Next", to(next_));
  caption("Scan", to(findChild<QGroupBox*>(QStringLiteral("GroupBoxScan"))));
  caption("StepSize", to(labelScanStep_));
  caption("Country", to(radioCountry_));
  caption("CountryDesc", to(labelCountryDesc_));
  caption("TVSystem", to(radioTVSystem_));
  caption("CableType", to(cableTypeBox_));
  caption("Antenna", to(cableType_->button(0)));
  caption("Cable", to(cableType_->button(1)));
  caption("Antenna", to(labelAntenna_));
  caption("Cable", to(labelCable_));
  caption("Both", to(cableType_->button(2)));
  caption("UseDefaultTable", to(radioDefault_));
  caption("UseFreeScan", to(radioFree_));
  caption("TVLiveSound", to(labelLiveSound_));
  caption("RecordingSound", to(labelRecordSound_));
  caption("Start", to(start_));
  caption("Abort", to(abort_));
  caption("Frequency", to(labelFrequency_));
  caption("ScaningVerifyCount", to(labelVerified_));
  caption("TotalScan", [this](const QString& t, const QString&) { totalScanText_ = t; });
  caption("Find", [this](const QString& t, const QString&) { findText_ = t; });
  // The language's size; buttons one point larger.
  for (QWidget* w : findChildren<QWidget*>()) {
    QFont f = w->font();
    f.setPointSize(lang->FontSize + (qobject_cast<QPushButton*>(w) ? 1 : 0));
    w->setFont(f);
  }
}

TSetupWizardEvents TFormTVSetupWizard::Events() {
  TSetupWizardEvents e;
  e.PageChanged = [this] { ShowPage(); };
  e.ButtonsChanged = [this] { ShowButtons(); };
  e.ScanPageEntered = [this] { ShowScanPage(); };
  e.ScanStarted = [this] { ShowScanStart(); };
  // An aborted scan's bar stays where it stopped: a full bar would claim a finished scan.
  e.ScanAborted = [] {};
  e.AutoScanProgress = [this](bool antenna, int n) { (antenna ? barAntenna_ : barCable_)->setValue(n); };
  e.AutoScanDone = [this](int kind, int last, int found) {
    const QString text = QString::asprintf("%s = %d, %s %d ", qPrintable(totalScanText_), last,
                                           qPrintable(findText_), found);
    (kind == 0 ? labelAntennaResult_ : labelCableResult_)->setText(text);
  };
  e.FreeScanProgress = [this](int slot, quint32 f, int position, bool found) {
    labelFrequencyValue_->setText(util::MHzText(f));
    barFree_->setValue(position);
    if (found)
      memoFree_->appendPlainText(
          settings::LanguageText("FreeScanFound", "Channel %1 is set to %2").arg(slot).arg(util::MHzText(f)));
  };
  e.FreeScanDone = [this](bool aborted) {
    if (!aborted) barFree_->setValue(barFree_->maximum());
    comboStep_->setEnabled(true);
  };
  return e;
}

// Every choice goes to the rules as it is made.
void TFormTVSetupWizard::Connect() {
  connect(next_, &QPushButton::clicked, this, [this] { SetPage(Page() + 1); });
  connect(back_, &QPushButton::clicked, this, [this] { SetPage(Page() - 1); });
  connect(finish_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(start_, &QPushButton::clicked, this, &TFormTVSetupWizard::Start);
  connect(abort_, &QPushButton::clicked, this, &TFormTVSetupWizard::Abort);
  connect(radioCountry_, &QRadioButton::toggled, this, [this](bool on) { ChooseByCountry(on); });
  connect(comboLetter_, &QComboBox::activated, this, [this](int letter) { FillLetter(letter); });
  connect(listCountry_, &QListWidget::currentRowChanged, this, [this](int row) { rules_.SetCountryRow(row); });
  connect(comboTVSystem_, &QComboBox::currentIndexChanged, this, [this](int i) { rules_.SetTVSystem(i); });
  connect(cableType_, &QButtonGroup::idToggled, this, [this](int type, bool on) {
    if (on) rules_.SetCableType(type);
  });
  connect(radioFree_, &QRadioButton::toggled, this, [this](bool on) {
    rules_.SetFreeScan(on);
    cableTypeBox_->setEnabled(!on);
  });
  connect(spinVerified_, &QSpinBox::valueChanged, this, [this](int count) { rules_.SetVerifyCount(count); });
  connect(comboStep_, &QComboBox::currentIndexChanged, this, [this](int i) { rules_.SetStepIndex(i); });
}

// Page 1 and 2 as the rules found the channel object.
void TFormTVSetupWizard::ShowChoices(const settings::TChannelInfo& channels) {
  const bool byCountry = rules_.ByCountry();
  const int letter = rules_.Letter(), row = rules_.CountryRow();
  comboLetter_->setCurrentIndex(letter);
  FillLetter(letter);
  listCountry_->setCurrentRow(row);
  comboTVSystem_->setCurrentIndex(rules_.TVSystem());
  (byCountry ? radioCountry_ : radioTVSystem_)->setChecked(true);
  ChooseByCountry(byCountry);
  cableType_->button(rules_.CableType())->setChecked(true);
  radioDefault_->setChecked(true);
  const bool verify = channels.VerifyOptionShown();
  labelVerified_->setVisible(verify);
  spinVerified_->setVisible(verify);
  spinVerified_->setValue(rules_.VerifyCount());
}

void TFormTVSetupWizard::FillLetter(int letter) {
  rules_.SetLetter(letter);
  listCountry_->clear();
  listCountry_->addItems(CountryTexts(letter));
  listCountry_->setCurrentRow(0);
}

void TFormTVSetupWizard::ChooseByCountry(bool byCountry) {
  rules_.ChooseByCountry(byCountry);
  for (QWidget* w : {static_cast<QWidget*>(comboLetter_), static_cast<QWidget*>(labelCountryDesc_),
                     static_cast<QWidget*>(listCountry_)})
    w->setEnabled(byCountry);
  comboTVSystem_->setEnabled(!byCountry);
}

void TFormTVSetupWizard::ShowPage() {
  const int page = rules_.Page();
  page1_->setVisible(page == 1);
  page2_->setVisible(page == 2);
  page3_->setVisible(page == 3);
  back_->setVisible(page > 1);
  next_->setVisible(page < TSetupWizardRules::kPageCount);
  finish_->setVisible(page == TSetupWizardRules::kPageCount);
}

void TFormTVSetupWizard::ShowButtons() {
  const TWizardButtons& b = rules_.Buttons();
  start_->setEnabled(b.Start);
  abort_->setEnabled(b.Abort);
  back_->setEnabled(b.Back);
  finish_->setEnabled(b.Finish);
  cancel_->setEnabled(b.Cancel);
}

void TFormTVSetupWizard::ShowScanPage() {
  const bool freeScan = rules_.FreeScan();
  panelFreeScan_->setVisible(freeScan);
  panelCableScan_->setVisible(!freeScan);
  if (freeScan) {
    memoFree_->clear();
    barFree_->setValue(barFree_->minimum());
    return;
  }
  ClearScanResults();
  const int type = rules_.CableType();
  for (QWidget* w : {static_cast<QWidget*>(labelAntenna_), static_cast<QWidget*>(barAntenna_)})
    w->setEnabled(type != 1);
  for (QWidget* w : {static_cast<QWidget*>(labelCable_), static_cast<QWidget*>(barCable_)})
    w->setEnabled(type != 0);
}

void TFormTVSetupWizard::ClearScanResults() {
  for (QProgressBar* bar : {barAntenna_, barCable_}) bar->setValue(bar->minimum());
  labelAntennaResult_->clear();
  labelCableResult_->clear();
}

void TFormTVSetupWizard::ShowScanStart() {
  if (!rules_.FreeScan()) {
    ClearScanResults();
    return;
  }
  comboStep_->setEnabled(false);
  memoFree_->clear();
  barFree_->setRange(0, rules_.FreeScanSpan());
}

void TFormTVSetupWizard::accept() {
  if (!rules_.Finish()) return;
  if (applySound_) applySound_(comboLiveSound_->currentIndex(), comboRecordSound_->currentIndex());
  QDialog::accept();
}

void TFormTVSetupWizard::reject() {
  if (!rules_.Cancel()) return;
  QDialog::reject();
}

bool RunSetupWizard(TChannelInfo& channels, bool firstRun, TWizardInputs sound, QWidget* parent) {
  const int channel = channels.CurrentChannel();
  const settings::IChannelTuner* tuner = channels.Tuner();
  const int tunerStandard = tuner ? StandardIndexOf(tuner->VideoStandard()) : kNoStandardIndex;
  bool finished = false;
  {
    TFormTVSetupWizard wizard(channels, firstRun, std::move(sound), parent);
    finished = wizard.exec() == QDialog::Accepted;
  }
  if (firstRun) {
    channels.SetTable(channels.CableTypeChoice() == 1 ? TChannelInfo::kCable : TChannelInfo::kAntenna);
    channels.SetInputStandards(channels.Standard(), channels.Standard());
  }
  if (channels.Standard() != tunerStandard) {
    channels.ChangeStandard(channels.Standard());  // says 2009 itself when refused
    if (!firstRun) settings::ShowErrorCode(2010);
  }
  channels.SelectChannel(1);
  channels.SelectChannel(channel);
  return finished;
}

}  // namespace pvx::tuning
