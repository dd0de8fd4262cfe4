#include <gtest/gtest.h>

#include <QSet>

#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

namespace {

// Two files: the first holds two languages, the second starts with entries that belong to
// the last language of the first file, then a third language.
QString WriteLanguages() {
  const QString folder = test::Home() + "Language/";
  test::WriteFile(folder + "Lang.cfg", "First\nMissing\nSecond\n");
  test::WriteFile(folder + "First.lng",
                  "Orphan=dropped, before any language\n[language]=English\n# a comment\n\n"
                  "   Setup=Setup@Open the settings   \nCancel=Cancel\nCancelAll=Cancel all\n"
                  "Empty=\nHint=@only a hint\n[language]=Chinese\nSetup=設定@開啟設定\n");
  test::WriteFile(folder + "Second.lng",
                  "Cancel=取消\n[language]=German\nSetup=Einstellungen@Einstellungen öffnen\n"
                  "Cancel=Abbrechen\n[language]=Chinese(simplified)\n[language]=Japanese\n"
                  "[language]=Korean\n");
  return folder + "Lang.cfg";
}

QStringList Keys(const TMultiLangInfo& lang) {
  QStringList keys;
  for (const QString& line : lang.ActiveEntries) keys << line.section('=', 0, 0);
  return keys;
}

}  // namespace

TEST(MultiLangInfo, LoadsLanguagesFromAllFilesInListOrderAndLooksUpWholeKeys) {
  TMultiLangInfo lang(WriteLanguages());
  EXPECT_EQ(lang.Languages, QStringList({"English", "Chinese", "German", "Chinese(simplified)",
                                         "Japanese", "Korean"}));
  EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}),
            QList<int>({0, 1, 8}));
  EXPECT_EQ(lang.LanguageName, "English");
  EXPECT_FALSE(lang.AllEntries.join('\n').contains("Orphan"));
  // Entries at the top of a later file belong to the language started last.
  EXPECT_TRUE(lang.AllEntries.contains(QString::fromUtf8("1^Cancel=取消")));
  EXPECT_TRUE(lang.AllEntries.contains("2^Cancel=Abbrechen"));
  // "Cancel" is not "Cancel all"; an empty caption counts as not found.
  // clang-format off
  const std::tuple<const char*, bool, const char*> rows[] = {
      {"Setup", true, "Setup|Open the settings"}, {"Cancel", true, "Cancel|"},
      {"CancelAll", true, "Cancel all|"}, {"Cance", false, "|"},
      {"Nothing", false, "|"}, {"Empty", false, "|"}, {"Hint", false, "|only a hint"}};
  // clang-format on
  for (const auto& [key, found, texts] : rows) {
    QString caption = "stale", hint = "stale";
    EXPECT_EQ(lang.Lookup(key, &caption, &hint), found) << key;
    EXPECT_EQ(caption + "|" + hint, texts) << key;
  }
}

TEST(MultiLangInfo, SetLanguageIgnoresCaseButFontRuleDoesNot) {
  TMultiLangInfo lang(WriteLanguages());
  // The name is kept as passed, but the font rule wants the exact name; an unknown one gives no
  // language and leaves the last entries.
  // clang-format off
  const std::tuple<const char*, QList<int>, const char*> rows[] = {
      {"chinese", {1, 1, 8}, "chinese"}, {"Chinese", {1, 136, 9}, "Chinese"},
      {"Chinese(simplified)", {3, 134, 9}, "Chinese(simplified)"},
      {"Japanese", {4, 128, 8}, "Japanese"}, {"Korean", {5, 129, 8}, "Korean"},
      {"German", {2, 1, 8}, "German"}, {"Klingon", {-1, 1, 8}, ""}};
  // clang-format on
  for (const auto& [name, values, stored] : rows) {
    lang.SetLanguage(name);
    EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}), values) << name;
    EXPECT_EQ(lang.LanguageName, stored) << name;
    EXPECT_TRUE(values[0] != 1 || lang.LookupCaption("Setup") == QString::fromUtf8("設定"));
  }
  EXPECT_EQ(lang.LookupCaption("Cancel"), "Abbrechen");
  TMultiLangInfo none(test::Home() + "Language/Missing.cfg");  // a missing list loads nothing
  none.SetLanguage("English");
  EXPECT_TRUE(none.Languages.isEmpty() && none.LanguageIndex == -1 && !none.Lookup("OK", nullptr));
}

