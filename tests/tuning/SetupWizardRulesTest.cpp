// The setup wizard's rules without widgets: what they tell the form through a scan, what Finish
// and Cancel write, and whose scans reach them.

#include <gtest/gtest.h>

#include <memory>

#include "../settings/SettingsTestSupport.h"
#include "tuning/SetupWizardRules.h"
#include "tuning/TVSystemList.h"

namespace pvx::test {
namespace {

using settings::TChannelInfo;
using tuning::TSetupWizardRules;

struct Rules : Channels {
  QStringList told;
  std::function<void()> duringScan = [] {};
  std::unique_ptr<TSetupWizardRules> rules;

  explicit Rules(bool firstRun = false, int cableType = 0) {
    info.CableTypeChoice = quint8(cableType);
    // Every third channel carries a station.
    tuner.Receive = [this](quint32 hz) {
      duringScan();
      return FakeTuner::Reading{hz % 3000000 < 1000000 && hz != 0, 0};
    };
    tuning::TSetupWizardEvents e;
    e.PageChanged = [this] { told << QStringLiteral("page %1").arg(rules->Page()); };
    e.ButtonsChanged = [this] { told << "buttons " + Buttons(); };
    e.ScanPageEntered = [this] { told << "scan page"; };
    e.ScanStarted = [this] { told << "started"; };
    e.ScanAborted = [this] { told << "aborted"; };
    e.AutoScanDone = [this](int kind, int, int) { told << QStringLiteral("done %1").arg(kind); };
    e.FreeScanDone = [this] { told << "free done"; };
    rules = std::make_unique<TSetupWizardRules>(info, firstRun, std::move(e));
  }
  // Start, Abort, Back, Finish, Cancel working as "1"/"0".
  QString Buttons() const {
    const tuning::TWizardButtons& b = rules->Buttons();
    QString s;
    for (bool on : {b.Start, b.Abort, b.Back, b.Finish, b.Cancel}) s += on ? '1' : '0';
    return s;
  }
};

struct ScanRow {
  int cableType;
  QStringList told;  // after Start
};

TEST(SetupWizardRules, TheButtonsComeBackWhenTheLastPassOfTheChosenTablesEnds) {
  for (const ScanRow& row : {ScanRow{0, {"buttons 01000", "started", "done 0", "buttons 10111"}},
                             ScanRow{1, {"buttons 01000", "started", "done 1", "buttons 10111"}},
                             ScanRow{2, {"buttons 01000", "started", "done 0", "done 2", "buttons 10111"}}}) {
    SCOPED_TRACE(row.cableType);
    Rules r(false, row.cableType);
    EXPECT_EQ(r.Buttons(), "11111");
    r.rules->SetPage(3);
    EXPECT_EQ(r.told, QStringList({"page 3", "buttons 10111", "scan page"}));
    r.told.clear();
    r.rules->Start();
    EXPECT_EQ(r.told, row.told);
  }
}

TEST(SetupWizardRules, AbortEndsTheScanAndGivesTheButtonsBack) {
  Rules r(false, 2);
  r.rules->SetPage(3);
  int tunes = 0;
  r.duringScan = [&] {
    if (++tunes == 20) r.rules->Abort();
  };
  r.told.clear();
  r.rules->Start();
  EXPECT_EQ(tunes, 20) << "tuned on after Abort";
  EXPECT_EQ(r.told, QStringList({"buttons 01000", "started", "aborted", "buttons 10111", "done 0"}))
      << "no cable pass";
  EXPECT_EQ(r.Buttons(), "10111");
}

TEST(SetupWizardRules, FinishAndCancelAreRefusedWhileAScanRuns) {
  Rules r;
  r.rules->SetPage(3);
  bool finished = true, cancelled = true;
  r.duringScan = [&] {
    finished = finished && r.rules->Finish();
    cancelled = cancelled && r.rules->Cancel();
  };
  r.rules->Start();
  EXPECT_FALSE(finished);
  EXPECT_FALSE(cancelled);
}

TEST(SetupWizardRules, AFirstRunKeepsCancelDisabledAndRefusesIt) {
  Rules r(true);
  EXPECT_EQ(r.Buttons(), "11110");
  r.rules->SetPage(3);
  r.rules->Start();
  EXPECT_EQ(r.Buttons(), "10110");
  EXPECT_FALSE(r.rules->Cancel());
}

TEST(SetupWizardRules, FinishWritesTheTVSystemChoiceAndCancelPutsTheOldOneBack) {
  Rules r;
  r.info.TableIndex = 3, r.info.CountryCode = 49;
  r.rules.reset();
  r.rules = std::make_unique<TSetupWizardRules>(r.info, false, tuning::TSetupWizardEvents{});
  const auto antenna = r.info.AntennaChannels;
  r.rules->ChooseByCountry(false);
  r.rules->SetTVSystem(4);
  r.rules->SetCableType(1);
  r.rules->SetVerifyCount(5);
  r.rules->SetPage(3);
  const tuning::TTuningEntry entry = tuning::TVSystemEntry(4);
  EXPECT_EQ(r.rules->ChosenTable(), entry.TableIndex);
  ASSERT_TRUE(r.rules->Finish());
  EXPECT_EQ(r.info.TVSystemChoice, 4);
  EXPECT_EQ(r.info.CountryCode, entry.CountryCode);
  EXPECT_EQ(r.info.TableIndex, entry.TableIndex);
  EXPECT_EQ(r.info.CableTypeChoice, 1);
  EXPECT_EQ(r.info.VerifyCount, 5);
  ASSERT_TRUE(r.rules->Cancel());
  EXPECT_EQ(r.info.TVSystemChoice, TChannelInfo::kChoiceByCountry);
  EXPECT_EQ(r.info.CountryCode, 49);
  EXPECT_EQ(r.info.TableIndex, 3);
  EXPECT_EQ(r.info.CableTypeChoice, 0);
  EXPECT_EQ(r.info.AntennaChannels, antenna);
}

// The wizard hears its own scans through the listener it passes; the channel object's events
// hear every scan, and a scan started elsewhere does not reach the wizard.
TEST(SetupWizardRules, OnlyItsOwnScansReachItAndTheChannelObjectsEventsHearThemAll) {
  Rules r;
  r.rules->Start();
  EXPECT_EQ(r.done.size(), 1);
  EXPECT_TRUE(r.told.contains("done 0"));
  r.told.clear();
  r.info.AutoScan(0);
  EXPECT_EQ(r.done.size(), 2);
  EXPECT_FALSE(r.told.contains("done 0"));
}

}  // namespace
}  // namespace pvx::test
