// Every dialog opened in each shipped language: no caption may be cut off.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <functional>

#include "app/AboutDialog.h"
#include "app/SleepingTimerForm.h"
#include "app/WarningForm.h"
#include "playback/FormPlayback.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "util/OEMInfo.h"
#include "settings/MultiLangInfo.h"
#include "settings/PreviewInfo.h"
#include "snapshots/FormShowImage.h"
#include "snapshots/FormSnapshotList.h"
#include "snapshots/SnapshotInfo.h"
#include "support/TestEnvironment.h"
#include "tuning/AddFMForm.h"
#include "tuning/AddMemoryForm.h"
#include "tuning/FineTuneDialog.h"
#include "tuning/FormTVSetupWizard.h"
#include "tuning/VideoSourceDialog.h"
#include "ui/settings/ConfigEnvironment.h"
#include "ui/settings/ConfigForm.h"

namespace pvx::test {
namespace {

QString Plain(QString text) { return text.remove('&'); }

// The captions of the visible controls that do not fit the room they were given.
QStringList CutOff(const QWidget& form) {
  QStringList cut;
  for (const QWidget* w : form.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&form)) continue;
    QString text;
    int room = 0, needed = 0;
    if (auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty() && !Qt::mightBeRichText(label->text())) {
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
                   ? button->fontMetrics().horizontalAdvance(text) + (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8
                   : button->sizeHint().width();
    } else if (auto* box = qobject_cast<const QGroupBox*>(w); box && !box->title().isEmpty()) {
      text = Plain(box->title());
      room = box->width();
      needed = box->fontMetrics().horizontalAdvance(text) + 16;
    }
    if (needed > room) cut << QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(w->objectName(), text).arg(needed).arg(room);
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
  // The settings dialog reads the settings globals, cleared after the test.
  settings::MultiLangInfo = &lang, settings::MainInfo = &main;
  settings::ChannelInfo = &channels, settings::PreviewInfo = &preview;
  snapshots::TSnapshotInfo snapshots;
  snapshots.Images = {QImage(64, 48, QImage::Format_RGB32)};
  snapshots.Images.front().fill(Qt::darkCyan);
  snapshots::TSnapshotInfo* before = std::exchange(snapshots::SnapshotInfo, &snapshots);
  const util::TOEMInfo oem;
  settings::TSourceMapCell cell{};
  for (const char* language : {"English", "German", "Chinese(simplified)"}) {
    SCOPED_TRACE(language);
    lang.SetLanguage(language);
    ASSERT_GE(lang.LanguageIndex, 0);
    ExpectFits("warning", app::TFormWarning(QStringList{settings::GetErrorMessage(1020)}));
    ExpectFits("sleeptimer", app::TFormSleepingTimer());
    ExpectFits("about", app::TDialogAbout(oem));
    ExpectFits("playback", playback::TFormPlayback());
    ExpectFits("videosource", tuning::TFormVideoSource(cell, true, 5));
    ExpectFits("addmemory", tuning::TFormAddMemoryChannel(channels));
    ExpectFits("addfm", tuning::TFormAddFMFrequency(channels, 98100000));
    ExpectFits("showimage", snapshots::TFormShowImage(snapshots.Images.front()));
    tuning::TDialogFineTune fine(nullptr, 189250000, 189250000);
    ExpectFits("finetune", fine);
    EXPECT_EQ(fine.windowTitle(), lang.LookupCaption("Tuning"));
    tuning::TFormTVSetupWizard wizard(channels, false, {});
    ExpectFits("wizard", wizard, 3, [&](int p) { wizard.SetPage(p + 1); });
    EXPECT_EQ(wizard.font().pointSize(), lang.FontSize);
    EXPECT_EQ(wizard.findChild<QPushButton*>("BitBtnNext")->font().pointSize(), lang.FontSize + 1);
    snapshots::TFormSnapshotList list;
    list.Fill();
    ExpectFits("snapshots", list);
    // The settings dialog in TV and in FM radio.
    for (const bool fm : {false, true}) {
      ui::TConfigEnvironment env;
      env.Recording = &recording;
      env.FMMode = fm;
      ui::TFormConfig config(env);
      QTabWidget* pages = config.PageControlConfig;
      ExpectFits(fm ? "settings-fm" : "settings", config, pages->count(), [&](int p) { pages->setCurrentIndex(p); });
    }
  }
  snapshots::SnapshotInfo = before;
}

TEST(LanguageFitCheck, FindsACaptionSqueezedIntoTooLittleRoom) {
  QWidget form;
  auto* label = new QLabel(QStringLiteral("Aufnahmeton:"), &form);
  auto* button = new QPushButton(QStringLiteral("&Abbrechen"), &form);
  auto* wrapped = new QLabel(QStringLiteral("Ein langer Hinweis, der umbrechen muss"), &form);
  wrapped->setWordWrap(true);
  label->setGeometry(0, 0, 200, 20);
  button->setGeometry(0, 30, 200, 30);
  wrapped->setGeometry(0, 70, 200, 60);
  form.resize(220, 140);
  form.show();
  EXPECT_EQ(CutOff(form), QStringList());
  label->setFixedWidth(30);
  button->setFixedWidth(30);
  wrapped->setFixedSize(60, 14);
  EXPECT_EQ(CutOff(form).size(), 3);
}

}  // namespace
}  // namespace pvx::test
