// The local message channel: its frames byte by byte, the private folder it lives in, the
// instance lock, endpoints served in this process (sends answered from another thread, a stale
// socket left by a dead one), and oka-remote run as a process against an endpoint of this test.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <cstring>
#include <future>

#include "commands/CommandTable.h"
#include "platform/Clock.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/MessageFraming.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TInstanceLock.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "support/TestEnvironment.h"

namespace pvx::platform::ipc {
namespace {

using namespace std::chrono_literals;
using commands::CodeOf;
using commands::TCommand;
using test::WaitUntil;

const QString kClass = QString::fromLatin1(kMainWindowClass);

// An endpoint that records what it is handed and answers wParam * 2.
struct RecordingEndpoint {
  std::vector<TMessage> received;
  TMessageEndpoint endpoint{kClass, [this](quint32 msg, qint32 w, qint32 l) {
                              received.push_back({msg, w, l});
                              return w * 2;
                            }};
};

mode_t ModeOf(const QString& path) {
  struct stat st {};  // of the path itself, not what a link points to
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// A send from another thread, answered while this thread serves the endpoint.
std::optional<qint32> SendFromAnotherThread(quint32 msg, qint32 wParam, int timeoutMs = 2000) {
  auto sent = std::async(std::launch::async, SendMessage, kClass, msg, wParam, 0, timeoutMs);
  EXPECT_TRUE(WaitUntil([&] { return sent.wait_for(0s) == std::future_status::ready; }));
  return sent.get();
}

sockaddr_un AddressOf(const QByteArray& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
  return address;
}

// A raw connection to the endpoint that has written `bytes`.
std::unique_ptr<QLocalSocket> Peer(const QByteArray& bytes) {
  auto peer = std::make_unique<QLocalSocket>();
  peer->connectToServer(EndpointPath(kClass));
  EXPECT_TRUE(peer->waitForConnected(1000));
  peer->write(bytes);
  peer->flush();
  return peer;
}

TEST(MessageFraming, DocumentedBytesRoundTripsAndMalformedFramesRefused) {
  EXPECT_EQ(EncodeRequest({TDelivery::Send, {3024, 4001, -2}}).toHex(' '),
            QByteArray::fromHex("4f4b414d 01 02 0000 d00b0000 a10f0000 feffffff").toHex(' '));
  EXPECT_EQ(EncodeReply(-1).toHex(' '), QByteArray::fromHex("4f4b4152 01 000000 ffffffff").toHex(' '));
  for (const TRequest& row : {TRequest{TDelivery::Post, {0, 0, 0}},
                              {TDelivery::Send, {0xFFFFFFFFu, INT32_MIN, INT32_MAX}},
                              {TDelivery::Post, {0xC0A1, -1, 1}}})
    EXPECT_EQ(DecodeRequest(EncodeRequest(row)), row);
  for (qint32 result : {0, 1, -1, INT32_MIN, INT32_MAX}) EXPECT_EQ(DecodeReply(EncodeReply(result)), result);
  const QByteArray request = EncodeRequest({TDelivery::Post, {3024, 1, 0}}), reply = EncodeReply(7);
  auto with = [](QByteArray bytes, int offset, char value) {
    bytes[offset] = value;
    return bytes;
  };
  // clang-format off
  const std::pair<const char*, QByteArray> requests[] = {
      {"empty", {}}, {"short", request.left(kRequestSize - 1)}, {"long", request + '\0'},
      {"magic", with(request, 0, 'X')}, {"version 0", with(request, 4, 0)},
      {"version 2", with(request, 4, 2)}, {"kind 0", with(request, 5, 0)}, {"kind 3", with(request, 5, 3)},
      {"reserved", with(request, 6, 1)},
      {"text", QByteArray("next-channel\n\0\0\0\0\0\0\0\0", kRequestSize)},
      {"reply instead of request", EncodeReply(0) + QByteArray(8, '\0')}};
  const std::pair<const char*, QByteArray> replies[] = {
      {"empty", {}}, {"short", reply.left(11)}, {"long", reply + 'x'}, {"magic", with(reply, 3, 'M')},
      {"version", with(reply, 4, 9)}, {"reserved", with(reply, 7, 1)}};
  // clang-format on
  for (const auto& [what, bytes] : requests) EXPECT_FALSE(DecodeRequest(bytes)) << what;
  for (const auto& [what, bytes] : replies) EXPECT_FALSE(DecodeReply(bytes)) << what;
  EXPECT_TRUE(DecodeRequest(request) && DecodeReply(reply));
}

// The lock and the endpoints are below the runtime folder, or in /tmp. The lock has one holder at
// a time until it releases or goes, in a private file. (A second program finding it held leaves:
// ProgramRun in app_tests.)
TEST(InstanceLockAndEndpoints, LiveBelowTheRuntimeFolderOrInTmpAndTheLockHasOneHolderAtATime) {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  EXPECT_EQ(EndpointPath("OKA_PVX"), runtime + "/oka-pvx/OKA_PVX");
  EXPECT_EQ(TInstanceLock().Path(), runtime + "/OKA_TV_MUTEX.lock");
  for (const char* elsewhere : {"", "/nonexistent/runtime"}) {
    *elsewhere ? void(qputenv("XDG_RUNTIME_DIR", elsewhere)) : void(qunsetenv("XDG_RUNTIME_DIR"));
    EXPECT_EQ(TInstanceLock::DefaultPath(), QStringLiteral("/tmp/OKA_TV_MUTEX-%1.lock").arg(::getuid()));
  }
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(EndpointFolder(), QStringLiteral("/tmp/oka-pvx-%1/").arg(::getuid()));
  qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
  const std::pair<QString, bool> classes[] = {
      {"OKA_PVX", true}, {"OKA_TV_SCHEDULED_RECORD", true}, {"a-b.c", true}, {"zZ09", true},
      {QString(64, 'A'), true}, {QString(65, 'A'), false}, {"", false}, {".", false}, {"..", false},
      {"a/b", false}, {"../OKA_PVX", false}, {"a b", false}, {".hidden", false}, {"a@", false}};
  for (const auto& [name, valid] : classes) EXPECT_EQ(IsValidWindowClass(name), valid) << name.toStdString();
  EXPECT_TRUE(EndpointPath("../x").isEmpty());
  // One holder at a time.
  auto first = std::make_unique<TInstanceLock>();
  ASSERT_TRUE(first->Acquire());
  EXPECT_TRUE(first->Acquire());  // again: still held
  EXPECT_EQ(ModeOf(first->Path()) & 0777, 0600u);
  TInstanceLock second;
  EXPECT_FALSE(second.Acquire() || second.IsHeld());
  first->Release();
  EXPECT_TRUE(!first->IsHeld() && second.Acquire());
  second.Release();
  EXPECT_TRUE(first->Acquire());
  first.reset();  // the lock goes with its owner
  EXPECT_TRUE(second.Acquire());
  // A symbolic link and an unwritable place are refused.
  const QString target = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/elsewhere";
  ASSERT_TRUE(QFile::link(target, target + ".lock"));
  EXPECT_FALSE(TInstanceLock(target + ".lock").Acquire() || QFile::exists(target));
  EXPECT_FALSE(TInstanceLock("/nonexistent/folder/OKA_TV_MUTEX.lock").Acquire());
}

TEST(MessageEndpoint, FindWindowPostAndSendFollowTheEndpointsLifeWhichNeverStartsOverAFile) {
  RecordingEndpoint e;
  // A missing endpoint fails at once, long before its send time-out.
  EXPECT_FALSE(SendFromAnotherThread(kMsgCommand, 1, 60000));
  EXPECT_FALSE(FindWindow(kClass) || PostMessage(kClass, kMsgCommand, 1, 0) ||
               PostMessage("../escape", kMsgCommand, 1, 0));
  ASSERT_TRUE(QDir().mkpath(EndpointFolder()));
  ASSERT_EQ(::chmod(QFile::encodeName(EndpointFolder()).constData(), 0755), 0);
  ASSERT_TRUE(e.endpoint.Listen());
  EXPECT_TRUE(FindWindow(kClass) && e.endpoint.SocketPath() == EndpointPath(kClass));
  // The folder is tightened to private and the socket is for the user only.
  EXPECT_EQ(ModeOf(EndpointFolder()) & 07777, 0700u);
  EXPECT_EQ(ModeOf(EndpointPath(kClass)) & (S_IFMT | 0777), S_IFSOCK | 0600u);
  EXPECT_TRUE(PostMessage(kClass, kMsgCommand, 4001, 0));
  EXPECT_TRUE(PostMessages(kClass, {{kMsgCommand, 10001, 0}, {kMsgCommand, 10002, 0}, {kMsgEnterFM, 0, -5}}));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 4; }));
  EXPECT_EQ(e.received, (std::vector<TMessage>{{kMsgCommand, 4001, 0}, {kMsgCommand, 10001, 0},
                                                {kMsgCommand, 10002, 0}, {kMsgEnterFM, 0, -5}}));
  // This thread serves the endpoint and now blocks in the send, so it gives up after its timeout.
  EXPECT_FALSE(SendMessage(kClass, kMsgCommand, 7, 0, 300));
  // The message still arrives; its reply goes nowhere, harmlessly.
  ASSERT_TRUE(PostMessage(kClass, kMsgCommand, 8, 0) && WaitUntil([&] { return e.received.size() == 6; }));
  e.endpoint.Close();
  EXPECT_FALSE(FindWindow(kClass) || QFile::exists(EndpointPath(kClass)));
  // It never listens over a file, in a linked folder or for an invalid class.
  ASSERT_TRUE(EnsurePrivateFolder(EndpointFolder()));
  test::WriteFile(EndpointPath(kClass), "precious");
  EXPECT_FALSE(RecordingEndpoint().endpoint.Listen());
  EXPECT_EQ(test::ReadFile(EndpointPath(kClass)), "precious");
  const QString elsewhere = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/elsewhere";
  ASSERT_TRUE(QDir(EndpointFolder()).removeRecursively() && QDir().mkpath(elsewhere));
  ASSERT_TRUE(QFile::link(elsewhere, EndpointFolder().chopped(1)));  // a folder that is not a real one
  EXPECT_TRUE(!RecordingEndpoint().endpoint.Listen() && QDir(elsewhere).isEmpty());
  TMessageEndpoint invalid("../OKA_PVX", [](quint32, qint32, qint32) { return 0; });
  EXPECT_FALSE(invalid.Listen() || invalid.IsListening());
}

