#pragma once
// The setup wizard without its widgets: the page it shows, which buttons work, the choices the
// pages hold, the scans, and what Finish and Cancel write to the channel object. The form feeds
// it the user's choices and redraws from it when it reports.

#include <QtGlobal>
#include <functional>

#include "settings/ChannelInfo.h"
#include "tuning/ChannelSnapshot.h"

namespace pvx::tuning {

// Which of the wizard's buttons work; Next always does.
struct TWizardButtons {
  bool Start = true, Abort = true, Back = true, Finish = true, Cancel = true;
};

// What the rules tell the form. Set once, when the rules are made.
struct TSetupWizardEvents {
  std::function<void()> PageChanged;
  std::function<void()> ButtonsChanged;
  std::function<void()> ScanPageEntered;  // page 3 shown afresh: earlier results go
  std::function<void()> ScanStarted;      // Start: the results of the scan about to run go
  std::function<void()> ScanAborted;      // Abort: the running scan's bar stays where it stopped
  std::function<void(bool antenna, int channel)> AutoScanProgress;
  std::function<void(int kind, int lastChannel, int found)> AutoScanDone;
  // `position`: kHz above the tuner's lowest frequency, the free-scan bar's value.
  std::function<void(int slot, quint32 hertz, int position, bool found)> FreeScanProgress;
  std::function<void(bool aborted)> FreeScanDone;
};

class TSetupWizardRules {
 public:
  static constexpr int kPageCount = 3;
  static constexpr int kScanPage = 3;
  static constexpr int kMinVerifyCount = 1, kMaxVerifyCount = 10;

  // Its scans report to it through the listener it passes; the channel object's events stay.
  // `homeCountry` is the first country choice while the channel object has none (0: none).
  TSetupWizardRules(settings::TChannelInfo& channels, bool firstRun, int homeCountry, TSetupWizardEvents events);
  TSetupWizardRules(const TSetupWizardRules&) = delete;
  TSetupWizardRules& operator=(const TSetupWizardRules&) = delete;

  // The user's choices, as the pages show them.
  void ChooseByCountry(bool byCountry) { byCountry_ = byCountry; }
  void SetLetter(int letter) { letter_ = letter; }
  void SetCountryRow(int row) { countryRow_ = row; }
  void SetTVSystem(int index) { tvSystem_ = index; }
  void SetFreeScan(bool on) { freeScan_ = on; }
  void SetCableType(int type) { cableType_ = type; }
  void SetVerifyCount(int count) { verifyCount_ = count; }
  void SetStepIndex(int index) { stepIndex_ = index; }

  // Clamped to 1..3. The scan page takes the page-1 choice and loads its frequency table.
  void SetPage(int page);
  void Start();
  void Abort();
  // Writes the choices; false while a scan runs.
  bool Finish();
  // Puts the channel object back as it was; false on a first run or while Cancel is disabled.
  bool Cancel();

  int Page() const { return page_; }
  const TWizardButtons& Buttons() const { return buttons_; }
  bool FirstRun() const { return firstRun_; }
  bool ByCountry() const { return byCountry_; }
  int Letter() const { return letter_; }
  int CountryRow() const { return countryRow_; }
  int TVSystem() const { return tvSystem_; }
  bool FreeScan() const { return freeScan_; }
  int CableType() const { return cableType_; }
  int VerifyCount() const { return verifyCount_; }
  // The free-scan bar's range: the tuner's TV band in kHz.
  int FreeScanSpan() const;
  // The codes and the table the page-1 choice gave when the scan page was last entered.
  qint32 SelectedCode() const { return selectedCode_; }
  qint32 TVSystemCode() const { return tvSystemCode_; }
  quint8 ChosenTable() const { return chosenTable_; }
  quint8 ChosenStandard() const { return chosenStandard_; }

 private:
  // What the wizard's scans report to it.
  settings::TChannelInfo::TScanListener ScanListener();
  void EvaluateChoice();
  void SetButtons(const TWizardButtons& buttons);
  void RestoreButtons();

  settings::TChannelInfo& channels_;
  const TSetupWizardEvents events_;
  const TChannelSnapshot snapshot_;
  const bool firstRun_;
  int page_ = 1;
  TWizardButtons buttons_;
  bool byCountry_ = true;
  int letter_ = 0, countryRow_ = 0, tvSystem_ = 0;
  bool freeScan_ = false;
  int cableType_ = 0;
  int verifyCount_ = kMinVerifyCount;
  int stepIndex_ = 0;
  qint32 selectedCode_ = 0, tvSystemCode_ = 0;
  quint8 chosenTable_ = 0, chosenStandard_ = 0;
};

}  // namespace pvx::tuning
