// The running shell as the desktop's media player, on a session bus of the test's own, driven by
// playerctl as a panel or the media keys would: what plays, and each request through the commands.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include "ShellFixture.h"
#include "engine/AudioAdjustInfo.h"

namespace pvx::test {
namespace {

using namespace settings;

TEST_F(Shell, MediaPlayerClientsSeeTheChannelAndDriveLiveTVTimeShiftAndTheVolume) {
  if (QStandardPaths::findExecutable("playerctl").isEmpty()) GTEST_SKIP() << "no playerctl";
  QProcess bus;
  bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1", "--address=unix:path=" + Home() + "bus"});
  ASSERT_TRUE(bus.waitForStarted(5000) && bus.waitForReadyRead(5000)) << "no dbus-daemon";
  // Read when this process first connects to the session bus: at the start below.
  qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
  ASSERT_TRUE(Start());
  const auto ctl = [](const QStringList& args) {
    QProcess p;
    p.start("playerctl", QStringList{"--player=okapvx"} + args);
    EXPECT_TRUE(WaitUntil([&] { return p.state() == QProcess::NotRunning; })) << args.join(' ').toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  };
  const int first = ProgramChannels().CurrentChannel();
  EXPECT_EQ(QStringList({ctl({"status"}), ctl({"metadata", "xesam:trackNumber"}), ctl({"metadata", "xesam:title"})}),
            QStringList({"Playing", QString::number(first), "Channel " + QString::number(first)}));
  ctl({"next"});
  ASSERT_TRUE(WaitUntil([&] { return ProgramChannels().CurrentChannel() != first; }));
  EXPECT_EQ(ctl({"metadata", "xesam:trackNumber"}), QString::number(ProgramChannels().CurrentChannel()));
  // Play-pause pauses live TV by time-shifting; Stop ends it.
  ctl({"play-pause"});
  ASSERT_TRUE(WaitUntil([&] { return ProgramMain().Mode() == amTimeShifting; }));
  EXPECT_EQ(ctl({"status"}), "Paused");
  ctl({"stop"});
  EXPECT_TRUE(WaitUntil([&] { return ProgramMain().Mode() == amTV; }));
  ctl({"volume", "0.25"});
  EXPECT_TRUE(WaitUntil([&] { return App().AudioAdjustInfo()->Volume() == 16384; }));
  App().ShutdownApplication();
  bus.close();
}

}  // namespace
}  // namespace pvx::test
