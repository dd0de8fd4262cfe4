// The real program, started offscreen with a fresh program folder: it shows live TV, obeys the
// remote control, writes both settings files when it exits, and runs only once per user.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtEndian>

#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "support/TestEnvironment.h"

using namespace pvx;
namespace ipc = pvx::platform::ipc;

namespace {

QProcessEnvironment ProgramEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("OKA_PVX_HOME", test::Home());
  env.insert("XDG_RUNTIME_DIR", qEnvironmentVariable("XDG_RUNTIME_DIR"));
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("OKA_PVX_AUDIO_SINK", "null");
  return env;
}

// Real time: the program is another process, which may start slowly on a loaded machine.
bool WaitUntil(const std::function<bool()>& done) { return test::WaitUntil(done, 30000); }

int Remote(const QStringList& args) {
  QProcess remote;
  remote.setProcessEnvironment(ProgramEnvironment());
  remote.start(PVX_REMOTE, args);
  if (!remote.waitForFinished(10000)) return -1;
  return remote.exitCode();
}

// Starts the program; true once its main window's endpoint answers (start-up has built the
// live preview by then).
bool StartProgram(QProcess& program) {
  program.setProcessEnvironment(ProgramEnvironment());
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(PVX_PROGRAM, {});
  return program.waitForStarted() && WaitUntil([] { return ipc::FindWindow(ipc::kMainWindowClass); });
}

// The channel settings file exists and ends with its mark.
void ExpectChannelSettingsWritten() {
  const QByteArray channels = test::ReadFile(test::Home() + "QDVCR2.cfg");
  ASSERT_GE(channels.size(), 8);
  EXPECT_EQ(qFromLittleEndian<qint32>(channels.constData() + channels.size() - 4), 4359);
}

qint32 IntAt(const QByteArray& bytes, int offset) {
  return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// QDVCR2.cfg: magic, 8 table settings, 2 x 160 channel records, 50 memories, 50 FM entries,
// then the current channel. The records hold strings, so walk them.
int CurrentChannelOf(const QByteArray& file) {
  int at = 4 + 8 * 4;
  auto skipString = [&] { at += 4 + IntAt(file, at); };
  for (int i = 0; i < 320; ++i) {
    at += 6 * 4;
    skipString();
    skipString();
  }
  for (int i = 0; i < 50; ++i) {
    at += 3 * 4;
    skipString();
  }
  for (int i = 0; i < 50; ++i) {
    at += 4;
    skipString();
  }
  return IntAt(file, at);
}

}  // namespace

TEST(ProgramRun, ShowsLiveTVObeysTheRemoteAndSavesOnExit) {
  // A first run leaves channel settings with a known table: the US antenna plan.
  QProcess program;
  ASSERT_TRUE(StartProgram(program)) << "the main window's endpoint never appeared";
  EXPECT_EQ(Remote({"--activate"}), 0);
  EXPECT_EQ(Remote({"next-channel"}), 0);
  EXPECT_EQ(Remote({"digit-1", "digit-1", "enter"}), 0);
  EXPECT_EQ(Remote({"volume-up"}), 0);
  EXPECT_EQ(Remote({"mute"}), 0);
  EXPECT_EQ(Remote({"nonsense-command"}), 1);
  EXPECT_EQ(Remote({"exit"}), 0);
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);

  const QByteArray main = test::ReadFile(test::Home() + "QDVCR.cfg");
  ASSERT_GE(main.size(), 8);
  EXPECT_EQ(IntAt(main, 0), 4505);
  EXPECT_EQ(IntAt(main, main.size() - 4), 4359);
  const QByteArray channels = test::ReadFile(test::Home() + "QDVCR2.cfg");
  ASSERT_GE(channels.size(), 8);
  EXPECT_EQ(IntAt(channels, 0), 4505);
  EXPECT_EQ(IntAt(channels, channels.size() - 4), 4359);
  EXPECT_EQ(CurrentChannelOf(channels), 11) << "the typed channel is the current one";
  // Not running any more: the remote says so.
  EXPECT_EQ(Remote({"next-channel"}), 2);
}

TEST(ProgramRun, SecondInstanceActivatesTheFirstAndLeaves) {
  QProcess first;
  ASSERT_TRUE(StartProgram(first));
  QProcess second;
  second.setProcessEnvironment(ProgramEnvironment());
  second.start(PVX_PROGRAM, {});
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_EQ(Remote({"exit"}), 0);
  ASSERT_TRUE(first.waitForFinished(30000));
  EXPECT_EQ(first.exitCode(), 0);
}

TEST(ProgramRun, ExitDuringAScanStopsItAndEndsTheProgram) {
  QProcess program;
  ASSERT_TRUE(StartProgram(program));
  // A whole scan steps through 160 channels with a tuning wait each; Exit stops it at once.
  EXPECT_EQ(Remote({"scan", "exit"}), 0);
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
  ExpectChannelSettingsWritten();
}

TEST(ProgramRun, TerminationSignalEndsThroughTheNormalExit) {
  QProcess program;
  ASSERT_TRUE(StartProgram(program));
  // Right after a tune (which waits for its picture) and with a dialog open.
  EXPECT_EQ(Remote({"next-channel", "about"}), 0);
  program.terminate();  // SIGTERM, as a logout sends
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  ExpectChannelSettingsWritten();
  EXPECT_TRUE(QFile::exists(test::Home() + "QDVCR.cfg"));
}
