#include "platform/video/SoundTap.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <mutex>

#include "platform/graph/GstPtr.h"

namespace pvx::platform::video {
namespace {

std::mutex& ListenerMutex() {
  static std::mutex m;
  return m;
}
TSoundListener& Listener() {
  static TSoundListener l;
  return l;
}

GstFlowReturn OnSample(GstAppSink* sink, gpointer) {
  GstSample* sample = gst_app_sink_pull_sample(sink);
  if (!sample) return GST_FLOW_EOS;
  std::lock_guard lock(ListenerMutex());
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (Listener() && buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    Listener()(QByteArray(reinterpret_cast<const char*>(map.data), qsizetype(map.size)), kTapRate);
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  return GST_FLOW_OK;
}

}  // namespace

// Leaky and unsynchronised to the graph's latency: a slow listener loses sound, the speakers
// never wait for it. Synchronised to the clock, so the samples arrive as they are heard.
const char* const kSoundTapBranch =
    " split. ! queue leaky=downstream max-size-time=200000000 ! audioconvert ! audioresample"
    " ! audio/x-raw,format=S16LE,layout=interleaved,channels=2,rate=48000"
    " ! appsink name=tap sync=true async=false max-buffers=4 drop=true";

void SetSoundListener(TSoundListener listener) {
  std::lock_guard lock(ListenerMutex());
  Listener() = std::move(listener);
}

void ConnectSoundTap(GstElement* bin) {
  graph::GstPtr<GstElement> tap = graph::ChildByName(bin, "tap");
  if (!tap) return;
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = OnSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(tap.get()), &callbacks, nullptr, nullptr);
}

}  // namespace pvx::platform::video
