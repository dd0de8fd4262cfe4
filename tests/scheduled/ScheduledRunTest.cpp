// The scheduler and the real program, each its own process with a fresh program folder: an
// entry becomes a recording in the Done list, and the scheduler keeps the program's answer;
// once fired by the running scheduler into the running program, once by a timer's --fire,
// which starts the program.

#include <gtest/gtest.h>

#include <QProcess>

#include "HandOver.h"
#include "Timetable.h"
#include "commands/CommandTable.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TInstanceLock.h"
#include "platform/media/MediaTestSupport.h"
#include "playback/PlayListFiles.h"
#include "support/TestEnvironment.h"
#include "support/TunedChannels.h"

using namespace pvx;
using namespace pvx::scheduled;
namespace ipc = pvx::platform::ipc;
using pvx::commands::CodeOf;
using pvx::commands::TCommand;

namespace {

QProcessEnvironment Environment() {
  QProcessEnvironment env = test::ProgramEnvironment();
  env.insert("OKA_PVX_SYSTEMD_DIR", test::Home() + "units");
  env.insert("OKA_PVX_SYSTEMCTL", "");  // no timers: the scheduler fires the entry itself
  return env;
}

bool Start(QProcess& process, const QString& program, const QStringList& args, const char* endpoint) {
  if (program == PVX_PROGRAM) test::StoreTunedChannels();
  process.setProcessEnvironment(Environment());
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.start(program, args);
  return process.waitForStarted() && test::WaitUntil([endpoint] { return ipc::FindWindow(endpoint); }, 60000);
}

int Scheduled(const QStringList& args) {
  QProcess p;
  p.setProcessEnvironment(Environment());
  p.start(PVX_SCHEDULED, args);
  return p.waitForFinished(20000) ? p.exitCode() : -1;
}

TOutcome OutcomeOf(qint32 id) {
  TTimetable table;
  table.Load(TTimetable::DefaultPath());
  const TScheduleEntry* e = table.Find(id);
  return e ? e->Outcome : TOutcome::None;
}

void ExitProgram() {
  ASSERT_TRUE(ipc::PostMessage(ipc::kMainWindowClass, ipc::kMsgCommand, CodeOf(TCommand::Exit), 0));
  // Its window goes first; the program has ended (its files saved) once its single-instance lock
  // is free, and only then may the test's folder go.
  ipc::TInstanceLock lock;
  EXPECT_TRUE(test::WaitUntil([&] { return lock.Acquire(); }, 60000));
}

}  // namespace

// Help and the version are answered with no window (a platform that does not exist would abort
// one), an unknown option with the usage on the error output and status 2; "-" is a word.
TEST(CommandLines, HelpVersionAndUnknownOptionsAreAnsweredWithoutAWindow) {
  const std::tuple<const char*, QStringList, int, const char*> rows[] = {
      {PVX_PROGRAM, {"--help"}, 0, "Usage: oka-pvx"},      {PVX_PROGRAM, {"fm", "--version"}, 0, " (built "},
      {PVX_PROGRAM, {"--nonsense"}, 2, "unknown option --nonsense"}, {PVX_SCHEDULED, {"-h"}, 0, "Usage: Scheduled"},
      {PVX_SCHEDULED, {"--version"}, 0, " (built "},       {PVX_SCHEDULED, {"--nope"}, 2, "Usage: Scheduled"},
      {PVX_SCHEDULED, {"--remove", "-", "-x"}, 2, "unknown option -x"}};
  for (const auto& [program, args, status, text] : rows) {
    QProcess p;
    QProcessEnvironment env = Environment();
    env.insert("QT_QPA_PLATFORM", "no-such-platform");
    p.setProcessEnvironment(env);
    p.start(program, args);
    ASSERT_TRUE(p.waitForFinished(20000)) << args.join(' ').toStdString();
    EXPECT_EQ(p.exitCode(), status) << args.join(' ').toStdString();
    const QByteArray said = status ? p.readAllStandardError() : p.readAllStandardOutput();
    EXPECT_TRUE(said.contains(text)) << said.constData();
  }
}

// The five-second entry two seconds ahead: the scheduler waits for the program's answer, and the
// recording is in the Done list.
TEST(ScheduledRun, AnEntryRecordsInTheRunningProgram) {
  QProcess program, scheduled;
  ASSERT_TRUE(Start(program, PVX_PROGRAM, {}, ipc::kMainWindowClass));
  ASSERT_TRUE(Start(scheduled, PVX_SCHEDULED, {}, ipc::kSchedulerWindowClass));
  const QString start = QDateTime::currentDateTime().addSecs(2).toString("yyyy-MM-dd HH:mm:ss");
  ASSERT_EQ(Scheduled({"--add", start, "5s", "composite", "-", "mpeg1"}), 0);
  ASSERT_TRUE(test::WaitUntil([] { return OutcomeOf(1) == TOutcome::Recorded; }, 60000))
      << "outcome: " << OutcomeText(OutcomeOf(1)).toStdString();

  playback::TPlaybackItems items;
  playback::LoadPlayItems(playback::PlayItemsPath(), items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]->Description, "Scheduled");
  const test::TProbe probe = test::Probe(items[0]->FilePath);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.format, "mpeg");
  EXPECT_EQ(probe.picture, test::PictureText("mpeg1video", 320, 240, 30));
  EXPECT_NEAR(probe.duration, 5.0, 1.5);
  ExitProgram();
  scheduled.terminate();
  scheduled.waitForFinished(10000);
  EXPECT_TRUE(program.waitForFinished(30000));
}

// What a systemd timer runs: with nothing else running, --fire starts the program and stays
// until the recording's answer, which becomes its exit status.
TEST(ScheduledRun, FireFromATimerWaitsForTheRecording) {
  ASSERT_EQ(Scheduled({"--add", QDateTime::currentDateTime().addSecs(60).toString("yyyy-MM-dd HH:mm:ss"), "4s",
                       "composite", "-", "mpeg1"}), 0);
  QProcess fire;
  fire.setProcessEnvironment(Environment());
  fire.start(PVX_SCHEDULED, {"--fire", "1"});
  ASSERT_TRUE(fire.waitForFinished(60000));
  EXPECT_EQ(fire.exitCode(), 0) << fire.readAllStandardError().toStdString();
  EXPECT_EQ(OutcomeOf(1), TOutcome::Recorded);
  ExitProgram();
}
