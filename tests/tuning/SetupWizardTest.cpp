// The setup wizard's pages, scans, Abort and Cancel on a fake card.

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QLabel>
#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "../settings/SettingsTestSupport.h"
#include "settings/ErrorMessages.h"
#include "tuning/FormTVSetupWizard.h"

namespace pvx::test {
namespace {

using tuning::TFormTVSetupWizard;

struct Wizard : Channels {
  int tunes = 0;
  std::function<void(int)> onTune = [](int) {};
  std::unique_ptr<TFormTVSetupWizard> form;

  explicit Wizard(bool firstRun = false, int cableType = 2) {
    info.CableTypeChoice = quint8(cableType);
    // Every third channel carries a station.
    tuner.Receive = [this](quint32 hz) {
      onTune(++tunes);
      return FakeTuner::Reading{hz % 3000000 < 1000000 && hz != 0, 0};
    };
    form = std::make_unique<TFormTVSetupWizard>(info, firstRun, tuning::TWizardSound{});
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
  void Shot(const char* name) { form->grab().save(ArtefactPath(name)); }
};

TEST(SetupWizard, PagesAndButtonsFollowNextAndBack) {
  Wizard w;
  w.Shot("wizard-1.png");
  EXPECT_FALSE(w.Button("BitBtnBack")->isVisible());
  w.Button("BitBtnNext")->click();
  w.Shot("wizard-2.png");
  EXPECT_EQ(w.form->Page(), 2);
  EXPECT_TRUE(w.Button("BitBtnBack")->isVisible());
  w.form->findChild<QRadioButton*>("RadioButtonUseFreeScan")->click();
  EXPECT_FALSE(w.form->findChild<QWidget*>("RadioGroupCableType")->isEnabled());
  w.form->findChild<QRadioButton*>("RadioButtonUseDefaultTable")->click();
  w.Button("BitBtnNext")->click();
  w.Shot("wizard-3.png");
  EXPECT_EQ(w.form->Page(), 3);
  EXPECT_FALSE(w.Button("BitBtnNext")->isVisible());
  EXPECT_TRUE(w.Button("BitBtnFinish")->isVisible());
  EXPECT_EQ(w.Buttons(), "11110");
  w.Button("BitBtnBack")->click();
  EXPECT_EQ(w.form->Page(), 2);
}

TEST(SetupWizard, BothRunsTwoPassesAndRestoresTheButtonsAfterTheSecond) {
  Wizard w;
  QString midway;
  w.onTune = [&](int n) {
    // The first tuning of the cable pass.
    if (midway.isEmpty() && !w.Text("LabelAntennaResult").isEmpty())
      midway = w.Text("LabelAntennaResult") + "|" + w.Text("LabelCableResult") + "|" + w.Buttons();
    (void)n;
  };
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  const int antenna = int(std::count_if(w.info.AntennaChannels.begin(), w.info.AntennaChannels.end(),
                                        [](auto& r) { return r.Valid; }));
  const int cable = int(std::count_if(w.info.CableChannels.begin(), w.info.CableChannels.end(),
                                      [](auto& r) { return r.Valid; }));
  ASSERT_GT(antenna, 0);
  const QString antennaText = QStringLiteral("Total scan = 160, Find %1 ").arg(antenna);
  EXPECT_EQ(midway, antennaText + "||00001");
  EXPECT_EQ(w.Text("LabelAntennaResult"), antennaText);
  EXPECT_EQ(w.Text("LabelCableResult"), QStringLiteral("Total scan = 160, Find %1 ").arg(cable));
  EXPECT_EQ(w.Buttons(), "11110");
}

TEST(SetupWizard, AbortDuringTheAntennaPassSkipsTheCablePass) {
  Wizard w;
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
}

TEST(SetupWizard, CancelRestoresTheRecordsAndTheChoices) {
  Wizard w;
  w.MakeValid(7);
  w.info.TableIndex = 3, w.info.CountryCode = 49, w.info.TVSystemChoice = 4;
  const auto antenna = w.info.AntennaChannels, cable = w.info.CableChannels;
  w.form.reset();
  w.form = std::make_unique<TFormTVSetupWizard>(w.info, false, tuning::TWizardSound{});
  w.form->findChild<QRadioButton*>("RadioButtonCountry")->click();
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  ASSERT_NE(w.info.AntennaChannels, antenna);
  w.Button("BitBtnCancel")->click();
  EXPECT_EQ(w.form->result(), QDialog::Rejected);
  EXPECT_EQ(w.info.AntennaChannels, antenna);
  EXPECT_EQ(w.info.CableChannels, cable);
  EXPECT_EQ(w.info.TableIndex, 3);
  EXPECT_EQ(w.info.CountryCode, 49);
  EXPECT_EQ(w.info.TVSystemChoice, 4);
  EXPECT_EQ(w.info.CableTypeChoice, 2);
}

TEST(SetupWizard, AFirstRunCannotBeCancelled) {
  Wizard w(true, 0);
  EXPECT_FALSE(w.Button("BitBtnCancel")->isEnabled());
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  EXPECT_TRUE(w.Text("LabelAntennaResult").startsWith("Total scan = 160, Find "));
  EXPECT_EQ(w.Text("LabelCableResult"), "") << "antenna only";
  EXPECT_EQ(w.Buttons(), "11100");
  w.form->reject();
  EXPECT_TRUE(w.form->isVisible());
  EXPECT_EQ(w.form->result(), 0);
}

}  // namespace
}  // namespace pvx::test

namespace pvx::test {
namespace {

TEST(SetupWizard, AFreeScanCopiesAntennaToCableAndResetsTheMemories) {
  Wizard w(false, 0);
  w.info.MemoryChannels[0] = {false, settings::TChannelInfo::kCable, 9, "kept?"};
  w.form->findChild<QRadioButton*>("RadioButtonUseFreeScan")->click();
  w.form->SetPage(3);
  w.Button("BitBtnStart")->click();
  // Stations from 45 MHz every 3 MHz, each locked for 1 MHz: the last locked step is the find.
  const QStringList memo = w.form->findChild<QPlainTextEdit*>("MemoFreeScanResult")->toPlainText().split('\n');
  ASSERT_GE(memo.size(), 2);
  EXPECT_EQ(memo[0], "Channel 1 is set to 45750000 Hz");
  EXPECT_EQ(memo[1], "Channel 2 is set to 51750000 Hz") << "the find skips 5 MHz after an NTSC station";
  w.Shot("wizard-3-free-scan.png");
  EXPECT_EQ(w.info.AntennaChannels, w.info.CableChannels);
  EXPECT_EQ(w.info.MemoryChannels[0], (settings::TMemoryChannelRecord{true, settings::TChannelInfo::kAntenna, 1, "Memory 1"}));
  EXPECT_EQ(w.Buttons(), "11110");
  w.Button("BitBtnFinish")->click();
  EXPECT_EQ(w.info.CableTypeChoice, 2);
}

// Finish pressed as soon as the modal wizard shows.
struct RunRow {
  bool firstRun, tunerAccepts;
  std::vector<int> errors;
};

TEST(SetupWizard, RunBringsTheTunerToTheChosenStandard) {
  for (const RunRow& row : {RunRow{false, true, {2010}}, RunRow{true, true, {}},
                            RunRow{true, false, {2009}}, RunRow{false, false, {2009, 2010}}}) {
    SCOPED_TRACE(row.firstRun * 10 + row.tunerAccepts);
    Dialogs().Warnings.clear();
    Channels c;
    c.tuner.AcceptStandard = row.tunerAccepts;
    c.info.CableTypeChoice = 1;
    QTimer::singleShot(0, [] {
      auto* wizard = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(wizard, nullptr);
      wizard->findChild<QPushButton*>("BitBtnNext")->click();
      wizard->findChild<QPushButton*>("BitBtnNext")->click();
      wizard->findChild<QPushButton*>("BitBtnFinish")->click();
    });
    EXPECT_TRUE(tuning::RunSetupWizard(c.info, row.firstRun, {}));
    std::vector<QStringList> expected;
    for (int code : row.errors) expected.push_back({settings::GetErrorMessage(code)});
    EXPECT_EQ(Dialogs().Warnings, expected);
    EXPECT_EQ(c.info.CurrentTable, row.firstRun ? settings::TChannelInfo::kCable : settings::TChannelInfo::kNoTable);
  }
}

}  // namespace
}  // namespace pvx::test
