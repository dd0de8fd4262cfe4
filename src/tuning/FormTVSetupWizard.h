#pragma once
// The TV setup wizard: page 1 picks the frequency table by country or by TV system, page 2 the
// sound lines and the scan method, page 3 runs the scan. Cancel puts the channel tables back as
// they were when the wizard opened. The form holds the widgets; TSetupWizardRules decides.

#include <QDialog>
#include <QStringList>
#include <functional>

#include "settings/ChannelInfo.h"
#include "tuning/SetupWizardRules.h"

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

// What the program gives the wizard: the sound lines of the mixer the two combo boxes offer
// (Apply takes the chosen pair on Finish), and the user's country, the first choice while the
// channel object has none (0: no such choice).
struct TWizardInputs {
  QStringList PlaybackLines, RecordLines;
  int PlaybackLine = 0, RecordLine = 0;
  std::function<void(int playbackLine, int recordLine)> Apply;
  int HomeCountry = 0;
};

class TFormTVSetupWizard : public QDialog {
  Q_OBJECT

 public:
  TFormTVSetupWizard(settings::TChannelInfo& channels, bool firstRun, TWizardInputs sound,
                     QWidget* parent = nullptr);

  int Page() const { return rules_.Page(); }
  void SetPage(int page) { rules_.SetPage(page); }
  void Start() { rules_.Start(); }
  void Abort() { rules_.Abort(); }
  void accept() override;  // Finish
  void reject() override;  // Cancel, or Escape
  const TSetupWizardRules& Rules() const { return rules_; }

 private:
  TSetupWizardEvents Events();
  void BuildPage1();
  void BuildPage2(const TWizardInputs& sound);
  void BuildPage3();
  void ApplyCaptions();
  void Connect();
  void ShowChoices(const settings::TChannelInfo& channels);
  void FillLetter(int letter);
  void ChooseByCountry(bool byCountry);
  void ShowPage();
  void ShowButtons();
  void ShowScanPage();
  void ClearScanResults();
  void ShowScanStart();

  QString totalScanText_ = QStringLiteral("Total scan"), findText_ = QStringLiteral("Find");
  std::function<void(int, int)> applySound_;
  TSetupWizardRules rules_;

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
bool RunSetupWizard(settings::TChannelInfo& channels, bool firstRun, TWizardInputs sound,
                    QWidget* parent = nullptr);

}  // namespace pvx::tuning
