#include <gtest/gtest.h>

#include "TestFilters.h"
#include "platform/components/TSmartTee.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using platform::components::TSmartTee;

TEST(SmartTee, OffersCaptureAndPreviewOutputsByCategory) {
  TSmartTee tee;
  ASSERT_NE(tee.Element(), nullptr);
  EXPECT_EQ(tee.FriendlyName(), "Smart Tee");
  ASSERT_NE(tee.FindPin(PinDir::Output, PinCategory::Capture), nullptr);
  ASSERT_NE(tee.FindPin(PinDir::Output, PinCategory::Preview), nullptr);
  EXPECT_EQ(tee.FindPin(PinDir::Output, PinCategory::Capture)->Name(), "Capture");
  EXPECT_EQ(tee.FindPin(PinDir::Output, PinCategory::Preview)->Name(), "Preview");
  for (const auto& pin : tee.Pins()) EXPECT_NE(pin->Pad(), nullptr) << pin->Name().toStdString();
}

struct SmartTeeGraph {
  TFilterGraph graph;
  std::shared_ptr<TTestSource> source = VideoSource("YUY2");
  std::shared_ptr<TSmartTee> tee = std::make_shared<TSmartTee>();
  std::shared_ptr<TTestSink> capture = std::make_shared<TTestSink>();
  std::shared_ptr<TTestSink> preview = std::make_shared<TTestSink>();

  bool Build(bool withPreview = true) {
    return graph.AddFilter(source, "Source") && graph.AddFilter(tee, "SmartTee") &&
           graph.AddFilter(capture, "Capture") && graph.AddFilter(preview, "Preview") &&
           graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")) &&
           graph.Connect(*tee->FindPin("Capture"), *capture->FindPin("Input")) &&
           (!withPreview || graph.Connect(*tee->FindPin("Preview"), *preview->FindPin("Input")));
  }
};

TEST(SmartTee, DeliversFramesOnBothOutputs) {
  SmartTeeGraph g;
  ASSERT_TRUE(g.Build());
  ASSERT_TRUE(g.graph.Run());
  EXPECT_TRUE(WaitUntil([&] { return g.capture->Frames() >= 5 && g.preview->Frames() >= 5; }));
  EXPECT_TRUE(g.capture->LastCaps().contains("YUY2"));
  EXPECT_TRUE(g.preview->LastCaps().contains("YUY2"));
}

TEST(SmartTee, CaptureKeepsFlowingWhilePreviewIsStuck) {
  SmartTeeGraph g;
  ASSERT_TRUE(g.Build());
  g.preview->Block();
  ASSERT_TRUE(g.graph.Run());
  ASSERT_TRUE(WaitUntil([&] { return g.preview->Frames() >= 1; }));
  const int stuckAt = g.preview->Frames();
  const int captureBefore = g.capture->Frames();
  // Three seconds of frames pass the capture branch while the window takes none; a preview
  // branch that queued instead of dropping would fill within a second and stall the tee.
  EXPECT_TRUE(WaitUntil([&] { return g.capture->Frames() >= captureBefore + 90; }));
  EXPECT_EQ(g.preview->Frames(), stuckAt);
  g.preview->Release();
  // The preview picks up again with fresh frames.
  EXPECT_TRUE(WaitUntil([&] { return g.preview->Frames() > stuckAt + 5; }));
  g.graph.Stop();
}

TEST(SmartTee, CaptureRunsWithThePreviewUnconnected) {
  SmartTeeGraph g;
  ASSERT_TRUE(g.Build(/*withPreview=*/false));
  ASSERT_TRUE(g.graph.Run());
  EXPECT_TRUE(WaitUntil([&] { return g.capture->Frames() >= 5; }));
  EXPECT_EQ(g.preview->Frames(), 0);
}

}  // namespace
}  // namespace pvx::test
