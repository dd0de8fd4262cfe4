#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <cerrno>

#include "platform/devices/v4l2/V4L2Io.h"

namespace pvx::platform::devices::v4l2 {
namespace {

class TLinuxV4L2Io final : public IV4L2Io {
 public:
  int Open(const QString& path) override {
    // Non-blocking, so that a control call never waits on a stalled driver.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
  }
  void Close(int handle) override {
    if (handle >= 0) ::close(handle);
  }
  int Ioctl(int handle, unsigned long request, void* arg) override {
    int r;
    do {
      r = ::ioctl(handle, request, arg);
    } while (r < 0 && errno == EINTR);
    return r < 0 ? -errno : 0;
  }
  QStringList ListNodes() const override {
    QStringList out;
    const QDir dev("/dev");
    for (const QString& prefix : {QStringLiteral("video"), QStringLiteral("radio")}) {
      QStringList names = dev.entryList({prefix + "*"}, QDir::System | QDir::Files);
      // video2 before video10.
      std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return a.mid(prefix.size()).toInt() < b.mid(prefix.size()).toInt();
      });
      for (const QString& n : names) out << dev.filePath(n);
    }
    return out;
  }
};

}  // namespace

IV4L2Io& LinuxV4L2Io() {
  static TLinuxV4L2Io io;
  return io;
}

}  // namespace pvx::platform::devices::v4l2
