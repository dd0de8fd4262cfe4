#include "platform/graph/TFilterGraph.h"

#include <gst/gst.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <algorithm>

#include "platform/graph/FaultPlan.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/TComponentRegistry.h"

Q_DECLARE_LOGGING_CATEGORY(lcGraph)

namespace pvx::platform::graph {
namespace {

// A pipeline reaches PLAYING or PAUSED once its sinks have a first buffer. A change still
// pending after the wait, or one that failed, is a failed Run/Pause.
bool ReachedState(GstElement* pipeline, GstState target, int waitMs) {
  if (gst_element_set_state(pipeline, target) == GST_STATE_CHANGE_FAILURE) return false;
  GstState current = GST_STATE_VOID_PENDING;
  const GstStateChangeReturn result =
      gst_element_get_state(pipeline, &current, nullptr, GstClockTime(waitMs) * GST_MSECOND);
  if (result == GST_STATE_CHANGE_FAILURE || result == GST_STATE_CHANGE_ASYNC) {
    qCWarning(lcGraph) << "pipeline did not reach" << gst_element_state_get_name(target)
                       << gst_element_state_change_return_get_name(result);
    return false;
  }
  return current == target;
}

QString ErrorText(GError* error) { return error ? QString::fromUtf8(error->message) : QString(); }

bool IsUpstreamOf(const TFilter& candidate, const TFilter& of) {
  // Walks the media connections upstream from `of`; true when `candidate` is reached.
  std::vector<const TFilter*> pending{&of};
  std::vector<const TFilter*> seen;
  while (!pending.empty()) {
    const TFilter* f = pending.back();
    pending.pop_back();
    if (std::find(seen.begin(), seen.end(), f) != seen.end()) continue;
    seen.push_back(f);
    for (const auto& pin : f->Pins()) {
      if (pin->Dir() != PinDir::Input || !pin->ConnectedTo()) continue;
      const TFilter* up = &pin->ConnectedTo()->Filter();
      if (up == &candidate) return true;
      pending.push_back(up);
    }
  }
  return false;
}

}  // namespace

TFilterGraph::TFilterGraph(const TComponentRegistry& registry)
    : registry_(registry), context_(std::make_unique<QObject>()) {
  EnsureGstreamer();
  pipeline_ = Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
  GstPtr<GstBus> bus = Adopt(gst_element_get_bus(Pipeline()));
  gst_bus_set_sync_handler(
      bus.get(),
      [](GstBus* b, GstMessage* m, gpointer self) -> GstBusSyncReply {
        return static_cast<GstBusSyncReply>(OnBusMessage(b, m, self));
      },
      this, nullptr);
}

TFilterGraph::~TFilterGraph() {
  Stop();  // to NULL before the last reference goes
  RemoveAllFilters();
  gst_bus_set_sync_handler(Adopt(gst_element_get_bus(Pipeline())).get(), nullptr, nullptr, nullptr);
}

int TFilterGraph::OnBusMessage(void*, void* rawMessage, void* self) {
  auto* message = static_cast<GstMessage*>(rawMessage);
  auto* graph = static_cast<TFilterGraph*>(self);
  TGraphEvent event;
  GError* error = nullptr;
  gchar* debug = nullptr;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      // Only the pipeline's own end of stream: every sink has finished.
      event.kind = TGraphEvent::EndOfStream;
      break;
    case GST_MESSAGE_ERROR:
      gst_message_parse_error(message, &error, &debug);
      event.kind = TGraphEvent::Error;
      break;
    case GST_MESSAGE_WARNING:
      gst_message_parse_warning(message, &error, &debug);
      event.kind = TGraphEvent::Warning;
      break;
    default:
      return GST_BUS_DROP;
  }
  event.Source = QString::fromUtf8(GST_OBJECT_NAME(GST_MESSAGE_SRC(message)));
  event.Message = ErrorText(error);
  event.Debug = QString::fromUtf8(debug ? debug : "");
  if (error) g_error_free(error);
  g_free(debug);
  if (event.kind != TGraphEvent::EndOfStream)
    qCWarning(lcGraph) << event.Source << event.Message << event.Debug;
  graph->Deliver(std::move(event));
  return GST_BUS_DROP;
}

