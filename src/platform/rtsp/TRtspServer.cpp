#include "platform/rtsp/TRtspServer.h"

#include <gst/rtsp-server/rtsp-server.h>

#include <QLoggingCategory>
#include <QUrlQuery>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "platform/SecretCompare.h"
#include "platform/graph/GstPtr.h"
#include "platform/rtsp/RtspFactories.h"
#include "platform/rtsp/TLiveFeed.h"

namespace pvx::platform::rtsp {
namespace {

Q_LOGGING_CATEGORY(lcRtsp, "pvx.rtsp")

constexpr const char* kLivePath = "/live";
constexpr const char* kRecordingsPath = "/recordings/";

// Every request kind that reaches media, checked before the server acts on it. OPTIONS only
// lists the methods, and gst-rtsp-server 1.22 frees its refused response twice.
constexpr const char* kPreRequestSignals[] = {
    "pre-describe-request", "pre-setup-request",         "pre-play-request",
    "pre-pause-request",    "pre-teardown-request",      "pre-announce-request",
    "pre-record-request",   "pre-set-parameter-request", "pre-get-parameter-request"};

// The token of a query, if it has one.
std::optional<QByteArray> TokenOf(const char* query) {
  const QUrlQuery items(QString::fromUtf8(query ? query : ""));
  if (!items.hasQueryItem(QStringLiteral("token"))) return std::nullopt;
  return items.queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded).toUtf8();
}

bool IsLivePath(const QByteArray& path) {
  return path == kLivePath || path.startsWith(QByteArray(kLivePath) + '/');
}

// Clients and media run on gst-rtsp-server's own threads and may outlive a stop. Their signal
// handlers reach the server only through this gate, which the stop closes; a handler that is
// running holds it, so the stop waits for it.
struct Gate {
  std::mutex mutex;
  void* impl = nullptr;
};
using GatePtr = std::shared_ptr<Gate>;

// Each connection holds the gate until its object goes.
void ConnectThroughGate(gpointer instance, const char* signal, GCallback handler, const GatePtr& gate) {
  g_signal_connect_data(
      instance, signal, handler, new GatePtr(gate),
      [](gpointer data, GClosure*) { delete static_cast<GatePtr*>(data); }, GConnectFlags(0));
}

}  // namespace

struct TRtspServer::Impl {
  GMainContext* context = nullptr;
  GMainLoop* loop = nullptr;
  std::thread thread;
  GstRTSPServer* server = nullptr;
  GstRTSPMountPoints* mounts = nullptr;
  GSource* listening = nullptr;
  quint16 port = 0;
  GatePtr gate;
  std::shared_ptr<TLiveFeed> feed = std::make_shared<TLiveFeed>();

  mutable std::mutex mutex;  // guards the fields below, set from the program's threads
  QByteArray token;
  std::function<QString(int)> recordings;
  std::set<GstRTSPClient*> watchingLive;
  std::set<GstRTSPClient*> trusted;  // connections that showed the token

  std::map<QByteArray, QString> mountedFiles;  // the clients' threads, under `mounting`
  std::mutex mounting;

  bool Begin(const QString& address, quint16 wantedPort, QString& error);
  void End();
  GstRTSPStatusCode Check(GstRTSPContext* ctx);
  GstRTSPStatusCode MountRecording(const QByteArray& path);
  void Watching(GstRTSPClient* client, GstRTSPContext* ctx, bool watching);
  void Closed(GstRTSPClient* client);

  // Runs `work` on the server while the gate is open; else gives `closed`.
  template <typename Result, typename Work>
  static Result ThroughGate(gpointer data, Result closed, Work work) {
    Gate& gate = **static_cast<GatePtr*>(data);
    std::lock_guard lock(gate.mutex);
    return gate.impl ? work(*static_cast<Impl*>(gate.impl)) : closed;
  }
  static void OnClientConnected(GstRTSPServer*, GstRTSPClient* client, gpointer gate);
  static GstRTSPStatusCode OnPreRequest(GstRTSPClient*, GstRTSPContext* ctx, gpointer gate) {
    return ThroughGate(gate, GST_RTSP_STS_SERVICE_UNAVAILABLE, [ctx](Impl& impl) { return impl.Check(ctx); });
  }
  static void OnPlay(GstRTSPClient* client, GstRTSPContext* ctx, gpointer gate) {
    ThroughGate(gate, 0, [=](Impl& impl) { return impl.Watching(client, ctx, true), 0; });
  }
  static void OnStopWatching(GstRTSPClient* client, GstRTSPContext* ctx, gpointer gate) {
    ThroughGate(gate, 0, [=](Impl& impl) { return impl.Watching(client, ctx, false), 0; });
  }
  static void OnClosed(GstRTSPClient* client, gpointer gate) {
    ThroughGate(gate, 0, [=](Impl& impl) { return impl.Closed(client), 0; });
  }
  static void OnLiveConfigure(GstRTSPMediaFactory*, GstRTSPMedia* media, gpointer gate) {
    ThroughGate(gate, 0, [=](Impl& impl) { return TLiveFeed::Attach(impl.feed, media), 0; });
  }
  static GstRTSPFilterResult CloseClient(GstRTSPServer*, GstRTSPClient*, gpointer) {
    return GST_RTSP_FILTER_REMOVE;
  }
  static GstRTSPFilterResult DropSession(GstRTSPSessionPool*, GstRTSPSession*, gpointer) {
    return GST_RTSP_FILTER_REMOVE;
  }
};

