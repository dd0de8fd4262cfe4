#include "platform/ipc/TInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/ipc/Messages.h"

namespace pvx::platform::ipc {

QString TInstanceLock::DefaultPath() {
  const QString name = QString::fromLatin1(kInstanceName);
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
    return runtime + (runtime.endsWith('/') ? "" : "/") + name + QStringLiteral(".lock");
  return QStringLiteral("/tmp/%1-%2.lock").arg(name).arg(::getuid());
}

TInstanceLock::TInstanceLock() : TInstanceLock(DefaultPath()) {}

TInstanceLock::TInstanceLock(QString path) : path_(std::move(path)) {}

TInstanceLock::~TInstanceLock() { Release(); }

bool TInstanceLock::Acquire() {
  if (fd_ >= 0) return true;
  // No following links: in /tmp another user could plant one pointing at our files.
  const int fd = ::open(QFile::encodeName(path_).constData(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid() ||
      ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void TInstanceLock::Release() {
  if (fd_ < 0) return;
  // Closing drops the lock; the file stays so that a racing starter never locks a removed inode.
  ::close(fd_);
  fd_ = -1;
}

}  // namespace pvx::platform::ipc
