#include <gtest/gtest.h>

#include <algorithm>

#include "TestFilters.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using platform::components::TInfinitePinTee;

QStringList OutputNames(const TFilter& filter) {
  QStringList names;
  for (TPin* pin : filter.PinsOf(PinDir::Output)) names << pin->Name();
  return names;
}

TEST(InfinitePinTee, StartsWithTwoOutputs) {
  TInfinitePinTee tee;
  ASSERT_NE(tee.Element(), nullptr);
  EXPECT_EQ(tee.FriendlyName(), "Infinite Pin Tee Filter");
  EXPECT_EQ(OutputNames(tee), QStringList({"Output1", "Output2"}));
  ASSERT_NE(tee.FindPin("Input"), nullptr);
  EXPECT_EQ(tee.FindPin("Input")->Major(), MediaMajor::Audio);
  for (const auto& pin : tee.Pins()) EXPECT_NE(pin->Pad(), nullptr) << pin->Name().toStdString();
}

TEST(InfinitePinTee, AddsAnOutputWhenTheLastFreeOneIsConnected) {
  TFilterGraph graph;
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = AudioSource();
  std::vector<std::shared_ptr<TTestSink>> sinks;
  ASSERT_TRUE(graph.AddFilter(source, "Source"));
  ASSERT_TRUE(graph.AddFilter(tee, "Tee"));
  ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  // Connecting the input or a non-last output leaves the pins as they are.
  EXPECT_EQ(OutputNames(*tee), QStringList({"Output1", "Output2"}));
  for (int n = 1; n <= 3; ++n) {
    sinks.push_back(std::make_shared<TTestSink>(MediaMajor::Audio));
    ASSERT_TRUE(graph.AddFilter(sinks.back(), "Sink"));
    TPin* out = tee->FindPin(QString("Output%1").arg(n));
    ASSERT_NE(out, nullptr) << n;
    ASSERT_TRUE(graph.Connect(*out, *sinks.back()->FindPin("Input"))) << n;
    // Output1 leaves Output2 free; each later one was the last free output.
    EXPECT_EQ(tee->PinsOf(PinDir::Output).size(), size_t(std::max(2, n + 1))) << n;
  }
  EXPECT_EQ(OutputNames(*tee), QStringList({"Output1", "Output2", "Output3", "Output4"}));
  EXPECT_FALSE(tee->FindPin("Output4")->IsConnected());
  EXPECT_NE(tee->FindPin("Output4")->Pad(), nullptr);

  // Every connected output gets the input; the free one does not hold them up.
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& sink : sinks)
      if (sink->Frames() < 5) return false;
    return true;
  }));
  EXPECT_TRUE(sinks.back()->LastCaps().contains("S16LE"));
}

TEST(InfinitePinTee, CarriesVideoOverAnExplicitConnection) {
  TFilterGraph graph;
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = VideoSource("UYVY");
  auto sink = std::make_shared<TTestSink>();
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "Tee") &&
              graph.AddFilter(sink, "Sink"));
  ASSERT_TRUE(graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  ASSERT_TRUE(graph.Connect(*tee->FindPin("Output2"), *sink->FindPin("Input")));
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(WaitUntil([&] { return sink->Frames() >= 5; }));
}

}  // namespace
}  // namespace pvx::test
