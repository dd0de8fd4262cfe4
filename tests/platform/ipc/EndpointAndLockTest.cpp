#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>

#include "IpcTestSupport.h"
#include "platform/Clock.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/ipc/MessageClient.h"
#include "platform/ipc/TInstanceLock.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"

namespace pvx::platform::ipc {
namespace {

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

// A raw connection to the endpoint that has written `bytes`.
std::unique_ptr<QLocalSocket> Peer(const QByteArray& bytes) {
  auto peer = std::make_unique<QLocalSocket>();
  peer->connectToServer(EndpointPath(kClass));
  EXPECT_TRUE(peer->waitForConnected(1000));
  peer->write(bytes);
  peer->flush();
  return peer;
}

TEST(EndpointFolder, LockAndEndpointsAreBelowTheRuntimeFolderOrInTmpAndClassesCannotEscape) {
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
  for (const auto& [name, valid] : {std::pair{"OKA_PVX", true}, {"OKA_TV_SCHEDULED_RECORD", true}, {"a-b.c", true},
                                    {"", false}, {".", false}, {"..", false}, {"../OKA_PVX", false},
                                    {"a/b", false}, {"a b", false}, {".hidden", false}})
    EXPECT_EQ(IsValidWindowClass(QString::fromLatin1(name)), valid) << name;
  EXPECT_FALSE(IsValidWindowClass(QString(65, 'A')));
  EXPECT_TRUE(EndpointPath("../x").isEmpty());
}

TEST(InstanceLock, OneHolderAtATimeInAPrivateFile) {
  auto first = std::make_unique<TInstanceLock>();
  ASSERT_TRUE(first->Acquire());
  EXPECT_TRUE(first->Acquire());  // again: still held
  EXPECT_EQ(ModeOf(first->Path()) & 0777, 0600u);
  QProcess child;  // another process cannot take it either
  EXPECT_EQ(test::StartHelper(child, {"lock", first->Path()}), "busy");
  EXPECT_EQ(test::StopHelper(child), 3);
  TInstanceLock second;
  EXPECT_FALSE(second.Acquire() || second.IsHeld());
  first->Release();
  EXPECT_FALSE(first->IsHeld());
  EXPECT_TRUE(second.Acquire());
  second.Release();
  first->Acquire();
  first.reset();  // the lock goes with its owner
  EXPECT_TRUE(second.Acquire());
  // A symbolic link and an unwritable place are refused.
  const QString target = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/elsewhere";
  ASSERT_TRUE(QFile::link(target, target + ".lock"));
  EXPECT_FALSE(TInstanceLock(target + ".lock").Acquire());
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_FALSE(TInstanceLock("/nonexistent/folder/OKA_TV_MUTEX.lock").Acquire());
}

TEST(InstanceLock, AnotherProcessHoldingItKeepsUsOutUntilItEndsOrDies) {
  for (const bool killed : {false, true}) {
    QProcess child;
    ASSERT_EQ(test::StartHelper(child, {"lock", TInstanceLock::DefaultPath()}), "held");
    TInstanceLock lock;
    EXPECT_FALSE(lock.Acquire());
    if (killed) child.kill();
    EXPECT_EQ(test::StopHelper(child), killed ? 9 : 0);
    EXPECT_TRUE(lock.Acquire()) << "killed " << killed;
  }
}

TEST(MessageEndpoint, FindWindowPostAndSendFollowTheEndpointsLife) {
  RecordingEndpoint e;
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(FindWindow(kClass) || PostMessage(kClass, kMsgCommand, 1, 0) ||
               SendMessage(kClass, kMsgCommand, 1, 0) || PostMessage("../escape", kMsgCommand, 1, 0));
  EXPECT_LT(clock.elapsed(), 500);  // a missing endpoint fails fast, with no send time-out
  ASSERT_TRUE(QDir().mkpath(EndpointFolder()));
  ASSERT_EQ(::chmod(QFile::encodeName(EndpointFolder()).constData(), 0755), 0);
  ASSERT_TRUE(e.endpoint.Listen());
  EXPECT_TRUE(FindWindow(kClass));
  EXPECT_EQ(e.endpoint.SocketPath(), EndpointPath(kClass));
  // The folder is tightened to private and the socket is for the user only.
  EXPECT_EQ(ModeOf(EndpointFolder()) & 07777, 0700u);
  EXPECT_EQ(ModeOf(EndpointPath(kClass)) & (S_IFMT | 0777), S_IFSOCK | 0600u);
  EXPECT_TRUE(PostMessage(kClass, kMsgCommand, 4001, 0));
  EXPECT_TRUE(PostMessages(kClass, {{kMsgCommand, 10001, 0}, {kMsgCommand, 10002, 0}, {kMsgEnterFM, 0, -5}}));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 4; }));
  const std::vector<TMessage> expected = {
      {kMsgCommand, 4001, 0}, {kMsgCommand, 10001, 0}, {kMsgCommand, 10002, 0}, {kMsgEnterFM, 0, -5}};
  EXPECT_EQ(e.received, expected);
  // This thread serves the endpoint and now blocks in the send, so it gives up after its timeout.
  clock.restart();
  EXPECT_FALSE(SendMessage(kClass, kMsgCommand, 7, 0, 300));
  EXPECT_GE(clock.elapsed(), 250);
  EXPECT_LT(clock.elapsed(), 1500);
  // The message still arrives; its reply goes nowhere, harmlessly.
  EXPECT_TRUE(PostMessage(kClass, kMsgCommand, 8, 0));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 6; }));
  e.endpoint.Close();
  EXPECT_FALSE(FindWindow(kClass) || QFile::exists(EndpointPath(kClass)));
}

