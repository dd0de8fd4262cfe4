#include "platform/devices/v4l2/LiveSoundLatency.h"

#include <gst/gst.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <mutex>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {

// The element that finally plays: a sink that is not itself a bin (autoaudiosink wraps one).
GstPtr<GstElement> PlayingSink(GstElement* pipeline) {
  GstPtr<GstElement> found;
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  while (!found && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SINK) && !GST_IS_BIN(element))
      found = Ref(element);
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return found;
}

struct TArrivals {
  std::mutex mutex;
  GstElement* sink = nullptr;
  double sumMs = 0, maxMs = 0;
  int count = 0;
};

GstPadProbeReturn OnBuffer(GstPad*, GstPadProbeInfo* info, gpointer data) {
  auto* arrivals = static_cast<TArrivals*>(data);
  GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
  GstPtr<GstClock> clock = Adopt(gst_element_get_clock(arrivals->sink));
  if (!clock || !GST_BUFFER_PTS_IS_VALID(buffer)) return GST_PAD_PROBE_OK;
  // Live sources stamp each buffer with the running time of its capture.
  const GstClockTime now = gst_clock_get_time(clock.get()) - gst_element_get_base_time(arrivals->sink);
  const double ms = (double(now) - double(GST_BUFFER_PTS(buffer))) / GST_MSECOND;
  std::lock_guard lock(arrivals->mutex);
  arrivals->sumMs += ms;
  arrivals->maxMs = arrivals->count ? std::max(arrivals->maxMs, ms) : ms;
  ++arrivals->count;
  return GST_PAD_PROBE_OK;
}

// The latency query on the whole pipeline, or on what lies upstream of a sink's pad.
bool Latency(GstElement* pipeline, GstPad* sinkPad, gboolean& live, GstClockTime& min,
             GstClockTime& max) {
  GstQuery* query = gst_query_new_latency();
  const bool answered =
      pipeline ? gst_element_query(pipeline, query) : gst_pad_peer_query(sinkPad, query);
  if (answered) gst_query_parse_latency(query, &live, &min, &max);
  gst_query_unref(query);
  return answered;
}

}  // namespace

bool MeasureLiveSoundLatency(TFilterGraph& graph, int ms, TLiveSoundLatency& result) {
  if (graph.State() != GraphState::Running) return false;
  GstPtr<GstElement> sink = PlayingSink(graph.Pipeline());
  GstPtr<GstPad> pad = StaticPad(sink.get(), "sink");
  if (!pad) return false;
  TArrivals arrivals;
  arrivals.sink = sink.get();
  const gulong probe = gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, OnBuffer, &arrivals, nullptr);
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  gst_pad_remove_probe(pad.get(), probe);  // waits for a probe call in progress

  gboolean live = FALSE;
  GstClockTime min = 0, max = 0, upstream = 0;
  if (!Latency(graph.Pipeline(), nullptr, live, min, max)) return false;
  gboolean upstreamLive = FALSE;
  GstClockTime upstreamMax = 0;
  Latency(nullptr, pad.get(), upstreamLive, upstream, upstreamMax);

  result = TLiveSoundLatency{};
  result.Live = live;
  result.LatencyMs = double(min) / GST_MSECOND;
  result.UpstreamMs = double(upstream) / GST_MSECOND;
  result.MaxLatencyMs = GST_CLOCK_TIME_IS_VALID(max) ? double(max) / GST_MSECOND : -1;
  result.Buffers = arrivals.count;
  result.ArrivalMeanMs = arrivals.count ? arrivals.sumMs / arrivals.count : 0;
  result.ArrivalMaxMs = arrivals.maxMs;
  GstElementFactory* factory = gst_element_get_factory(sink.get());
  result.Sink = factory ? QString::fromUtf8(GST_OBJECT_NAME(factory)) : QString();
  return true;
}

}  // namespace pvx::platform::devices::v4l2
