// The setup wizard on a fake card: its pages, scans, Abort, Finish and Cancel through the form,
// and through its rules without widgets what the form does not show.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "../settings/SettingsTestSupport.h"
#include "app/FormTestSupport.h"
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
  for (const char* radio : {"RadioButtonCountry", "RadioButtonAntenna", "RadioButtonUseDefaultTable"})
    EXPECT_TRUE(w.form->findChild<QRadioButton*>(radio)->isChecked()) << radio;
  w.Button("BitBtnNext")->click();
  EXPECT_EQ(w.form->Page(), 2);
  const auto shown = [&](const char* name) { return w.form->findChild<QWidget*>(name)->isVisible(); };
  EXPECT_EQ(QList<bool>({shown("BitBtnBack"), shown("PanelPage1"), shown("PanelPage2")}),
            QList<bool>({true, false, true}));
  w.form->findChild<QRadioButton*>("RadioButtonUseFreeScan")->click();
  EXPECT_FALSE(w.form->findChild<QWidget*>("RadioGroupCableType")->isEnabled());
  w.form->findChild<QRadioButton*>("RadioButtonUseDefaultTable")->click();
  w.Button("BitBtnNext")->click();
  EXPECT_EQ(w.form->Page(), 3);
  EXPECT_TRUE(!shown("BitBtnNext") && shown("BitBtnFinish"));
  EXPECT_EQ(w.Buttons(), "11100");
  EXPECT_FALSE(w.form->findChild<QWidget*>("ProgressBarCable")->isEnabled()) << "antenna only";
  w.Button("BitBtnStart")->click();
  EXPECT_TRUE(w.Text("LabelAntennaResult").startsWith("Durchsucht = 160, Gefunden ") &&
              w.Text("LabelCableResult").isEmpty()) << "antenna only";
  EXPECT_EQ(w.Buttons(), "11100");
  w.form->reject();
  EXPECT_TRUE(w.form->isVisible() && w.form->result() == 0);
  w.Button("BitBtnBack")->click();
  EXPECT_EQ(w.form->Page(), 2);
}

// Both runs two passes and gives the buttons back after the second. A scan aborted during its
// antenna pass skips the cable pass; then Cancel puts back the records the scan page and the scans
// changed.
TEST(SetupWizard, BothRunsTwoPassesAnAbortSkipsTheCablePassAndCancelRestoresTheRecords) {
  Wizard w;
  const auto antenna = w.info.AntennaChannels(), cable = w.info.CableChannels();
  QString midway;
  w.onTune = [&](int) {
    // The first tuning of the cable pass.
    if (midway.isEmpty() && !w.Text("LabelAntennaResult").isEmpty())
      midway = w.Text("LabelAntennaResult") + "|" + w.Text("LabelCableResult") + "|" + w.Buttons();
  };
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  const auto found = [](const TChannelInfo::TChannelTable& t) {
    const auto n = std::count_if(t.begin(), t.end(), [](auto& r) { return r.Valid; });
    return QStringLiteral("Total scan = 160, Find %1 ").arg(n);
  };
  ASSERT_NE(found(w.info.AntennaChannels()), found({})) << "stations found";
  EXPECT_EQ(midway, found(w.info.AntennaChannels()) + "||00001");
  EXPECT_EQ(w.Text("LabelAntennaResult") + "|" + w.Text("LabelCableResult"),
            found(w.info.AntennaChannels()) + "|" + found(w.info.CableChannels()));
  EXPECT_EQ(w.Buttons(), "11110");

  int done = -1, tunesAtAbort = 0;
  auto* bar = w.form->findChild<QProgressBar*>("ProgressBarAntenna");
  w.onTune = [&, start = w.tunes](int n) {
    if (n < start + 20) return;
    done = bar->value(), tunesAtAbort = n;
    w.Button("BitBtnAbort")->click();
    w.onTune = [](int) {};
  };
  w.Button("BitBtnStart")->click();
  EXPECT_EQ(w.tunes, tunesAtAbort) << "tuned on after Abort";
  ASSERT_GT(done, 0);
  EXPECT_TRUE(bar->value() >= done && bar->value() < 160) << "the bar stays where the scan stopped";
  auto* hidden = w.form->findChild<QProgressBar*>("ProgressBarFreeScan");
  EXPECT_NE(hidden->value(), hidden->maximum()) << "the free scan's bar is hidden and stays";
  EXPECT_TRUE(w.Text("LabelAntennaResult").startsWith(QStringLiteral("Total scan = %1, Find ").arg(done)) &&
              w.Text("LabelCableResult").isEmpty());
  EXPECT_EQ(w.Buttons(), "11110");
  // Aborted from outside (the program ends) in the antenna pass, it gives Cancel back as well.
  w.onTune = [&, start = w.tunes](int n) { if (n == start + 5) w.info.RequestAbort(); };
  w.Button("BitBtnStart")->click();
  EXPECT_EQ(w.Buttons(), "11110");
  ASSERT_TRUE(w.info.AntennaChannels() != antenna && w.info.CableChannels() != cable);
  w.Button("BitBtnCancel")->click();
  EXPECT_EQ(w.form->result(), QDialog::Rejected);
  EXPECT_TRUE(w.info.AntennaChannels() == antenna && w.info.CableChannels() == cable);
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
  // The find skips 5 MHz after an NTSC station.
  EXPECT_EQ(memo.mid(0, 2),
            QStringList({"Channel 1 is set to 45.75 MHz", "Channel 2 is set to 51.75 MHz"}));
  EXPECT_EQ(w.info.AntennaChannels(), w.info.CableChannels());
  EXPECT_EQ(w.info.MemoryChannels()[0],
            (settings::TMemoryChannelRecord{true, TChannelInfo::kAntenna, 1, "Memory 1"}));
  auto* bar = w.form->findChild<QProgressBar*>("ProgressBarFreeScan");
  EXPECT_TRUE(bar->maximum() > 0 && bar->value() == bar->maximum()) << "the band in kHz, at its end";
  EXPECT_TRUE(w.form->findChild<QWidget*>("ComboBoxScanStep")->isEnabled());
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
    ModalAnswer<TFormTVSetupWizard> answer([](TFormTVSetupWizard& wizard) {
      for (const char* button : {"BitBtnNext", "BitBtnNext", "BitBtnFinish"})
        wizard.findChild<QPushButton*>(button)->click();
    });
    EXPECT_TRUE(tuning::RunSetupWizard(c.info, firstRun, {}));
    std::vector<QStringList> expected;
    for (int code : errors) expected.push_back({settings::GetErrorMessage(code)});
    EXPECT_EQ(Dialogs().Warnings, expected);
    EXPECT_EQ(c.info.CurrentTable(), firstRun ? TChannelInfo::kCable : TChannelInfo::kNoTable);
  }
}

