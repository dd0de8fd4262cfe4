#pragma once
// One media graph: filters, their connections, and the GstPipeline that runs them.
// Graphs are built while stopped and then run; Stop joins every streaming thread.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graph/GraphTypes.h"
#include "platform/graph/TFilter.h"

class QObject;

namespace pvx::platform::graph {

struct TGraphEvent {
  enum Kind { EndOfStream, Error, Warning };
  Kind kind = EndOfStream;
  QString Source;   // the element that posted it
  QString Message;  // the error text
  QString Debug;    // details for developers
};

enum class GraphState { Stopped, Paused, Running };

class TComponentRegistry;

class TFilterGraph {
 public:
  // Components and renderers are looked up in `registry`, which must outlive the graph.
  explicit TFilterGraph(const TComponentRegistry& registry);
  ~TFilterGraph();
  TFilterGraph(const TFilterGraph&) = delete;
  TFilterGraph& operator=(const TFilterGraph&) = delete;

  // Adds a filter under a name; a name already used gets " 0001", " 0002" ... appended.
  bool AddFilter(const std::shared_ptr<TFilter>& filter, const QString& name);
  // Finds a registered component whose friendly name contains `friendlyName` (ignoring case,
  // first in enumeration order) and adds it under `name`, taking out a filter already there
  // under that name first. nullptr when none is registered.
  std::shared_ptr<TFilter> AddComponent(const QString& friendlyName, const QString& name,
                                        DeviceCategory category = DeviceCategory::LegacyFilter);
  // Disconnects the filter's pins and takes it out. The graph must be stopped.
  bool RemoveFilter(TFilter& filter);
  void RemoveAllFilters();
  TFilter* FindFilter(const QString& name) const;
  std::shared_ptr<TFilter> SharedFilter(const TFilter* filter) const;
  const std::vector<std::shared_ptr<TFilter>>& Filters() const { return filters_; }

  // Connects an output pin to an input pin of another filter in this graph.
  bool Connect(TPin& out, TPin& in);
  bool Disconnect(TPin& pin);
  // Completes a stream from an output pin to its natural end: into a filter already in the
  // graph that accepts it, else raw video to a video renderer and raw audio to an audio
  // renderer; device pins to the next part of the card.
  bool Render(TPin& out);

  // Both wait for the pipeline to get there (a live source must not hang the UI): a change
  // that fails or is still pending after the state wait fails, and the graph is stopped.
  bool Run();
  bool Pause();
  void SetStateWait(int ms) { stateWaitMs_ = ms; }
  bool Stop();
  GraphState State() const { return state_; }

  // Positions in 100-ns units.
  bool GetCurrentPosition(qint64& position) const;
  bool GetStopPosition(qint64& position) const;
  bool SetPositions(qint64 current);
  bool SetRate(double rate);
  double GetRate() const { return rate_; }

  // End of stream and errors, delivered on the UI thread.
  std::function<void(const TGraphEvent&)> OnEvent;

  // The first filter of the graph answering interface I, or nullptr.
  template <typename I>
  I* FindInterface() const {
    for (const auto& f : filters_)
      if (auto* i = f->As<I>()) return i;
    return nullptr;
  }

  const TComponentRegistry& Registry() const { return registry_; }
  GstElement* Pipeline() const { return pipeline_.get(); }
  // Number of elements, recursively, in the pipeline (leak checks).
  int ElementCount() const;

 private:
  bool TryConnectInto(TPin& out, TFilter& target);
  bool RenderOutputs(TFilter& filter);
  bool TerminateDanglingOutputs();
  void RemoveTerminators();
  void Deliver(TGraphEvent event);
  static int OnBusMessage(void* bus, void* message, void* self);

  const TComponentRegistry& registry_;
  GstPtr<GstElement> pipeline_;
  std::vector<std::shared_ptr<TFilter>> filters_;
  std::vector<GstElement*> terminators_;
  std::vector<GstElement*> idle_;  // out of the pipeline while it runs
  GraphState state_ = GraphState::Stopped;
  double rate_ = 1.0;
  int stateWaitMs_ = 10000;
  std::unique_ptr<QObject> context_;
  int nextElementId_ = 0;
};

}  // namespace pvx::platform::graph