void TFilterGraph::Deliver(TGraphEvent event) {
  // Streaming threads hand events to the UI thread; a graph destroyed meanwhile drops them.
  QMetaObject::invokeMethod(
      context_.get(),
      [this, event = std::move(event)] {
        if (OnEvent) OnEvent(event);
      },
      Qt::QueuedConnection);
}

bool TFilterGraph::AddFilter(const std::shared_ptr<TFilter>& filter, const QString& name) {
  if (!filter || filter->graph_ || Refused("AddFilter")) return false;
  QString unique = name;
  for (int n = 1; FindFilter(unique); ++n) unique = name + QString::asprintf(" %04d", n);
  filter->name_ = unique;
  filter->graph_ = this;
  if (GstElement* element = filter->Element()) {
    const QByteArray id = QByteArray("f") + QByteArray::number(nextElementId_++) + "_" +
                          unique.toUtf8().replace(' ', '_');
    gst_object_set_name(GST_OBJECT(element), id.constData());
    if (!gst_bin_add(GST_BIN(Pipeline()), element)) {
      filter->graph_ = nullptr;
      return false;
    }
    // Elements join a stopped graph; keep them stopped until Run.
    gst_element_set_locked_state(element, TRUE);
  }
  filters_.push_back(filter);
  filter->AddedToGraph();
  return true;
}

std::shared_ptr<TFilter> TFilterGraph::AddComponent(const QString& friendlyName,
                                                    const QString& name,
                                                    DeviceCategory category) {
  auto filter = registry_.Create(category, friendlyName);
  if (!filter) return nullptr;
  if (TFilter* old = FindFilter(name)) RemoveFilter(*old);
  if (!AddFilter(filter, name)) return nullptr;
  return filter;
}

bool TFilterGraph::RemoveFilter(TFilter& filter) {
  auto it = std::find_if(filters_.begin(), filters_.end(),
                         [&](const auto& f) { return f.get() == &filter; });
  if (it == filters_.end()) return false;
  if (state_ != GraphState::Stopped) Stop();
  std::shared_ptr<TFilter> keep = *it;
  for (const auto& pin : filter.Pins()) Disconnect(*pin);
  filters_.erase(it);
  if (GstElement* element = filter.Element()) {
    gst_element_set_locked_state(element, FALSE);
    gst_element_set_state(element, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(Pipeline()), element);
  }
  filter.graph_ = nullptr;
  filter.RemovedFromGraph();
  return true;
}

void TFilterGraph::RemoveAllFilters() {
  while (!filters_.empty()) RemoveFilter(*filters_.back());
}

TFilter* TFilterGraph::FindFilter(const QString& name) const {
  for (const auto& f : filters_) {
    if (f->Name() == name) return f.get();
  }
  return nullptr;
}

std::shared_ptr<TFilter> TFilterGraph::SharedFilter(const TFilter* filter) const {
  for (const auto& f : filters_) {
    if (f.get() == filter) return f;
  }
  return nullptr;
}

bool TFilterGraph::Connect(TPin& out, TPin& in) {
  if (out.Dir() != PinDir::Output || in.Dir() != PinDir::Input || Refused("Connect")) return false;
  if (out.IsConnected() || in.IsConnected()) return false;
  if (out.Filter().Graph() != this || in.Filter().Graph() != this) return false;
  if (&out.Filter() == &in.Filter()) return false;
  if (out.IsDevicePin() != in.IsDevicePin()) return false;
  if (out.IsDevicePin() && out.Major() != in.Major()) return false;
  if (state_ != GraphState::Stopped) Stop();
  if (!out.Filter().PrepareConnect(out, in) || !in.Filter().PrepareConnect(in, out)) return false;
  if (!out.IsDevicePin()) {
    GstPad* src = out.Pad();
    GstPad* sink = in.Pad();
    if (!src || !sink) return false;
    const GstPadLinkReturn linked = gst_pad_link(src, sink);
    if (GST_PAD_LINK_FAILED(linked)) {
      qCWarning(lcGraph) << "cannot connect" << out.Filter().Name() << out.Name() << "to"
                         << in.Filter().Name() << in.Name() << gst_pad_link_get_name(linked);
      return false;
    }
  }
  out.peer_ = &in;
  in.peer_ = &out;
  out.Filter().Connected(out);
  in.Filter().Connected(in);
  return true;
}

