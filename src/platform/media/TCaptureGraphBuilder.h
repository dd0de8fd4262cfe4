#pragma once
// The graph-building calls the recording and playback graphs make besides Connect and Render:
// the capture graph builder's SetOutputFileName and RenderStream, and the graph builder's
// AddSourceFilter. Built only on the graph facade.

#include <QString>
#include <memory>
#include <optional>

#include "platform/graph/GraphTypes.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::graph {
class TFilter;
class TFilterGraph;
class TPin;
}  // namespace pvx::platform::graph

namespace pvx::platform::media {

class TCaptureGraphBuilder {
 public:
  explicit TCaptureGraphBuilder(graph::TFilterGraph& graph) : graph_(graph) {}

  // Subtype "AVI": adds "AVI Mux" (as "AVI Mux") and "File Writer" (as "File Writer"), names
  // the file and connects the two. Either result pointer may be null.
  bool SetOutputFileName(const QString& subtype, const QString& path,
                         std::shared_ptr<graph::TFilter>* mux, IFileSinkFilter2** sink);

  // From source's first free output of `category` (None: of `major`, or any media output),
  // through `intermediate` when given, into `sink`'s first free input of that kind; without a
  // sink the stream is rendered.
  bool RenderStream(graph::PinCategory category, std::optional<graph::MediaMajor> major,
                    graph::TFilter& source, graph::TFilter* intermediate, graph::TFilter* sink);

 private:
  graph::TFilterGraph& graph_;
};

// A stored-file source for `path`, added under `name`; nullptr when the file cannot be read.
std::shared_ptr<graph::TFilter> AddSourceFilter(graph::TFilterGraph& graph, const QString& path,
                                                const QString& name);

}  // namespace pvx::platform::media
