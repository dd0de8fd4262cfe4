#pragma once
// Every complete route from a physical connector through the card's crossbars to the capture
// device's analogue input, so inputs can be chosen by connector type.

#include <QString>
#include <vector>

namespace pvx::platform::graph {
class ICrossbar;
class TPin;
}  // namespace pvx::platform::graph

namespace pvx::engine {

// One link of a route: a crossbar and the pins it routes.
struct TCrRouting {
  int VideoInputIndex = -1;
  int VideoOutputIndex = -1;
  int AudioInputIndex = -1;
  int AudioOutputIndex = -1;
  platform::graph::ICrossbar* Crossbar = nullptr;
  int InputPhysicalType = 0;
  int OutputPhysicalType = 0;
  int Depth = 0;  // crossbars above the capture device
};

// A complete route, connector first.
using TRouteArray = std::vector<TCrRouting>;

class TCrossbar {
 public:
  // Builds the routes that end at the capture device's analogue video input.
  explicit TCrossbar(platform::graph::TPin& startPin);

  int GetInputCount() const { return int(routes_.size()); }
  // Physical type of the route's connector; false for an index beyond the list.
  bool GetInputType(int index, int& physicalType) const;
  QString GetInputName(int index) const;
  bool SetInputIndex(int index);
  int CurrentIndex() const { return current_; }
  const std::vector<TRouteArray>& Routes() const { return routes_; }

  static QString StringFromPinType(int physicalType);

 private:
  void Build(platform::graph::TPin& pin, int depth, TRouteArray links);

  std::vector<TRouteArray> routes_;
  int current_ = -1;
};

}  // namespace pvx::engine
