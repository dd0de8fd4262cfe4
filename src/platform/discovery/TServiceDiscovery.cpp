#include "platform/discovery/TServiceDiscovery.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/domain.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>

#include <QLoggingCategory>
#include <QMetaObject>
#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "BuildInfo.h"

namespace {
Q_LOGGING_CATEGORY(lcDiscovery, "pvx.discovery")

constexpr char kBoxType[] = "_oka-pvx._tcp";
constexpr char kRtspType[] = "_rtsp._tcp";
// Each local collision costs one rename; past this many something else is wrong.
constexpr int kMaxRenames = 50;

std::string VersionText() {
  using namespace pvx::platform::build;
  return "version=" + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionPatch);
}

// Peer data is untrusted: keys that are empty or not text are dropped, values kept as given.
QMap<QString, QString> ReadText(AvahiStringList* list) {
  QMap<QString, QString> text;
  for (AvahiStringList* item = list; item; item = avahi_string_list_get_next(item)) {
    char* key = nullptr;
    char* value = nullptr;
    size_t size = 0;
    if (avahi_string_list_get_pair(item, &key, &value, &size) < 0) continue;
    const QString name = QString::fromUtf8(key);
    if (!name.isEmpty() && !name.contains(QChar::ReplacementCharacter))
      text.insert(name, value ? QString::fromUtf8(value, qsizetype(size)) : QString());
    avahi_free(key);
    avahi_free(value);
  }
  return text;
}

// Lower is better: a LAN address over loopback, IPv4 over IPv6 (a link-local IPv6 address
// is useless without its interface).
int AddressRank(const AvahiAddress& address) {
  if (address.proto == AVAHI_PROTO_INET) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address.data.ipv4.address);
    return bytes[0] == 127 ? 2 : 0;
  }
  static const unsigned char kLoopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return std::equal(kLoopback6, kLoopback6 + 16, address.data.ipv6.address) ? 3 : 1;
}
}  // namespace

namespace pvx::platform::discovery {

// Everything here runs on Avahi's thread once the poll is started (before that, on the
// caller's, inside Start); the owner sees only posted copies.
struct TServiceDiscovery::TSession {
  struct TInstance {
    TSession* session = nullptr;
    AvahiServiceResolver* resolver = nullptr;
    bool resolved = false;
    int rank = 0;
    TPeer peer;
  };
  // One service is seen once per interface and protocol.
  using TKey = std::tuple<AvahiIfIndex, AvahiProtocol, std::string, std::string>;

  TServiceDiscovery* owner;
  quint64 generation;
  std::string name;
  quint16 httpPort;
  quint16 rtspPort;
  bool secure;
  AvahiThreadedPoll* poll = nullptr;
  bool pollRunning = false;
  AvahiClient* client = nullptr;
  AvahiEntryGroup* group = nullptr;
  AvahiServiceBrowser* browser = nullptr;
  std::map<TKey, std::unique_ptr<TInstance>> instances;
  bool connectedOnce = false;

  TSession(TServiceDiscovery* owner, quint64 generation, std::string name, quint16 httpPort, quint16 rtspPort,
           bool secure)
      : owner(owner), generation(generation), name(std::move(name)), httpPort(httpPort), rtspPort(rtspPort),
        secure(secure) {}

  ~TSession() {
    if (pollRunning) avahi_threaded_poll_stop(poll);  // joins the thread: no callback after this
    if (client) avahi_client_free(client);            // frees its groups, browsers and resolvers
    if (poll) avahi_threaded_poll_free(poll);
  }

  bool Connect(AvahiClientFlags flags, int& error) {
    client = avahi_client_new(avahi_threaded_poll_get(poll), flags, &TSession::ClientCallback, this, &error);
    return client != nullptr;
  }

  static void ClientCallback(AvahiClient* c, AvahiClientState state, void* self) {
    static_cast<TSession*>(self)->OnClientState(c, state);
  }

  void OnClientState(AvahiClient* c, AvahiClientState state) {
    client = c;  // called from inside avahi_client_new, before it returns the pointer
    switch (state) {
      case AVAHI_CLIENT_S_RUNNING:
        connectedOnce = true;
        if (!group) group = avahi_entry_group_new(c, &TSession::GroupCallback, this);
        if (!group) qCWarning(lcDiscovery) << "cannot create an entry group:" << avahi_strerror(avahi_client_errno(c));
        else if (avahi_entry_group_is_empty(group)) Announce();
        if (!browser) Browse();
        break;
      case AVAHI_CLIENT_S_COLLISION:
      case AVAHI_CLIENT_S_REGISTERING:
        // The host name is changing: withdraw, and announce again once the server runs.
        if (group) avahi_entry_group_reset(group);
        break;
      case AVAHI_CLIENT_FAILURE:
        if (avahi_client_errno(c) == AVAHI_ERR_DISCONNECTED && connectedOnce) Reconnect();
        else qCWarning(lcDiscovery) << "Avahi client failed:" << avahi_strerror(avahi_client_errno(c));
        break;
      case AVAHI_CLIENT_CONNECTING:
        qCInfo(lcDiscovery) << "waiting for the Avahi daemon";
        break;
    }
  }

