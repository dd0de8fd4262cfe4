#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/TestEnvironment.h"

using namespace pvx;

TEST(ProgramFolder, IsOkaPvxHomeElseXdgConfigCreated) {
  EXPECT_EQ(platform::ProgramFolder(), test::Home());
  QTemporaryDir config;
  const QByteArray savedHome = qgetenv("OKA_PVX_HOME");
  qunsetenv("OKA_PVX_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  const QString folder = platform::ProgramFolder();
  qputenv("OKA_PVX_HOME", savedHome);
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(folder, config.path() + "/oka-pvx/");
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(DataFile, ProgramFolderOverridesInstalledData) {
  const QString installed = platform::DataFile("Language/Lang.cfg");
  EXPECT_EQ(installed, test::SourceData() + "Language/Lang.cfg");
  test::WriteFile(test::Home() + "Language/Lang.cfg", "Mine\n");
  EXPECT_EQ(platform::DataFile("Language/Lang.cfg"), test::Home() + "Language/Lang.cfg");
  EXPECT_TRUE(platform::DataFile("no-such-file.dat").isEmpty());
  EXPECT_EQ(platform::DataFolders().first(), test::Home());
}