TEST(MessageEndpoint, AnotherProcessAnswersSendsAndIsNotTakenOverButItsStaleSocketIs) {
  QProcess peer;
  ASSERT_EQ(test::StartHelper(peer, {"endpoint", kClass}), "ready");
  EXPECT_TRUE(FindWindow(kClass));
  EXPECT_FALSE(RecordingEndpoint().endpoint.Listen());
  EXPECT_EQ(SendMessage(kClass, kMsgScheduledStatus, kScheduledDiskFull, 0), qint32(3028 + 2));
  EXPECT_EQ(SendMessage(kClass, 1, -10, 4), -5);
  EXPECT_TRUE(PostMessage(kClass, kMsgShowScheduler, 0, 0));
  peer.kill();  // no chance to remove its socket
  ASSERT_TRUE(peer.waitForFinished(5000));
  ASSERT_TRUE(S_ISSOCK(ModeOf(EndpointPath(kClass))));
  EXPECT_FALSE(FindWindow(kClass));
  RecordingEndpoint e;
  ASSERT_TRUE(e.endpoint.Listen());
  EXPECT_TRUE(PostMessage(kClass, kMsgCommand, 3, 0));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 1; }));
}

TEST(MessageEndpoint, MalformedInputIsDroppedAndTheEndpointKeepsWorking) {
  RecordingEndpoint e;
  ASSERT_TRUE(e.endpoint.Listen());
  const QByteArray post = EncodeRequest({TDelivery::Post, {kMsgCommand, 1, 0}});
  QByteArray badKind = post, badVersion = EncodeRequest({TDelivery::Send, {kMsgCommand, 1, 0}});
  badKind[5] = 9;
  badVersion[4] = 2;
  const std::pair<const char*, QByteArray> rows[] = {
      {"text", "next-channel\nnext-channel\nnext-channel\n"}, {"zeros", QByteArray(kRequestSize, '\0')},
      {"all ones", QByteArray(3 * kRequestSize, '\xff')},     {"unknown kind", badKind},
      {"future version", badVersion},                         {"reply bytes", EncodeReply(1) + EncodeReply(2)}};
  for (const auto& [what, bytes] : rows) {
    const auto peer = Peer(bytes);  // the endpoint hangs up without a word
    EXPECT_TRUE(WaitUntil([&] { return peer->state() == QLocalSocket::UnconnectedState; }, 3000)) << what;
    EXPECT_EQ(peer->bytesAvailable(), 0) << what;
  }
  Peer(post.left(11))->disconnectFromServer();  // gives up halfway through a frame
  const auto silent = Peer(post.left(11));      // stays silent halfway: dropped once idle
  // Only whole, valid frames ever reach the handler.
  EXPECT_TRUE(PostMessage(kClass, kMsgCommand, 4002, 0));
  ASSERT_TRUE(WaitUntil([&] { return e.received.size() == 1; }));
  EXPECT_EQ(e.received.front(), (TMessage{kMsgCommand, 4002, 0}));
  EXPECT_EQ(silent->state(), QLocalSocket::ConnectedState);
  EXPECT_TRUE(WaitUntil([&] {
    test::Clock().Advance(1000);
    return silent->state() == QLocalSocket::UnconnectedState;
  }, 2000));
}

TEST(MessageEndpoint, NeverListensOverAFileInALinkedFolderOrForAnInvalidClass) {
  ASSERT_TRUE(EnsurePrivateFolder(EndpointFolder()));
  test::WriteFile(EndpointPath(kClass), "precious");
  EXPECT_FALSE(RecordingEndpoint().endpoint.Listen());
  EXPECT_EQ(test::ReadFile(EndpointPath(kClass)), "precious");
  const QString elsewhere = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/elsewhere";
  ASSERT_TRUE(QDir(EndpointFolder()).removeRecursively() && QDir().mkpath(elsewhere));
  ASSERT_TRUE(QFile::link(elsewhere, EndpointFolder().chopped(1)));  // a folder that is not a real one
  EXPECT_FALSE(RecordingEndpoint().endpoint.Listen());
  EXPECT_TRUE(QDir(elsewhere).isEmpty());
  TMessageEndpoint invalid("../OKA_PVX", [](quint32, qint32, qint32) { return 0; });
  EXPECT_FALSE(invalid.Listen() || invalid.IsListening());
}

TEST(MessageEndpoint, TheHandlerMayDestroyTheEndpoint) {
  std::unique_ptr<TMessageEndpoint> endpoint;
  int calls = 0;
  endpoint = std::make_unique<TMessageEndpoint>(kClass, [&](quint32, qint32, qint32) {
    ++calls;
    endpoint.reset();  // e.g. the Exit command closing the window
    return 0;
  });
  ASSERT_TRUE(endpoint->Listen());
  EXPECT_TRUE(PostMessages(kClass, {{kMsgCommand, 1, 0}, {kMsgCommand, 2, 0}}));
  ASSERT_TRUE(WaitUntil([&] { return !endpoint; }));
  EXPECT_FALSE(QFile::exists(EndpointPath(kClass)));
  // A new endpoint under the class gets the next message, and the old one's second never runs.
  int later = 0;
  TMessageEndpoint next(kClass, [&](quint32, qint32 w, qint32) { return later = w; });
  ASSERT_TRUE(next.Listen());
  ASSERT_TRUE(PostMessage(kClass, kMsgCommand, 3, 0));
  ASSERT_TRUE(WaitUntil([&] { return later == 3; }));
  EXPECT_EQ(calls, 1);  // the second message went with the endpoint
}

}  // namespace
}  // namespace pvx::platform::ipc
