// Desktop notifications through the freedesktop.org service. Sent without waiting for an answer:
// without a session bus or the service nothing shows, and nothing waits.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include "platform/LinuxSystemServices.h"

namespace pvx::platform {

void LinuxSystemServices::Notify(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                                     "org.freedesktop.Notifications", "Notify");
  // Application, no notification to replace, icon, texts, no actions or hints, the desktop's time.
  call << QStringLiteral("OKA PVX") << quint32(0) << QStringLiteral("oka-pvx") << summary << body << QStringList()
       << QVariantMap() << qint32(-1);
  bus.send(call);
}

}  // namespace pvx::platform