  // The daemon went away: drop what it knew and wait for it to come back.
  void Reconnect() {
    qCInfo(lcDiscovery) << "Avahi daemon gone; waiting for it to return";
    avahi_client_free(client);
    client = nullptr;
    group = nullptr;
    browser = nullptr;
    instances.clear();
    PostPeers();
    PostName({});
    int error = 0;
    if (!Connect(AVAHI_CLIENT_NO_FAIL, error))
      qCWarning(lcDiscovery) << "cannot reconnect to Avahi:" << avahi_strerror(error);
  }

  int AddServices() {
    const std::string version = VersionText();
    int rc = avahi_entry_group_add_service(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                           name.c_str(), kBoxType, nullptr, nullptr, httpPort, "path=/",
                                           version.c_str(), secure ? "scheme=https" : nullptr, nullptr);
    if (rc == AVAHI_OK && rtspPort != 0)
      rc = avahi_entry_group_add_service(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                         name.c_str(), kRtspType, nullptr, nullptr, rtspPort, "path=/live",
                                         nullptr);
    return rc == AVAHI_OK ? avahi_entry_group_commit(group) : rc;
  }

  void Announce() {
    for (int attempt = 0; attempt < kMaxRenames; ++attempt) {
      const int rc = AddServices();
      if (rc == AVAHI_OK) return;
      avahi_entry_group_reset(group);
      if (rc != AVAHI_ERR_COLLISION) {
        qCWarning(lcDiscovery) << "cannot announce" << name.c_str() << ":" << avahi_strerror(rc);
        return;
      }
      Rename();  // taken on this machine already
    }
    qCWarning(lcDiscovery) << "no free name after" << kMaxRenames << "renames";
  }

  void Rename() {
    char* next = avahi_alternative_service_name(name.c_str());
    qCInfo(lcDiscovery) << "name" << name.c_str() << "is taken; renaming to" << next;
    name = next;
    avahi_free(next);
  }

  static void GroupCallback(AvahiEntryGroup* g, AvahiEntryGroupState state, void* self) {
    static_cast<TSession*>(self)->OnGroupState(g, state);
  }

  void OnGroupState(AvahiEntryGroup* g, AvahiEntryGroupState state) {
    group = g;  // called from inside avahi_entry_group_new too
    switch (state) {
      case AVAHI_ENTRY_GROUP_ESTABLISHED:
        PostName(QString::fromStdString(name));
        break;
      case AVAHI_ENTRY_GROUP_COLLISION:  // another box on the network has the name
        Rename();
        avahi_entry_group_reset(g);
        Announce();
        break;
      case AVAHI_ENTRY_GROUP_FAILURE:
        qCWarning(lcDiscovery) << "announcement failed:"
                               << avahi_strerror(avahi_client_errno(avahi_entry_group_get_client(g)));
        break;
      case AVAHI_ENTRY_GROUP_UNCOMMITED:
      case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
  }

  void Browse() {
    browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, kBoxType, nullptr,
                                        AvahiLookupFlags(0), &TSession::BrowseCallback, this);
    if (!browser) qCWarning(lcDiscovery) << "cannot browse:" << avahi_strerror(avahi_client_errno(client));
  }

  static void BrowseCallback(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol,
                             AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                             AvahiLookupResultFlags flags, void* self) {
    static_cast<TSession*>(self)->OnBrowse(interface, protocol, event, name, type, domain, flags);
  }

  void OnBrowse(AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event, const char* service,
                const char* type, const char* domain, AvahiLookupResultFlags flags) {
    if (event == AVAHI_BROWSER_FAILURE) {
      qCWarning(lcDiscovery) << "browsing failed:" << avahi_strerror(avahi_client_errno(client));
      return;
    }
    if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) return;
    TKey key{interface, protocol, service, domain};
    if (event == AVAHI_BROWSER_REMOVE) {
      auto found = instances.find(key);
      if (found == instances.end()) return;  // ours, or never seen
      const bool wasPeer = found->second->resolved;
      if (found->second->resolver) avahi_service_resolver_free(found->second->resolver);
      instances.erase(found);
      if (wasPeer) PostPeers();
      return;
    }
    if ((flags & AVAHI_LOOKUP_RESULT_OUR_OWN) || instances.count(key)) return;
    auto instance = std::make_unique<TInstance>();
    instance->session = this;
    // Kept open after the first answer, so a changed TXT record or address comes through.
    instance->resolver = avahi_service_resolver_new(client, interface, protocol, service, type, domain, protocol,
                                                    AvahiLookupFlags(0), &TSession::ResolveCallback,
                                                    instance.get());
    if (!instance->resolver) {
      qCWarning(lcDiscovery) << "cannot resolve" << service << ":" << avahi_strerror(avahi_client_errno(client));
      return;
    }
    instances.emplace(std::move(key), std::move(instance));
  }

