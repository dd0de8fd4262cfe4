// The services of this machine behind the program: the clock and its timers, folders and data
// files, dial codes, the media framework, companions, and the screen-saver inhibit against a
// desktop service on a private session bus. (The Qt dialog service with the real warning window:
// WarningForm in app_tests.)

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/Clock.h"
#include "platform/LinuxSystemServices.h"
#include "platform/MediaFramework.h"
#include "platform/ProgramFolder.h"
#include "platform/TTimer.h"
#include "platform/TerritoryDialCode.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::LinuxSystemServices;
using platform::TTimer;

// A zero interval and a timer destroyed while enabled never fire; time never goes back.
TEST(TestClock, TimersFireInTimeOrderHandlersMayDisableThemAndWaitDeliversPostedEvents) {
  std::vector<std::pair<char, qint64>> fired;
  TTimer a, b, zero;
  auto gone = std::make_unique<TTimer>();
  for (auto [timer, name, interval] :
       {std::tuple{&a, 'a', 300}, {&b, 'b', 200}, {&zero, 'z', 0}, {gone.get(), 'g', 10}}) {
    timer->OnTimer = [&fired, name](TTimer&) { fired.push_back({name, test::Clock().NowMs()}); };
    timer->SetInterval(interval);
    timer->SetEnabled(true);
  }
  gone.reset();
  test::Clock().Advance(650);
  test::Clock().Advance(-5);
  ASSERT_EQ(fired.size(), 5u);
  std::sort(fired.begin() + 3, fired.end());  // equal due times: either order
  EXPECT_EQ(fired, (std::vector<std::pair<char, qint64>>{
                       {'b', 200}, {'a', 300}, {'b', 400}, {'a', 600}, {'b', 600}}));
  EXPECT_EQ(test::Clock().NowMs(), 650);
  // A handler may disable its timer, and a new interval restarts it.
  int count = 0;
  TTimer timer;
  timer.SetInterval(100);
  timer.OnTimer = [&](TTimer& sender) {
    EXPECT_EQ(&sender, &timer);
    if (++count == 2) sender.SetEnabled(false);
  };
  timer.SetEnabled(true);
  test::Clock().Advance(1000);
  EXPECT_TRUE(count == 2 && !timer.Enabled()) << count;
  // Changing the interval restarts the period.
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  test::Clock().Advance(900);
  timer.SetInterval(1000);  // restart: next tick 1000 ms from now
  test::Clock().Advance(900);
  EXPECT_EQ(count, 2);
  test::Clock().Advance(100);
  EXPECT_EQ(count, 3);
  // Fire calls the handler at once; without a handler it does nothing.
  timer.Fire();
  EXPECT_EQ(count, 4);
  TTimer().Fire();
  // Waiting advances the time and delivers posted events.
  bool delivered = false;
  QTimer::singleShot(0, QCoreApplication::instance(), [&] { delivered = true; });
  platform::Wait(5000);
  EXPECT_TRUE(delivered);
  EXPECT_EQ(platform::Clock().NowMs(), 650 + 2900 + 5000);
}

