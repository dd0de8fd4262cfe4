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
                  "Orphan=dropped, before any language\n[language]=English\n# a comment\n\n"
                  "   Setup=Setup@Open the settings   \nCancel=Cancel\nCancelAll=Cancel all\n"
                  "Empty=\nHint=@only a hint\n[language]=Chinese\nSetup=設定@開啟設定\n");
  test::WriteFile(folder + "Second.lng",
                  "Cancel=取消\n[language]=German\nSetup=Einstellungen@Einstellungen öffnen\n"
                  "Cancel=Abbrechen\n");
  return folder + "Lang.cfg";
}

}  // namespace

TEST(MultiLangInfo, LoadsLanguagesFromAllFilesInListOrderAndLooksUpWholeKeys) {
  TMultiLangInfo lang(WriteLanguages());
  EXPECT_EQ(lang.Languages, QStringList({"English", "Chinese", "German"}));
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
      {"German", {2, 1, 8}, "German"}, {"Klingon", {-1, 1, 8}, ""}};
  // clang-format on
  for (const auto& [name, values, stored] : rows) {
    lang.SetLanguage(name);
    EXPECT_EQ(QList<int>({lang.LanguageIndex, lang.FontCharset, lang.FontSize}), values) << name;
    EXPECT_EQ(lang.LanguageName, stored) << name;
    if (values[0] == 1) EXPECT_EQ(lang.LookupCaption("Setup"), QString::fromUtf8("設定"));
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
  TMultiLangInfo none(test::Home() + "Language/Missing.cfg");  // a missing list loads nothing
  none.SetLanguage("English");
  EXPECT_TRUE(none.Languages.isEmpty() && none.LanguageIndex == -1 && !none.Lookup("OK", nullptr));
}