  static void ResolveCallback(AvahiServiceResolver* r, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                              const char* service, const char*, const char*, const char* host,
                              const AvahiAddress* address, uint16_t port, AvahiStringList* txt,
                              AvahiLookupResultFlags, void* instance) {
    auto& found = *static_cast<TInstance*>(instance);
    found.session->OnResolved(found, r, event, service, host, address, port, txt);
  }

  void OnResolved(TInstance& instance, AvahiServiceResolver* r, AvahiResolverEvent event, const char* service,
                  const char* host, const AvahiAddress* address, uint16_t port, AvahiStringList* txt) {
    if (event != AVAHI_RESOLVER_FOUND || !address || !host) {
      // The box may have gone quiet; it stays unlisted until it is announced again.
      qCInfo(lcDiscovery) << "cannot resolve" << service << ":" << avahi_strerror(avahi_client_errno(client));
      avahi_service_resolver_free(r);
      instance.resolver = nullptr;
      return;
    }
    char text[AVAHI_ADDRESS_STR_MAX] = {};
    avahi_address_snprint(text, sizeof text, address);
    instance.peer = TPeer{QString::fromUtf8(service), QString::fromUtf8(host), port, QString::fromLatin1(text),
                          ReadText(txt)};
    instance.rank = AddressRank(*address);
    instance.resolved = true;
    PostPeers();
  }

  // One entry per box, by name, from its best-placed instance.
  void PostPeers() {
    std::map<QString, const TInstance*> best;
    for (const auto& [key, instance] : instances) {
      if (!instance->resolved) continue;
      const TInstance*& slot = best[instance->peer.name];
      if (!slot || instance->rank < slot->rank) slot = instance.get();
    }
    QList<TPeer> peers;
    for (const auto& [name, instance] : best) peers.append(instance->peer);
    QMetaObject::invokeMethod(
        owner, [owner = owner, generation = generation, peers] { owner->TakePeers(generation, peers); },
        Qt::QueuedConnection);
  }

  void PostName(const QString& announced) {
    QMetaObject::invokeMethod(
        owner, [owner = owner, generation = generation, announced] { owner->TakeAnnouncedName(generation, announced); },
        Qt::QueuedConnection);
  }
};

TServiceDiscovery::TServiceDiscovery(QObject* parent) : QObject(parent) {}

TServiceDiscovery::~TServiceDiscovery() { session_.reset(); }

bool TServiceDiscovery::Start(const QString& name, quint16 httpPort, quint16 rtspPort, QString& why, bool secure) {
  Stop();
  why.clear();
  const QByteArray utf8 = name.toUtf8();
  if (name.isEmpty() || !avahi_is_valid_service_name(utf8.constData())) {
    why = QStringLiteral("\"%1\" cannot be announced: a name has 1 to 63 bytes").arg(name);
    return false;
  }
  if (httpPort == 0) {
    why = QStringLiteral("no HTTP port to announce");
    return false;
  }
  auto session = std::make_unique<TSession>(this, ++generation_, utf8.toStdString(), httpPort, rtspPort, secure);
  session->poll = avahi_threaded_poll_new();
  if (!session->poll) {
    why = QStringLiteral("cannot create Avahi's event loop");
    return false;
  }
  // Without AVAHI_CLIENT_NO_FAIL a missing daemon is an immediate error, not a wait.
  int error = 0;
  if (!session->Connect(AvahiClientFlags(0), error)) {
    why = QStringLiteral("no Avahi daemon answers: %1").arg(QString::fromUtf8(avahi_strerror(error)));
    return false;
  }
  if (avahi_threaded_poll_start(session->poll) < 0) {
    why = QStringLiteral("cannot start Avahi's event thread");
    return false;
  }
  session->pollRunning = true;
  session_ = std::move(session);
  return true;
}

void TServiceDiscovery::Stop() {
  if (!session_) return;
  session_.reset();  // after this no Avahi callback runs, and queued results are dropped below
  ++generation_;
  if (!announcedName_.isEmpty()) {
    announcedName_.clear();
    emit AnnouncedNameChanged();
  }
  if (!peers_.isEmpty()) {
    peers_.clear();
    emit PeersChanged();
  }
}

void TServiceDiscovery::TakePeers(quint64 generation, QList<TPeer> peers) {
  if (generation != generation_ || !session_ || peers == peers_) return;
  peers_ = std::move(peers);
  emit PeersChanged();
}

void TServiceDiscovery::TakeAnnouncedName(quint64 generation, QString name) {
  if (generation != generation_ || !session_ || name == announcedName_) return;
  announcedName_ = std::move(name);
  emit AnnouncedNameChanged();
}

}  // namespace pvx::platform::discovery
