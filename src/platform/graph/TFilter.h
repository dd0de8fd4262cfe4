#pragma once
// A component in a graph: a GstBin whose ghost pads are its media pins, or a control object
// (a crossbar, a tuner) whose pins only carry the card's analogue signal.

#include <QString>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/graph/GstPtr.h"
#include "platform/graph/TPin.h"

namespace pvx::platform::graph {

class TFilterGraph;

class TFilter {
 public:
  explicit TFilter(QString friendlyName);
  virtual ~TFilter();
  TFilter(const TFilter&) = delete;
  TFilter& operator=(const TFilter&) = delete;

  const QString& FriendlyName() const { return friendlyName_; }
  // The name given when added to a graph.
  const QString& Name() const { return name_; }
  TFilterGraph* Graph() const { return graph_; }

  const std::vector<std::unique_ptr<TPin>>& Pins() const { return pins_; }
  // By name, ignoring case; nullptr when absent.
  TPin* FindPin(const QString& name) const;
  // The index-th pin (0-based) of that direction and, unless None, that category.
  TPin* FindPin(PinDir dir, PinCategory category = PinCategory::None, int index = 0) const;
  // Position of a pin among the pins of its direction; -1 when not ours.
  int PinIndex(const TPin& pin) const;
  std::vector<TPin*> PinsOf(PinDir dir) const;

  // The interface I when this filter answers it, else nullptr.
  template <typename I>
  I* As() {
    return Answers(typeid(I)) ? dynamic_cast<I*>(this) : nullptr;
  }
  template <typename I>
  const I* As() const {
    return Answers(typeid(I)) ? dynamic_cast<const I*>(this) : nullptr;
  }

  // The bin carrying this filter's media; nullptr for control objects.
  GstElement* Element() const { return element_.get(); }

  // True when some media pin is connected, so the filter takes part when the graph runs.
  bool HasConnectedMediaPin() const;

 protected:
  TPin& AddPin(QString name, PinDir dir, PinCategory category, MediaMajor major,
               int physicalType = 0);
  // Takes the bin (a floating reference is sunk); its ghost pads must carry the pin names.
  void SetElement(GstElement* bin);

  // A filter may decline an interface its class implements (a device without that feature).
  virtual bool Answers(const std::type_info& interfaceType) const { return true; }

  // Hooks the graph calls. Refusing PrepareConnect refuses the connection.
  virtual bool PrepareConnect(TPin& own, TPin& peer) { return true; }
  virtual void Connected(TPin& own) {}
  virtual void Disconnected(TPin& own) {}
  // Before the pipeline leaves the stopped state, and after it is back in it.
  virtual bool BeforeRun() { return true; }
  virtual void AfterStop() {}
  virtual void AddedToGraph() {}
  virtual void RemovedFromGraph() {}

 private:
  friend class TFilterGraph;
  QString friendlyName_;
  QString name_;
  TFilterGraph* graph_ = nullptr;
  std::vector<std::unique_ptr<TPin>> pins_;
  GstPtr<GstElement> element_;
};

}  // namespace pvx::platform::graph
