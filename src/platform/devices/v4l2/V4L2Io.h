#pragma once
// The few system calls the real-card provider makes, behind an interface so that tests can
// answer them with scripted cards instead of opening devices.

#include <QString>
#include <QStringList>

namespace pvx::platform::devices::v4l2 {

class IV4L2Io {
 public:
  virtual ~IV4L2Io() = default;
  // A handle (>= 0), or -errno.
  virtual int Open(const QString& path) = 0;
  virtual void Close(int handle) = 0;
  // 0, or -errno; `arg` is the request's linux/videodev2.h structure.
  virtual int Ioctl(int handle, unsigned long request, void* arg) = 0;
  // The device nodes present now ("/dev/video0", "/dev/radio0" ...), sorted.
  virtual QStringList ListNodes() const = 0;
};

// The machine's own devices.
IV4L2Io& LinuxV4L2Io();

}  // namespace pvx::platform::devices::v4l2
