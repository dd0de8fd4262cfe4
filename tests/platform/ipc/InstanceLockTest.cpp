#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "IpcTestSupport.h"
#include "platform/ipc/TInstanceLock.h"

namespace pvx::platform::ipc {
namespace {

QString RuntimeFolder() { return qEnvironmentVariable("XDG_RUNTIME_DIR"); }

// Restores XDG_RUNTIME_DIR when the test ends, whatever it did to it.
class RuntimeFolderGuard {
 public:
  RuntimeFolderGuard() : saved_(qgetenv("XDG_RUNTIME_DIR")) {}
  ~RuntimeFolderGuard() { qputenv("XDG_RUNTIME_DIR", saved_); }

 private:
  QByteArray saved_;
};

TEST(InstanceLock, DefaultPathInTheRuntimeFolderElseTmp) {
  EXPECT_EQ(TInstanceLock::DefaultPath(), RuntimeFolder() + "/OKA_TV_MUTEX.lock");
  EXPECT_EQ(TInstanceLock().Path(), TInstanceLock::DefaultPath());
  RuntimeFolderGuard guard;
  const QString expected = QStringLiteral("/tmp/OKA_TV_MUTEX-%1.lock").arg(::getuid());
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(TInstanceLock::DefaultPath(), expected);
  qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
  EXPECT_EQ(TInstanceLock::DefaultPath(), expected);
}

TEST(InstanceLock, OneHolderAtATimeInAPrivateFile) {
  auto first = std::make_unique<TInstanceLock>();
  ASSERT_TRUE(first->Acquire());
  EXPECT_TRUE(first->Acquire());  // again: still held
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(first->Path()).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  TInstanceLock second;
  EXPECT_FALSE(second.Acquire());
  EXPECT_FALSE(second.IsHeld());
  first->Release();
  EXPECT_FALSE(first->IsHeld());
  EXPECT_TRUE(second.Acquire());
  second.Release();
  first->Acquire();
  first.reset();  // the lock goes with its owner
  EXPECT_TRUE(second.Acquire());
}

TEST(InstanceLock, RefusesASymbolicLinkAndAnUnwritablePlace) {
  const QString target = RuntimeFolder() + "/elsewhere";
  const QString path = RuntimeFolder() + "/link.lock";
  ASSERT_TRUE(QFile::link(target, path));
  EXPECT_FALSE(TInstanceLock(path).Acquire());
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_FALSE(TInstanceLock("/nonexistent/folder/OKA_TV_MUTEX.lock").Acquire());
}

TEST(InstanceLock, AnotherProcessHoldingItKeepsUsOutUntilItEndsOrDies) {
  for (const bool killed : {false, true}) {
    QProcess child;
    ASSERT_EQ(test::StartHelper(child, {"lock", TInstanceLock::DefaultPath()}), "held");
    TInstanceLock lock;
    EXPECT_FALSE(lock.Acquire());
    if (killed) {
      child.kill();
      ASSERT_TRUE(child.waitForFinished(5000));
    } else {
      EXPECT_EQ(test::StopHelper(child), 0);
    }
    EXPECT_TRUE(lock.Acquire()) << "killed " << killed;
  }
}

TEST(InstanceLock, AnotherProcessCannotTakeItWhileWeHoldIt) {
  TInstanceLock lock;
  ASSERT_TRUE(lock.Acquire());
  QProcess child;
  EXPECT_EQ(test::StartHelper(child, {"lock", lock.Path()}), "busy");
  ASSERT_TRUE(child.waitForFinished(5000));
  EXPECT_EQ(child.exitCode(), 3);
}

}  // namespace
}  // namespace pvx::platform::ipc
