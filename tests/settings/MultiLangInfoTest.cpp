#include "settings/MultiLangInfo.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

using namespace pvx;
using settings::TMultiLangInfo;

namespace {

// Two files: the first holds two languages, the second starts with entries that belong to
// the last language of the first file, then a third language.
QString WriteLanguages() {
  const QString folder = test::Home() + "Language/";
  test::WriteFile(folder + "Lang.cfg", "First\nMissing\nSecond\n");
  test::WriteFile(folder + "First.lng",
                  "Orphan=dropped, before any language\n"
                  "[language]=English\n"
                  "# a comment\n"
                  "\n"
                  "   Setup=Setup@Open the settings   \n"
                  "Cancel=Cancel\n"
                  "CancelAll=Cancel all\n"
                  "Empty=\n"
                  "Hint=@only a hint\n"
                  "[language]=Chinese\n"
                  "Setup=設定@開啟設定\n");
  test::WriteFile(folder + "Second.lng",
                  "Cancel=取消\n"
                  "[language]=German\n"
                  "Setup=Einstellungen@Einstellungen öffnen\n"
                  "Cancel=Abbrechen\n");
  return folder + "Lang.cfg";
}

}  // namespace

TEST(MultiLangInfo, LoadsLanguagesFromAllFilesInListOrder) {
  TMultiLangInfo lang(WriteLanguages());
  EXPECT_EQ(lang.Languages, QStringList({"English", "Chinese", "German"}));
  EXPECT_EQ(lang.LanguageIndex, 0);
  EXPECT_EQ(lang.LanguageName, "English");
  EXPECT_EQ(lang.FontCharset, 1);
  EXPECT_EQ(lang.FontSize, 8);
  EXPECT_FALSE(lang.AllEntries.join('\n').contains("Orphan"));
  // Entries at the top of a later file belong to the language started last.
  EXPECT_TRUE(lang.AllEntries.contains(QString::fromUtf8("1^Cancel=取消")));
  EXPECT_TRUE(lang.AllEntries.contains("2^Cancel=Abbrechen"));
}

TEST(MultiLangInfo, LookupSplitsCaptionAndHint) {
  TMultiLangInfo lang(WriteLanguages());
  QString caption, hint;
  ASSERT_TRUE(lang.Lookup("Setup", &caption, &hint));
  EXPECT_EQ(caption, "Setup");
  EXPECT_EQ(hint, "Open the settings");
  ASSERT_TRUE(lang.Lookup("Cancel", &caption, &hint));
  EXPECT_EQ(caption, "Cancel");
  EXPECT_EQ(hint, "");
}

TEST(MultiLangInfo, KeyMatchesExactlyUpToTheEqualsSign) {
  TMultiLangInfo lang(WriteLanguages());
  EXPECT_EQ(lang.LookupCaption("Cancel"), "Cancel");  // not "Cancel all"
  EXPECT_EQ(lang.LookupCaption("CancelAll"), "Cancel all");
  EXPECT_FALSE(lang.Lookup("Cance", nullptr));
  EXPECT_FALSE(lang.Lookup("Nothing", nullptr));
}

TEST(MultiLangInfo, EmptyCaptionCountsAsNotFound) {
  TMultiLangInfo lang(WriteLanguages());
  QString caption = "stale", hint = "stale";
  EXPECT_FALSE(lang.Lookup("Empty", &caption, &hint));
  EXPECT_EQ(caption, "");
  EXPECT_FALSE(lang.Lookup("Hint", &caption, &hint));
  EXPECT_EQ(hint, "only a hint");
}

TEST(MultiLangInfo, SetLanguageIgnoresCaseButFontRuleDoesNot) {
  TMultiLangInfo lang(WriteLanguages());
  lang.SetLanguage("chinese");
  EXPECT_EQ(lang.LanguageIndex, 1);
  EXPECT_EQ(lang.LanguageName, "chinese");  // the name as passed
  EXPECT_EQ(lang.FontCharset, 1);
  EXPECT_EQ(lang.FontSize, 8);
  EXPECT_EQ(lang.LookupCaption("Setup"), QString::fromUtf8("設定"));

  lang.SetLanguage("Chinese");
  EXPECT_EQ(lang.FontCharset, 136);
  EXPECT_EQ(lang.FontSize, 9);
  lang.SetLanguage("German");
  EXPECT_EQ(lang.FontCharset, 1);
  EXPECT_EQ(lang.FontSize, 8);
  EXPECT_EQ(lang.LookupCaption("Cancel"), "Abbrechen");
}

TEST(MultiLangInfo, UnknownLanguageClearsNameButKeepsEntries) {
  TMultiLangInfo lang(WriteLanguages());
  lang.SetLanguage("German");
  lang.SetLanguage("Klingon");
  EXPECT_EQ(lang.LanguageIndex, -1);
  EXPECT_EQ(lang.LanguageName, "");
  EXPECT_EQ(lang.LookupCaption("Cancel"), "Abbrechen");
}

TEST(MultiLangInfo, MissingListLoadsNothing) {
  TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  EXPECT_TRUE(lang.Languages.isEmpty());
  EXPECT_EQ(lang.LanguageIndex, -1);
  lang.SetLanguage("English");  // nothing to choose from: no change
  EXPECT_EQ(lang.LanguageIndex, -1);
  EXPECT_FALSE(lang.Lookup("OK", nullptr));
}

TEST(MultiLangInfo, ChineseSimplifiedFontValues) {
  test::WriteFile(test::Home() + "L/Lang.cfg", "Z\n");
  test::WriteFile(test::Home() + "L/Z.lng",
                  "[language]=Chinese(simplified)\n[language]=Japanese\n[language]=Korean\n");
  TMultiLangInfo lang(test::Home() + "L/Lang.cfg");
  const std::tuple<const char*, int, int> rows[] = {
      {"Chinese(simplified)", 134, 9}, {"Japanese", 128, 8}, {"Korean", 129, 8}};
  for (const auto& [name, charset, size] : rows) {
    lang.SetLanguage(name);
    EXPECT_EQ(lang.FontCharset, charset) << name;
    EXPECT_EQ(lang.FontSize, size) << name;
  }
}