// A send crosses the socket and its answer comes back; a live endpoint is not taken over, the
// socket a dead process left is; malformed input is dropped and the endpoint keeps working.
TEST(MessageEndpoint, SendsAreAnsweredALiveEndpointIsNotTakenOverAStaleSocketIsAndBadInputDropped) {
  {
    RecordingEndpoint e;
    ASSERT_TRUE(e.endpoint.Listen() && !RecordingEndpoint().endpoint.Listen());
    EXPECT_EQ(SendFromAnotherThread(kMsgScheduledStatus, kScheduledDiskFull), kScheduledDiskFull * 2);
    EXPECT_EQ(SendFromAnotherThread(1, -10), -20);
    EXPECT_EQ(e.received, (std::vector<TMessage>{{kMsgScheduledStatus, kScheduledDiskFull, 0}, {1, -10, 0}}));
  }
  // Bound, never answered and not removed, as a killed process leaves it.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = AddressOf(QFile::encodeName(EndpointPath(kClass)));
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  ASSERT_TRUE(S_ISSOCK(ModeOf(EndpointPath(kClass))) && !FindWindow(kClass));
  RecordingEndpoint e;
  ASSERT_TRUE(e.endpoint.Listen() && PostMessage(kClass, kMsgCommand, 3, 0));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 1; }));
  const QByteArray post = EncodeRequest({TDelivery::Post, {kMsgCommand, 1, 0}});
  // Every frame that does not decode goes the same way (MessageFraming has them all): the
  // endpoint hangs up without a word.
  const auto text = Peer("next-channel\nnext-channel\nnext-channel\n");
  EXPECT_TRUE(WaitUntil([&] { return text->state() == QLocalSocket::UnconnectedState; }, 3000));
  EXPECT_EQ(text->bytesAvailable(), 0);
  Peer(post.left(11))->disconnectFromServer();  // gives up halfway through a frame
  const auto silent = Peer(post.left(11));      // stays silent halfway: dropped once idle
  // Only whole, valid frames ever reach the handler.
  ASSERT_TRUE(PostMessage(kClass, kMsgCommand, 4002, 0) && WaitUntil([&] { return e.received.size() == 2; }));
  EXPECT_EQ(e.received.back(), (TMessage{kMsgCommand, 4002, 0}));
  EXPECT_EQ(silent->state(), QLocalSocket::ConnectedState);
  EXPECT_TRUE(WaitUntil([&] {
    test::Clock().Advance(1000);
    return silent->state() == QLocalSocket::UnconnectedState;
  }, 2000));
}

