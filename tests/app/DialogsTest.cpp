// The small windows: the sleeping timer (its form and its countdown), the warning, About and the
// logo, and the language texts they take. Then every dialog opened in each shipped language: no
// caption may be cut off.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "FormTestSupport.h"
#include "app/AboutDialog.h"
#include "app/LogoForm.h"
#include "app/SleepingTimerForm.h"
#include "app/WarningForm.h"
#include "platform/Clock.h"
#include "platform/QtDialogService.h"
#include "playback/FormPlayback.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "settings/PreviewInfo.h"
#include "snapshots/FormShowImage.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"
#include "support/TestEnvironment.h"
#include "tuning/AddFMForm.h"
#include "tuning/AddMemoryForm.h"
#include "tuning/FineTuneDialog.h"
#include "tuning/FormTVSetupWizard.h"
#include "tuning/VideoSourceDialog.h"
#include "ui/settings/ConfigEnvironment.h"
#include "ui/settings/ConfigForm.h"
#include "util/OEMInfo.h"

namespace pvx::test {
namespace {

using app::TFormSleepingTimer;
using app::TFormWarning;

constexpr int kMinute = 60000;

class SleepingTimer : public ::testing::Test {
 protected:
  SleepingTimer() {
    countdown.Main = &info;
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

TEST_F(SleepingTimer, FormStartsAtTheStoredMinutesOrTheDesignPosition) {
  // Nothing stored: the design position, 30.
  for (const int stored : {0, 90}) {
    test::EditPrefs(info, [&](settings::TMainPreferences& p) { p.SleepMinutes = stored; });
    TFormSleepingTimer form(&info);
    EXPECT_EQ(Child<QSlider>(form, "TrackBarSleepingTimer")->value(), stored ? stored : 30);
    EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), stored ? "90" : "30");
    Child<QSlider>(form, "TrackBarSleepingTimer")->setValue(120);
    EXPECT_EQ(Child<QLabel>(form, "LabelTimerValue")->text(), "120");
  }
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
    return QString::asprintf("  minutes %d timer %d label %d closes %d power-offs %d\n",
                             info.Prefs().SleepMinutes, interval, sleepLabel, closes,
                             test::System().PowerOffCalls);
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
  // The language global is cleared after the test.
  settings::MultiLangInfo = &lang;
  const TFormSleepingTimer sleeping(&info);
  const app::TFormMainWindow main(&info);
  test::ExpectGolden(test::FormLayoutText(TFormWarning({"x"})) + test::FormLayoutText(sleeping) +
                         test::MenuText(*main.PopupMainMenu()),
                     "app/Translated.txt");
}

TEST(WarningForm, ErrorCodeOpensTheWindowOkClosesItAndASecondIsDropped) {
  EXPECT_TRUE(TFormWarning({"x"}).findChild<QPlainTextEdit*>("MemoErrorDesc")->isReadOnly());

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
  test::WriteFile(
      test::Home() + "PInfo.cfg",
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
  EXPECT_TRUE(logo.HasLogo() && logo.isVisible() && logo.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Child<QLabel>(logo, "Image1")->pixmap().isNull());

  test::WriteFile(test::Home() + "QLOGO.BMP", "not a bitmap");
  app::TFormLogo unreadable;
  unreadable.ShowLogo();
  EXPECT_FALSE(unreadable.HasLogo() || unreadable.isVisible());
}

// --- captions in every shipped language -------------------------------------------------------

QString Plain(QString text) { return text.remove('&'); }

// The captions of the visible controls that do not fit the room they were given.
QStringList CutOff(const QWidget& form) {
  QStringList cut;
  for (const QWidget* w : form.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&form)) continue;
    QString text;
    int room = 0, needed = 0;
    if (auto* label = qobject_cast<const QLabel*>(w);
        label && !label->text().isEmpty() && !Qt::mightBeRichText(label->text())) {
      text = Plain(label->text());
      room = label->contentsRect().width() - 2 * label->margin() - 2 * label->indent();
      needed = label->wordWrap() ? 0 : label->fontMetrics().horizontalAdvance(text);
      if (label->wordWrap() && label->heightForWidth(label->width()) > label->height()) needed = room + 1;
    } else if (auto* button = qobject_cast<const QAbstractButton*>(w); button && !button->text().isEmpty()) {
      text = Plain(button->text());
      room = button->width();
      // A push button's hint has the style's minimum width in it; the text needs its own
      // width, the icon's and the frame's.
      needed = qobject_cast<const QPushButton*>(button)
                   ? button->fontMetrics().horizontalAdvance(text) +
                         (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8
                   : button->sizeHint().width();
    } else if (auto* box = qobject_cast<const QGroupBox*>(w); box && !box->title().isEmpty()) {
      text = Plain(box->title());
      room = box->width();
      needed = box->fontMetrics().horizontalAdvance(text) + 16;
    }
    if (needed > room)
      cut << QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(w->objectName(), text).arg(needed).arg(room);
  }
  return cut;
}

// Shows the form, lets its layout settle and checks every caption on each of its pages.
void ExpectFits(const char* name, QWidget& form, int pages = 1, const std::function<void(int)>& turn = {}) {
  for (int p = 0; p < pages; ++p) {
    if (turn) turn(p);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(CutOff(form).join('\n').toStdString(), "") << name << " page " << p + 1;
  }
}
void ExpectFits(const char* name, QWidget&& form) { ExpectFits(name, form); }

TEST(LanguageFit, NoCaptionIsCutOffInAnyShippedLanguage) {
  settings::TMultiLangInfo lang(SourceData() + "Language/Lang.cfg");
  settings::TChannelInfo channels;
  settings::TMainInfo main;
  settings::TPreviewInfo preview(channels);
  settings::TCaptureSettings recording;
  // The language global is cleared after the test.
  settings::MultiLangInfo = &lang;
  snapshots::TSnapshotInfo snapshots;
  snapshots.Images = {QImage(64, 48, QImage::Format_RGB32)};
  snapshots.Images.front().fill(Qt::darkCyan);
  const util::TOEMInfo oem;
  settings::TSourceMapCell cell{};
  for (const char* language : {"English", "German", "Chinese(simplified)"}) {
    SCOPED_TRACE(language);
    lang.SetLanguage(language);
    ASSERT_GE(lang.LanguageIndex, 0);
    ExpectFits("warning", app::TFormWarning(QStringList{settings::GetErrorMessage(1020)}));
    ExpectFits("sleeptimer", app::TFormSleepingTimer(&main));
    ExpectFits("about", app::TDialogAbout(oem));
    ExpectFits("playback", playback::TFormPlayback(nullptr));
    ExpectFits("videosource", tuning::TFormVideoSource(cell, true, 5));
    ExpectFits("addmemory", tuning::TFormAddMemoryChannel(channels));
    ExpectFits("addfm", tuning::TFormAddFMFrequency(channels, 98100000));
    ExpectFits("showimage", snapshots::TFormShowImage(snapshots.Images.front()));
    tuning::TDialogFineTune fine(nullptr, 189250000, 189250000);
    ExpectFits("finetune", fine);
    EXPECT_EQ(fine.windowTitle(), lang.LookupCaption("Tuning"));
    tuning::TFormTVSetupWizard wizard(channels, false, {});
    ExpectFits("wizard", wizard, 3, [&](int p) { wizard.SetPage(p + 1); });
    snapshots::TFormSnapshotList list(snapshots, nullptr);
    list.Fill();
    ExpectFits("snapshots", list);
    // The settings dialog in TV and in FM radio.
    for (const bool fm : {false, true}) {
      ui::TConfigEnvironment env;
      env.Main = &main, env.Channels = &channels, env.Preview = &preview, env.Language = &lang;
      env.Recording = &recording;
      env.FMMode = fm;
      ui::TFormConfig config(env);
      QTabWidget* pages = config.PageControlConfig;
      ExpectFits(fm ? "settings-fm" : "settings", config, pages->count(),
                 [&](int p) { pages->setCurrentIndex(p); });
    }
  }
}

}  // namespace
}  // namespace pvx::test
