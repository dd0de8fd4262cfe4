// The scheduler's window and entry dialog: what they show and what they refuse.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "EntryDialog.h"
#include "ScheduledWindow.h"
#include "platform/ipc/Messages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"
#include "support/TextWalk.h"

using namespace pvx;
using namespace pvx::scheduled;

namespace {

TScheduleEntry Sample(int daysAhead, const QString& name) {
  TScheduleEntry e;
  ApplyFormatDefaults(e, 7);
  e.Start = QDateTime(QDate::currentDate().addDays(daysAhead), QTime(20, 0));
  e.DurationSeconds = 2700;
  e.Source = handoff::rsCable;
  e.Channel = 37;
  e.UseDateTimeName = name.isEmpty();
  e.BaseName = name;
  return e;
}

}  // namespace

TEST(ScheduledWindow, ShowsTheTimetableWithOutcomesAndTheEntryDialog) {
  TTimetable table;
  TScheduleEntry a = Sample(1, "Cup Final"), b = Sample(2, {});
  b.Repeat = TRepeat::Weekly, b.Source = handoff::rsFM, b.Channel = 3, b.AudioOption = 1, b.Format = 1;
  ASSERT_TRUE(table.Add(a, QDateTime::currentDateTime(), nullptr));
  ASSERT_TRUE(table.Add(b, QDateTime::currentDateTime(), nullptr));
  ASSERT_TRUE(table.Save(TTimetable::DefaultPath()));
  TSchedulerAgent agent(TTimetable::DefaultPath());
  TFormScheduled form(TTimetable::DefaultPath(), TSystemd{}, agent);
  form.show();
  auto* grid = form.findChild<QTableWidget*>("StringGridSchedule");
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(QStringList({grid->item(0, 6)->text(), grid->item(0, 7)->text(), grid->item(1, 6)->text()}),
            QStringList({"DVD (PAL)", "Cup Final", "MP3"}));

  // The program's answer reaches the row of the entry the relay file was written for.
  ASSERT_TRUE(handoff::WriteRelayFile(test::Home() + "Relay.rec", a.Relay()));
  agent.HandleMessage(platform::ipc::kMsgScheduledStatus, 100, 0);
  EXPECT_EQ(grid->item(0, 8)->text() + "|" + grid->item(1, 8)->text(), "Recorded|");

  // Nothing selected: edit and delete say so.
  grid->clearSelection();
  form.BitBtnDeleteClick();
  EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>{{"No item should do modify"}});

  // The dialog gives back what it was given, and keeps itself open on a refusal.
  TDialogScheduleEntry dialog(&form);
  dialog.SetEntry(*form.Timetable().Find(a.Id));
  EXPECT_EQ(dialog.Entry(), *form.Timetable().Find(a.Id));
  dialog.Check = [](const TScheduleEntry& e, QString* reason) {
    *reason = "refused " + e.BaseName;
    return false;
  };
  dialog.show();
  dialog.findChild<QPushButton*>("BitBtnOK")->click();
  EXPECT_TRUE(dialog.isVisible() && dialog.findChild<QLabel*>("LabelReason")->text() == "refused Cup Final");
  // FM offers the audio formats and records sound only.
  dialog.findChild<QComboBox*>("ComboBoxSource")->setCurrentIndex(handoff::rsFM);
  EXPECT_EQ(QList<int>({dialog.findChild<QComboBox*>("ComboBoxFormat")->count(), dialog.Entry().AudioOption}),
            QList<int>({2, 1}));
  TDialogScheduleEntry hevc(&form);  // no bit-rate cap, the card's own rate: given back as such
  hevc.findChild<QComboBox*>("ComboBoxFormat")->setCurrentIndex(12);
  EXPECT_EQ(hevc.findChild<QSpinBox*>("SpinEditBitRate")->text() + "|" +
                hevc.findChild<QComboBox*>("ComboBoxFrameRate")->currentText(), "No limit|As received");
  dialog.SetEntry(hevc.Entry());
  EXPECT_EQ(std::tuple(dialog.Entry().Format, dialog.Entry().VideoBitRateKbps, dialog.Entry().FrameRateCode),
            std::tuple(12, 0, 0));
}

// The window and its entry dialog read in the language in use, dates in its locale; words
// German shares with English, names and codes are their own.
TEST(ScheduledWindow, LeavesNoTextInEnglish) {
  TTimetable table;
  TScheduleEntry a = Sample(1, "Cup Final");
  ASSERT_TRUE(table.Add(a, QDateTime::currentDateTime(), nullptr));
  ASSERT_TRUE(table.Save(TTimetable::DefaultPath()));
  settings::TMultiLangInfo lang(test::SourceData() + "Language/Lang.cfg");
  settings::MultiLangInfo = &lang;
  const QStringList names = {"S-Video", "Wave", "Cup Final", "OK", "Format", "Normal", "Matroska"};
  QMap<QString, QString> english;
  for (const char* language : {"English", "German", "Chinese(simplified)"}) {
    SCOPED_TRACE(language);
    lang.SetLanguage(language);
    ASSERT_GE(lang.LanguageIndex, 0);
    TSchedulerAgent agent(TTimetable::DefaultPath());
    TFormScheduled form(TTimetable::DefaultPath(), TSystemd{}, agent);
    TDialogScheduleEntry dialog;
    dialog.findChild<QComboBox*>("ComboBoxFormat")->setCurrentIndex(12);  // shows "As received"
    form.show();
    dialog.show();
    QMap<QString, QString> texts = test::ReadableTexts(form);
    for (const auto& [at, text] : test::ReadableTexts(dialog).asKeyValueRange()) texts.insert("dialog/" + at, text);
    if (english.isEmpty()) {
      english = texts;
      continue;
    }
    EXPECT_EQ(test::LeftInEnglish(english, texts, names).join('\n').toStdString(), "");
    const QString day = QLocale(language == QLatin1String("German") ? "de_DE" : "zh_CN").toString(a.Start, "ddd");
    EXPECT_TRUE(form.findChild<QTableWidget*>("StringGridSchedule")->item(0, 1)->text().startsWith(day));
  }
}
