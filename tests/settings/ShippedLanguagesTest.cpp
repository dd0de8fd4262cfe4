// The language files the program installs: every language carries the same keys as English,
// and English carries the built-in error texts.

#include <gtest/gtest.h>

#include <QSet>

#include "settings/ErrorMessages.h"
#include "settings/MultiLangInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::TMultiLangInfo;

namespace {

QStringList Keys(const TMultiLangInfo& lang) {
  QStringList keys;
  for (const QString& line : lang.ActiveEntries) keys << line.section('=', 0, 0);
  return keys;
}

}  // namespace

TEST(ShippedLanguages, AtLeastThreeCompleteLanguagesWithTheErrorTexts) {
  TMultiLangInfo lang(test::SourceData() + "Language/Lang.cfg");
  ASSERT_GE(lang.Languages.size(), 3);
  EXPECT_EQ(lang.Languages.first(), "English");
  EXPECT_TRUE(lang.Languages.contains("German"));
  EXPECT_TRUE(lang.Languages.contains("Chinese(simplified)"));

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
    const QString builtIn = settings::BuiltInErrorMessage(code);
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
