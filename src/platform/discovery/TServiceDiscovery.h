#pragma once
// Finds the other boxes running the program on the home network, and lets them find this one,
// through the machine's Avahi daemon (DNS-SD over multicast DNS). Without a daemon the program
// simply runs alone. Results arrive on the thread that owns the object, from its event loop.

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <memory>

namespace pvx::platform::discovery {

struct TPeer {
  QString name;     // the announced name, unique on the network
  QString host;     // its mDNS host name, e.g. "kitchen.local"
  quint16 port = 0;  // the HTTP port
  QString address;  // numeric, IPv4 preferred, a loopback address only for a box on this machine
  QMap<QString, QString> text;  // the TXT record; a key without "=" has an empty value

  bool operator==(const TPeer&) const = default;
};

class TServiceDiscovery : public QObject {
  Q_OBJECT
 public:
  explicit TServiceDiscovery(QObject* parent = nullptr);
  ~TServiceDiscovery() override;

  // Announces `name` as _oka-pvx._tcp on httpPort (TXT "path=/", "version=<x>", and
  // "scheme=https" when `secure`) and, when
  // rtspPort is not 0, as _rtsp._tcp on rtspPort (TXT "path=/live"); browses _oka-pvx._tcp.
  // False with a reason when the name or port is unusable or no Avahi daemon answers. Once
  // started, a daemon restart is survived: the peers vanish and come back with it.
  bool Start(const QString& name, quint16 httpPort, quint16 rtspPort, QString& why, bool secure = false);
  void Stop();
  bool IsStarted() const { return session_ != nullptr; }

  // The other boxes found, by name; never this one.
  QList<TPeer> Peers() const { return peers_; }
  // The name as established on the network: a collision renames it ("name #2"). Empty until
  // the announcement is established.
  QString AnnouncedName() const { return announcedName_; }

 signals:
  void PeersChanged();
  void AnnouncedNameChanged();

 private:
  struct TSession;

  void TakePeers(quint64 generation, QList<TPeer> peers);
  void TakeAnnouncedName(quint64 generation, QString name);

  std::unique_ptr<TSession> session_;  // lives on Avahi's thread while started
  quint64 generation_ = 0;             // results posted by a stopped session are dropped
  QList<TPeer> peers_;
  QString announcedName_;
};

}  // namespace pvx::platform::discovery