TEST(ErrorMessages, TableIsCompleteEachCodeShowsItsLinesAndALanguageFileReplacesAMessage) {
  int count = 0;
  for (int code = 0; code < 3000; ++code) count += !BuiltInErrorMessage(code).isEmpty();
  EXPECT_EQ(count, 29 + 7 + 11);  // 1000-1028, 1100-1106, 2000-2010; texts: ShippedLanguages
  EXPECT_EQ(BuiltInErrorMessage(1028), "Cannot set playback rate, use normal...");
  EXPECT_EQ(BuiltInErrorMessage(2010).left(20), "Since your TV freque");
  // 1050 is unknown: an empty line.
  ShowErrorCode(1101), ShowErrorCode(1024, 1025), ShowErrorCode(1103, 0), ShowErrorCode(1103, -4);
  ShowErrorCode(1050);
  const QString corrupt = "Main setting is corrupted, load default setting...";
  // clang-format off
  EXPECT_EQ(test::Dialogs().Warnings, std::vector<QStringList>({
      {"Disk will be full, terminate capture processing..."},
      {"Set audio format is failed, use default.", "Set video format is failed, use default."},
      {corrupt}, {corrupt}, {""}}));
  // clang-format on
  // A language file replaces a message.
  test::WriteFile(test::Home() + "Language/Lang.cfg", "X\n");
  test::WriteFile(test::Home() + "Language/X.lng",
                  "[language]=Deutsch\n1103=Haupteinstellungen defekt@ignored hint\n1104=\n");
  TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  MultiLangInfo = &lang;  // cleared by the test listener
  // The key has no sign; an empty translation keeps the built-in text.
  EXPECT_EQ(QStringList({GetErrorMessage(1103), GetErrorMessage(-1103), GetErrorMessage(1104),
                         GetErrorMessage(1000)}),
            QStringList({"Haupteinstellungen defekt", "Haupteinstellungen defekt",
                         BuiltInErrorMessage(1104), "Cannot Set capture device..."}));
}

TEST(ErrorMessages, SecondWarningWhileOneIsOpenIsDroppedAndCloseActsOnlyThen) {
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
  EXPECT_EQ(dialogs.Warnings, std::vector<QStringList>({{"Cannot init Direct show interface..."}}));
  EXPECT_FALSE(IsWarningOpen());
  ShowErrorCode(1002);  // once closed, the next one shows
  EXPECT_EQ(dialogs.Warnings.size(), 2u);
}

// The language files the program installs: every language carries the same keys as English,
// and English carries the built-in error texts.

TEST(ShippedLanguages, AtLeastThreeCompleteLanguagesWithTheErrorTexts) {
  TMultiLangInfo lang(test::SourceData() + "Language/Lang.cfg");
  EXPECT_TRUE(lang.Languages.first() == "English" && lang.Languages.contains("German") &&
              lang.Languages.contains("Chinese(simplified)"));

  const QStringList english = Keys(lang);
  ASSERT_GT(english.size(), 150);
  EXPECT_EQ(QSet<QString>(english.begin(), english.end()).size(), english.size())
      << "a key appears twice in English";
  for (const QString& name : lang.Languages) {
    lang.SetLanguage(name);
    const QStringList keys = Keys(lang);
    EXPECT_EQ(keys, english) << name.toStdString();
    for (const QString& key : keys)
      EXPECT_FALSE(lang.LookupCaption(key).isEmpty())
          << name.toStdString() << ": " << key.toStdString();
  }
  // English carries the built-in error texts, and the translations are not English.
  lang.SetLanguage("English");
  for (int code = 1000; code < 2100; ++code) {
    const QString builtIn = BuiltInErrorMessage(code);
    if (builtIn.isEmpty()) continue;
    EXPECT_EQ(lang.LookupCaption(QString::number(code)), builtIn) << code;
  }
  const QString englishText = lang.LookupCaption("1103");
  for (const char* name : {"German", "Chinese(simplified)", "Chinese"}) {
    lang.SetLanguage(name);
    EXPECT_NE(lang.LookupCaption("1103"), englishText) << name;
    EXPECT_NE(lang.LookupCaption("Warning"), "Warning") << name;
  }
}
