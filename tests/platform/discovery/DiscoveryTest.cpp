// Boxes finding each other through Avahi. The daemon cases run a private D-Bus bus and an Avahi
// daemon in fresh mount and network namespaces (loopback only, /run on a tmpfs for its pid
// file), so nothing reaches the real network or meets the machine's own daemon.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/discovery/TServiceDiscovery.h"
#include "support/TestEnvironment.h"

using pvx::platform::discovery::TServiceDiscovery;
using namespace pvx;

namespace {

// libdbus reads the system bus address once per process, so every test's bus has this socket.
QString BusSocket() {
  static QTemporaryDir folder;
  return folder.filePath("bus");
}

class PrivateAvahi {
 public:
  // Empty when running, else why not.
  QString Start() {
    if (::geteuid() != 0) return "namespaces for a private Avahi daemon need root";
    for (const char* tool : {"avahi-daemon", "unshare", "ip"})
      if (QStandardPaths::findExecutable(tool).isEmpty()) return QString(tool) + " is not installed";
    if (QString whyNot = StartBus(); !whyNot.isEmpty()) return whyNot;
    return StartDaemon() ? QString() : "avahi-daemon did not start: " + log_;
  }
  QString StartBus() {
    test::WriteFile(test::Home() + "bus.conf",
                    "<busconfig><type>system</type><listen>unix:path=" + BusSocket().toUtf8() +
                        "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/><allow "
                        "own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>");
    QFile::remove(BusSocket());
    bus_.start("dbus-daemon", {"--config-file=" + test::Home() + "bus.conf", "--nofork", "--print-address=1"});
    return bus_.waitForReadyRead(5000) ? QString() : "no dbus-daemon";
  }
  bool StartDaemon() {
    log_.clear();
    daemon_.setProcessChannelMode(QProcess::MergedChannels);
    daemon_.start("unshare", {"-m", "-n", "sh", "-c",
                              "ip link set lo up && mount -t tmpfs tmpfs /run && exec avahi-daemon --no-drop-root "
                              "--no-chroot --no-rlimits --no-proc-title -f /dev/null"});  // defaults: IPv4 and IPv6
    test::WaitUntil([&] {
      log_ += daemon_.readAll();
      return log_.contains("Server startup complete") || daemon_.state() == QProcess::NotRunning;
    });
    return daemon_.state() == QProcess::Running;
  }
  void StopDaemon() { End(daemon_); }
  ~PrivateAvahi() { End(daemon_); End(bus_); }

 private:
  static void End(QProcess& process) { process.terminate(); process.waitForFinished(5000); }
  QProcess bus_, daemon_;
  QString log_;
};

class ServiceDiscovery : public ::testing::Test {
 protected:
  // The private bus's socket, absent until a test starts it: the machine's daemon never enters.
  void SetUp() override { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + BusSocket().toUtf8()); }
  static bool SeesOnly(const TServiceDiscovery& box, const QString& name) {
    return box.Peers().size() == 1 && box.Peers()[0].name == name;
  }
  PrivateAvahi avahi_;
  TServiceDiscovery a_, b_;
  QString why_;
};

}  // namespace

