#include "platform/rtsp/RtspFactories.h"

#include <gst/pbutils/pbutils.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <QFile>
#include <QLoggingCategory>
#include <QStringList>

namespace {
Q_LOGGING_CATEGORY(lcRtspFactory, "pvx.rtsp.media")
}

// A launch-line factory that gives the live view one cache key, so that every spelling of its
// URL (host name, address, token) shares the one encoder; with a file it points the launch
// line's source at it and routes the decoded streams.
struct PvxRtspFactory {
  GstRTSPMediaFactory parent;
  gchar* file;
};
struct PvxRtspFactoryClass {
  GstRTSPMediaFactoryClass parent_class;
};
G_DEFINE_TYPE(PvxRtspFactory, pvx_rtsp_factory, GST_TYPE_RTSP_MEDIA_FACTORY)

namespace pvx::platform::rtsp {
namespace {

constexpr GstClockTime kProbeTimeoutNs = 5 * GST_SECOND;
constexpr const char* kAacEncoders[] = {"fdkaacenc", "avenc_aac", "voaacenc"};
constexpr const char* kNeeded[] = {"appsrc",    "videoconvert", "audioconvert", "audioresample",
                                   "x264enc",   "rtph264pay",   "rtpmp4gpay",   "filesrc",
                                   "decodebin", "uridecodebin", "queue",        "fakesink"};

bool Present(const char* name) {
  GstElementFactory* factory = gst_element_factory_find(name);
  if (factory) gst_object_unref(factory);
  return factory != nullptr;
}

const char* AacEncoder() {
  for (const char* name : kAacEncoders)
    if (Present(name)) return name;
  return nullptr;
}

// About one key picture a second, so that a client joining the shared stream starts soon. 4:2:0
// High profile, which every player decodes (the payloader alone would ask for baseline). The
// encoder repeats SPS/PPS in each key picture's access unit: the payloader's own insertion makes
// ffmpeg see a separate packet with the key picture's timestamp.
QByteArray VideoEncoding(int keyInterval) {
  return "videoconvert ! video/x-raw,format=I420 ! x264enc tune=zerolatency speed-preset=veryfast "
         "key-int-max=" +
         QByteArray::number(keyInterval) + " byte-stream=true ! video/x-h264,profile=high ! rtph264pay pt=96";
}

QByteArray AudioEncoding() {
  return QByteArray("audioconvert ! audioresample ! ") + AacEncoder() + " ! rtpmp4gpay pt=97";
}

// Leaky sources: a stalled encoder drops old input instead of piling it up.
constexpr const char* kLiveSource =
    "appsrc is-live=true format=time do-timestamp=false leaky-type=downstream max-bytes=0 "
    "max-time=1000000000";

// Decoded pads go to the chain of their kind, named "video" or "audio" in the launch line; a
// second stream of a kind, or another kind, is swallowed so that the file plays instead of
// failing on an unlinked pad.
void OnDecodedPad(GstElement*, GstPad* pad, gpointer data) {
  GstBin* top = GST_BIN(data);
  GstCaps* caps = gst_pad_get_current_caps(pad);
  if (!caps) caps = gst_pad_query_caps(pad, nullptr);
  const QByteArray kind = gst_structure_get_name(gst_caps_get_structure(caps, 0));
  gst_caps_unref(caps);
  const char* name = kind == "video/x-raw" ? "video" : kind == "audio/x-raw" ? "audio" : nullptr;
  GstElement* chain = name ? gst_bin_get_by_name(top, name) : nullptr;
  GstPad* in = chain ? gst_element_get_static_pad(chain, "sink") : nullptr;
  if (!in || gst_pad_is_linked(in)) {
    if (in) gst_object_unref(in);
    GstElement* swallow = gst_element_factory_make("fakesink", nullptr);
    g_object_set(swallow, "sync", FALSE, "async", FALSE, nullptr);
    gst_bin_add(top, swallow);
    gst_element_sync_state_with_parent(swallow);
    in = gst_element_get_static_pad(swallow, "sink");
  }
  gst_pad_link(pad, in);
  gst_object_unref(in);
  if (chain) gst_object_unref(chain);
}

// The payloaders are there from the start, so that the media waits for every stream before it
// answers; hence the file's kinds are probed first.
QByteArray FileLaunch(const FileStreams& streams) {
  QByteArray launch = "( filesrc name=file ! decodebin name=decode ";
  int payloader = 0;
  if (streams.video)
    launch += "queue name=video ! " + VideoEncoding(50) + " name=pay" + QByteArray::number(payloader++) + " ";
  if (streams.audio)
    launch += "queue name=audio ! " + AudioEncoding() + " name=pay" + QByteArray::number(payloader++) + " ";
  return launch + ")";
}

GstElement* NewFileBin(GstElement* top, const char* path) {
  if (!top) return nullptr;
  GstElement* source = gst_bin_get_by_name(GST_BIN(top), "file");
  GstElement* decode = gst_bin_get_by_name(GST_BIN(top), "decode");
  g_object_set(source, "location", path, nullptr);
  g_signal_connect(decode, "pad-added", G_CALLBACK(OnDecodedPad), top);
  gst_object_unref(source);
  gst_object_unref(decode);
  return top;
}

}  // namespace
}  // namespace pvx::platform::rtsp