bool TFilterGraph::Disconnect(TPin& pin) {
  TPin* peer = pin.peer_;
  if (!peer) return false;
  if (state_ != GraphState::Stopped) Stop();
  if (!pin.IsDevicePin()) {
    TPin& out = pin.Dir() == PinDir::Output ? pin : *peer;
    TPin& in = pin.Dir() == PinDir::Output ? *peer : pin;
    if (out.Pad() && in.Pad()) gst_pad_unlink(out.Pad(), in.Pad());
  }
  pin.peer_ = nullptr;
  peer->peer_ = nullptr;
  pin.Filter().Disconnected(pin);
  peer->Filter().Disconnected(*peer);
  return true;
}

bool TFilterGraph::TryConnectInto(TPin& out, TFilter& target) {
  if (&target == &out.Filter() || IsUpstreamOf(target, out.Filter())) return false;
  for (TPin* in : target.PinsOf(PinDir::Input)) {
    if (in->IsConnected() || in->IsDevicePin() != out.IsDevicePin()) continue;
    if (in->Major() != out.Major()) continue;
    if (Connect(out, *in)) return true;
  }
  return false;
}

bool TFilterGraph::RenderOutputs(TFilter& filter) {
  for (TPin* pin : filter.PinsOf(PinDir::Output)) {
    if (pin->IsConnected() || pin->IsDevicePin()) continue;
    if (!Render(*pin)) return false;
  }
  return true;
}

bool TFilterGraph::Render(TPin& out) {
  if (out.Dir() != PinDir::Output || out.IsConnected() || out.Filter().Graph() != this) return false;
  if (Refused("Render")) return false;
  // Filters already in the graph come first, in the order they were added.
  const auto existing = filters_;
  for (const auto& filter : existing) {
    if (!TryConnectInto(out, *filter)) continue;
    if (!out.IsDevicePin()) return RenderOutputs(*filter);
    // The card's signal goes on to the next part where one takes it (tuner -> TV audio ->
    // crossbar); an output nothing takes is simply left open.
    for (TPin* next : filter->PinsOf(PinDir::Output)) {
      if (next->IsDevicePin() && !next->IsConnected()) Render(*next);
    }
    return true;
  }
  if (out.IsDevicePin()) return false;
  if (out.Major() == MediaMajor::Stream) {
    // Encoded media: the first registered decoder that takes it, then on to its outputs.
    for (const TMoniker& m : registry_.Enumerate(DeviceCategory::Decoder)) {
      auto decoder = m.Bind();
      if (!decoder || !AddFilter(decoder, m.FriendlyName)) continue;
      if (TryConnectInto(out, *decoder) && RenderOutputs(*decoder)) return true;
      RemoveFilter(*decoder);
    }
    return false;
  }
  QString renderer;
  switch (out.Major()) {
    case MediaMajor::Video: renderer = "Video Renderer"; break;
    case MediaMajor::Audio: renderer = "Audio Renderer"; break;
    default: return false;
  }
  auto filter = AddComponent(renderer, renderer);
  if (!filter) return false;
  if (TryConnectInto(out, *filter)) return true;
  RemoveFilter(*filter);
  return false;
}

bool TFilterGraph::TerminateDanglingOutputs() {
  for (const auto& filter : filters_) {
    if (!filter->Element() || !filter->HasConnectedMediaPin()) continue;
    for (const auto& pin : filter->Pins()) {
      if (pin->Dir() != PinDir::Output || pin->IsDevicePin() || pin->IsConnected()) continue;
      GstPad* pad = pin->Pad();
      if (!pad || gst_pad_is_linked(pad)) continue;
      // An unconnected output simply does not stream, as on the original platform; an
      // output left unlinked would stop the whole pipeline with not-linked.
      GstElement* sink = MakeElement("fakesink");
      if (!sink) return false;
      g_object_set(sink, "sync", FALSE, "async", FALSE, nullptr);
      if (!gst_bin_add(GST_BIN(Pipeline()), sink)) {
        UnrefObject(gst_object_ref_sink(sink));  // still floating: sink it to let it go
        return false;
      }
      terminators_.push_back(sink);
      GstPtr<GstPad> sinkPad = Adopt(gst_element_get_static_pad(sink, "sink"));
      if (!sinkPad || GST_PAD_LINK_FAILED(gst_pad_link(pad, sinkPad.get()))) {
        qCWarning(lcGraph) << "cannot end the open output" << filter->Name() << pin->Name();
        return false;
      }
    }
  }
  return true;
}

