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
  const QString home = test::Home();  // one level only
  EXPECT_EQ(QList<bool>({EnsureFolder(home), EnsureFolder(home + "Recordings"),
                         QFileInfo(home + "Recordings").isDir(), EnsureFolder(home + "a/b"),
                         QFileInfo::exists(home + "a"), EnsureFolder(QString())}),
            QList<bool>({true, true, true, false, false, false}));
  test::System().ReadOnlyPrefixes << home;  // refused even when the folder exists
  EXPECT_EQ(QList<bool>(
                {EnsureFolder(home), EnsureFolder(home + "new"), QFileInfo::exists(home + "new")}),
            QList<bool>({false, false, false}));
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
