// Screen-saver inhibit through the desktop's freedesktop.org service. Best effort: without a
// session bus or the service, television simply plays without it.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

#include "platform/LinuxSystemServices.h"

namespace pvx::platform {
namespace {

constexpr char kService[] = "org.freedesktop.ScreenSaver";
constexpr char kPath[] = "/org/freedesktop/ScreenSaver";
// A desktop that does not answer quickly must not hold up the start of live TV.
constexpr int kCallTimeoutMs = 1000;

bool ServicePresent(const QDBusConnection& bus) {
  if (!bus.isConnected() || !bus.interface()) return false;
  const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
  return registered.isValid() && registered.value();
}

}  // namespace

quint32 LinuxSystemServices::InhibitScreenSaver(const QString& reason) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!ServicePresent(bus)) return 0;
  QDBusInterface saver(kService, kPath, kService, bus);
  saver.setTimeout(kCallTimeoutMs);
  const QDBusReply<quint32> cookie = saver.call("Inhibit", QStringLiteral("OKA PVX"), reason);
  return cookie.isValid() ? cookie.value() : 0;
}

void LinuxSystemServices::ReleaseScreenSaver(quint32 cookie) {
  if (cookie == 0) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusInterface saver(kService, kPath, kService, bus);
  saver.setTimeout(kCallTimeoutMs);
  saver.call("UnInhibit", cookie);
}

}  // namespace pvx::platform
