#pragma once
// The single-instance guard: an exclusive flock on a per-user lock file, held for the life of
// the object. The kernel drops it when the process dies, so a crash never leaves it stale.

#include <QString>

namespace pvx::platform::ipc {

class TInstanceLock {
 public:
  TInstanceLock();  // DefaultPath()
  explicit TInstanceLock(QString path);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;

  // True when this object holds the lock (now or already); false when another holder has it or
  // the file cannot be opened. Never blocks.
  bool Acquire();
  bool IsHeld() const { return fd_ >= 0; }
  void Release();
  const QString& Path() const { return path_; }

  // $XDG_RUNTIME_DIR/OKA_TV_MUTEX.lock, or /tmp/OKA_TV_MUTEX-<uid>.lock without a runtime folder.
  static QString DefaultPath();

 private:
  QString path_;
  int fd_ = -1;
};

}  // namespace pvx::platform::ipc
