#pragma once
// Card parts bound into a graph from their provider, as the engine binds them; the virtual card
// the registry offers when there is no real one.

#include <gtest/gtest.h>

#include "platform/components/TestFilters.h"
#include "platform/devices/virtual/VirtualDeviceProvider.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

namespace pvx::test {

inline platform::graph::TMediaType VideoType(const char* subtype, int width, int height) {
  return {platform::graph::MediaMajor::Video, subtype, width, height};
}

// Self has `graph` and `Provider()`.
template <typename Self>
struct TCardRig {
  // The index-th device of a category, added to the graph; nullptr when none binds.
  std::shared_ptr<platform::graph::TFilter> Add(platform::graph::DeviceCategory c, int index = 0) {
    auto& self = static_cast<Self&>(*this);
    const auto devices = self.Provider().Devices(c);
    auto filter = size_t(index) < devices.size() ? devices[size_t(index)].Bind() : nullptr;
    if (filter) self.graph.AddFilter(filter, filter->FriendlyName());
    return filter;
  }
  template <typename I>
  I* Bind(platform::graph::DeviceCategory c, int index = 0) {
    auto filter = Add(c, index);
    return filter ? filter->template As<I>() : nullptr;
  }
  // Runs `type` from the capture pin into a new test sink until frames come.
  std::shared_ptr<TTestSink> Play(platform::graph::TFilter& capture,
                                  const platform::graph::TMediaType& type) {
    auto& graph = static_cast<Self&>(*this).graph;
    auto sink = std::make_shared<TTestSink>();
    graph.AddFilter(sink, "Sink");
    EXPECT_TRUE(capture.As<platform::graph::IStreamConfig>()->SetFormat(type));
    EXPECT_TRUE(graph.Connect(*capture.FindPin("Capture"), *sink->FindPin("Input")) && graph.Run() &&
                WaitUntil([&] { return sink->Frames() > 1; }));
    return sink;
  }
  // The newest frame once `frames` more have come.
  static QByteArray Later(TTestSink& sink, int frames) {
    const int until = sink.Frames() + frames;
    EXPECT_TRUE(WaitUntil([&] { return sink.Frames() >= until; }));
    return sink.Last().bytes;
  }
};

struct TVirtualRig : TCardRig<TVirtualRig> {
  auto& Provider() { return platform::devices::DefaultVirtualProvider(); }
  platform::graph::TFilterGraph graph{Components()};
};

}  // namespace pvx::test
