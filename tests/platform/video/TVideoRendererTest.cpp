#include "platform/video/TVideoRenderer.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include "platform/graph/TFilterGraph.h"
#include "platform/video/TVideoWindow.h"
#include "support/TestEnvironment.h"
#include "VideoTestSupport.h"

using namespace pvx;
using platform::graph::TFilterGraph;
using platform::video::TVideoRenderer;
using platform::video::TVideoWindow;

namespace {

// A test source rendered through the registry, as the engine's preview does.
struct TRenderedSource {
  TRenderedSource() : graph(std::make_unique<TFilterGraph>(test::Components())) {
    test::RegisterRenderers();
    auto source = test::MakeVideoSource();
    graph->AddFilter(source, "Source");
    rendered = graph->Render(*source->FindPin("Capture"));
    renderer = dynamic_cast<TVideoRenderer*>(graph->FindFilter("Video Renderer"));
  }
  std::unique_ptr<TFilterGraph> graph;
  bool rendered = false;
  TVideoRenderer* renderer = nullptr;
};

bool IsBlack(QRgb pixel) { return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16; }

}  // namespace

TEST(VideoRenderer, HasTheComponentNameAndOneVideoInput) {
  TVideoRenderer renderer;
  EXPECT_EQ(renderer.FriendlyName(), "Video Renderer");
  ASSERT_EQ(renderer.Pins().size(), 1u);
  auto* input = renderer.FindPin("Input");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->Dir(), platform::graph::PinDir::Input);
  EXPECT_EQ(input->Major(), platform::graph::MediaMajor::Video);
  EXPECT_NE(input->Pad(), nullptr);
  EXPECT_EQ(renderer.FramesRendered(), 0u);
  EXPECT_TRUE(renderer.LastFrame().isNull());
}

TEST(VideoRenderer, RenderedSourceDeliversFramesOfItsSize) {
  TRenderedSource s;
  ASSERT_TRUE(s.rendered);
  ASSERT_NE(s.renderer, nullptr);
  ASSERT_TRUE(s.graph->Run());
  ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 3; }));
  EXPECT_EQ(s.renderer->FrameSize(), QSize(320, 240));
  const QImage frame = s.renderer->LastFrame();
  EXPECT_EQ(frame.format(), QImage::Format_RGB32);
  // Colour bars: light grey first, blue last.
  EXPECT_GT(qRed(frame.pixel(5, 5)), 150);
  EXPECT_GT(qBlue(frame.pixel(5, 5)), 150);
  const QRgb last = frame.pixel(315, 5);
  EXPECT_GT(qBlue(last), 150);
  EXPECT_LT(qRed(last), 60);
  EXPECT_LT(qGreen(last), 60);
}

TEST(VideoRenderer, WindowIsHiddenUntilShownAndThenPaintsFrames) {
  TRenderedSource s;
  ASSERT_NE(s.renderer, nullptr);
  TVideoWindow* window = s.renderer->Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, s.renderer->Window());
  EXPECT_EQ(window->parentWidget(), nullptr);
  ASSERT_TRUE(s.graph->Run());
  ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 3; }));
  test::PumpFor(50);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->FramesPainted(), 0u);

  window->resize(160, 120);
  window->show();
  ASSERT_TRUE(test::WaitUntil([&] { return window->FramesPainted() >= 3; }));
  const QImage shot = window->grab().toImage();
  EXPECT_EQ(shot.size(), QSize(160, 120));
  EXPECT_FALSE(IsBlack(shot.pixel(3, 3)));
}

TEST(VideoRenderer, StopHaltsFramesAndRunResumesThem) {
  TRenderedSource s;
  ASSERT_NE(s.renderer, nullptr);
  ASSERT_TRUE(s.graph->Run());
  ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 2; }));
  ASSERT_TRUE(s.graph->Stop());
  const quint64 atStop = s.renderer->FramesRendered();
  test::PumpFor(200);
  EXPECT_EQ(s.renderer->FramesRendered(), atStop);
  // The last picture stays available while stopped.
  EXPECT_EQ(s.renderer->FrameSize(), QSize(320, 240));

  ASSERT_TRUE(s.graph->Run());
  EXPECT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() > atStop + 2; }));
}

TEST(VideoRenderer, WindowCreatedAfterFramesStartsWithTheLatestOne) {
  TRenderedSource s;
  ASSERT_NE(s.renderer, nullptr);
  ASSERT_TRUE(s.graph->Run());
  ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 1; }));
  s.graph->Stop();
  EXPECT_EQ(s.renderer->Window()->CurrentFrame().size(), QSize(320, 240));
}

TEST(VideoRenderer, WindowGoesWithTheRendererButNotItsOwner) {
  QWidget owner;
  TRenderedSource s;
  ASSERT_NE(s.renderer, nullptr);
  QPointer<TVideoWindow> window = s.renderer->Window();
  window->SetOwner(&owner);
  ASSERT_TRUE(s.graph->Run());
  ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 1; }));
  s.graph.reset();
  EXPECT_TRUE(window.isNull());
  EXPECT_TRUE(owner.findChildren<TVideoWindow*>().isEmpty());
}

TEST(VideoRenderer, OwnerDestroyedFirstLeavesTheRendererRunning) {
  TRenderedSource s;
  ASSERT_NE(s.renderer, nullptr);
  auto owner = std::make_unique<QWidget>();
  s.renderer->Window()->SetOwner(owner.get());
  ASSERT_TRUE(s.graph->Run());
  owner.reset();
  const quint64 before = s.renderer->FramesRendered();
  EXPECT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() > before + 2; }));
  // A new window is made on demand.
  EXPECT_NE(s.renderer->Window(), nullptr);
}

TEST(VideoRenderer, DestroyingTheGraphWithFramesInFlightIsSafe) {
  for (int round = 0; round < 5; ++round) {
    TRenderedSource s;
    ASSERT_NE(s.renderer, nullptr);
    QPointer<TVideoWindow> window = s.renderer->Window();
    window->resize(64, 48);
    window->show();
    ASSERT_TRUE(s.graph->Run());
    ASSERT_TRUE(test::WaitUntil([&] { return s.renderer->FramesRendered() >= 2; }));
    s.graph.reset();
    // Repaints queued by the streaming thread arrive after the renderer is gone.
    test::PumpFor(30);
    EXPECT_TRUE(window.isNull());
  }
}