// Root passes the private folder and the socket's mode, as anyone does once modes are loosened:
// with them opened wide, a second user connects and sends, and the endpoint hangs up without
// handling or answering; this user's next message is handled.
TEST(MessageEndpoint, AConnectionFromAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as a second user needs root";
  RecordingEndpoint e;
  ASSERT_TRUE(e.endpoint.Listen());
  const QByteArray path = QFile::encodeName(EndpointPath(kClass));
  ASSERT_EQ(::chmod(path.constData(), 0666), 0);
  for (QDir up(EndpointFolder()); up.path() != "/"; up.cdUp())  // the test's private folders too
    ASSERT_EQ(::chmod(QFile::encodeName(up.path()).constData(), (ModeOf(up.path()) & 07777) | S_IXOTH), 0);
  const QByteArray send = EncodeRequest({TDelivery::Send, {kMsgCommand, 5, 0}});
  const sockaddr_un address = AddressOf(path);
  const pid_t child = ::fork();
  if (child == 0) {  // as nobody: 2 = cannot become it, 3 = cannot connect, 4 = answered
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) ::_exit(3);
    char reply[kReplySize];
    ::_exit(::write(fd, send.constData(), kRequestSize) == kRequestSize && ::read(fd, reply, kReplySize) > 0 ? 4 : 0);
  }
  int status = -1;
  ASSERT_TRUE(WaitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  ASSERT_TRUE(PostMessage(kClass, kMsgCommand, 6, 0) && WaitUntil([&] { return !e.received.empty(); }));
  EXPECT_EQ(e.received, (std::vector<TMessage>{{kMsgCommand, 6, 0}}));
}

