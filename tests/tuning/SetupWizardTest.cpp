// The setup wizard on a fake card: its pages, scans, Abort, Finish and Cancel through the form,
// and through its rules without widgets what the form does not show.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "../settings/SettingsTestSupport.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "tuning/FormTVSetupWizard.h"
#include "tuning/SetupWizardRules.h"
#include "tuning/TVSystemList.h"

namespace pvx::test {
namespace {

using settings::TChannelInfo;
using tuning::TFormTVSetupWizard;
using tuning::TSetupWizardRules;

// Every third channel carries a station; `onTune` hears each tuning with its number.
struct Card : Channels {
  int tunes = 0;
  std::function<void(int)> onTune = [](int) {};

  explicit Card(int cableType) {
    info.SetSetupChoices(cableType, info.TableIndex(), info.TVSystemChoice());
    tuner.Receive = [this](quint32 hz) {
      onTune(++tunes);
      return FakeTuner::Reading{hz % 3000000 < 1000000 && hz != 0, 0};
    };
  }
};

struct Wizard : Card {
  std::unique_ptr<TFormTVSetupWizard> form;

  explicit Wizard(bool firstRun = false, int cableType = 2) : Card(cableType) {
    form = std::make_unique<TFormTVSetupWizard>(info, firstRun, tuning::TWizardInputs{});
    form->show();
  }
  QPushButton* Button(const char* name) { return form->findChild<QPushButton*>(name); }
  QString Text(const char* label) { return form->findChild<QLabel*>(label)->text(); }
  // Start, Back, Finish, Cancel, Abort enabled as "1"/"0".
  QString Buttons() {
    QString s;
    for (const char* b : {"BitBtnStart", "BitBtnBack", "BitBtnFinish", "BitBtnCancel", "BitBtnAbort"})
      s += Button(b)->isEnabled() ? '1' : '0';
    return s;
  }
};

// A first run, whose Cancel stays disabled and whose scan of the antenna table is its only pass; in
// German, with the language's text size (buttons one point larger).
TEST(SetupWizard, PagesFollowNextAndBackAndAFirstRunCannotBeCancelled) {
  settings::TMultiLangInfo german(SourceData() + "Language/Lang.cfg");
  german.SetLanguage("German");
  settings::MultiLangInfo = &german;
  Wizard w(true, 0);
  EXPECT_EQ(QStringList({w.form->windowTitle(), w.Button("BitBtnStart")->toolTip(), w.Text("LabelCountryDesc"),
                         w.form->findChild<QGroupBox*>("RadioGroupCableType")->title()}),
            QStringList({"TV-Einrichtungsassistent", "Suchlauf starten", "Land nach Anfangsbuchstaben wählen",
                         "Empfangsart"}));
  EXPECT_EQ(QList<int>({w.Button("BitBtnNext")->font().pointSize(), w.form->font().pointSize()}),
            QList<int>({german.FontSize + 1, german.FontSize}));
  EXPECT_FALSE(w.Button("BitBtnBack")->isVisible());
  w.Button("BitBtnNext")->click();
  EXPECT_EQ(w.form->Page(), 2);
  EXPECT_TRUE(w.Button("BitBtnBack")->isVisible());
  w.form->findChild<QRadioButton*>("RadioButtonUseFreeScan")->click();
  EXPECT_FALSE(w.form->findChild<QWidget*>("RadioGroupCableType")->isEnabled());
  w.form->findChild<QRadioButton*>("RadioButtonUseDefaultTable")->click();
  w.Button("BitBtnNext")->click();
  EXPECT_EQ(w.form->Page(), 3);
  EXPECT_FALSE(w.Button("BitBtnNext")->isVisible());
  EXPECT_TRUE(w.Button("BitBtnFinish")->isVisible());
  EXPECT_EQ(w.Buttons(), "11100");
  w.Button("BitBtnStart")->click();
  EXPECT_TRUE(w.Text("LabelAntennaResult").startsWith("Durchsucht = 160, Gefunden "));
  EXPECT_EQ(w.Text("LabelCableResult"), "") << "antenna only";
  EXPECT_EQ(w.Buttons(), "11100");
  w.form->reject();
  EXPECT_TRUE(w.form->isVisible());
  EXPECT_EQ(w.form->result(), 0);
  w.Button("BitBtnBack")->click();
  EXPECT_EQ(w.form->Page(), 2);
}

TEST(SetupWizard, BothRunsTwoPassesAndRestoresTheButtonsAfterTheSecond) {
  Wizard w;
  QString midway;
  w.onTune = [&](int) {
    // The first tuning of the cable pass.
    if (midway.isEmpty() && !w.Text("LabelAntennaResult").isEmpty())
      midway = w.Text("LabelAntennaResult") + "|" + w.Text("LabelCableResult") + "|" + w.Buttons();
  };
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  const auto valid = [](const TChannelInfo::TChannelTable& t) {
    return int(std::count_if(t.begin(), t.end(), [](auto& r) { return r.Valid; }));
  };
  ASSERT_GT(valid(w.info.AntennaChannels()), 0);
  const QString antennaText =
      QStringLiteral("Total scan = 160, Find %1 ").arg(valid(w.info.AntennaChannels()));
  EXPECT_EQ(midway, antennaText + "||00001");
  EXPECT_EQ(w.Text("LabelAntennaResult"), antennaText);
  EXPECT_EQ(w.Text("LabelCableResult"),
            QStringLiteral("Total scan = 160, Find %1 ").arg(valid(w.info.CableChannels())));
  EXPECT_EQ(w.Buttons(), "11110");
}

// Then Cancel puts back the records the scan page and the scan changed.
TEST(SetupWizard, AbortDuringTheAntennaPassSkipsTheCablePassAndCancelRestoresTheRecords) {
  Wizard w;
  const auto antenna = w.info.AntennaChannels(), cable = w.info.CableChannels();
  int done = -1, tunesAtAbort = 0;
  auto* bar = w.form->findChild<QProgressBar*>("ProgressBarAntenna");
  w.onTune = [&](int n) {
    if (n < 20) return;
    done = bar->value(), tunesAtAbort = n;
    w.Button("BitBtnAbort")->click();
    w.onTune = [](int) {};
  };
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  EXPECT_EQ(w.tunes, tunesAtAbort) << "tuned on after Abort";
  ASSERT_GT(done, 0);
  EXPECT_EQ(bar->value(), 160) << "the bar of the running scan jumps to its end";
  EXPECT_TRUE(w.Text("LabelAntennaResult").startsWith(QStringLiteral("Total scan = %1, Find ").arg(done)));
  EXPECT_EQ(w.Text("LabelCableResult"), "");
  EXPECT_EQ(w.Buttons(), "11110");
  ASSERT_NE(w.info.AntennaChannels(), antenna);
  ASSERT_NE(w.info.CableChannels(), cable);
  w.Button("BitBtnCancel")->click();
  EXPECT_EQ(w.form->result(), QDialog::Rejected);
  EXPECT_EQ(w.info.AntennaChannels(), antenna);
  EXPECT_EQ(w.info.CableChannels(), cable);
}

TEST(SetupWizard, AFreeScanCopiesAntennaToCableAndResetsTheMemories) {
  Wizard w(false, 0);
  *w.info.MemoryRecord(1) = {false, TChannelInfo::kCable, 9, "kept?"};
  w.form->findChild<QRadioButton*>("RadioButtonUseFreeScan")->click();
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  // Stations from 45 MHz every 3 MHz, each locked for 1 MHz: the last locked step is the find.
  const QStringList memo =
      w.form->findChild<QPlainTextEdit*>("MemoFreeScanResult")->toPlainText().split('\n');
  ASSERT_GE(memo.size(), 2);
  EXPECT_EQ(memo[0], "Channel 1 is set to 45750000 Hz");
  EXPECT_EQ(memo[1], "Channel 2 is set to 51750000 Hz") << "the find skips 5 MHz after an NTSC station";
  EXPECT_EQ(w.info.AntennaChannels(), w.info.CableChannels());
  EXPECT_EQ(w.info.MemoryChannels()[0],
            (settings::TMemoryChannelRecord{true, TChannelInfo::kAntenna, 1, "Memory 1"}));
  EXPECT_EQ(w.Buttons(), "11110");
  w.Button("BitBtnFinish")->click();
  EXPECT_EQ(w.info.CableTypeChoice(), 2);
}

// Finish pressed as soon as the modal wizard shows: a first run takes the table of the cable type,
// and a tuner not yet at the chosen standard is brought to it (said unless on a first run).
TEST(SetupWizard, RunBringsTheTunerToTheChosenStandard) {
  // First run, the tuner takes the standard; the errors said.
  const std::tuple<bool, bool, std::vector<int>> rows[] = {
      {false, true, {2010}}, {true, true, {}}, {true, false, {2009}}, {false, false, {2009, 2010}}};
  for (const auto& [firstRun, tunerAccepts, errors] : rows) {
    SCOPED_TRACE(firstRun * 10 + tunerAccepts);
    Dialogs().Warnings.clear();
    Channels c;
    c.tuner.AcceptStandard = tunerAccepts;
    c.info.SetSetupChoices(1, c.info.TableIndex(), c.info.TVSystemChoice());
    QTimer::singleShot(0, [] {
      auto* wizard = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(wizard, nullptr);
      wizard->findChild<QPushButton*>("BitBtnNext")->click();
      wizard->findChild<QPushButton*>("BitBtnNext")->click();
      wizard->findChild<QPushButton*>("BitBtnFinish")->click();
    });
    EXPECT_TRUE(tuning::RunSetupWizard(c.info, firstRun, {}));
    std::vector<QStringList> expected;
    for (int code : errors) expected.push_back({settings::GetErrorMessage(code)});
    EXPECT_EQ(Dialogs().Warnings, expected);
    EXPECT_EQ(c.info.CurrentTable(), firstRun ? TChannelInfo::kCable : TChannelInfo::kNoTable);
  }
}

// The wizard hears its own scans through the listener it passes; the channel object's events hear
// every scan, and a scan started elsewhere does not reach the wizard.
TEST(SetupWizardRules, FinishAndCancelAreRefusedWhileAScanRunsAndOnlyItsOwnScansReachIt) {
  Card c(0);
  int heard = 0;
  tuning::TSetupWizardEvents events;
  events.AutoScanDone = [&](int, int, int) { ++heard; };
  TSetupWizardRules rules(c.info, false, 0, std::move(events));
  rules.SetPage(3);
  bool finished = true, cancelled = true;
  c.onTune = [&](int) {
    finished = finished && rules.Finish();
    cancelled = cancelled && rules.Cancel();
  };
  rules.Start();
  EXPECT_FALSE(finished);
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(QList<qsizetype>({heard, c.done.size()}), QList<qsizetype>({1, 1}));
  c.onTune = [](int) {};
  c.info.AutoScan(0);
  EXPECT_EQ(QList<qsizetype>({heard, c.done.size()}), QList<qsizetype>({1, 2}));
}

TEST(SetupWizardRules, FinishWritesTheTVSystemChoiceAndCancelPutsTheOldOneBack) {
  Card c(0);
  c.info.SetSetupChoices(c.info.CableTypeChoice(), 3, c.info.TVSystemChoice());
  c.info.SetCountryCode(49);
  c.info.SetStandard(2);
  const auto antenna = c.info.AntennaChannels();
  TSetupWizardRules rules(c.info, false, 0, {});
  rules.ChooseByCountry(false);
  rules.SetTVSystem(4);
  rules.SetCableType(1);
  rules.SetVerifyCount(5);
  rules.SetPage(3);
  const tuning::TTuningEntry entry = tuning::TVSystemEntry(4);
  EXPECT_EQ(rules.ChosenTable(), entry.TableIndex);
  ASSERT_TRUE(rules.Finish());
  EXPECT_EQ(c.info.TVSystemChoice(), 4);
  EXPECT_EQ(c.info.CountryCode(), entry.CountryCode);
  EXPECT_EQ(c.info.TableIndex(), entry.TableIndex);
  EXPECT_EQ(c.info.Standard(), entry.Standard);
  EXPECT_EQ(c.info.CableTypeChoice(), 1);
  EXPECT_EQ(c.info.VerifyCount(), 5);
  ASSERT_TRUE(rules.Cancel());
  EXPECT_EQ(c.info.TVSystemChoice(), TChannelInfo::kChoiceByCountry);
  EXPECT_EQ(c.info.CountryCode(), 49);
  EXPECT_EQ(c.info.TableIndex(), 3);
  EXPECT_EQ(c.info.Standard(), 2);
  EXPECT_EQ(c.info.CableTypeChoice(), 0);
  EXPECT_EQ(c.info.AntennaChannels(), antenna);
}

}  // namespace
}  // namespace pvx::test
