// The settings models: the main object, the country, typed channel numbers, the languages and
// the warnings.

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>
#include <cstdlib>

#include "platform/Clock.h"
#include "settings/CountryInfo.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/HotkeyControlInfo.h"
#include "settings/MainInfo.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/ModelEdits.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(MainInfo, SetPrefsMendsValuesResetKeepsModeSwitchesAndChipNamesAndOnlyConexantAndEmpiaAreNotStandard) {
  TMainInfo info;
  info.SetMode(amFMRadio), info.SetFMEnabled(false), info.SetTimeShiftEnabled(false);
  info.SetChip({.Maker = "Conexant", .Family = 2});
  info.SetPlayGivenFile(true), info.SetGivenFile("/x/a.mpg");
  // An empty base name reads "capture", levels outside 0..100 the device's own, a negative sleep 0.
  test::EditPrefs(info, [](TMainPreferences& p) {
    p.AlwaysOnTop = p.PIPEnabled = p.StartInFM = true;
    p.SleepMinutes = -5, p.MPEG4Codec = 0, p.CaptureFolder = "/x/", p.ColorLevels = {0, 100, 101, -1, -2};
    p.SecondBaseName = "";
  });
  const TMainPreferences& prefs = info.Prefs();
  EXPECT_EQ(QList<int>(prefs.ColorLevels.begin(), prefs.ColorLevels.end()) << prefs.SleepMinutes,
            QList<int>({0, 100, -1, -1, -1, 0}));
  EXPECT_EQ(prefs.SecondBaseName, "capture");
  // Reset: every preference as a new object's (the default file's bytes show those values).
  info.ResetPreferences();
  EXPECT_TRUE(prefs == TMainInfo().Prefs());
  EXPECT_EQ(QList<int>({info.Mode(), info.FMEnabled(), info.TimeShiftEnabled(), info.Chip().Family,
                        info.PlayGivenFile()}),
            QList<int>({amFMRadio, false, false, 0, false}));
  EXPECT_EQ(info.Chip().Maker + info.GivenFilePath(), "Conexant");
  QList<bool> standard;
  for (quint8 family = 0; family < 6; ++family)
    info.SetChip({.Family = quint8(family)}), standard << info.IsStandardTuner();
  EXPECT_EQ(standard, QList<bool>({true, true, false, false, false, true}));
}

TEST(MainInfo, ModeChangesOnlyWhenLeavingAndEnteringAgreeAndIsAnnounced) {
  TMainInfo info;
  QStringList heard;
  info.LeaveMode = [&](TAppMode from, TAppMode to) { return heard << "leave", from != to; };
  info.EnterMode = [&](TAppMode, TAppMode to) { return heard << "enter", to != amFMRadio; };
  info.OnModeChange = [&](TMainInfo&, TAppMode mode) { heard << QString::number(mode); };
  EXPECT_EQ(QList<bool>({info.SetMode(amTV), info.SetMode(amTV), info.SetMode(amFMRadio)}),
            QList<bool>({true, true, false}));
  info.LeaveMode = [&](TAppMode, TAppMode) { return false; };
  EXPECT_FALSE(info.SetMode(amTimeShiftPlayback));
  EXPECT_EQ(info.Mode(), amTV);
  EXPECT_EQ(heard, QStringList({"leave", "enter", QString::number(amTV), "leave", "enter"}));
}

// The code table's data is the program's own; these are its first and last codes and codes in none.
TEST(CountryInfo, DefaultLanguageByCountryCodeAndTheCountryFromTheLocale) {
  for (const auto& [code, language] : {std::pair{20, "Arabic"}, {994, "Azeri"}, {86, "Chinese(simplified)"},
                                       {1, "English"}, {0, "English"}, {-1, "English"}})
    EXPECT_EQ(TCountryInfo::DefaultLanguageFor(code), language) << code;
  test::System().CountryCode = 886;
  const TCountryInfo info;
  EXPECT_EQ(QString::number(info.CountryCode) + info.DefaultLanguage, "886Chinese");
}

