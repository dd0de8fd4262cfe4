#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "FormDump.h"
#include "app/SleepingTimerForm.h"
#include "platform/Clock.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using app::TFormSleepingTimer;
using app::TSleepCountdown;

namespace {

constexpr int kMinute = 60000;

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// Answers the modal dialog once it is open: sets the track bar (unless negative) and presses a
// button, or closes it with the close box; fails the test if no dialog opened.
class DialogAnswer {
 public:
  DialogAnswer(int minutes, const char* button) {
    QTimer::singleShot(0, [this, minutes, button] {
      auto* dialog = qobject_cast<TFormSleepingTimer*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen_ = true;
      if (minutes >= 0) dialog->findChild<QSlider*>("TrackBarSleepingTimer")->setValue(minutes);
      if (button)
        QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
      else
        dialog->close();
    });
  }
  ~DialogAnswer() { EXPECT_TRUE(seen_) << "the sleeping-timer dialog never opened"; }

 private:
  bool seen_ = false;
};

class SleepingTimer : public ::testing::Test {
 protected:
  SleepingTimer() {
    settings::MainInfo = &info;
    countdown.CloseMainWindow = [this] { ++closes; };
    countdown.ShowSleepLabel = [this](bool visible) { sleepLabel = visible; };
  }
  ~SleepingTimer() override {
    settings::MainInfo = nullptr;
    settings::MultiLangInfo = nullptr;
  }

  void Run(int minutes, const char* button) {
    DialogAnswer answer(minutes, button);
    countdown.Execute(nullptr);
  }

  settings::TMainInfo info;
  TSleepCountdown countdown;
  int closes = 0;
  bool sleepLabel = false;
};

}  // namespace

TEST(SleepingTimerForm, LayoutAsDesigned) {
  settings::TMainInfo info;
  settings::MainInfo = &info;
  info.SleepMinutes = 0;  // nothing stored: the design position
  TFormSleepingTimer form;
  settings::MainInfo = nullptr;
  test::ExpectGolden(test::FormLayoutText(form), "app/FormSleepingTimer.txt");
}

TEST(SleepingTimerForm, StartsAtTheStoredMinutesAndShowsTheTrackBarPosition) {
  settings::TMainInfo info;
  settings::MainInfo = &info;
  info.SleepMinutes = 90;
  TFormSleepingTimer form;
  EXPECT_EQ(Child<QSlider>(form, "TrackBarSleepingTimer")->value(), 90);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "90");
  Child<QSlider>(form, "TrackBarSleepingTimer")->setValue(120);
  EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "120");
  settings::MainInfo = nullptr;
}

TEST(SleepingTimerForm, TakesTheLanguageTexts) {
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=German\nSleepTimer=Schlummer@Schlummer\nShutdown=Ausschalten in:\n"
                  "Minute=Minuten\nOK=Gut\nCancel=Abbrechen\n");
  settings::TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  settings::MultiLangInfo = &lang;
  TFormSleepingTimer form;
  settings::MultiLangInfo = nullptr;
  EXPECT_EQ(form.windowTitle(), "Schlummer");
  EXPECT_EQ(Child<QLabel>(form, "LabelSleeping")->text(), "Ausschalten in:");
  EXPECT_EQ(Child<QLabel>(form, "LabelMinute")->text(), "Minuten");
  EXPECT_EQ(Child<QPushButton>(form, "BitBtnOK")->text(), "Gut");
  EXPECT_EQ(Child<QPushButton>(form, "BitBtnCancel")->text(), "Abbrechen");
  EXPECT_EQ(Child<QLabel>(form, "LabelMinute")->font().pointSize(), lang.FontSize);
}

TEST_F(SleepingTimer, CancelOrZeroStopsTheCountdown) {
  for (const auto& [minutes, button] : {std::pair{100, "BitBtnCancel"}, std::pair{0, "BitBtnOK"}}) {
    Run(45, "BitBtnOK");
    Run(minutes, button);
    EXPECT_EQ(info.SleepMinutes, 0) << button;
    EXPECT_FALSE(countdown.TimerSleeping.Enabled()) << button;
    EXPECT_FALSE(sleepLabel) << button;
  }
  test::Clock().Advance(301 * kMinute);
  EXPECT_EQ(test::System().PowerOffCalls, 0);
}

TEST_F(SleepingTimer, CloseBoxKeepsTheMinutesAndRestartsTheFullInterval) {
  Run(20, "BitBtnOK");
  test::Clock().Advance(15 * kMinute);
  Run(200, nullptr);  // moved, then closed: nothing stored
  EXPECT_EQ(info.SleepMinutes, 20);
  test::Clock().Advance(20 * kMinute - 1);
  EXPECT_EQ(closes, 0);
  test::Clock().Advance(1);
  EXPECT_EQ(closes, 1);
}

TEST_F(SleepingTimer, FortyFiveMinutesThenTheProgramClosesAndPowersOffOnce) {
  Run(45, "BitBtnOK");
  EXPECT_EQ(info.SleepMinutes, 45);
  EXPECT_EQ(countdown.TimerSleeping.Interval(), 2700000);
  EXPECT_TRUE(sleepLabel);
  test::Clock().Advance(45 * kMinute - 1);
  EXPECT_EQ(closes, 0);
  test::Clock().Advance(1);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(test::System().PowerOffCalls, 1);
  test::Clock().Advance(45 * kMinute);
  EXPECT_EQ(test::System().PowerOffCalls, 1);
}
