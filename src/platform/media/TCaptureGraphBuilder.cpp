#include "platform/media/TCaptureGraphBuilder.h"

#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

TPin* FreePin(TFilter& filter, PinDir dir, std::optional<MediaMajor> major,
              PinCategory category = PinCategory::None) {
  for (TPin* pin : filter.PinsOf(dir)) {
    if (pin->IsConnected() || pin->IsDevicePin()) continue;
    if (category != PinCategory::None && pin->Category() != category) continue;
    if (major && pin->Major() != *major) continue;
    return pin;
  }
  return nullptr;
}

}  // namespace

bool TCaptureGraphBuilder::SetOutputFileName(const QString& subtype, const QString& path,
                                             std::shared_ptr<TFilter>* mux,
                                             IFileSinkFilter2** sink) {
  if (subtype.compare("AVI", Qt::CaseInsensitive) != 0 || path.isEmpty()) return false;
  auto muxer = graph_.AddComponent(kAviMuxName, kAviMuxName);
  auto writer = muxer ? graph_.AddComponent(kFileWriterName, kFileWriterName) : nullptr;
  auto* fileSink = writer ? writer->As<IFileSinkFilter2>() : nullptr;
  TPin* out = muxer ? FreePin(*muxer, PinDir::Output, MediaMajor::Stream) : nullptr;
  TPin* in = writer ? FreePin(*writer, PinDir::Input, MediaMajor::Stream) : nullptr;
  if (!fileSink || !out || !in || !fileSink->SetFileName(path) || !graph_.Connect(*out, *in)) {
    if (writer) graph_.RemoveFilter(*writer);
    if (muxer) graph_.RemoveFilter(*muxer);
    return false;
  }
  if (mux) *mux = muxer;
  if (sink) *sink = fileSink;
  return true;
}

bool TCaptureGraphBuilder::RenderStream(PinCategory category, std::optional<MediaMajor> major,
                                        TFilter& source, TFilter* intermediate, TFilter* sink) {
  TPin* out = FreePin(source, PinDir::Output, major, category);
  if (!out) return false;
  if (intermediate) {
    TPin* in = FreePin(*intermediate, PinDir::Input, out->Major());
    if (!in || !graph_.Connect(*out, *in)) return false;
    out = FreePin(*intermediate, PinDir::Output, std::nullopt);
    if (!out) return false;
  }
  if (!sink) return graph_.Render(*out);
  TPin* in = FreePin(*sink, PinDir::Input, out->Major());
  return in && graph_.Connect(*out, *in);
}

std::shared_ptr<TFilter> AddSourceFilter(TFilterGraph& graph, const QString& path,
                                         const QString& name) {
  auto source = graph.Registry().Create(DeviceCategory::LegacyFilter, kStoredFileSourceName);
  auto* file = source ? source->As<IFileSourceFilter>() : nullptr;
  if (!file || !file->Load(path) || !graph.AddFilter(source, name)) return nullptr;
  return source;
}

}  // namespace pvx::platform::media
