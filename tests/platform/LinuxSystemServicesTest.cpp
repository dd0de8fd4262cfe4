#include "platform/LinuxSystemServices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextStream>

#include "platform/MediaFramework.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::LinuxSystemServices;

TEST(LinuxSystemServices, FoldersOfThisMachine) {
  LinuxSystemServices system;
  EXPECT_GT(system.FreeBytes(test::Home()), 0);
  // A folder not created yet is answered for the disk it would be on.
  EXPECT_GT(system.FreeBytes(test::Home() + "later/deeper"), 0);
  EXPECT_EQ(platform::NearestExistingFolder(test::Home() + "a/b/c") + "/", test::Home());
  EXPECT_FALSE(system.IsReadOnlyMedia(test::Home()));
  EXPECT_TRUE(system.DocumentsFolder().endsWith('/'));
  EXPECT_EQ(system.FallbackFolder(), QDir::homePath() + "/");
  EXPECT_EQ(system.WindowsVersionClass(), 2);
  EXPECT_EQ(system.ProgramVersion().major, 1);
}

TEST(LinuxSystemServices, ReadOnlyMountIsReported) {
  // Find a mount that is read-only on this machine (containers usually have some).
  QFile mounts("/proc/self/mounts");
  ASSERT_TRUE(mounts.open(QIODevice::ReadOnly | QIODevice::Text));
  QString readOnly;
  for (const QString& line : QTextStream(&mounts).readAll().split('\n')) {
    const QStringList f = line.split(' ');
    if (f.size() > 3 && f[3].split(',').contains("ro") && QDir(f[1]).exists()) {
      readOnly = f[1];
      break;
    }
  }
  if (readOnly.isEmpty()) GTEST_SKIP() << "no read-only mount on this machine";
  EXPECT_TRUE(LinuxSystemServices().IsReadOnlyMedia(readOnly)) << readOnly.toStdString();
}

TEST(LinuxSystemServices, MediaFrameworkHasEveryRequiredComponent) {
  QStringList missing{"stale"};
  EXPECT_EQ(LinuxSystemServices().MediaFrameworkLevel(&missing), 9) << missing.join(',').toStdString();
  EXPECT_TRUE(missing.isEmpty());
  EXPECT_EQ(platform::MissingMediaElements({"videotestsrc", "no-such-element-pvx"}),
            QStringList({"no-such-element-pvx"}));
}

TEST(LinuxSystemServices, StartProgramOnlyRunsCompanionsByPlainName) {
  LinuxSystemServices system;
  EXPECT_FALSE(system.StartProgram("/bin/true", {}));
  EXPECT_FALSE(system.StartProgram("../true", {}));
  EXPECT_FALSE(system.StartProgram("NoSuchCompanionPvx", {}));
}
