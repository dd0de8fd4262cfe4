#pragma once
// An RTSP server for watching the program from elsewhere: rtsp://HOST:PORT/live shows what the
// program shows, rtsp://HOST:PORT/recordings/N plays recording N. It runs on its own thread, so
// the program's event loop plays no part in serving.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace pvx::platform::rtsp {

class TRtspServer {
 public:
  TRtspServer();
  ~TRtspServer();
  TRtspServer(const TRtspServer&) = delete;
  TRtspServer& operator=(const TRtspServer&) = delete;

  // Listens on `address` ("127.0.0.1", "0.0.0.0", …) and `port`, 0 for a free one. False, with
  // the reason in `error`, when the port is taken or an element the streams need is missing.
  bool Start(const QString& address, quint16 port, QString& error);
  // The port listened on; 0 when stopped.
  quint16 Port() const;
  // A connection's first request must carry ?token=<token>, and any request that names a token
  // must name this one; others get 401. Later requests of a connection that showed it may leave
  // it out, as clients derive their URLs from the server's base URL. A new token withdraws that
  // standing. No token refuses everything.
  void SetToken(const QByteArray& token);

  // The live view. Pictures are taken as Qt images because the program's frames already are
  // images (Format_RGB32); the server holds the picture's pixels without copying them and
  // converts them only while the one shared encoder runs. Pictures may change size. `ptsNs`
  // comes from one clock for pictures and sound. Without a viewer both calls return at once.
  // Safe from any thread.
  void PushPicture(const QImage& picture, qint64 ptsNs);
  // Interleaved signed 16-bit stereo at `rate` Hz. While none comes, /live carries silence.
  void PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs);
  // At least one client plays /live.
  bool LiveWatched() const;

  // The file served as /recordings/N, or an empty string when N is none (404). Called on one of
  // the server's threads when a client asks, so it must be safe there and must not call Stop.
  void SetRecordings(std::function<QString(int)> fileOfNumber);

  // Closes every client and stops listening; Start may follow again.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pvx::platform::rtsp
