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

TEST(BrowseFolder, AppendsSlashExceptToTheRoot) {
  auto& dialogs = test::Dialogs();
  dialogs.FolderAnswers = {"/", "/media/video", "/media/video/", ""};
  EXPECT_EQ(BrowseFolder(nullptr), "/");
  EXPECT_EQ(BrowseFolder(nullptr), "/media/video/");
  EXPECT_EQ(BrowseFolder(nullptr), "/media/video/");
  EXPECT_EQ(BrowseFolder(nullptr), "");  // cancelled
  EXPECT_EQ(dialogs.FolderTitles.size(), 4);
}

TEST(DirDialog, ExecuteShowsTitleAndStoresChoice) {
  test::Dialogs().FolderAnswers = {"/" + QString(300, 'x'), "/srv/tv//clips"};
  TDirDialog dialog;
  dialog.Title = "Recording folder";
  EXPECT_FALSE(dialog.Execute());  // an overlong path is refused
  EXPECT_TRUE(dialog.Directory.isEmpty());
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
  EXPECT_EQ(test::Dialogs().FolderTitles.value(0), "Recording folder");
  EXPECT_FALSE(dialog.Execute());  // cancelled: Directory stays
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
}

TEST(Folders, DocumentsAndFallbackComeFromTheSystem) {
  EXPECT_EQ(DocumentsFolder(), "/nonexistent/Documents/");
  EXPECT_EQ(FallbackFolder(), "/nonexistent/home/");
}
