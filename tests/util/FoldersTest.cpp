#include <gtest/gtest.h>

#include <QFileInfo>

#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "util/DirDialog.h"
#include "util/Folders.h"

using namespace pvx;
using namespace pvx::util;

TEST(Folders, EnsureFolderMakesOneNewLevelOffReadOnlyMediaAndDialogsCleanTheChoice) {
  const QString home = test::Home();  // one level only
  EXPECT_EQ(QList<bool>({EnsureFolder(home), EnsureFolder(home + "Recordings"),
                         QFileInfo(home + "Recordings").isDir(), EnsureFolder(home + "a/b"),
                         QFileInfo::exists(home + "a"), EnsureFolder(QString())}),
            QList<bool>({true, true, true, false, false, false}));
  test::System().ReadOnlyPrefixes << home;  // refused even when the folder exists
  EXPECT_FALSE(EnsureFolder(home));
  // The folder dialog's choice is cleaned and kept, and browsing ends it with a slash.
  test::Dialogs().FolderAnswers = {"/" + QString(260, 'x'), "/" + QString(259, 'x'),
                                   "/srv/tv//clips", ""};
  TDirDialog dialog;
  dialog.Title = "Recording folder";
  const auto run = [&] { return QString::number(dialog.Execute()) + " " + dialog.Directory; };
  // A path over 260 bytes is refused; a cancel keeps the folder.
  EXPECT_EQ(QStringList({run(), run(), run(), run()}),
            QStringList({"0 ", "1 /" + QString(259, 'x'), "1 /srv/tv/clips", "0 /srv/tv/clips"}));
  // The root and a one-letter relative name take no slash; the last answer is a cancel.
  test::Dialogs().FolderAnswers = {"/", "x", "/media/video", "/media/video/", ""};
  EXPECT_EQ(QStringList({BrowseFolder(nullptr), BrowseFolder(nullptr), BrowseFolder(nullptr),
                         BrowseFolder(nullptr), BrowseFolder(nullptr)}),
            QStringList({"/", "x", "/media/video/", "/media/video/", ""}));
  const QStringList titles = test::Dialogs().FolderTitles;
  EXPECT_EQ(titles.value(0) + " " + QString::number(titles.size()), "Recording folder 9");
}
