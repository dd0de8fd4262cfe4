// The real program, started offscreen: it runs only once per user, obeys the remote control,
// and ends through its normal exit on a termination signal, writing both settings files.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "app/Application.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "support/TestEnvironment.h"
#include "support/TunedChannels.h"

using namespace pvx;
namespace ipc = pvx::platform::ipc;

namespace {

int Remote(const QStringList& args) {
  QProcess remote;
  remote.setProcessEnvironment(test::ProgramEnvironment());
  remote.start(PVX_REMOTE, args);
  return remote.waitForFinished(10000) ? remote.exitCode() : -1;
}

// Starts the program; true once its main window's endpoint answers (start-up has built the
// live preview by then).
bool StartProgram(QProcess& program, const QStringList& arguments = {}) {
  if (!QFile::exists(app::TApplication::ChannelSettingsPath())) test::StoreTunedChannels();
  program.setProcessEnvironment(test::ProgramEnvironment());
  program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  program.start(PVX_PROGRAM, arguments);
  // Real time: the program is another process, which may start slowly on a loaded machine.
  return program.waitForStarted() &&
         test::WaitUntil([] { return ipc::FindWindow(ipc::kMainWindowClass); }, 30000);
}

// Waits for the program to end; true when it ended normally with exit code 0.
bool EndsCleanly(QProcess& program) {
  return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit &&
         program.exitCode() == 0;
}

}  // namespace

// Ended as a logout ends it: SIGTERM right after a tune (which waits for its picture) and with
// a dialog open.
TEST(ProgramRun, RunsOnceObeysTheRemoteAndEndsNormallyOnATerminationSignal) {
  QProcess program, second;
  ASSERT_TRUE(StartProgram(program)) << "the main window's endpoint never appeared";
  // A second start activates the first and leaves.
  second.setProcessEnvironment(test::ProgramEnvironment());
  second.start(PVX_PROGRAM, {});
  EXPECT_TRUE(EndsCleanly(second));
  EXPECT_EQ(program.state(), QProcess::Running);
  EXPECT_EQ(Remote({"next-channel", "about"}), 0);
  program.terminate();
  ASSERT_TRUE(EndsCleanly(program));
  // Both settings files are whole: each reads back, between its two marks.
  settings::TMainInfo main;
  EXPECT_TRUE(main.LoadMainSettings(test::Home() + "QDVCR.cfg", {}));
  settings::TChannelInfo channels;
  settings::TPreviewInfo preview(channels);
  ASSERT_TRUE(settings::TChannelSettingsFile::Load(test::Home() + "QDVCR2.cfg", channels, preview));
  // Not running any more: the remote says so.
  EXPECT_EQ(Remote({"next-channel"}), 2);
}