// The arguments, the exit status, the messages sent and pieces of the standard output, or of the
// error output when it fails. The rows up to --help run with no endpoint there, the rest with it
// listening.
TEST(OkaRemote, CommandLinesGiveTheirMessagesOutputAndExitStatus) {
  RecordingEndpoint e;  // under the main window's class, as oka-remote addresses it
  const auto command = [](TCommand c) { return TMessage{kMsgCommand, CodeOf(c), 0}; };
  // clang-format off
  const std::tuple<QStringList, int, std::vector<TMessage>, QStringList> rows[] = {
      {{"next-channel"}, 2, {}, {"not running"}}, {{"--activate"}, 2, {}, {"not running"}},
      {{"--enter-fm"}, 2, {}, {"not running"}}, {{"--leave-fm"}, 2, {}, {"not running"}},
      {{"--list"}, 0, {}, {"4001  next-channel", "401  volume-up", "10009  digit-9", "10100  decimal-point",
                           "1  exit"}},
      {{"--version"}, 0, {}, {"oka-remote ", " (built "}}, {{"--help"}, 0, {}, {"Usage: oka-remote", "Exit status"}},
      {{"next-channel"}, 0, {command(TCommand::NextChannel)}, {}},
      {{"digit-1", "digit-2", "enter", "mute"}, 0,
       {command(commands::DigitCommand(1)), command(commands::DigitCommand(2)), command(TCommand::Enter),
        command(TCommand::Mute)}, {}},
      {{"--enter-fm"}, 0, {{kMsgEnterFM, 0, 0}}, {}}, {{"--leave-fm"}, 0, {{kMsgLeaveFM, 0, 0}}, {}},
      // Lines written for tvtime-command and xawtv-remote.
      {{"CHANNEL_INC", "Toggle_FullScreen", "quit"}, 0, {command(TCommand::NextChannel), command(TCommand::FullScreen),
       command(TCommand::Exit)}, {}},
      {{"setstation", "12"}, 0, {command(commands::DigitCommand(1)), command(commands::DigitCommand(2)),
       command(TCommand::Enter)}, {}},
      {{"volume", "dec"}, 0, {command(TCommand::VolumeDown)}, {}}, {{"volume", "50"}, 1, {}, {}}, {{"setstation"}, 1, {}, {}},
      {{}, 1, {}, {}}, {{"no-such-command"}, 1, {}, {}}, {{"--no-such-option"}, 1, {}, {}},
      {{"next-channel", "bogus"}, 1, {}, {}},  // nothing of a sequence is sent when one word is wrong
      {{"--list", "extra"}, 1, {}, {}}, {{"--activate", "mute"}, 1, {}, {}},
      {{"--activate"}, 0, {{kMsgActivate, 0, 0}}, {}}};  // last: what a refused line sent would show here
  // clang-format on
  for (const auto& row : rows) {
    const auto& [args, exitCode, sent, printed] = row;
    SCOPED_TRACE(args.join(' ').toStdString());
    ASSERT_TRUE(&row != &rows[7] || e.endpoint.Listen());
    e.received.clear();
    QProcess process;
    process.start(QStringLiteral(PVX_OKA_REMOTE), args);
    // This thread keeps serving the endpoint while the tool runs.
    ASSERT_TRUE(process.waitForStarted(5000) &&
                WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, exitCode);
    const QString out = QString::fromUtf8(exitCode ? process.readAllStandardError()
                                                   : process.readAllStandardOutput());
    EXPECT_TRUE(!exitCode || !out.isEmpty());
    EXPECT_GE(out.count('\n'), args == QStringList{"--list"} ? 60 : 0);  // every command is listed
    for (const QString& piece : printed) EXPECT_TRUE(out.contains(piece)) << piece.toStdString();
    EXPECT_TRUE(sent.empty() || WaitUntil([&] { return e.received.size() == sent.size(); }));
    EXPECT_EQ(e.received, sent);
  }
}

}  // namespace
}  // namespace pvx::platform::ipc
