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

TEST_F(OkaRemote, CommandsByNameOrCodeAndWindowMessagesArriveInOrder) {
  ASSERT_TRUE(endpoint.Listen());
  const TMessage next{kMsgCommand, 4001, 0};
  const std::pair<QStringList, std::vector<TMessage>> rows[] = {
      {{"next-channel"}, {next}},
      {{"Next_Channel"}, {next}},
      {{"4001"}, {next}},
      {{"channel-up"}, {next}},
      {{"digit-1", "digit-2", "enter", "mute"},
       {{kMsgCommand, 10001, 0}, {kMsgCommand, 10002, 0}, {kMsgCommand, 10020, 0}, {kMsgCommand, 403, 0}}},
      {{"--enter-fm"}, {{kMsgEnterFM, 0, 0}}},
      {{"--leave-fm"}, {{kMsgLeaveFM, 0, 0}}},
      {{"--activate"}, {{kMsgActivate, 0, 0}}},
  };
  for (const auto& row : rows) {
    const std::string args = row.first.join(' ').toStdString();
    received.clear();
    EXPECT_EQ(RunRemote(row.first).exitCode, 0) << args;
    ASSERT_TRUE(WaitUntil([&] { return received.size() == row.second.size(); })) << args;
    EXPECT_EQ(received, row.second) << args;
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
