// oka-remote run as a process against an endpoint of this test.

#include <gtest/gtest.h>

#include <span>

#include "IpcTestSupport.h"
#include "commands/CommandTable.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"

namespace pvx::platform::ipc {
namespace {

using commands::CodeOf;
using commands::TCommand;
using test::WaitUntil;

struct Row {
  QStringList args;
  int exitCode;
  std::vector<TMessage> sent;
  QStringList printed;  // pieces of the standard output, or of the error output when it fails
};

TEST(OkaRemote, CommandLinesGiveTheirMessagesOutputAndExitStatus) {
  std::vector<TMessage> received;
  TMessageEndpoint endpoint(QString::fromLatin1(kMainWindowClass), [&](quint32 msg, qint32 w, qint32 l) {
    received.push_back({msg, w, l});
    return 0;
  });
  const TMessage next{kMsgCommand, CodeOf(TCommand::NextChannel), 0};
  // clang-format off
  const Row notRunning[] = {
      {{"next-channel"}, 2, {}, {"not running"}}, {{"--activate"}, 2, {}, {"not running"}},
      {{"--enter-fm"}, 2, {}, {"not running"}}, {{"--leave-fm"}, 2, {}, {"not running"}},
      {{"--list"}, 0, {}, {"4001  next-channel", "401  volume-up", "10009  digit-9", "10100  decimal-point", "1  exit"}},
      {{"--help"}, 0, {}, {"Usage: oka-remote", "Exit status"}}};
  const Row running[] = {
      {{"next-channel"}, 0, {next}, {}}, {{"Next_Channel"}, 0, {next}, {}}, {{"4001"}, 0, {next}, {}},
      {{"channel-up"}, 0, {next}, {}}, {{"digit-1", "digit-2", "enter", "mute"}, 0,
       {{kMsgCommand, CodeOf(commands::DigitCommand(1)), 0}, {kMsgCommand, CodeOf(commands::DigitCommand(2)), 0},
        {kMsgCommand, CodeOf(TCommand::Enter), 0}, {kMsgCommand, CodeOf(TCommand::Mute), 0}}, {}},
      {{"--enter-fm"}, 0, {{kMsgEnterFM, 0, 0}}, {}}, {{"--leave-fm"}, 0, {{kMsgLeaveFM, 0, 0}}, {}},
      {{"--activate"}, 0, {{kMsgActivate, 0, 0}}, {}},
      {{}, 1, {}, {}}, {{"no-such-command"}, 1, {}, {}}, {{"99999"}, 1, {}, {}}, {{"4001x"}, 1, {}, {}},
      {{"next-channel", "bogus"}, 1, {}, {}},  // nothing of a sequence is sent when one word is wrong
      {{"--no-such-option"}, 1, {}, {}}, {{"--list", "extra"}, 1, {}, {}}, {{"--activate", "mute"}, 1, {}, {}}};
  // clang-format on
  for (const bool listening : {false, true}) {
    if (listening) {
      ASSERT_TRUE(endpoint.Listen());
    }
    for (const Row& row : listening ? std::span<const Row>(running) : std::span<const Row>(notRunning)) {
      SCOPED_TRACE(row.args.join(' ').toStdString());
      received.clear();
      QProcess process;
      process.start(QStringLiteral(PVX_OKA_REMOTE), row.args);
      // This thread keeps serving the endpoint while the tool runs.
      ASSERT_TRUE(process.waitForStarted(5000) &&
                  WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000));
      EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, row.exitCode);
      const QString out = QString::fromUtf8(row.exitCode ? process.readAllStandardError()
                                                         : process.readAllStandardOutput());
      EXPECT_TRUE(!row.exitCode || !out.isEmpty());
      EXPECT_GE(out.count('\n'), row.args == QStringList{"--list"} ? 60 : 0);  // every command is listed
      for (const QString& piece : row.printed) EXPECT_TRUE(out.contains(piece)) << piece.toStdString();
      EXPECT_TRUE(row.sent.empty() || WaitUntil([&] { return received.size() == row.sent.size(); }));
      EXPECT_EQ(received, row.sent);
    }
  }
  // A message posted after the refused lines is the first to arrive.
  const TMessage previous{kMsgCommand, CodeOf(TCommand::PreviousChannel), 0};
  ASSERT_TRUE(PostMessage(QString::fromLatin1(kMainWindowClass), previous.msg, previous.wParam, 0));
  ASSERT_TRUE(WaitUntil([&] { return !received.empty(); }));
  EXPECT_EQ(received.front(), previous);
}

}  // namespace
}  // namespace pvx::platform::ipc
