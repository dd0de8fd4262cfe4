#include "platform/MprisService.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QLoggingCategory>
#include <QUrl>
#include <QVariantMap>

namespace pvx::platform {
namespace {

Q_LOGGING_CATEGORY(lcMpris, "pvx.mpris")

constexpr char kService[] = "org.mpris.MediaPlayer2.okapvx";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

QString StatusText(TMediaPlayerState::Status s) {
  switch (s) {
    case TMediaPlayerState::Status::Playing: return QStringLiteral("Playing");
    case TMediaPlayerState::Status::Paused: return QStringLiteral("Paused");
    case TMediaPlayerState::Status::Stopped: break;
  }
  return QStringLiteral("Stopped");
}

QVariantMap MetadataOf(const TMediaPlayerState& s) {
  QVariantMap m;
  // A track id names what plays: the channel, or the file.
  const QString id = s.Track > 0 ? QStringLiteral("/org/okapvx/channel/%1").arg(s.Track)
                     : !s.Url.isEmpty() ? QStringLiteral("/org/okapvx/file")
                                        : QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
  m.insert("mpris:trackid", QVariant::fromValue(QDBusObjectPath(id)));
  if (!s.Title.isEmpty()) m.insert("xesam:title", s.Title);
  if (s.Track > 0) m.insert("xesam:trackNumber", s.Track);
  if (!s.Url.isEmpty()) m.insert("xesam:url", QUrl::fromLocalFile(s.Url).toString());
  return m;
}

void Call(const std::function<void()>& f) {
  if (f) f();
}

class TRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ Yes)
  Q_PROPERTY(bool CanRaise READ Yes)
  Q_PROPERTY(bool HasTrackList READ No)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ None)
  Q_PROPERTY(QStringList SupportedMimeTypes READ None)

 public:
  TRootAdaptor(QObject* owner, const TMediaPlayerControls& c) : QDBusAbstractAdaptor(owner), c_(c) {}
  bool Yes() const { return true; }
  bool No() const { return false; }
  QString Identity() const { return QStringLiteral("OKA PVX"); }
  QString DesktopEntry() const { return QStringLiteral("org.okapvx.OkaPvx"); }
  QStringList None() const { return {}; }

 public slots:
  void Raise() { Call(c_.Raise); }
  void Quit() { Call(c_.Quit); }

 private:
  const TMediaPlayerControls& c_;
};

class TPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ Yes)
  Q_PROPERTY(bool CanGoPrevious READ Yes)
  Q_PROPERTY(bool CanPlay READ Yes)
  Q_PROPERTY(bool CanPause READ Yes)
  Q_PROPERTY(bool CanSeek READ No)
  Q_PROPERTY(bool CanControl READ Yes)

 public:
  TPlayerAdaptor(QObject* owner, const TMediaPlayerControls& c) : QDBusAbstractAdaptor(owner), c_(c) {}
  TMediaPlayerState State() const { return c_.State ? c_.State() : TMediaPlayerState{}; }
  QString PlaybackStatus() const { return StatusText(State().Playback); }
  double Rate() const { return 1.0; }
  void SetRate(double) {}  // live TV has one speed
  QVariantMap Metadata() const { return MetadataOf(State()); }
  double Volume() const { return State().Volume; }
  void SetVolume(double v) {
    if (c_.SetVolume) c_.SetVolume(std::clamp(v, 0.0, 1.0));
  }
  qlonglong Position() const { return 0; }
  bool Yes() const { return true; }
  bool No() const { return false; }

 public slots:
  void Next() { Call(c_.Next); }
  void Previous() { Call(c_.Previous); }
  void Pause() { Call(c_.Pause); }
  void PlayPause() { Call(c_.PlayPause); }
  void Stop() { Call(c_.Stop); }
  void Play() { Call(c_.Play); }
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString&) {}

 private:
  const TMediaPlayerControls& c_;
};

}  // namespace

struct TMprisService::Impl {
  explicit Impl(TMediaPlayerControls c) : controls(std::move(c)) {
    new TRootAdaptor(&object, controls);
    player = new TPlayerAdaptor(&object, controls);
  }
  TMediaPlayerControls controls;
  QObject object;
  TPlayerAdaptor* player;
  TMediaPlayerState last;
  bool registered = false;
};

TMprisService::TMprisService(TMediaPlayerControls controls) : impl_(std::make_unique<Impl>(std::move(controls))) {}

TMprisService::~TMprisService() {
  if (!impl_->registered) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kPath);
  bus.unregisterService(kService);
}

bool TMprisService::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(kPath, &impl_->object) || !bus.registerService(kService)) {
    bus.unregisterObject(kPath);
    qCInfo(lcMpris) << "no media-player service:" << bus.lastError().message();
    return false;
  }
  impl_->registered = true;
  impl_->last = impl_->player->State();
  return true;
}

void TMprisService::Refresh() {
  if (!impl_->registered) return;
  const TMediaPlayerState now = impl_->player->State();
  const TMediaPlayerState before = std::exchange(impl_->last, now);
  QVariantMap changed;
  if (now.Playback != before.Playback) changed.insert("PlaybackStatus", StatusText(now.Playback));
  if (now.Title != before.Title || now.Track != before.Track || now.Url != before.Url)
    changed.insert("Metadata", MetadataOf(now));
  if (now.Volume != before.Volume) changed.insert("Volume", now.Volume);
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
  signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

}  // namespace pvx::platform

#include "MprisService.moc"
