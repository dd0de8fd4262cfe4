// The screen-saver inhibit against a desktop service on a private session bus, and without one.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QProcess>
#include <QThread>

#include "platform/LinuxSystemServices.h"
#include "support/TestEnvironment.h"

using pvx::platform::LinuxSystemServices;

namespace {

// What a desktop offers: cookies handed out by Inhibit and taken back by UnInhibit.
class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  QStringList Calls() const {
    QMutexLocker lock(&mutex_);
    return calls_;
  }

 public slots:
  uint Inhibit(const QString& application, const QString& reason) {
    QMutexLocker lock(&mutex_);
    calls_ << "Inhibit " + application + ": " + reason;
    return 4711;
  }
  void UnInhibit(uint cookie) {
    QMutexLocker lock(&mutex_);
    calls_ << "UnInhibit " + QString::number(cookie);
  }

 private:
  mutable QMutex mutex_;
  QStringList calls_;
};

// A session bus of the test's own, with the fake service answering from another thread
// (the program's calls block the calling thread).
class PrivateSessionBus : public ::testing::Test {
 protected:
  void SetUp() override {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                  "--address=unix:path=" + pvx::test::Home() + "bus"});
    ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is not installed";
    ASSERT_TRUE(daemon_.waitForReadyRead(5000));
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    ASSERT_FALSE(address_.isEmpty());
    // Read by the session-bus connection when it is first made, in this process.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
    worker_.start();
  }
  void TearDown() override {
    if (service_) {
      QMetaObject::invokeMethod(service_, [s = service_] { delete s; }, Qt::BlockingQueuedConnection);
      QDBusConnection::disconnectFromBus("fake-desktop");
    }
    worker_.quit();
    worker_.wait();
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }

  void OfferScreenSaver() {
    QDBusConnection desktop = QDBusConnection::connectToBus(address_, "fake-desktop");
    ASSERT_TRUE(desktop.isConnected());
    service_ = new FakeScreenSaver;
    service_->moveToThread(&worker_);
    ASSERT_TRUE(desktop.registerObject("/org/freedesktop/ScreenSaver", service_,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktop.registerService("org.freedesktop.ScreenSaver"));
  }

  QProcess daemon_;
  QString address_;
  QThread worker_;
  FakeScreenSaver* service_ = nullptr;
};

}  // namespace

TEST_F(PrivateSessionBus, InhibitGivesTheDesktopsCookieAndReleaseReturnsIt) {
  LinuxSystemServices system;
  EXPECT_EQ(system.InhibitScreenSaver("Watching television"), 0u) << "no desktop service yet";
  OfferScreenSaver();
  const quint32 cookie = system.InhibitScreenSaver("Watching television");
  EXPECT_EQ(cookie, 4711u);
  system.ReleaseScreenSaver(cookie);
  system.ReleaseScreenSaver(0);  // nothing was inhibited: no call
  EXPECT_EQ(service_->Calls(), QStringList({"Inhibit OKA PVX: Watching television", "UnInhibit 4711"}));
}

#include "ScreenSaverInhibitTest.moc"
