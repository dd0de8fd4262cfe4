#pragma once
// Watching and controlling the program from elsewhere in the home: the page and its API over
// HTTP, the live view over RTSP and as MP4 for browsers, and the announcement to the other
// boxes. Everything here starts with Serve and ends with Stop.

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <mutex>

namespace pvx::platform::discovery {
class TServiceDiscovery;
}
namespace pvx::platform::media {
class TLiveMp4Stream;
}
namespace pvx::platform::rtsp {
class TRtspServer;
}
namespace pvx::remote {
class TRemoteServer;
}

namespace pvx::app {

struct TShell;
class TRemoteLink;

class THomeServing final : public QObject {
 public:
  explicit THomeServing(TShell& shell);
  ~THomeServing() override;

  // Starts serving on OKA_PVX_SERVE_PORT (0: a free one) or kServePort, for this computer or
  // the whole home network; the port it listens on, 0 when it cannot.
  quint16 Serve(bool otherDevices);
  void Stop();
  quint16 Port() const { return port_; }
  // The page's address with its token; empty while it does not serve.
  QString Link() const;
  // The RTSP address of the live view with its token; empty without the RTSP server.
  QString LiveStreamLink() const;

  static constexpr quint16 kServePort = 8765;
  static constexpr quint16 kRtspPort = 8554;

 private:
  void StartStreaming(bool otherDevices);
  void Announce();
  void Feed();
  void WatchInBrowsers(bool watched);
  void TakeSound(const QByteArray& s16Stereo, int rate);

  TShell& shell_;
  std::unique_ptr<TRemoteLink> link_;
  std::unique_ptr<remote::TRemoteServer> server_;
  std::unique_ptr<platform::discovery::TServiceDiscovery> discovery_;
  std::unique_ptr<platform::rtsp::TRtspServer> rtsp_;
  std::unique_ptr<platform::media::TLiveMp4Stream> browserStream_;
  // What the sound tap's thread may reach; changed only under the lock.
  std::mutex soundMutex_;
  platform::rtsp::TRtspServer* soundToRtsp_ = nullptr;
  platform::media::TLiveMp4Stream* soundToBrowsers_ = nullptr;
  QTimer feed_;
  QElapsedTimer clock_;
  int ticks_ = 0;
  int thumbnailChannel_ = 0;  // the TV channel at the last look
  int steadyLooks_ = 0;       // looks since it changed
  QImage radioPicture_;       // what the streams show of the FM station
  QString radioFrequency_;
  // The Done list's files, for the RTSP server's threads.
  std::shared_ptr<std::pair<std::mutex, QStringList>> servedFiles_;
  quint16 port_ = 0;
  bool others_ = false;
};

}  // namespace pvx::app