static gchar* pvx_rtsp_factory_gen_key(GstRTSPMediaFactory* factory, const GstRTSPUrl* url) {
  if (!reinterpret_cast<PvxRtspFactory*>(factory)->file) return g_strdup("live");
  return GST_RTSP_MEDIA_FACTORY_CLASS(pvx_rtsp_factory_parent_class)->gen_key(factory, url);
}

static GstElement* pvx_rtsp_factory_create_element(GstRTSPMediaFactory* factory, const GstRTSPUrl* url) {
  GstElement* top = GST_RTSP_MEDIA_FACTORY_CLASS(pvx_rtsp_factory_parent_class)->create_element(factory, url);
  const gchar* file = reinterpret_cast<PvxRtspFactory*>(factory)->file;
  return file ? pvx::platform::rtsp::NewFileBin(top, file) : top;
}

static void pvx_rtsp_factory_finalize(GObject* object) {
  g_free(reinterpret_cast<PvxRtspFactory*>(object)->file);
  G_OBJECT_CLASS(pvx_rtsp_factory_parent_class)->finalize(object);
}

static void pvx_rtsp_factory_class_init(PvxRtspFactoryClass* klass) {
  G_OBJECT_CLASS(klass)->finalize = pvx_rtsp_factory_finalize;
  GST_RTSP_MEDIA_FACTORY_CLASS(klass)->gen_key = pvx_rtsp_factory_gen_key;
  GST_RTSP_MEDIA_FACTORY_CLASS(klass)->create_element = pvx_rtsp_factory_create_element;
}

static void pvx_rtsp_factory_init(PvxRtspFactory* self) { self->file = nullptr; }

namespace pvx::platform::rtsp {

QString MissingElements() {
  QStringList missing;
  for (const char* name : kNeeded)
    if (!Present(name)) missing << QString::fromLatin1(name);
  if (!AacEncoder()) missing << QStringLiteral("an AAC encoder (fdkaacenc, avenc_aac or voaacenc)");
  return missing.join(QStringLiteral(", "));
}

GstRTSPMediaFactory* NewLiveFactory() {
  auto* factory = GST_RTSP_MEDIA_FACTORY(g_object_new(pvx_rtsp_factory_get_type(), nullptr));
  const QByteArray launch = QByteArray("( ") + kLiveSource + " name=vsrc ! " + VideoEncoding(25) +
                            " name=pay0 " + kLiveSource + " name=asrc ! " + AudioEncoding() + " name=pay1 )";
  gst_rtsp_media_factory_set_launch(factory, launch.constData());
  gst_rtsp_media_factory_set_shared(factory, TRUE);
  return factory;
}

FileStreams ProbeFile(const QString& path) {
  FileStreams streams;
  GError* error = nullptr;
  GstDiscoverer* discoverer = gst_discoverer_new(kProbeTimeoutNs, &error);
  gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
  GstDiscovererInfo* info =
      discoverer && uri ? gst_discoverer_discover_uri(discoverer, uri, &error) : nullptr;
  if (info && gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
    GList* videos = gst_discoverer_info_get_video_streams(info);
    for (GList* v = videos; v; v = v->next)
      streams.video =
          streams.video || !gst_discoverer_video_info_is_image(GST_DISCOVERER_VIDEO_INFO(v->data));
    GList* sounds = gst_discoverer_info_get_audio_streams(info);
    streams.audio = sounds != nullptr;
    gst_discoverer_stream_info_list_free(videos);
    gst_discoverer_stream_info_list_free(sounds);
  } else {
    qCInfo(lcRtspFactory) << "cannot play" << path << (error ? error->message : "");
  }
  g_clear_error(&error);
  if (info) gst_discoverer_info_unref(info);
  g_free(uri);
  if (discoverer) g_object_unref(discoverer);
  return streams;
}

GstRTSPMediaFactory* NewFileFactory(const QString& path, const FileStreams& streams) {
  auto* factory = GST_RTSP_MEDIA_FACTORY(g_object_new(pvx_rtsp_factory_get_type(), nullptr));
  reinterpret_cast<PvxRtspFactory*>(factory)->file = g_strdup(QFile::encodeName(path).constData());
  gst_rtsp_media_factory_set_launch(factory, FileLaunch(streams).constData());
  return factory;
}

}  // namespace pvx::platform::rtsp
