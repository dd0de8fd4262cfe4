// oka-remote run as a process against an endpoint of this test.

#include <gtest/gtest.h>

#include <QProcess>
#include <vector>

#include "IpcTestSupport.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/MessageFraming.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"

namespace pvx::platform::ipc {
namespace {

using test::WaitUntil;

struct RemoteRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// Runs the tool while this thread keeps serving the endpoint.
RemoteRun RunRemote(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral(PVX_OKA_REMOTE), args);
  RemoteRun run;
  if (!process.waitForStarted(5000) ||
      !WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
    process.kill();
    process.waitForFinished(5000);
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

class OkaRemote : public ::testing::Test {
 protected:
  std::vector<TMessage> received;
  TMessageEndpoint endpoint{QString::fromLatin1(kMainWindowClass),
                            [this](quint32 msg, qint32 w, qint32 l) {
                              received.push_back({msg, w, l});
                              return 0;
                            }};
};

TEST_F(OkaRemote, CommandByNameOrCodeArrivesAsACommandMessage) {
  ASSERT_TRUE(endpoint.Listen());
  for (const char* word : {"next-channel", "Next_Channel", "4001", "channel-up"}) {
    received.clear();
    EXPECT_EQ(RunRemote({word}).exitCode, 0) << word;
    ASSERT_TRUE(WaitUntil([&] { return received.size() == 1; })) << word;
    EXPECT_EQ(received.front(), (TMessage{kMsgCommand, 4001, 0})) << word;
  }
}

TEST_F(OkaRemote, SeveralCommandsArriveInOrder) {
  ASSERT_TRUE(endpoint.Listen());
  EXPECT_EQ(RunRemote({"digit-1", "digit-2", "enter", "mute"}).exitCode, 0);
  ASSERT_TRUE(WaitUntil([&] { return received.size() == 4; }));
  const std::vector<TMessage> expected = {{kMsgCommand, 10001, 0},
                                          {kMsgCommand, 10002, 0},
                                          {kMsgCommand, 10020, 0},
                                          {kMsgCommand, 403, 0}};
  EXPECT_EQ(received, expected);
}

TEST_F(OkaRemote, WindowMessagesForFMAndActivation) {
  ASSERT_TRUE(endpoint.Listen());
  const struct {
    const char* option;
    quint32 msg;
  } rows[] = {{"--enter-fm", kMsgEnterFM}, {"--leave-fm", kMsgLeaveFM}, {"--activate", kMsgActivate}};
  for (const auto& row : rows) {
    received.clear();
    EXPECT_EQ(RunRemote({row.option}).exitCode, 0) << row.option;
    ASSERT_TRUE(WaitUntil([&] { return received.size() == 1; })) << row.option;
    EXPECT_EQ(received.front(), (TMessage{row.msg, 0, 0})) << row.option;
  }
}

TEST_F(OkaRemote, ExitsWithTwoWhenTheProgramIsNotRunning) {
  for (const char* arg : {"next-channel", "--activate", "--enter-fm", "--leave-fm"}) {
    const RemoteRun run = RunRemote({arg});
    EXPECT_EQ(run.exitCode, 2) << arg;
    EXPECT_TRUE(run.err.contains("not running")) << arg;
  }
}

TEST_F(OkaRemote, ABadCommandLineSendsNothingAndExitsWithOne) {
  ASSERT_TRUE(endpoint.Listen());
  const QStringList rows[] = {
      {},
      {"no-such-command"},
      {"99999"},
      {"4001x"},
      {"next-channel", "bogus"},  // nothing of a sequence is sent when one word is wrong
      {"--no-such-option"},
      {"--list", "extra"},
      {"--activate", "mute"},
  };
  for (const QStringList& args : rows) {
    const RemoteRun run = RunRemote(args);
    EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_FALSE(run.err.isEmpty()) << args.join(' ').toStdString();
  }
  // A message posted after them is the first to arrive.
  ASSERT_TRUE(PostMessage(QString::fromLatin1(kMainWindowClass), kMsgCommand, 4002, 0));
  ASSERT_TRUE(WaitUntil([&] { return !received.empty(); }));
  EXPECT_EQ(received.front(), (TMessage{kMsgCommand, 4002, 0}));
}

TEST_F(OkaRemote, ListPrintsEveryCommandWithoutTheProgram) {
  const RemoteRun run = RunRemote({"--list"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* piece : {"4001  next-channel", "401  volume-up", "10009  digit-9",
                            "10100  decimal-point", "1  exit"})
    EXPECT_TRUE(run.out.contains(piece)) << piece;
  EXPECT_GE(run.out.count('\n'), 60);
}

TEST_F(OkaRemote, HelpExplainsUsageAndExitStatus) {
  const RemoteRun run = RunRemote({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.out.contains("Usage: oka-remote"));
  EXPECT_TRUE(run.out.contains("Exit status"));
}

}  // namespace
}  // namespace pvx::platform::ipc
