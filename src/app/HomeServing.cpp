#include "app/HomeServing.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QPainter>
#include <QPointer>
#include <QSysInfo>
#include <QUrl>

#include "app/RemoteLink.h"
#include "app/ShellContext.h"
#include "engine/CaptureInfo.h"
#include "playback/PlaybackSession.h"
#include "platform/ProgramFolder.h"
#include "platform/discovery/TServiceDiscovery.h"
#include "platform/media/TLiveMp4Stream.h"
#include "platform/rtsp/TRtspServer.h"
#include "platform/video/SoundTap.h"
#include "remote/RemoteServer.h"
#include "settings/ChannelInfo.h"
#include "settings/MainInfo.h"
#include "util/FrequencyFormat.h"

namespace pvx::app {
namespace {

using settings::amFMRadio;
using settings::amTV;

constexpr int kFeedMs = 40;
// Unwatched, a picture every half second readies the RTSP stream for a client that asks.
constexpr int kIdleEvery = 12;
// The channel is looked at every second; its thumbnail is taken once it has shown for two, and
// renewed every two.
constexpr int kThumbnailEvery = 25;

quint16 PortFrom(const char* variable, quint16 usual) {
  return qEnvironmentVariableIsSet(variable) ? quint16(qEnvironmentVariableIntValue(variable)) : usual;
}

QByteArray Token() { return remote::RemoteToken(platform::ProgramFolder()); }

// FM has no picture: the streams show the station's frequency over the sound.
QImage RadioPicture(const QString& frequency) {
  QImage picture(640, 360, QImage::Format_RGB32);
  picture.fill(QColor(16, 20, 28));
  QPainter painter(&picture);
  painter.setPen(QColor(230, 230, 235));
  QFont font = painter.font();
  font.setPixelSize(56);
  painter.setFont(font);
  painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("FM  %1 MHz").arg(frequency));
  return picture;
}

}  // namespace

THomeServing::THomeServing(TShell& shell) : shell_(shell) {
  feed_.setInterval(kFeedMs);
  connect(&feed_, &QTimer::timeout, this, &THomeServing::Feed);
}

THomeServing::~THomeServing() { Stop(); }

quint16 THomeServing::Serve(bool otherDevices) {
  if (server_ && others_ == otherDevices) return port_;
  Stop();
  const quint16 port = PortFrom("OKA_PVX_SERVE_PORT", kServePort);
  // The user asked for encryption: a broken certificate or key serves nothing, never plain HTTP.
  remote::TTlsIdentity tls;
  QString why;
  if (remote::LoadTls(platform::ProgramFolder(), tls, why) == remote::TTlsFiles::Broken) {
    qWarning("not serving, HTTPS is not possible: %s", qPrintable(why));
    return 0;
  }
  link_ = std::make_unique<TRemoteLink>(shell_);
  const QString web = QFileInfo(platform::DataFile("web/index.html")).absolutePath();
  server_ = std::make_unique<remote::TRemoteServer>(*link_, Token(), web, std::move(tls));
  port_ = server_->Listen(otherDevices, port);
  others_ = otherDevices;
  if (port_ == 0) {
    qWarning("cannot serve on port %u: it is taken", unsigned(port));
    Stop();
    return 0;
  }
  qInfo("serving on %s://%s:%u/ (its token is in %s)", server_->Secure() ? "https" : "http",
        otherDevices ? "0.0.0.0" : "127.0.0.1", unsigned(port_),
        qPrintable(platform::ProgramFolder() + "remote.token"));
  server_->Live().OnWatched = [this](bool watched) { WatchInBrowsers(watched); };
  servedFiles_ = std::make_shared<std::pair<std::mutex, QStringList>>();
  StartStreaming(otherDevices);
  platform::video::SetSoundListener([this](const QByteArray& s16, int rate) { TakeSound(s16, rate); });
  clock_.start();
  feed_.start();
  if (otherDevices) Announce();
  return port_;
}

void THomeServing::StartStreaming(bool otherDevices) {
  rtsp_ = std::make_unique<platform::rtsp::TRtspServer>();
  QString why;
  if (!rtsp_->Start(otherDevices ? "0.0.0.0" : "127.0.0.1", PortFrom("OKA_PVX_RTSP_PORT", kRtspPort), why)) {
    qWarning("no RTSP streams: %s", qPrintable(why));
    rtsp_.reset();
    return;
  }
  rtsp_->SetToken(Token());
  rtsp_->SetRecordings([files = servedFiles_](int n) {
    std::lock_guard lock(files->first);
    return n >= 0 && n < files->second.size() ? files->second[n] : QString();
  });
  {
    std::lock_guard lock(soundMutex_);
    soundToRtsp_ = rtsp_.get();
  }
  link_->LiveStreamLink = [this] { return LiveStreamLink(); };
  qInfo("streaming on rtsp://%s:%u/live", otherDevices ? "0.0.0.0" : "127.0.0.1", unsigned(rtsp_->Port()));
}

