// The small windows: sleeping timer (form and countdown), warning, about, logo, and the language
// texts the forms take.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "FormTestSupport.h"
#include "app/AboutDialog.h"
#include "app/LogoForm.h"
#include "app/WarningForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogService.h"
#include "settings/ErrorMessages.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/OEMInfo.h"

using namespace pvx;
using app::TFormSleepingTimer;
using app::TFormWarning;
using test::Child;

namespace {

constexpr int kMinute = 60000;

class SleepingTimer : public ::testing::Test {
 protected:
  SleepingTimer() {
    settings::MainInfo = &info;
    countdown.CloseMainWindow = [this] { ++closes; };
    countdown.ShowSleepLabel = [this](bool visible) { sleepLabel = visible; };
  }

  // Sets the track bar (unless negative) and presses a button, or closes with the close box.
  void Run(int minutes, const char* button) {
    test::ModalAnswer<TFormSleepingTimer> answer([=](TFormSleepingTimer& dialog) {
      if (minutes >= 0) dialog.findChild<QSlider*>("TrackBarSleepingTimer")->setValue(minutes);
      button ? QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton) : void(dialog.close());
    });
    countdown.Execute(nullptr);
  }

  settings::TMainInfo info;
  app::TSleepCountdown countdown;
  int closes = 0;
  bool sleepLabel = false;
};

}  // namespace

TEST_F(SleepingTimer, FormStartsAtTheStoredMinutesOrTheDesignPosition) {
  info.SleepMinutes = 0;  // nothing stored: the design position
  test::ExpectGolden(test::FormLayoutText(TFormSleepingTimer()), "app/FormSleepingTimer.txt");
  info.SleepMinutes = 90;
  TFormSleepingTimer form;
  EXPECT_EQ(Child<QSlider>(form, "TrackBarSleepingTimer")->value(), 90);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "90");
  Child<QSlider>(form, "TrackBarSleepingTimer")->setValue(120);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "120");
}

// The countdown through the dialog's answers and the clock; after each step the stored minutes,
// the timer, the sleep label, the closes and the power-offs go into the golden text.
TEST_F(SleepingTimer, CountdownThroughTheAnswersAndTheClock) {
  auto advance = [](int ms) { return [ms] { test::Clock().Advance(ms); }; };
  auto run = [this](int minutes, const char* button) { return [=, this] { Run(minutes, button); }; };
  const test::Steps steps = {
      {"45 minutes", run(45, "BitBtnOK")},
      {"moved to 100, cancelled", run(100, "BitBtnCancel")},
      {"45 minutes again", run(45, "BitBtnOK")},
      {"zero", run(0, "BitBtnOK")},
      {"301 minutes on", advance(301 * kMinute)},
      {"20 minutes", run(20, "BitBtnOK")},
      {"15 minutes on", advance(15 * kMinute)},
      {"moved to 200, closed with the close box", run(200, nullptr)},
      {"20 minutes less a millisecond on", advance(20 * kMinute - 1)},
      {"the last millisecond", advance(1)},
      {"45 minutes once more", run(45, "BitBtnOK")},
      {"45 minutes less a millisecond on", advance(45 * kMinute - 1)},
      {"the last millisecond", advance(1)},
      {"45 minutes more", advance(45 * kMinute)},
  };
  auto state = [&] {
    const int interval = countdown.TimerSleeping.Enabled() ? countdown.TimerSleeping.Interval() : 0;
    return QString::asprintf("  minutes %d timer %d label %d closes %d power-offs %d\n", info.SleepMinutes, interval,
                             sleepLabel, closes, test::System().PowerOffCalls);
  };
  test::ExpectGolden(test::Walk(steps, state), "app/SleepCountdown.txt");
}