bool TRtspServer::Impl::Begin(const QString& address, quint16 wantedPort, QString& error) {
  if (!graph::EnsureGstreamer()) {
    error = QStringLiteral("GStreamer did not start");
    return false;
  }
  const QString missing = MissingElements();
  if (!missing.isEmpty()) {
    error = QStringLiteral("missing GStreamer elements: ") + missing;
    return false;
  }
  context = g_main_context_new();
  loop = g_main_loop_new(context, FALSE);
  server = gst_rtsp_server_new();
  gst_rtsp_server_set_address(server, address.toUtf8().constData());
  gst_rtsp_server_set_service(server, QByteArray::number(wantedPort).constData());
  mounts = gst_rtsp_server_get_mount_points(server);
  gate = std::make_shared<Gate>();
  gate->impl = this;
  GstRTSPMediaFactory* live = NewLiveFactory();
  ConnectThroughGate(live, "media-configure", G_CALLBACK(OnLiveConfigure), gate);
  gst_rtsp_mount_points_add_factory(mounts, kLivePath, live);
  ConnectThroughGate(server, "client-connected", G_CALLBACK(OnClientConnected), gate);

  GError* failure = nullptr;
  listening = gst_rtsp_server_create_source(server, nullptr, &failure);
  if (!listening) {
    error = QStringLiteral("cannot listen on %1:%2: %3")
                .arg(address)
                .arg(wantedPort)
                .arg(QString::fromUtf8(failure ? failure->message : "unknown reason"));
    g_clear_error(&failure);
    End();
    return false;
  }
  g_source_attach(listening, context);
  port = quint16(gst_rtsp_server_get_bound_port(server));
  thread = std::thread([this] {
    g_main_context_push_thread_default(context);
    g_main_loop_run(loop);
    g_main_context_pop_thread_default(context);
  });
  qCInfo(lcRtsp) << "serving on" << address << port;
  return true;
}

// The listening source and the session pool are closed on the server's thread, which then ends.
// Clients run on gst-rtsp-server's pool threads; the closed gate keeps them off this object.
void TRtspServer::Impl::End() {
  if (gate) {
    std::lock_guard lock(gate->mutex);
    gate->impl = nullptr;
  }
  gate.reset();
  if (thread.joinable()) {
    g_main_context_invoke(
        context,
        [](gpointer data) -> gboolean {
          auto* self = static_cast<Impl*>(data);
          g_source_destroy(self->listening);
          g_list_free_full(gst_rtsp_server_client_filter(self->server, CloseClient, nullptr), g_object_unref);
          GstRTSPSessionPool* pool = gst_rtsp_server_get_session_pool(self->server);
          g_list_free_full(gst_rtsp_session_pool_filter(pool, DropSession, nullptr), g_object_unref);
          g_object_unref(pool);
          g_main_loop_quit(self->loop);
          return G_SOURCE_REMOVE;
        },
        this);
    thread.join();
  }
  feed->Clear();
  if (listening) g_source_unref(listening);
  if (mounts) g_object_unref(mounts);
  if (server) g_object_unref(server);
  if (loop) g_main_loop_unref(loop);
  if (context) g_main_context_unref(context);
  listening = nullptr;
  mounts = nullptr;
  server = nullptr;
  loop = nullptr;
  context = nullptr;
  port = 0;
  {
    std::lock_guard lock(mounting);
    mountedFiles.clear();
  }
  std::lock_guard lock(mutex);
  watchingLive.clear();
  trusted.clear();
}

void TRtspServer::Impl::OnClientConnected(GstRTSPServer*, GstRTSPClient* client, gpointer gate) {
  const GatePtr& shared = *static_cast<GatePtr*>(gate);
  for (const char* name : kPreRequestSignals)
    ConnectThroughGate(client, name, G_CALLBACK(OnPreRequest), shared);
  ConnectThroughGate(client, "play-request", G_CALLBACK(OnPlay), shared);
  ConnectThroughGate(client, "pause-request", G_CALLBACK(OnStopWatching), shared);
  ConnectThroughGate(client, "teardown-request", G_CALLBACK(OnStopWatching), shared);
  ConnectThroughGate(client, "closed", G_CALLBACK(OnClosed), shared);
}

