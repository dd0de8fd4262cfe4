// Every dialog opened in each shipped language: no caption may be cut off, and each is
// photographed for a look.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <memory>

#include "app/AboutDialog.h"
#include "app/SleepingTimerForm.h"
#include "app/WarningForm.h"
#include "playback/FormPlayback.h"
#include "settings/CaptureSettings.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "settings/ErrorMessages.h"
#include "util/OEMInfo.h"
#include "settings/Globals.h"
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

struct Language {
  const char* file;
  const char* name;
};

// The shipped language files, installed in the test's home.
std::unique_ptr<settings::TMultiLangInfo> Install(const Language& language) {
  QDir().mkpath(Home() + "Language");
  for (const QString& f : QDir(SourceData() + "Language").entryList(QDir::Files))
    QFile::copy(SourceData() + "Language/" + f, Home() + "Language/" + f);
  auto info = std::make_unique<settings::TMultiLangInfo>(Home() + "Language/Lang.cfg");
  info->SetLanguage(language.name);
  return info;
}

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

class LanguageFit : public ::testing::TestWithParam<Language> {
 protected:
  void SetUp() override {
    lang_ = Install(GetParam());
    ASSERT_GE(lang_->LanguageIndex, 0) << GetParam().name;
    settings::MultiLangInfo = lang_.get();  // cleared after the test
    snapshots_.Images = {QImage(64, 48, QImage::Format_RGB32)};
    snapshots_.Images.front().fill(Qt::darkCyan);
  }

  // Shows the form, lets its layout settle and checks every caption on every page.
  void Check(const char* name, QWidget& form, const std::function<int(int)>& page = nullptr) {
    const int pages = page ? page(-1) : 1;
    for (int p = 0; p < pages; ++p) {
      if (page) page(p);
      form.show();
      QCoreApplication::processEvents();
      const QString shot = QStringLiteral("lang-%1-%2%3.png").arg(name, GetParam().file).arg(pages > 1 ? QString::number(p + 1) : QString());
      form.grab().save(ArtefactPath(shot));
      EXPECT_EQ(CutOff(form).join('\n').toStdString(), "") << name << " page " << p + 1 << " in " << GetParam().name;
    }
  }

  std::unique_ptr<settings::TMultiLangInfo> lang_;
  settings::TChannelInfo channels_;
  snapshots::TSnapshotInfo snapshots_;
};

TEST_P(LanguageFit, NoCaptionIsCutOff) {
  util::TOEMInfo oem;
  settings::TSourceMapCell cell{};
  // The forms of one page each.
  const std::pair<const char*, std::function<std::unique_ptr<QWidget>()>> forms[] = {
      {"warning",
       [] { return std::make_unique<app::TFormWarning>(QStringList{settings::GetErrorMessage(1020)}); }},
      {"sleeptimer", [] { return std::make_unique<app::TFormSleepingTimer>(); }},
      {"about", [&] { return std::make_unique<app::TDialogAbout>(oem); }},
      {"playback", [] { return std::make_unique<playback::TFormPlayback>(); }},
      {"videosource", [&] { return std::make_unique<tuning::TFormVideoSource>(cell, true, 5); }},
      {"addmemory", [&] { return std::make_unique<tuning::TFormAddMemoryChannel>(channels_); }},
      {"addfm", [&] { return std::make_unique<tuning::TFormAddFMFrequency>(channels_, 98100000); }},
      {"showimage", [&] { return std::make_unique<snapshots::TFormShowImage>(snapshots_.Images.front()); }},
  };
  for (const auto& [name, make] : forms) Check(name, *make());
  tuning::TDialogFineTune fine(nullptr, 189250000, 189250000);
  Check("finetune", fine);
  EXPECT_EQ(fine.windowTitle(), lang_->LookupCaption("Tuning"));
  tuning::TFormTVSetupWizard wizard(channels_, false, {});
  Check("wizard", wizard, [&](int p) { return p < 0 ? 3 : (wizard.SetPage(p + 1), 0); });
  EXPECT_EQ(wizard.font().pointSize(), lang_->FontSize);
  EXPECT_EQ(wizard.findChild<QPushButton*>("BitBtnNext")->font().pointSize(), lang_->FontSize + 1);
  snapshots::TSnapshotInfo* before = std::exchange(snapshots::SnapshotInfo, &snapshots_);
  snapshots::TFormSnapshotList list;
  list.Fill();
  Check("snapshots", list);
  snapshots::SnapshotInfo = before;
  // The settings dialog, in TV and in FM radio, reads the settings globals.
  settings::TMainInfo main;
  settings::TPreviewInfo preview(channels_);
  settings::TCaptureSettings recording;
  settings::MainInfo = &main, settings::ChannelInfo = &channels_, settings::PreviewInfo = &preview;
  channels_.VideoSource = settings::TChannelInfo::kTuner;
  for (const bool fm : {false, true}) {
    ui::TConfigEnvironment env;
    env.Recording = &recording;
    env.FMMode = fm;
    ui::TFormConfig config(env);
    QTabWidget* pages = config.PageControlConfig;
    Check(fm ? "settings-fm" : "settings", config,
          [&](int p) { return p < 0 ? pages->count() : (pages->setCurrentIndex(p), 0); });
  }
  settings::MainInfo = nullptr, settings::ChannelInfo = nullptr, settings::PreviewInfo = nullptr;
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

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFit,
                         ::testing::Values(Language{"en", "English"}, Language{"de", "German"},
                                           Language{"zh", "Chinese(simplified)"}),
                         [](const auto& info) { return std::string(info.param.file); });

}  // namespace
}  // namespace pvx::test
