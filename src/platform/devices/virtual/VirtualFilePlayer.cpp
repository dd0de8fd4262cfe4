#include "platform/devices/virtual/VirtualFilePlayer.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <QFileInfo>
#include <QUrl>
#include <cstring>

namespace pvx::platform::devices {

namespace {
// Sound beyond this is dropped from the front, so a stalled reader never grows the queue.
constexpr int kMaxSoundBytes = 256 * 1024;
}  // namespace

struct TVirtualFilePlayer::Shared {
  std::mutex Mutex;
  GstSample* Latest = nullptr;
  QByteArray Sound;
  bool Looping = false;
  std::atomic<bool>* Failed = nullptr;
  GstElement* Pipeline = nullptr;  // the player's; the bus handler goes before it

  ~Shared() {
    if (Latest) gst_sample_unref(Latest);
  }
};

namespace {

void SeekToStart(GstElement* pipeline, gpointer flush) {
  // Segment seeks end each pass with segment-done instead of end-of-stream, so the next pass
  // follows without a flush and the running time goes on.
  const int flags = GST_SEEK_FLAG_SEGMENT | (flush ? GST_SEEK_FLAG_FLUSH : 0);
  if (!gst_element_seek(pipeline, 1.0, GST_FORMAT_TIME, GstSeekFlags(flags), GST_SEEK_TYPE_SET, 0,
                        GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE) &&
      !flush) {
    gst_element_seek_simple(pipeline, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0);
  }
}

using Shared = TVirtualFilePlayer::Shared;

GstFlowReturn OnNewSample(GstAppSink* appSink, gpointer data) {
  auto& s = *static_cast<Shared*>(data);
  GstSample* sample = gst_app_sink_pull_sample(appSink);
  if (!sample) return GST_FLOW_OK;
  std::lock_guard lock(s.Mutex);
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstCaps* got = gst_sample_get_caps(sample);
  if (got && gst_structure_has_name(gst_caps_get_structure(got, 0), "audio/x-raw")) {
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
      s.Sound.append(reinterpret_cast<const char*>(map.data), qsizetype(map.size));
      gst_buffer_unmap(buffer, &map);
    }
    if (s.Sound.size() > kMaxSoundBytes) s.Sound.remove(0, s.Sound.size() - kMaxSoundBytes);
    gst_sample_unref(sample);
  } else {
    if (s.Latest) gst_sample_unref(s.Latest);
    s.Latest = sample;
  }
  return GST_FLOW_OK;
}

GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
  auto& s = **static_cast<std::shared_ptr<Shared>*>(data);
  GstElement* pipeline = s.Pipeline;
  const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
      *s.Failed = true;
      break;
    case GST_MESSAGE_ASYNC_DONE: {
      // Once prerolled, the first pass starts over as a segment.
      std::lock_guard lock(s.Mutex);
      if (!s.Looping && fromPipeline) {
        s.Looping = true;
        gst_element_call_async(pipeline, SeekToStart, GINT_TO_POINTER(1), nullptr);
      }
      break;
    }
    case GST_MESSAGE_SEGMENT_DONE:
    case GST_MESSAGE_EOS:
      // Seeking from the streaming thread that posted this could deadlock.
      if (fromPipeline)
        gst_element_call_async(pipeline, SeekToStart,
                               GINT_TO_POINTER(GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS), nullptr);
      break;
    default:
      break;
  }
  gst_message_unref(message);
  return GST_BUS_DROP;
}

}  // namespace

TVirtualFilePlayer::TVirtualFilePlayer(const QString& path, GstCaps* caps)
    : path_(path), shared_(std::make_shared<Shared>()) {
  shared_->Failed = &failed_;
  const bool video = gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-raw");
  if (!QFileInfo(path).isFile()) {
    failed_ = true;
    return;
  }
  pipeline_ = gst_pipeline_new("virtual-file-player");
  shared_->Pipeline = pipeline_;
  GstElement* decode = gst_element_factory_make("uridecodebin", nullptr);
  GstElement* convert = gst_element_factory_make(video ? "videoconvert" : "audioconvert", nullptr);
  GstElement* scale = gst_element_factory_make(video ? "videoscale" : "audioresample", nullptr);
  GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (!decode || !convert || !scale || !filter || !sink) {
    failed_ = true;
    return;
  }
  gst_bin_add_many(GST_BIN(pipeline_), decode, convert, scale, filter, sink, nullptr);
  gst_element_link_many(convert, scale, filter, sink, nullptr);
  // Only the stream wanted is decoded.
  GstCaps* raw = gst_caps_from_string(video ? "video/x-raw(ANY)" : "audio/x-raw(ANY)");
  g_object_set(decode, "uri", QUrl::fromLocalFile(path).toEncoded().constData(), "caps", raw,
               "expose-all-streams", FALSE, nullptr);
  gst_caps_unref(raw);
  g_signal_connect(decode, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer to) {
                     GstPad* in = gst_element_get_static_pad(GST_ELEMENT(to), "sink");
                     if (!gst_pad_is_linked(in)) gst_pad_link(pad, in);
                     gst_object_unref(in);
                   }),
                   convert);
  g_object_set(filter, "caps", caps, nullptr);
  // Played against the clock, so the file runs at its own speed.
  g_object_set(sink, "sync", TRUE, "max-buffers", 2u, "drop", TRUE, nullptr);

  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = OnNewSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, shared_.get(), nullptr);

  GstBus* bus = gst_element_get_bus(pipeline_);
  gst_bus_set_sync_handler(bus, OnBusMessage, new std::shared_ptr<Shared>(shared_),
                           [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
  gst_object_unref(bus);
  if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
    failed_ = true;
}

TVirtualFilePlayer::~TVirtualFilePlayer() {
  if (!pipeline_) return;
  gst_element_set_state(pipeline_, GST_STATE_NULL);
  GstBus* bus = gst_element_get_bus(pipeline_);
  gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
  gst_object_unref(bus);
  gst_object_unref(pipeline_);
}

GstSample* TVirtualFilePlayer::Picture() {
  std::lock_guard lock(shared_->Mutex);
  return shared_->Latest ? gst_sample_ref(shared_->Latest) : nullptr;
}

int TVirtualFilePlayer::TakeSound(char* to, int size) {
  std::lock_guard lock(shared_->Mutex);
  const int n = int(qMin<qsizetype>(size, shared_->Sound.size()));
  std::memcpy(to, shared_->Sound.constData(), size_t(n));
  shared_->Sound.remove(0, n);
  return n;
}

}  // namespace pvx::platform::devices
