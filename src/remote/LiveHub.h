#pragma once
// Hands the one live stream to every browser watching /live: a viewer gets the stream's header
// and then the stream from its next key fragment on. A viewer whose connection cannot keep up
// is closed rather than let its backlog grow. Runs on the program's event loop.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QTcpSocket;

namespace pvx::remote {

enum class TStreamPiece { Header, KeyStart, Start, More, End };

class TLiveHub final : public QObject {
 public:
  explicit TLiveHub(QObject* parent = nullptr) : QObject(parent) {}
  ~TLiveHub() override;

  // The socket has had its response head; the stream's bytes follow on it.
  void AddViewer(QTcpSocket* socket);
  int Viewers() const { return int(viewers_.size()); }
  // The next bytes of the stream, in order. A Header starts a new stream: every viewer starts
  // again from its next key fragment. End closes every viewer.
  void Take(const QByteArray& bytes, TStreamPiece piece);

  // Called with true when the first viewer comes and false when the last one leaves.
  std::function<void(bool watched)> OnWatched;

  // More than this waiting to be sent to one viewer closes it.
  static constexpr qint64 kMaxBacklog = 8 * 1024 * 1024;

 private:
  struct Viewer {
    QPointer<QTcpSocket> socket;
    bool started = false;
  };
  void Drop(QTcpSocket* socket);
  static void Send(const QPointer<QTcpSocket>& socket, const QByteArray& bytes);

  QList<Viewer> viewers_;
  QByteArray header_;
  bool headerDone_ = false;
};

}  // namespace pvx::remote