void TFilterGraph::RemoveTerminators() {
  for (GstElement* sink : terminators_) {
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_bin_remove(GST_BIN(Pipeline()), sink);
  }
  terminators_.clear();
}

bool TFilterGraph::Run() {
  if (state_ == GraphState::Running) return true;
  if (Refused("Run")) {
    Stop();
    return false;
  }
  if (state_ == GraphState::Stopped) {
    for (const auto& filter : filters_) {
      if (!filter->BeforeRun()) {
        Stop();
        return false;
      }
    }
    // Only filters that take part in a stream run. The others leave the pipeline while it
    // runs: a sink kept there would hold back the end of stream it never reaches.
    for (const auto& filter : filters_) {
      GstElement* element = filter->Element();
      if (!element) continue;
      if (filter->HasConnectedMediaPin()) {
        gst_element_set_locked_state(element, FALSE);
      } else {
        gst_bin_remove(GST_BIN(Pipeline()), element);  // the filter keeps its own reference
        idle_.push_back(element);
      }
    }
    if (!TerminateDanglingOutputs()) {
      Stop();
      return false;
    }
  }
  if (!ReachedState(Pipeline(), GST_STATE_PLAYING, stateWaitMs_)) {
    Stop();
    return false;
  }
  state_ = GraphState::Running;
  return true;
}

bool TFilterGraph::Pause() {
  if (state_ == GraphState::Paused) return true;
  if (state_ == GraphState::Stopped) {
    // Build the running set as Run does, then hold it paused.
    if (!Run()) return false;
  }
  if (!ReachedState(Pipeline(), GST_STATE_PAUSED, stateWaitMs_)) {
    Stop();
    return false;
  }
  state_ = GraphState::Paused;
  return true;
}

bool TFilterGraph::Stop() {
  // Setting NULL joins every streaming thread before it returns.
  gst_element_set_state(Pipeline(), GST_STATE_NULL);
  for (const auto& filter : filters_) {
    if (GstElement* element = filter->Element()) {
      gst_element_set_state(element, GST_STATE_NULL);
      gst_element_set_locked_state(element, TRUE);
    }
  }
  RemoveTerminators();
  for (GstElement* element : idle_) {
    gst_bin_add(GST_BIN(Pipeline()), element);
    gst_element_set_locked_state(element, TRUE);
  }
  idle_.clear();
  const bool wasStopped = state_ == GraphState::Stopped;
  state_ = GraphState::Stopped;
  rate_ = 1.0;
  if (!wasStopped) {
    for (const auto& filter : filters_) filter->AfterStop();
  }
  return true;
}

bool TFilterGraph::GetCurrentPosition(qint64& position) const {
  gint64 ns = 0;
  if (Refused("Position")) return false;
  if (!gst_element_query_position(Pipeline(), GST_FORMAT_TIME, &ns)) return false;
  position = ns / 100;
  return true;
}

bool TFilterGraph::GetStopPosition(qint64& position) const {
  gint64 ns = 0;
  if (Refused("Position")) return false;
  if (!gst_element_query_duration(Pipeline(), GST_FORMAT_TIME, &ns) || ns < 0) return false;
  position = ns / 100;
  return true;
}

bool TFilterGraph::SetPositions(qint64 current) {
  return !Refused("Seek") && gst_element_seek(Pipeline(), rate_, GST_FORMAT_TIME,
                          GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                          GST_SEEK_TYPE_SET, current * 100, GST_SEEK_TYPE_NONE, 0);
}

bool TFilterGraph::SetRate(double rate) {
  if (rate <= 0) return false;
  qint64 position = 0;
  GetCurrentPosition(position);
  if (!gst_element_seek(Pipeline(), rate, GST_FORMAT_TIME,
                        GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                        GST_SEEK_TYPE_SET, position * 100, GST_SEEK_TYPE_NONE, 0))
    return false;
  rate_ = rate;
  return true;
}

int TFilterGraph::ElementCount() const {
  int count = 0;
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(Pipeline()));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    ++count;
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return count;
}

}  // namespace pvx::platform::graph