TEST(HotkeyControlInfo, TypedEntriesShowTheirTextAndCommitOnceAfterTheDelayOrAtEnter) {
  // A leading zero is dropped; "." after a digit is ignored; "0" alone commits nothing; the fifth
  // key abandons the entry, silently, prefix and all; Enter commits at once, and only once, and
  // on an empty entry selects channel 0 without a commit. Every key restarts the delay: "|"
  // marks a moment in the events, "@N " lets N milliseconds pass.
  // clang-format off
  const std::pair<const char*, const char*> rows[] = {
      {".5", "text:1 text:15 commit:15=105 select:105"}, {".", "text:1 commit:1=100 select:100"},
      {".23", "text:1 text:12 text:123 commit:123=123 select:123"},
      {".0", "text:1 text:10 commit:10=100 select:100"}, {"10", "text:1 text:10 commit:10=10 select:10"},
      {"01", "text: text:1 commit:1=1 select:1"}, {"9.", "text:9 text:9 commit:9=9 select:9"},
      {"1234", "text:1 text:12 text:123 text:1234 commit:1234=1234 select:1234"}, {"0", "text:"},
      {"12345", "text:1 text:12 text:123 text:1234"},
      {".2345@3000 7", "text:1 text:12 text:123 text:1234 text:7 commit:7=7 select:7"},
      {".7\r@5000 ", "text:1 text:17 commit:17=107 select:107"}, {"\r", "select:0"},
      {"4@600 x.@999 |@1 |@5000 ", "text:4 text:4 text:4 | commit:4=4 select:4 |"},
      // Escape abandons the entry, prefix and all, and says so once; alone it says nothing.
      {"12\x1b@5000 ", "text:1 text:12 text:"}, {".\x1b", "text:1 text:"}, {"\x1b", ""}};
  // clang-format on
  for (const auto& [keys, events] : rows) {
    SCOPED_TRACE(keys);
    THotkeyControlInfo info;
    QStringList heard;
    info.OnTextChange = [&](THotkeyControlInfo&, const QString& text) { heard << "text:" + text; };
    info.OnCommit = [&](THotkeyControlInfo&, const QString& text, int value) {
      heard << QStringLiteral("commit:%1=%2").arg(text).arg(value);
    };
    info.SelectChannel = [&](int channel) { heard << QString("select:%1").arg(channel); };
    for (const char* k = keys; *k; ++k) {
      char* end = nullptr;
      if (*k == '@')
        test::Clock().Advance(std::strtol(k + 1, &end, 10)), k = end;
      else if (*k == '|')
        heard << "|";
      else
        info.Key(QChar::fromLatin1(*k));
    }
    test::Clock().Advance(1000);
    EXPECT_EQ(heard.join(' '), events);
    EXPECT_TRUE(info.TypedText.isEmpty());
    EXPECT_FALSE(info.HundredPrefix || info.CommitTimer.Enabled());
  }
  // The value of a text, with and without the hundred prefix, which is used up.
  THotkeyControlInfo info;
  info.HundredPrefix = true;
  EXPECT_EQ(QList<int>({info.ValueOf(".5"), info.ValueOf("15"), info.ValueOf("15")}),
            QList<int>({0, 105, 15}));
  info.HundredPrefix = true;
  EXPECT_EQ(QList<int>({info.ValueOf(""), info.ValueOf("5")}), QList<int>({0, 100}));
}

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
  CloseWarning();  // none open: the dialog service is not asked
  EXPECT_EQ(dialogs.CloseWarningCalls, 0);
  bool openDuring = false;
  dialogs.WhileWarningOpen = [&] {
    openDuring = IsWarningOpen();
    ShowErrorCode(1002);  // a timer firing during the modal warning
    ShowErrorText("also dropped");
    CloseWarning();
  };
  ShowErrorCode(1001);
  EXPECT_TRUE(openDuring && dialogs.CloseWarningCalls == 1 && !IsWarningOpen());
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
  const auto keys = [&] {  // the keys with a caption
    QStringList out;
    for (const QString& line : lang.ActiveEntries)
      if (!lang.LookupCaption(line.section('=', 0, 0)).isEmpty()) out << line.section('=', 0, 0);
    return out;
  };
  const QStringList english = keys();
  ASSERT_GT(english.size(), 150);
  EXPECT_EQ(QSet<QString>(english.begin(), english.end()).size(), english.size())
      << "a key appears twice in English";
  const QString englishText = lang.LookupCaption("1103");
  for (int code = 1000; code < 2100; ++code)
    EXPECT_TRUE(BuiltInErrorMessage(code).isEmpty() ||
                lang.LookupCaption(QString::number(code)) == BuiltInErrorMessage(code)) << code;
  for (const QString& name : lang.Languages) {
    lang.SetLanguage(name);
    EXPECT_EQ(keys(), english) << name.toStdString();  // each with a caption
    // The translations are not English.
    EXPECT_TRUE(name == "English" ||
                (lang.LookupCaption("1103") != englishText && lang.LookupCaption("Warning") != "Warning"))
        << name.toStdString();
  }
}