TEST_F(ServiceDiscovery, WithoutABusOrADaemonStartFailsAtOnceWithAReason) {
  QElapsedTimer elapsed;
  elapsed.start();
  EXPECT_FALSE(a_.Start("Lounge", 8080, 8554, why_));
  EXPECT_TRUE(why_.startsWith("no Avahi daemon answers")) << why_.toStdString();
  EXPECT_TRUE(!a_.IsStarted() && a_.Peers().isEmpty());
  // A bus where nobody owns Avahi's name fails as quickly.
  if (avahi_.StartBus().isEmpty()) {
    EXPECT_FALSE(a_.Start("Lounge", 8080, 0, why_));
    EXPECT_TRUE(why_.startsWith("no Avahi daemon answers")) << why_.toStdString();
  }
  EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST_F(ServiceDiscovery, RefusesAnUnusableNameOrPortBeforeAskingTheDaemon) {
  for (auto [name, port] : {std::pair{QString(), 8080}, {QString(64, 'x'), 8080}, {QString("Lounge"), 0}}) {
    EXPECT_FALSE(a_.Start(name, quint16(port), 0, why_));
    EXPECT_FALSE(why_.isEmpty() || why_.startsWith("no Avahi")) << why_.toStdString();
  }
}

TEST_F(ServiceDiscovery, TwoBoxesFindEachOtherButNotThemselves) {
  if (QString whyNot = avahi_.Start(); !whyNot.isEmpty()) GTEST_SKIP() << whyNot.toStdString();
  ASSERT_TRUE(a_.Start("Lounge", 8080, 8554, why_) && b_.Start("Kitchen", 8081, 0, why_, true)) << why_.toStdString();
  ASSERT_TRUE(test::WaitUntil(
      [&] { return SeesOnly(a_, "Kitchen") && SeesOnly(b_, "Lounge") && a_.AnnouncedName() == "Lounge"; }));
  const auto lounge = b_.Peers()[0];
  EXPECT_TRUE(lounge.port == 8080 && lounge.address == "127.0.0.1" && lounge.host.endsWith(".local"));
  EXPECT_EQ(lounge.text, (QMap<QString, QString>{{"path", "/"}, {"version", "1.0.0"}}));
  EXPECT_EQ(a_.Peers()[0].text.value("scheme"), "https") << "a box serving HTTPS says so";
  if (QStandardPaths::findExecutable("avahi-browse").isEmpty()) GTEST_SKIP() << "avahi-utils is not installed";
  QProcess browse;
  browse.start("avahi-browse", {"-rtpk", "_rtsp._tcp"});
  ASSERT_TRUE(browse.waitForFinished(10000));
  const QString rtsp = browse.readAllStandardOutput();
  EXPECT_TRUE(rtsp.contains(QRegularExpression("^=;lo;IPv4;Lounge;_rtsp._tcp;local;.*;8554;\"path=/live\"$",
                                               QRegularExpression::MultilineOption)) && !rtsp.contains("Kitchen"))
      << rtsp.toStdString();
  // A box that stops is gone from the other's list.
  b_.Stop();
  EXPECT_TRUE(test::WaitUntil([&] { return a_.Peers().isEmpty(); }));
}

TEST_F(ServiceDiscovery, ASecondBoxWithTheSameNameIsRenamedAndBothMeet) {
  if (QString whyNot = avahi_.Start(); !whyNot.isEmpty()) GTEST_SKIP() << whyNot.toStdString();
  ASSERT_TRUE(a_.Start("Den", 8080, 0, why_) && b_.Start("Den", 8081, 0, why_)) << why_.toStdString();
  EXPECT_TRUE(test::WaitUntil(
      [&] { return SeesOnly(a_, "Den #2") && SeesOnly(b_, "Den") && b_.AnnouncedName() == "Den #2"; }));
}

TEST_F(ServiceDiscovery, PeersVanishWithTheDaemonAndReturnWithIt) {
  if (QString whyNot = avahi_.Start(); !whyNot.isEmpty()) GTEST_SKIP() << whyNot.toStdString();
  ASSERT_TRUE(a_.Start("Lounge", 8080, 0, why_) && b_.Start("Kitchen", 8081, 0, why_)) << why_.toStdString();
  ASSERT_TRUE(test::WaitUntil([&] { return SeesOnly(a_, "Kitchen") && SeesOnly(b_, "Lounge"); }));
  avahi_.StopDaemon();
  ASSERT_TRUE(test::WaitUntil([&] { return a_.Peers().isEmpty() && b_.AnnouncedName().isEmpty(); }));
  ASSERT_TRUE(avahi_.StartDaemon());
  EXPECT_TRUE(test::WaitUntil([&] { return SeesOnly(a_, "Kitchen") && SeesOnly(b_, "Lounge"); }));
}