void TRtspServer::Impl::Closed(GstRTSPClient* client) {
  std::lock_guard lock(mutex);
  watchingLive.erase(client);
  trusted.erase(client);
}

// Clients build the URLs of SETUP, PLAY and TEARDOWN from the server's Content-Base, which has
// no query: so a connection that showed the right token may leave it out afterwards. A wrong
// token is refused on any connection.
GstRTSPStatusCode TRtspServer::Impl::Check(GstRTSPContext* ctx) {
  if (!ctx->uri) return GST_RTSP_STS_UNAUTHORIZED;
  {
    std::lock_guard lock(mutex);
    const std::optional<QByteArray> given = TokenOf(ctx->uri->query);
    const bool right = given ? SameSecret(*given, token) : trusted.count(ctx->client) > 0;
    if (!right) {
      qCInfo(lcRtsp) << "refused a request without the token for" << ctx->uri->abspath;
      return GST_RTSP_STS_UNAUTHORIZED;
    }
    trusted.insert(ctx->client);
  }
  if (ctx->method == GST_RTSP_PLAY && ctx->request) {
    // Both views play from where they stand. gst-rtsp-server 1.22 aborts the process when a
    // stream's new segment is still inside the encoder as PLAY answers a seek, so no seeks.
    for (GstRTSPHeaderField field : {GST_RTSP_HDR_RANGE, GST_RTSP_HDR_SCALE, GST_RTSP_HDR_SPEED})
      gst_rtsp_message_remove_header(ctx->request, field, -1);
  }
  const QByteArray path = ctx->uri->abspath ? ctx->uri->abspath : "";
  return path.startsWith(kRecordingsPath) ? MountRecording(path) : GST_RTSP_STS_OK;
}

// Recordings are mounted when first asked for, as /recordings/N, from the program's list.
GstRTSPStatusCode TRtspServer::Impl::MountRecording(const QByteArray& path) {
  const QByteArray number = path.mid(qsizetype(strlen(kRecordingsPath))).split('/').value(0);
  bool isNumber = false;
  const int n = number.toInt(&isNumber);
  if (!isNumber || n < 0 || QByteArray::number(n) != number) return GST_RTSP_STS_NOT_FOUND;
  std::function<QString(int)> fileOf;
  {
    std::lock_guard lock(mutex);
    fileOf = recordings;
  }
  const QString file = fileOf ? fileOf(n) : QString();
  if (file.isEmpty()) return GST_RTSP_STS_NOT_FOUND;
  const QByteArray mountPath = kRecordingsPath + number;
  std::lock_guard lock(mounting);
  auto mounted = mountedFiles.find(mountPath);
  if (mounted != mountedFiles.end() && mounted->second == file) return GST_RTSP_STS_OK;
  if (mounted != mountedFiles.end()) {
    gst_rtsp_mount_points_remove_factory(mounts, mountPath.constData());
    mountedFiles.erase(mounted);
  }
  const FileStreams streams = ProbeFile(file);
  if (!streams.video && !streams.audio) return GST_RTSP_STS_NOT_FOUND;
  gst_rtsp_mount_points_add_factory(mounts, mountPath.constData(), NewFileFactory(file, streams));
  mountedFiles[mountPath] = file;
  return GST_RTSP_STS_OK;
}

void TRtspServer::Impl::Watching(GstRTSPClient* client, GstRTSPContext* ctx, bool watching) {
  if (!ctx->uri || !ctx->uri->abspath || !IsLivePath(ctx->uri->abspath)) return;
  std::lock_guard lock(mutex);
  if (watching)
    watchingLive.insert(client);
  else
    watchingLive.erase(client);
}

TRtspServer::TRtspServer() : impl_(std::make_unique<Impl>()) {}

TRtspServer::~TRtspServer() { Stop(); }

bool TRtspServer::Start(const QString& address, quint16 port, QString& error) {
  Stop();
  return impl_->Begin(address, port, error);
}

quint16 TRtspServer::Port() const { return impl_->port; }

void TRtspServer::SetToken(const QByteArray& token) {
  std::lock_guard lock(impl_->mutex);
  impl_->token = token;
  impl_->trusted.clear();  // a new token ends the old one's standing
}

void TRtspServer::PushPicture(const QImage& picture, qint64 ptsNs) {
  impl_->feed->PushPicture(picture, ptsNs);
}

void TRtspServer::PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs) {
  impl_->feed->PushSound(s16Stereo, rate, ptsNs);
}

bool TRtspServer::LiveWatched() const {
  std::lock_guard lock(impl_->mutex);
  return !impl_->watchingLive.empty();
}

void TRtspServer::SetRecordings(std::function<QString(int)> fileOfNumber) {
  std::lock_guard lock(impl_->mutex);
  impl_->recordings = std::move(fileOfNumber);
}

void TRtspServer::Stop() { impl_->End(); }

}  // namespace pvx::platform::rtsp
