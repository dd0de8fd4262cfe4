// Browsers on the one live stream: each starts with the header at its next key fragment, a new
// stream starts them all again, the end closes them, and the encoder runs while anyone watches.

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "remote/LiveHub.h"
#include "support/TestEnvironment.h"

namespace pvx::test {
namespace {

using remote::TLiveHub;
using P = remote::TStreamPiece;

struct Viewer {
  std::unique_ptr<QTcpSocket> client;
  QByteArray got;
};

TEST(LiveHub, ViewersStartAtAKeyFragmentAgainAfterANewHeaderAndTheEndClosesThem) {
  QTcpServer listener;
  ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
  TLiveHub hub;
  QList<bool> watched;
  hub.OnWatched = [&](bool on) { watched << on; };
  Viewer viewers[2];
  const auto join = [&](Viewer& v) {
    v.client = std::make_unique<QTcpSocket>();
    v.client->connectToHost(QHostAddress::LocalHost, listener.serverPort());
    ASSERT_TRUE(WaitUntil([&] { return listener.hasPendingConnections(); }));
    hub.AddViewer(listener.nextPendingConnection());
  };
  // What arrives, and when the second viewer comes.
  const struct { const char* bytes; P piece; bool secondJoinsFirst; } stream[] = {
      {"H1", P::Header, false}, {"k1", P::KeyStart, false}, {"m1", P::More, false},
      {"s2", P::Start, true},   {"m2", P::More, false},     {"k3", P::KeyStart, false},
      {"H2", P::Header, false}, {"m4", P::More, false},     {"k5", P::KeyStart, false},
  };
  join(viewers[0]);
  for (const auto& s : stream) {
    if (s.secondJoinsFirst) join(viewers[1]);
    hub.Take(s.bytes, s.piece);
  }
  const QByteArray expected[] = {"H1k1m1s2m2k3H2k5", "H1k3H2k5"};
  for (int i : {0, 1}) {
    Viewer& v = viewers[i];
    EXPECT_TRUE(WaitUntil([&] { return (v.got += v.client->readAll()).size() >= expected[i].size(); }));
    EXPECT_EQ(v.got, expected[i]) << "viewer " << i;
  }
  hub.Take({}, P::End);
  for (Viewer& v : viewers)
    EXPECT_TRUE(WaitUntil([&] { return v.client->state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_TRUE(WaitUntil([&] { return hub.Viewers() == 0; }));
  EXPECT_EQ(watched, (QList<bool>{true, false})) << "on with the first viewer, off with the last";
}

}  // namespace
}  // namespace pvx::test