// Captions with a key take the language's text (before an "@"), with its font size.
TEST(Forms, TakeTheLanguageTexts) {
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=German\nFullScreen=Vollbild@Vollbild\nAspectRatio=Seitenverhältnis\n"
                  "FMMemorized=Kanal merken\nExit=Beenden\nSleepTimer=Schlummer@Schlummer\n"
                  "Shutdown=Ausschalten in:\nMinute=Minuten\nOK=Gut@Schließen\nCancel=Abbrechen\n"
                  "Warning=Warnung\n");
  settings::TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  settings::TMainInfo info;
  // Both globals are cleared after the test.
  settings::MultiLangInfo = &lang;
  settings::MainInfo = &info;
  const TFormSleepingTimer sleeping;
  const app::TFormMainWindow main;
  test::ExpectGolden(test::FormLayoutText(TFormWarning({"x"})) + test::FormLayoutText(sleeping) +
                         test::MenuText(*main.PopupMainMenu()),
                     "app/Translated.txt");
}

TEST(WarningForm, ErrorCodeOpensTheWindowOkClosesItAndASecondIsDropped) {
  TFormWarning form({"first", "second"});
  test::ExpectGolden(test::FormLayoutText(form), "app/FormWarning.txt");
  EXPECT_TRUE(form.findChild<QPlainTextEdit*>("MemoErrorDesc")->isReadOnly());

  platform::SetDialogs(nullptr);  // the real Qt service with the real window
  app::InstallWarningForm();
  QString shown;
  {
    test::ModalAnswer<TFormWarning> probe([&](TFormWarning& form) {
      shown = form.findChild<QPlainTextEdit*>("MemoErrorDesc")->toPlainText();
      EXPECT_TRUE(settings::IsWarningOpen());
      QTest::mouseClick(Child<QPushButton>(form, "BitBtnOK"), Qt::LeftButton);
    });
    settings::ShowErrorCode(1024, 1025);
  }
  EXPECT_EQ(shown, "Set audio format is failed, use default.\nSet video format is failed, use default.");
  EXPECT_FALSE(settings::IsWarningOpen());
  EXPECT_EQ(platform::DefaultDialogs().OpenWarning(), nullptr);

  int windowsSeen = 0;
  QTimer::singleShot(0, [&] {
    if (platform::DefaultDialogs().OpenWarning()) ++windowsSeen;
    settings::ShowErrorCode(1002);  // dropped: one warning at a time
    settings::CloseWarning();       // as a command message would
  });
  settings::ShowErrorText("Cannot use overlay");
  EXPECT_EQ(windowsSeen, 1);
  EXPECT_FALSE(settings::IsWarningOpen());
}

TEST(AboutDialog, ShowsTheProductTextsAndOpensItsLinks) {
  test::WriteFile(test::Home() + "PInfo.cfg",
                  "Vision TV\nVision\n(c) Vision\nV 2.0 \nhttps://vision.example/\nmailto:a@vision.example\n");
  util::TOEMInfo info;
  app::TDialogAbout dialog(info);
  test::ExpectGolden(test::FormLayoutText(dialog), "app/DialogAbout.txt");
  dialog.LabelWWWClick();
  dialog.LabelEmailClick();
  EXPECT_EQ(test::System().OpenedUrls, QStringList({"https://vision.example/", "mailto:a@vision.example"}));
}

TEST(LogoForm, ShowsTheShippedBitmapOnTopAndAnUnreadableOneNotAtAll) {
  app::TFormLogo logo;
  logo.ShowLogo();
  EXPECT_TRUE(logo.HasLogo() && logo.isVisible());
  test::ExpectGolden(test::FormLayoutText(logo), "app/FormLogo.txt");
  EXPECT_FALSE(Child<QLabel>(logo, "Image1")->pixmap().isNull());

  test::WriteFile(test::Home() + "QLOGO.BMP", "not a bitmap");
  app::TFormLogo unreadable;
  unreadable.ShowLogo();
  EXPECT_FALSE(unreadable.HasLogo() || unreadable.isVisible());
}
