#include "tuning/SetupWizardRules.h"

#include <algorithm>
#include <utility>

#include "settings/ChannelTuner.h"
#include "settings/CountryInfo.h"
#include "tuning/CountryList.h"
#include "tuning/FrequencyTable.h"
#include "tuning/TVSystemList.h"

namespace pvx::tuning {

using settings::TChannelInfo;

namespace {

// The form may leave out the events it does not draw.
template <typename... Params, typename... Args>
void Tell(const std::function<void(Params...)>& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

}  // namespace

TSetupWizardRules::TSetupWizardRules(TChannelInfo& channels, bool firstRun, int homeCountry,
                                     TSetupWizardEvents events)
    : channels_(channels), events_(std::move(events)), snapshot_(TChannelSnapshot::Take(channels)),
      firstRun_(firstRun) {
  selectedCode_ = channels.CountryCode();
  if (selectedCode_ <= 0 && homeCountry > 0) selectedCode_ = homeCountry;
  tvSystemCode_ = selectedCode_;
  // Page 1 as the channel object stands.
  byCountry_ = channels.TVSystemChoice() == TChannelInfo::kChoiceByCountry;
  const TCountryPosition at = EntryForCode(selectedCode_);
  letter_ = at.Letter;
  countryRow_ = at.Position;
  tvSystem_ = byCountry_ ? 0 : std::clamp<int>(channels.TVSystemChoice(), 0, kTVSystemCount - 1);
  cableType_ = std::clamp<int>(channels.CableTypeChoice(), 0, 2);
  verifyCount_ = std::clamp<int>(channels.VerifyCount(), kMinVerifyCount, kMaxVerifyCount);
  buttons_.Cancel = !firstRun_;
}

TChannelInfo::TScanListener TSetupWizardRules::ScanListener() {
  TChannelInfo::TScanListener l;
  l.AutoProgress = [this](TChannelInfo&, int n, bool, bool antenna) { Tell(events_.AutoScanProgress, antenna, n); };
  l.AutoDone = [this](TChannelInfo&, int last, int found, int kind, bool aborted) {
    Tell(events_.AutoScanDone, kind, last, found);
    // An abort ends "Both" after its antenna pass too, from the Abort button or the program's exit.
    if (kind == cableType_ || aborted) RestoreButtons();
  };
  l.FreeProgress = [this](TChannelInfo& c, int slot, quint32 f, bool found) {
    const qint64 lowest = c.Tuner() ? c.Tuner()->TVMin() : 0;
    Tell(events_.FreeScanProgress, slot, f, int((qint64(f) - lowest) / 1000), found);
  };
  l.FreeDone = [this](TChannelInfo&, int, bool aborted) {
    Tell(events_.FreeScanDone, aborted);
    RestoreButtons();
  };
  return l;
}

int TSetupWizardRules::FreeScanSpan() const {
  const settings::IChannelTuner* tuner = channels_.Tuner();
  return tuner ? int((qint64(tuner->TVMax()) - tuner->TVMin()) / 1000) : 0;
}

void TSetupWizardRules::SetButtons(const TWizardButtons& buttons) {
  buttons_ = buttons;
  Tell(events_.ButtonsChanged);
}

void TSetupWizardRules::RestoreButtons() {
  SetButtons({.Start = true, .Abort = false, .Back = true, .Finish = true, .Cancel = !firstRun_});
}

void TSetupWizardRules::SetPage(int page) {
  page_ = std::clamp(page, 1, kPageCount);
  Tell(events_.PageChanged);
  if (page_ != kScanPage) return;
  TWizardButtons buttons = buttons_;
  buttons.Start = true;
  buttons.Abort = false;
  SetButtons(buttons);
  EvaluateChoice();
  Tell(events_.ScanPageEntered);
  if (freeScan_) return;
  TFrequencyBlock antenna{}, cable{};
  // A missing table file has been reported; the scan then tests what the records hold.
  if (!LoadFrequencyTable(chosenTable_, antenna, cable)) return;
  ApplyFrequencyBlock(antenna, [this](int n) -> auto& { return *channels_.ChannelRecord(false, n); });
  ApplyFrequencyBlock(cable, [this](int n) -> auto& { return *channels_.ChannelRecord(true, n); });
}

void TSetupWizardRules::EvaluateChoice() {
  TTuningEntry entry;
  if (byCountry_) {
    entry = CountryEntry(letter_, std::max(countryRow_, 0));
    selectedCode_ = entry.CountryCode;
  } else {
    entry = TVSystemEntry(tvSystem_);
    tvSystemCode_ = entry.CountryCode;
  }
  chosenTable_ = entry.TableIndex;
  chosenStandard_ = entry.Standard;
}

void TSetupWizardRules::Start() {
  SetButtons({.Start = false, .Abort = true, .Back = false, .Finish = false, .Cancel = false});
  channels_.SetVerifyCount(verifyCount_);
  Tell(events_.ScanStarted);
  if (!freeScan_) {
    channels_.AutoScan(cableType_, ScanListener());
    return;
  }
  channels_.FreeScan(stepIndex_ == 1 ? 125000 : 250000, ScanListener());
}

void TSetupWizardRules::Abort() {
  channels_.RequestAbort();
  Tell(events_.ScanAborted);
  RestoreButtons();
}

bool TSetupWizardRules::Finish() {
  if (channels_.Scanning()) return false;
  channels_.SetSetupChoices(freeScan_ ? 2 : cableType_, chosenTable_,
                            byCountry_ ? TChannelInfo::kChoiceByCountry : tvSystem_);
  channels_.SetCountryCode(byCountry_ ? selectedCode_ : tvSystemCode_);
  channels_.SetStandard(chosenStandard_);
  channels_.SetVerifyCount(verifyCount_);
  return true;
}

bool TSetupWizardRules::Cancel() {
  // The first run has to end with a table; a running scan has to be aborted first.
  if (firstRun_ || !buttons_.Cancel) return false;
  snapshot_.Restore(channels_);
  return true;
}

}  // namespace pvx::tuning
