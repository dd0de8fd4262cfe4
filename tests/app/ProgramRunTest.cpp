// The real program, started offscreen with a fresh program folder: it shows live TV, obeys the
// remote control, writes both settings files when it exits, and runs only once per user.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QtEndian>

#include "FormTestSupport.h"
#include "app/Application.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
namespace ipc = pvx::platform::ipc;

namespace {

// Real time: the program is another process, which may start slowly on a loaded machine.
bool WaitUntil(const std::function<bool()>& done) { return test::WaitUntil(done, 30000); }

int Remote(const QStringList& args) {
  QProcess remote;
  remote.setProcessEnvironment(test::ProgramEnvironment());
  remote.start(PVX_REMOTE, args);
  if (!remote.waitForFinished(10000)) return -1;
  return remote.exitCode();
}

// Starts the program; true once its main window's endpoint answers (start-up has built the
// live preview by then).
bool StartProgram(QProcess& program, const QStringList& arguments = {}) {
  if (!QFile::exists(app::TApplication::ChannelSettingsPath())) test::StoreTunedChannels();
  program.setProcessEnvironment(test::ProgramEnvironment());
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(PVX_PROGRAM, arguments);
  return program.waitForStarted() && WaitUntil([] { return ipc::FindWindow(ipc::kMainWindowClass); });
}

// Waits for the program to end; true when it ended normally with exit code 0.
bool EndsCleanly(QProcess& program) {
  return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
}

qint32 IntAt(const QByteArray& bytes, int offset) {
  return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

// A settings file as the program writes it: its magic first and its mark last.
QByteArray WrittenSettings(const char* name) {
  const QByteArray file = test::ReadFile(test::Home() + name);
  EXPECT_GE(file.size(), 8) << name;
  if (file.size() < 8) return {};
  EXPECT_EQ(IntAt(file, 0), 4505) << name;
  EXPECT_EQ(IntAt(file, file.size() - 4), 4359) << name;
  return file;
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
  ASSERT_TRUE(EndsCleanly(program));

  WrittenSettings("QDVCR.cfg");
  WrittenSettings("QDVCR2.cfg");
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  ASSERT_TRUE(settings::TChannelSettingsFile::Load(test::Home() + "QDVCR2.cfg", channels, preview));
  EXPECT_EQ(channels.CurrentChannel(), 11) << "the typed channel is the current one";
  // Not running any more: the remote says so.
  EXPECT_EQ(Remote({"next-channel"}), 2);
}

TEST(ProgramRun, SecondInstanceActivatesTheFirstAndLeaves) {
  QProcess first;
  ASSERT_TRUE(StartProgram(first));
  QProcess second;
  second.setProcessEnvironment(test::ProgramEnvironment());
  second.start(PVX_PROGRAM, {});
  EXPECT_TRUE(EndsCleanly(second));
  EXPECT_EQ(first.state(), QProcess::Running);
  EXPECT_EQ(Remote({"exit"}), 0);
  EXPECT_TRUE(EndsCleanly(first));
}

TEST(ProgramRun, ExitDuringAScanStopsItAndEndsTheProgram) {
  QProcess program;
  ASSERT_TRUE(StartProgram(program));
  // A whole scan steps through 160 channels with a tuning wait each; Exit stops it at once.
  EXPECT_EQ(Remote({"scan", "exit"}), 0);
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
  WrittenSettings("QDVCR2.cfg");
}

TEST(ProgramRun, TerminationSignalEndsThroughTheNormalExit) {
  QProcess program;
  ASSERT_TRUE(StartProgram(program));
  // Right after a tune (which waits for its picture) and with a dialog open.
  EXPECT_EQ(Remote({"next-channel", "about"}), 0);
  program.terminate();  // SIGTERM, as a logout sends
  ASSERT_TRUE(EndsCleanly(program));
  WrittenSettings("QDVCR.cfg");
  WrittenSettings("QDVCR2.cfg");
}

TEST(ProgramRun, StartedInFMItStaysInFMUntilToldToLeave) {
  settings::TMainInfo main;
  main.FMEnabled = true;
  ASSERT_TRUE(main.SaveMainSettings(test::Home() + "QDVCR.cfg", {}));
  // Each run steps two FM memories on; the second goes back to TV before it exits.
  for (const bool leave : {false, true}) {
    QProcess program;
    ASSERT_TRUE(StartProgram(program, {"fm"}));
    EXPECT_EQ(Remote(leave ? QStringList{"next-channel", "next-channel", "tv-or-fm", "exit"}
                           : QStringList{"next-channel", "next-channel", "exit"}), 0);
    ASSERT_TRUE(EndsCleanly(program));
    ASSERT_TRUE(main.LoadMainSettings(test::Home() + "QDVCR.cfg", {}));
    EXPECT_EQ(main.StartInFM, !leave) << "still listening to FM at the exit";
    settings::TChannelInfo channels;
    settings::TPreviewInfo preview(channels);
    ASSERT_TRUE(settings::TChannelSettingsFile::Load(test::Home() + "QDVCR2.cfg", channels, preview));
    EXPECT_EQ(std::pair(channels.CurFM, int(channels.CurrentTable)), std::pair(leave ? 8 : 6, 0));
  }
}