void THomeServing::WatchInBrowsers(bool watched) {
  std::unique_ptr<platform::media::TLiveMp4Stream> gone;  // ends once the sound tap cannot reach it
  if (watched && !browserStream_) {
    // The encoder's thread posts its bytes to the hub on this thread. The encoder stops before the
    // server goes, so the hub is there to post to; a post still queued then finds it gone.
    QPointer<remote::TLiveHub> hub(&server_->Live());
    browserStream_ = std::make_unique<platform::media::TLiveMp4Stream>(
        [hub](const QByteArray& bytes, platform::media::TLivePiece piece) {
          QMetaObject::invokeMethod(
              hub.data(), [hub, bytes, piece] { if (hub) hub->Take(bytes, remote::TStreamPiece(piece)); },
              Qt::QueuedConnection);
        });
  } else if (!watched) {
    gone = std::move(browserStream_);
  }
  std::lock_guard lock(soundMutex_);
  soundToBrowsers_ = browserStream_.get();
}

void THomeServing::TakeSound(const QByteArray& s16, int rate) {
  // Stamped as it plays, on the clock the pictures use.
  const qint64 pts = clock_.nsecsElapsed() - qint64(s16.size() / 4) * 1'000'000'000 / rate;
  std::lock_guard lock(soundMutex_);
  if (soundToRtsp_) soundToRtsp_->PushSound(s16, rate, pts);
  if (soundToBrowsers_) soundToBrowsers_->PushSound(s16, rate, pts);
}

void THomeServing::Feed() {
  if (!shell_.Main || !shell_.Capture) return;
  QStringList files;
  if (shell_.Playback)
    for (const auto& item : shell_.Playback->Lists.Items) files << item->FilePath;
  {
    std::lock_guard lock(servedFiles_->first);
    servedFiles_->second = files;
  }
  ++ticks_;
  const bool radio = shell_.Main->Mode() == amFMRadio;
  const bool watched = browserStream_ || (rtsp_ && rtsp_->LiveWatched());
  // A channel's thumbnail once it has shown for a while: not the dark pictures of a tune or a
  // graph being rebuilt.
  bool thumbnail = false;
  if (ticks_ % kThumbnailEvery == 0) {
    const int channel = shell_.Main->Mode() == amTV && shell_.Channels ? shell_.Channels->CurrentChannel() : 0;
    steadyLooks_ = channel > 0 && channel == thumbnailChannel_ ? steadyLooks_ + 1 : 0;
    thumbnailChannel_ = channel;
    thumbnail = steadyLooks_ >= 2 && steadyLooks_ % 2 == 0;
  }
  if (!watched && ticks_ % kIdleEvery != 0 && !thumbnail) return;
  QImage picture;
  if (radio) {
    const QString frequency = util::MHzText(shell_.Capture->Tuner().FMFrequency());
    if (frequency != radioFrequency_) radioPicture_ = RadioPicture(frequency);
    radioFrequency_ = frequency;
    picture = radioPicture_;
  } else {
    picture = shell_.Capture->Stills().Grab(shell_.Capture->Chip().IsWis());
    if (picture.isNull()) return;
    picture = picture.convertToFormat(QImage::Format_RGB32);
  }
  if (thumbnail) link_->RememberPicture(thumbnailChannel_, picture);
  const qint64 now = clock_.nsecsElapsed();
  if (rtsp_) rtsp_->PushPicture(picture, now);
  if (browserStream_) browserStream_->PushPicture(picture, now);
}

QString THomeServing::LiveStreamLink() const {
  if (!rtsp_) return {};
  return QStringLiteral("rtsp://%1:%2/live?token=%3")
      .arg(QUrl(Link()).host())
      .arg(rtsp_->Port())
      .arg(QString::fromLatin1(Token()));
}

void THomeServing::Announce() {
  // The other boxes at home find this one, and the page lists them; without Avahi it serves alone.
  discovery_ = std::make_unique<platform::discovery::TServiceDiscovery>();
  QString why;
  if (!discovery_->Start(("OKA PVX " + QSysInfo::machineHostName()).left(60), port_, rtsp_ ? rtsp_->Port() : 0,
                         why, server_->Secure())) {
    qInfo("not announced on the home network: %s", qPrintable(why));
    discovery_.reset();
    return;
  }
  link_->FoundPeers = [this] {
    QJsonArray peers;
    for (const platform::discovery::TPeer& p : discovery_->Peers()) {
      const QString host = p.address.contains(':') ? '[' + p.address + ']' : p.address;
      const QString scheme = p.text.value("scheme") == "https" ? QStringLiteral("https") : QStringLiteral("http");
      peers.append(QJsonObject{{"name", p.name}, {"url", QStringLiteral("%1://%2:%3/").arg(scheme, host).arg(p.port)}});
    }
    return peers;
  };
}

void THomeServing::Stop() {
  feed_.stop();
  // No sound call is under way once the listener is gone.
  platform::video::SetSoundListener({});
  {
    std::lock_guard lock(soundMutex_);
    soundToRtsp_ = nullptr;
    soundToBrowsers_ = nullptr;
  }
  discovery_.reset();
  browserStream_.reset();
  rtsp_.reset();
  server_.reset();
  link_.reset();
  port_ = 0;
}

QString THomeServing::Link() const {
  if (!server_) return {};
  QString host = QStringLiteral("127.0.0.1");
  if (others_) {
    // The address other devices reach: the first of this computer's that is not loopback.
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
      if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
        host = a.toString();
        break;
      }
  }
  const QString scheme = server_->Secure() ? QStringLiteral("https") : QStringLiteral("http");
  return QStringLiteral("%1://%2:%3/?token=%4").arg(scheme, host).arg(port_).arg(QString::fromLatin1(Token()));
}

}  // namespace pvx::app
