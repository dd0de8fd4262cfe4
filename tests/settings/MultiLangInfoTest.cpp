#include <gtest/gtest.h>

#include <QSet>

#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(MultiLangInfo, LoadsLanguagesFromAllFilesInListOrderLooksUpWholeKeysAndSetsLanguagesByName) {
  // Two files: the first holds two languages, the second starts with entries that belong to
  // the last language of the first file, then a third language.
  const QString folder = test::Home() + "Language/";
  test::WriteFile(folder + "Lang.cfg", "First\nMissing\nSecond\n");
  test::WriteFile(folder + "First.lng",
                  "Orphan=dropped, before any language\n[language]=English\n# a comment\n\n"
                  "   Setup=Setup@Open the settings   \nCancel=Cancel\nCancelAll=Cancel all\n"
                  "Empty=\nHint=@only a hint\n[language]=Chinese\nSetup=設定@開啟設定\n");
  test::WriteFile(folder + "Second.lng",
                  "Cancel=取消\n[language]=German\nSetup=Einstellungen@Einstellungen öffnen\n"
                  "Cancel=Abbrechen\n1103=Haupteinstellungen defekt@ignored hint\n1104=\n"
                  "[language]=Chinese(simplified)\n[language]=Japanese\n[language]=Korean\n");
  TMultiLangInfo lang(folder + "Lang.cfg");
  EXPECT_EQ(lang.Languages, QStringList({"English", "Chinese", "German", "Chinese(simplified)",
                                         "Japanese", "Korean"}));
  EXPECT_EQ(QString::number(lang.LanguageIndex) + lang.LanguageName, "0English");
  // "Cancel" is not "Cancel all"; an empty caption counts as not found.
  // clang-format off
  const std::tuple<const char*, bool, const char*> lookups[] = {
      {"Setup", true, "Setup|Open the settings"}, {"Cancel", true, "Cancel|"},
      {"CancelAll", true, "Cancel all|"}, {"Cance", false, "|"}, {"Orphan", false, "|"},
      {"Nothing", false, "|"}, {"Empty", false, "|"}, {"Hint", false, "|only a hint"}};
  // clang-format on
  for (const auto& [key, found, texts] : lookups) {
    QString caption = "stale", hint = "stale";
    EXPECT_EQ(lang.Lookup(key, &caption, &hint), found) << key;
    EXPECT_EQ(caption + "|" + hint, texts) << key;
  }
  // The name is found whatever its case and kept as passed, but the font rule wants the exact
  // name; an unknown one gives no language and leaves the last entries. Entries at the top of a
  // later file belong to the language started last.
  // clang-format off
  const std::tuple<const char*, QList<int>, const char*, const char*> rows[] = {
      {"chinese", {1, 1, 8}, "chinese", "取消"}, {"Chinese", {1, 136, 9}, "Chinese", "取消"},
      {"Chinese(simplified)", {3, 134, 9}, "Chinese(simplified)", ""},
      {"Japanese", {4, 128, 8}, "Japanese", ""}, {"Korean", {5, 129, 8}, "Korean", ""},
      {"German", {2, 1, 8}, "German", "Abbrechen"}, {"Klingon", {-1, 1, 8}, "", "Abbrechen"}};
  // clang-format on
  for (const auto& [name, values, stored, cancel] : rows) {
    lang.SetLanguage(name);
    EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}), values) << name;
    EXPECT_EQ(lang.LanguageName + "|" + lang.LookupCaption("Cancel"), stored + QString("|") + cancel)
        << name;
  }
  // Error messages follow the language: the key has no sign; an empty translation keeps the
  // built-in text.
  MultiLangInfo = &lang;  // cleared by the test listener
  EXPECT_EQ(QStringList({GetErrorMessage(1103), GetErrorMessage(-1103), GetErrorMessage(1104),
                         GetErrorMessage(1000)}),
            QStringList({"Haupteinstellungen defekt", "Haupteinstellungen defekt",
                         BuiltInErrorMessage(1104), "Cannot Set capture device..."}));
  TMultiLangInfo none(folder + "Missing.cfg");  // a missing list loads nothing
  none.SetLanguage("English");
  EXPECT_TRUE(none.Languages.isEmpty() && none.LanguageIndex == -1 && !none.Lookup("OK", nullptr));
}

TEST(ErrorMessages, ShowsEachCodesLinesDropsASecondWarningWhileOneIsOpenAndClosesOnlyThen) {
  auto& dialogs = test::Dialogs();
  CloseWarning();
  EXPECT_EQ(dialogs.CloseWarningCalls, 0);
  bool openDuring = false;
  dialogs.WhileWarningOpen = [&] {
    openDuring = IsWarningOpen();
    ShowErrorCode(1002);  // a timer firing during the modal warning
    ShowErrorText("also dropped");
    CloseWarning();
  };
  ShowErrorCode(1001);
  EXPECT_TRUE(openDuring && dialogs.CloseWarningCalls == 1);
  EXPECT_EQ(dialogs.Warnings.size(), 1u);
  EXPECT_FALSE(IsWarningOpen());
  // Once closed, the next one shows. 1050 is unknown: an empty line; a second code shows only
  // when above 0.
  ShowErrorCode(1101), ShowErrorCode(1024, 1025), ShowErrorCode(1103, 0), ShowErrorCode(1103, -4);
  ShowErrorCode(1050);
  const QString corrupt = "Main setting is corrupted, load default setting...";
  // clang-format off
  EXPECT_EQ(dialogs.Warnings, std::vector<QStringList>({{"Cannot init Direct show interface..."},
      {"Disk will be full, terminate capture processing..."},
      {"Set audio format is failed, use default.", "Set video format is failed, use default."},
      {corrupt}, {corrupt}, {""}}));
  // clang-format on
}

// The language files the program installs: every language carries the same keys as English,
// and English carries the built-in error texts.

TEST(ShippedLanguages, AtLeastThreeCompleteLanguagesWithTheErrorTexts) {
  TMultiLangInfo lang(test::SourceData() + "Language/Lang.cfg");
  EXPECT_TRUE(lang.Languages.first() == "English" && lang.Languages.contains("German") &&
              lang.Languages.contains("Chinese(simplified)"));
  const auto keys = [&] {
    QStringList out;
    for (const QString& line : lang.ActiveEntries) out << line.section('=', 0, 0);
    return out;
  };
  const QStringList english = keys();
  ASSERT_GT(english.size(), 150);
  EXPECT_EQ(QSet<QString>(english.begin(), english.end()).size(), english.size())
      << "a key appears twice in English";
  const QString englishText = lang.LookupCaption("1103");
  for (int code = 1000; code < 2100; ++code) {
    const QString builtIn = BuiltInErrorMessage(code);
    EXPECT_TRUE(builtIn.isEmpty() || lang.LookupCaption(QString::number(code)) == builtIn) << code;
  }
  for (const QString& name : lang.Languages) {
    lang.SetLanguage(name);
    EXPECT_EQ(keys(), english) << name.toStdString();
    for (const QString& key : english)
      EXPECT_FALSE(lang.LookupCaption(key).isEmpty()) << name.toStdString() << ": " << key.toStdString();
    // The translations are not English.
    EXPECT_TRUE(name == "English" ||
                (lang.LookupCaption("1103") != englishText && lang.LookupCaption("Warning") != "Warning"))
        << name.toStdString();
  }
}