TEST(ProgramFolder, IsOkaPvxHomeElseXdgConfigCreatedAndItsDataFilesOverrideTheInstalledOnes) {
  EXPECT_EQ(platform::ProgramFolder(), test::Home());
  QTemporaryDir config;
  const QByteArray savedHome = qgetenv("OKA_PVX_HOME");
  qunsetenv("OKA_PVX_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  const QString folder = platform::ProgramFolder();
  qputenv("OKA_PVX_HOME", savedHome);
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(folder == config.path() + "/oka-pvx/" && QFileInfo(folder).isDir()) << folder.toStdString();
  // Data files in the program folder override the installed ones.
  EXPECT_EQ(platform::DataFile("Language/Lang.cfg"), test::SourceData() + "Language/Lang.cfg");
  test::WriteFile(test::Home() + "Language/Lang.cfg", "Mine\n");
  EXPECT_EQ(platform::DataFile("Language/Lang.cfg"), test::Home() + "Language/Lang.cfg");
  EXPECT_TRUE(platform::DataFile("no-such-file.dat").isEmpty());
  EXPECT_EQ(platform::DataFolders().first(), test::Home());
}

// Any case; unknown or malformed codes, and any territory, give 1 (North America).
TEST(TerritoryDialCode, OfIsoCodesAndQtTerritories) {
  const std::pair<const char*, int> rows[] = {{"US", 1},   {"CA", 1},   {"GB", 44}, {"DE", 49}, {"de", 49},
                                              {"TW", 886}, {"HK", 852}, {"CN", 86}, {"JP", 81}, {"RU", 7},
                                              {"OM", 968}, {"IL", 972}, {"HU", 36}, {"AF", 93}, {"", 1},
                                              {"X", 1},    {"XX", 1},   {"DEU", 1}, {"1", 1},   {"d3", 1}};
  for (const auto& [iso, code] : rows) EXPECT_EQ(platform::DialCodeForIsoCode(QString(iso)), code) << iso;
  for (const auto& [territory, code] : {std::pair{QLocale::Germany, 49}, {QLocale::Taiwan, 886},
                                        {QLocale::AnyTerritory, 1}})
    EXPECT_EQ(platform::DialCodeForTerritory(territory), code) << territory;
}

// Its folders, companions, media framework and read-only mounts.
TEST(LinuxSystemServices, FoldersCompanionsMediaFrameworkAndReadOnlyMounts) {
  LinuxSystemServices system;
  // A folder not created yet is answered for the disk it would be on.
  EXPECT_TRUE(system.FreeBytes(test::Home()) > 0 && system.FreeBytes(test::Home() + "later/deeper") > 0);
  EXPECT_EQ(platform::NearestExistingFolder(test::Home() + "a/b/c") + "/", test::Home());
  EXPECT_TRUE(!system.IsReadOnlyMedia(test::Home()) && system.DocumentsFolder().endsWith('/'));
  EXPECT_EQ(system.FallbackFolder(), QDir::homePath() + "/");
  // Companions are started by their plain name only.
  for (const char* program : {"/bin/true", "../true", "NoSuchCompanionPvx"})
    EXPECT_FALSE(system.StartProgram(program, {})) << program;
  QStringList missing{"stale"};
  EXPECT_EQ(system.MediaFrameworkLevel(&missing), 9) << missing.join(',').toStdString();
  EXPECT_TRUE(missing.isEmpty());
  EXPECT_EQ(platform::MissingMediaElements({"videotestsrc", "no-such-element-pvx"}),
            QStringList({"no-such-element-pvx"}));
  // A mount that is read-only on this machine (containers usually have some) is reported.
  QString readOnly;
  for (const QString& line : QString::fromUtf8(test::ReadFile("/proc/self/mounts")).split('\n')) {
    const QStringList f = line.split(' ');
    if (f.size() > 3 && f[3].split(',').contains("ro") && QDir(f[1]).exists()) readOnly = f[1];
  }
  if (readOnly.isEmpty()) GTEST_SKIP() << "no read-only mount on this machine";
  EXPECT_TRUE(system.IsReadOnlyMedia(readOnly)) << readOnly.toStdString();
}

namespace {

// What a desktop offers: cookies handed out by Inhibit and taken back by UnInhibit. The calls
// are read once its thread has ended.
class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public slots:
  uint Inhibit(const QString& application, const QString& reason) {
    calls << "Inhibit " + application + ": " + reason;
    return 4711;
  }
  void UnInhibit(uint cookie) { calls << "UnInhibit " + QString::number(cookie); }

 public:
  QStringList calls;
};

}  // namespace

// Against a session bus of the test's own, with the fake desktop answering from another thread
// (the program's calls block the calling thread).
TEST(ScreenSaver, InhibitGivesTheDesktopsCookieAndReleaseReturnsIt) {
  QProcess daemon;
  daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                               "--address=unix:path=" + test::Home() + "bus"});
  ASSERT_TRUE(daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000)) << "no dbus-daemon";
  const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
  // Read by the session-bus connection when it is first made, in this process.
  qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
  LinuxSystemServices system;
  EXPECT_EQ(system.InhibitScreenSaver("Watching television"), 0u) << "no desktop service yet";
  // The desktop offers the service.
  QThread worker;
  FakeScreenSaver service;
  service.moveToThread(&worker);
  worker.start();
  QDBusConnection desktop = QDBusConnection::connectToBus(address, "fake-desktop");
  const auto exported = QDBusConnection::ExportAllSlots;
  EXPECT_TRUE(desktop.registerObject("/org/freedesktop/ScreenSaver", &service, exported));
  EXPECT_TRUE(desktop.registerService("org.freedesktop.ScreenSaver"));
  const quint32 cookie = system.InhibitScreenSaver("Watching television");
  system.ReleaseScreenSaver(cookie);
  system.ReleaseScreenSaver(0);  // nothing was inhibited: no call
  worker.quit();  // its thread ends: the service's calls can be read
  worker.wait();
  QDBusConnection::disconnectFromBus("fake-desktop");
  daemon.close();  // kills it and waits for it
  EXPECT_EQ(cookie, 4711u);
  EXPECT_EQ(service.calls, QStringList({"Inhibit OKA PVX: Watching television", "UnInhibit 4711"}));
}

#include "PlatformServicesTest.moc"
