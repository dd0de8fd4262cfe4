#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>

#include "IpcTestSupport.h"
#include "platform/ipc/TInstanceLock.h"

namespace pvx::platform::ipc {
namespace {

QString RuntimeFolder() { return qEnvironmentVariable("XDG_RUNTIME_DIR"); }

TEST(InstanceLock, DefaultPathInTheRuntimeFolderElseTmp) {
  EXPECT_EQ(TInstanceLock().Path(), RuntimeFolder() + "/OKA_TV_MUTEX.lock");
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  const QString expected = QStringLiteral("/tmp/OKA_TV_MUTEX-%1.lock").arg(::getuid());
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(TInstanceLock::DefaultPath(), expected);
  qputenv("XDG_RUNTIME_DIR", "/nonexistent/runtime");
  EXPECT_EQ(TInstanceLock::DefaultPath(), expected);
  qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(InstanceLock, OneHolderAtATimeInAPrivateFile) {
  auto first = std::make_unique<TInstanceLock>();
  ASSERT_TRUE(first->Acquire());
  EXPECT_TRUE(first->Acquire());  // again: still held
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(first->Path()).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  QProcess child;  // another process cannot take it either
  EXPECT_EQ(test::StartHelper(child, {"lock", first->Path()}), "busy");
  EXPECT_EQ(test::StopHelper(child), 3);
  TInstanceLock second;
  EXPECT_FALSE(second.Acquire() || second.IsHeld());
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
  ASSERT_TRUE(QFile::link(target, RuntimeFolder() + "/link.lock"));
  EXPECT_FALSE(TInstanceLock(RuntimeFolder() + "/link.lock").Acquire());
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_FALSE(TInstanceLock("/nonexistent/folder/OKA_TV_MUTEX.lock").Acquire());
}

TEST(InstanceLock, AnotherProcessHoldingItKeepsUsOutUntilItEndsOrDies) {
  for (const bool killed : {false, true}) {
    QProcess child;
    ASSERT_EQ(test::StartHelper(child, {"lock", TInstanceLock::DefaultPath()}), "held");
    TInstanceLock lock;
    EXPECT_FALSE(lock.Acquire());
    if (killed) child.kill();
    EXPECT_EQ(test::StopHelper(child), killed ? 9 : 0);
    EXPECT_TRUE(lock.Acquire()) << "killed " << killed;
  }
}

}  // namespace
}  // namespace pvx::platform::ipc
