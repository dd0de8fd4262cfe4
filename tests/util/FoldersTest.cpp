#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/DirDialog.h"
#include "util/Folders.h"

using namespace pvx;
using namespace pvx::util;

TEST(EnsureFolder, ExistingOrOneNewLevelOffReadOnlyMedia) {
  EXPECT_TRUE(EnsureFolder(test::Home()));
  EXPECT_TRUE(EnsureFolder(test::Home() + "Recordings"));
  EXPECT_TRUE(QFileInfo(test::Home() + "Recordings").isDir());
  EXPECT_FALSE(EnsureFolder(test::Home() + "a/b"));  // one level only
  EXPECT_FALSE(QFileInfo(test::Home() + "a").exists());
  EXPECT_FALSE(EnsureFolder(QString()));
  test::System().ReadOnlyPrefixes << test::Home();  // refused even when the folder exists
  EXPECT_FALSE(EnsureFolder(test::Home()));
  EXPECT_FALSE(EnsureFolder(test::Home() + "new"));
  EXPECT_FALSE(QFileInfo(test::Home() + "new").exists());
}

TEST(DirDialog, ChoiceIsCleanedAndKeptAndBrowseFolderEndsItWithASlash) {
  auto& dialogs = test::Dialogs();
  dialogs.FolderAnswers = {"/" + QString(300, 'x'), "/srv/tv//clips", ""};
  TDirDialog dialog;
  dialog.Title = "Recording folder";
  EXPECT_FALSE(dialog.Execute());  // an overlong path is refused
  EXPECT_TRUE(dialog.Directory.isEmpty());
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
  EXPECT_EQ(dialogs.FolderTitles.value(0), "Recording folder");
  EXPECT_FALSE(dialog.Execute());  // cancelled: Directory stays
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
  dialogs.FolderAnswers = {"/", "/media/video", "/media/video/", ""};
  const QStringList expected = {"/", "/media/video/", "/media/video/", ""};  // the last cancelled
  for (const QString& folder : expected) EXPECT_EQ(BrowseFolder(nullptr), folder);
  EXPECT_EQ(dialogs.FolderTitles.size(), 7);
}
