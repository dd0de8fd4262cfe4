#include <gtest/gtest.h>

#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/MultiLangInfo.h"
#include "support/FakeDialogService.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::settings;

TEST(ErrorMessages, TableIsCompleteAndEachCodeShowsItsLinesInOneWarning) {
  int count = 0;
  for (int code = 0; code < 3000; ++code) count += !BuiltInErrorMessage(code).isEmpty();
  EXPECT_EQ(count, 29 + 7 + 11);  // 1000-1028, 1100-1106, 2000-2010; texts: ShippedLanguages
  EXPECT_EQ(BuiltInErrorMessage(1028), "Cannot set playback rate, use normal...");
  EXPECT_EQ(BuiltInErrorMessage(2010).left(20), "Since your TV freque");
  ShowErrorCode(1101);
  ShowErrorCode(1024, 1025);
  ShowErrorCode(1103, 0);
  ShowErrorCode(1103, -4);
  ShowErrorCode(1050);  // unknown: an empty line
  const QString corrupt = "Main setting is corrupted, load default setting...";
  EXPECT_EQ(test::Dialogs().Warnings,
            std::vector<QStringList>({{"Disk will be full, terminate capture processing..."},
                                      {"Set audio format is failed, use default.",
                                       "Set video format is failed, use default."},
                                      {corrupt},
                                      {corrupt},
                                      {""}}));
}

TEST(ErrorMessages, LanguageFileReplacesAMessage) {
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
  EXPECT_TRUE(openDuring);
  EXPECT_EQ(dialogs.CloseWarningCalls, 1);
  EXPECT_EQ(dialogs.Warnings, std::vector<QStringList>({{"Cannot init Direct show interface..."}}));
  EXPECT_FALSE(IsWarningOpen());
  ShowErrorCode(1002);  // once closed, the next one shows
  EXPECT_EQ(dialogs.Warnings.size(), 2u);
}
