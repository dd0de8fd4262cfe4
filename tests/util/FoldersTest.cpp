#include "util/Folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/DirDialog.h"

using namespace pvx;
using namespace pvx::util;

TEST(EnsureFolder, ExistingFolderIsUsable) {
  EXPECT_TRUE(EnsureFolder(test::Home()));
}

TEST(EnsureFolder, CreatesOneLevelOnly) {
  const QString one = test::Home() + "Recordings";
  EXPECT_TRUE(EnsureFolder(one));
  EXPECT_TRUE(QFileInfo(one).isDir());
  const QString two = test::Home() + "a/b";
  EXPECT_FALSE(EnsureFolder(two));
  EXPECT_FALSE(QFileInfo(two).exists());
}

TEST(EnsureFolder, ReadOnlyMediaIsRefusedEvenWhenTheFolderExists) {
  test::System().ReadOnlyPrefixes << test::Home();
  EXPECT_FALSE(EnsureFolder(test::Home()));
  EXPECT_FALSE(EnsureFolder(test::Home() + "new"));
  EXPECT_FALSE(QFileInfo(test::Home() + "new").exists());
}

TEST(EnsureFolder, EmptyPathIsNotAFolder) { EXPECT_FALSE(EnsureFolder(QString())); }

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
  test::Dialogs().FolderAnswers = {"/srv/tv//clips"};
  TDirDialog dialog;
  dialog.Title = "Recording folder";
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
  EXPECT_EQ(test::Dialogs().FolderTitles.value(0), "Recording folder");
  EXPECT_FALSE(dialog.Execute());  // cancelled: Directory stays
  EXPECT_EQ(dialog.Directory, "/srv/tv/clips");
}

TEST(DirDialog, RefusesOverlongPaths) {
  test::Dialogs().FolderAnswers = {"/" + QString(300, 'x')};
  TDirDialog dialog;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_TRUE(dialog.Directory.isEmpty());
}

TEST(Folders, DocumentsAndFallbackComeFromTheSystem) {
  EXPECT_EQ(DocumentsFolder(), "/nonexistent/Documents/");
  EXPECT_EQ(FallbackFolder(), "/nonexistent/home/");
}