// Finish and Cancel wait for a running scan. Finish writes the choices and Cancel puts the old ones
// back. The wizard hears its own scans through the listener it passes; the channel object's events
// hear every scan, and a scan started elsewhere does not reach the wizard.
TEST(SetupWizardRules, FinishWritesTheChoicesCancelPutsTheOldOnesBackNeitherWhileAScanRuns) {
  Card c(0);
  c.info.SetSetupChoices(c.info.CableTypeChoice(), 3, c.info.TVSystemChoice());
  c.info.SetCountryCode(49);
  c.info.SetStandard(2);
  const auto state = [&] {
    return QList<int>({c.info.TVSystemChoice(), c.info.CountryCode(), c.info.TableIndex(), c.info.Standard(),
                       c.info.CableTypeChoice()});
  };
  const QList<int> before = state();
  const auto antenna = c.info.AntennaChannels();
  int heard = 0;
  tuning::TSetupWizardEvents events;
  events.AutoScanDone = [&](int, int, int) { ++heard; };
  TSetupWizardRules rules(c.info, false, 0, std::move(events));
  EXPECT_TRUE(rules.ByCountry()) << "as the channel object stands";
  rules.ChooseByCountry(false);
  rules.SetTVSystem(4);
  rules.SetCableType(1);
  rules.SetVerifyCount(5);
  rules.SetPage(3);
  const tuning::TTuningEntry entry = tuning::TVSystemEntry(4);
  EXPECT_EQ(rules.ChosenTable(), entry.TableIndex);
  bool finished = true, cancelled = true;
  c.onTune = [&](int) {
    finished = finished && rules.Finish();
    cancelled = cancelled && rules.Cancel();
  };
  rules.Start();
  EXPECT_FALSE(finished || cancelled);
  EXPECT_EQ(QList<qsizetype>({heard, c.done.size()}), QList<qsizetype>({1, 1}));
  c.onTune = [](int) {};
  c.info.AutoScan(0);
  EXPECT_EQ(QList<qsizetype>({heard, c.done.size()}), QList<qsizetype>({1, 2}));
  ASSERT_TRUE(rules.Finish());
  EXPECT_EQ(state() << c.info.VerifyCount(),
            QList<int>({4, entry.CountryCode, entry.TableIndex, entry.Standard, 1, 5}));
  ASSERT_TRUE(rules.Cancel());
  EXPECT_TRUE(state() == before && c.info.AntennaChannels() == antenna);
}

}  // namespace
}  // namespace pvx::test
