#include <gtest/gtest.h>

#include "settings/MultiLangInfo.h"
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
  EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}),
            QList<int>({0, 1, 8}));
  EXPECT_EQ(lang.LanguageName, "English");
  EXPECT_FALSE(lang.AllEntries.join('\n').contains("Orphan"));
  // Entries at the top of a later file belong to the language started last.
  EXPECT_TRUE(lang.AllEntries.contains(QString::fromUtf8("1^Cancel=取消")));
  EXPECT_TRUE(lang.AllEntries.contains("2^Cancel=Abbrechen"));
}

TEST(MultiLangInfo, LookupMatchesTheWholeKeyAndSplitsCaptionAndHint) {
  TMultiLangInfo lang(WriteLanguages());
  const struct {
    const char* key;
    bool found;
    const char *caption, *hint;
  } rows[] = {
      {"Setup", true, "Setup", "Open the settings"},
      {"Cancel", true, "Cancel", ""},  // not "Cancel all"
      {"CancelAll", true, "Cancel all", ""},
      {"Cance", false, nullptr, nullptr},
      {"Nothing", false, nullptr, nullptr},
      {"Empty", false, "", ""},  // an empty caption counts as not found
      {"Hint", false, "", "only a hint"},
  };
  for (const auto& row : rows) {
    QString caption = "stale", hint = "stale";
    EXPECT_EQ(lang.Lookup(row.key, &caption, &hint), row.found) << row.key;
    if (!row.caption) continue;
    EXPECT_EQ(caption, row.caption) << row.key;
    EXPECT_EQ(hint, row.hint) << row.key;
  }
}

TEST(MultiLangInfo, SetLanguageIgnoresCaseButFontRuleDoesNot) {
  TMultiLangInfo lang(WriteLanguages());
  const struct {
    const char* name;
    int index, charset, size;
    const char* stored;
  } rows[] = {
      {"chinese", 1, 1, 8, "chinese"},  // the name as passed; the font rule wants the exact name
      {"Chinese", 1, 136, 9, "Chinese"},
      {"German", 2, 1, 8, "German"},
      {"Klingon", -1, 1, 8, ""},  // unknown: no language, the last entries stay
  };
  for (const auto& row : rows) {
    lang.SetLanguage(row.name);
    EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}),
              QList<int>({row.index, row.charset, row.size}))
        << row.name;
    EXPECT_EQ(lang.LanguageName, row.stored) << row.name;
    if (row.index == 1) EXPECT_EQ(lang.LookupCaption("Setup"), QString::fromUtf8("設定"));
  }
  EXPECT_EQ(lang.LookupCaption("Cancel"), "Abbrechen");

  test::WriteFile(test::Home() + "L/Lang.cfg", "Z\n");
  test::WriteFile(test::Home() + "L/Z.lng",
                  "[language]=Chinese(simplified)\n[language]=Japanese\n[language]=Korean\n");
  TMultiLangInfo asian(test::Home() + "L/Lang.cfg");
  for (const auto& [name, charset, size] :
       {std::tuple{"Chinese(simplified)", 134, 9}, {"Japanese", 128, 8}, {"Korean", 129, 8}}) {
    asian.SetLanguage(name);
    EXPECT_EQ(QList<int>({asian.FontCharset, asian.FontSize}), QList<int>({charset, size})) << name;
  }
}

TEST(MultiLangInfo, MissingListLoadsNothing) {
  TMultiLangInfo lang(test::Home() + "Language/Lang.cfg");
  EXPECT_TRUE(lang.Languages.isEmpty());
  lang.SetLanguage("English");  // nothing to choose from: no change
  EXPECT_EQ(lang.LanguageIndex, -1);
  EXPECT_FALSE(lang.Lookup("OK", nullptr));
}
