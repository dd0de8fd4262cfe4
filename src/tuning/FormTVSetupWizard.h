#pragma once
// The TV setup wizard: page 1 picks the frequency table by country or by TV system, page 2 the
// sound lines and the scan method, page 3 runs the scan. Cancel puts the channel tables back as
// they were when the wizard opened.

#include <QDialog>
#include <QStringList>
#include <functional>

#include "settings/ChannelInfo.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace pvx::tuning {

// The sound lines of the mixer the two combo boxes offer; Apply takes the chosen pair on Finish.
struct TWizardSound {
  QStringList PlaybackLines, RecordLines;
  int PlaybackLine = 0, RecordLine = 0;
  std::function<void(int playbackLine, int recordLine)> Apply;
};

// What Cancel writes back.
struct TChannelSnapshot {
  settings::TChannelInfo::TChannelTable Antenna{}, Cable{};
  quint8 TableIndex = 0, Standard = 0, TVSystemChoice = 0, CableTypeChoice = 0;
  qint32 CountryCode = 0;

  static TChannelSnapshot Take(const settings::TChannelInfo& channels);
  void Restore(settings::TChannelInfo& channels) const;
};

class TFormTVSetupWizard : public QDialog {
  Q_OBJECT

 public:
  TFormTVSetupWizard(settings::TChannelInfo& channels, bool firstRun, TWizardSound sound,
                     QWidget* parent = nullptr);
  ~TFormTVSetupWizard() override;

  int Page() const { return page_; }
  void SetPage(int page);
  void Start();
  void Abort();
  void accept() override;  // Finish
  void reject() override;  // Cancel, or Escape

  bool FirstRun = false;
  qint32 SelectedCode = 0;
  qint32 TVSystemCode = 0;
  int Letter = 0;
  bool FreeScan = false;
  quint8 ChosenTable = 0, ChosenStandard = 0;
  QString TotalScanText = QStringLiteral("Total scan"), FindText = QStringLiteral("Find");

 private:
  void BuildPage1();
  void BuildPage2(const TWizardSound& sound);
  void BuildPage3();
  void ApplyCaptions();
  void FillLetter(int letter);
  void ChooseByCountry(bool byCountry);
  void EvaluateChoice();
  void EnterPage3();
  void RestoreButtons();
  int CableType() const;
  void Connect();

  settings::TChannelInfo& channels_;
  TChannelSnapshot snapshot_;
  std::function<void(int, int)> applySound_;
  int page_ = 1;
  // Handlers the wizard stands in for while it is open.
  decltype(settings::TChannelInfo::OnAutoScanProgress) oldAutoProgress_;
  decltype(settings::TChannelInfo::OnAutoScanDone) oldAutoDone_;
  decltype(settings::TChannelInfo::OnFreeScanProgress) oldFreeProgress_;
  decltype(settings::TChannelInfo::OnFreeScanDone) oldFreeDone_;

  QWidget *page1_, *page2_, *page3_, *panelCableScan_, *panelFreeScan_;
  QRadioButton *radioCountry_, *radioTVSystem_, *radioDefault_, *radioFree_;
  QLabel *labelCountryDesc_, *labelAntenna_, *labelCable_, *labelAntennaResult_, *labelCableResult_;
  QLabel *labelFrequency_, *labelFrequencyValue_, *labelVerified_, *labelScanStep_;
  QComboBox *comboLetter_, *comboTVSystem_, *comboLiveSound_, *comboRecordSound_, *comboStep_;
  QLabel *labelLiveSound_, *labelRecordSound_;
  QListWidget* listCountry_;
  QWidget* cableTypeBox_;
  QButtonGroup* cableType_;
  QProgressBar *barAntenna_, *barCable_, *barFree_;
  QPlainTextEdit* memoFree_;
  QSpinBox* spinVerified_;
  QPushButton *start_, *abort_, *back_, *next_, *finish_, *cancel_;
};

// Opens the wizard modally and then brings the tuner to the chosen standard (error 2009 when it
// refuses; 2010 outside the first run when the standard changed). True when Finish was pressed.
bool RunSetupWizard(settings::TChannelInfo& channels, bool firstRun, TWizardSound sound,
                    QWidget* parent = nullptr);

}  // namespace pvx::tuning
