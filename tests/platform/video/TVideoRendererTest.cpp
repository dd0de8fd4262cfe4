#include "platform/video/TVideoRenderer.h"

#include <gtest/gtest.h>

#include <QPointer>

#include "platform/components/TestFilters.h"
#include "platform/graph/TFilterGraph.h"

using namespace pvx;
using platform::graph::MediaMajor;
using platform::graph::TFilterGraph;
using platform::graph::TGraphEvent;
using platform::video::TVideoRenderer;
using platform::video::TVideoWindow;

namespace {

// A test source rendered through the registry, as the engine's preview does.
struct TRenderedSource {
  explicit TRenderedSource(int frames = 0) {
      auto source = test::VideoSource("YUY2", "smpte", 320, 240, "", frames);
    EXPECT_TRUE(graph->AddFilter(source, "Source") && graph->Render(*source->FindPin("Capture")));
    renderer = dynamic_cast<TVideoRenderer*>(graph->FindFilter("Video Renderer"));
    EXPECT_TRUE(renderer && renderer->FindPin("Input")->Major() == MediaMajor::Video);
  }
  bool RunUntil(quint64 frames) {
    return graph->Run() && test::WaitUntil([&] { return renderer->FramesRendered() >= frames; });
  }
  std::unique_ptr<TFilterGraph> graph = std::make_unique<TFilterGraph>(test::Components());
  TVideoRenderer* renderer = nullptr;
};

}  // namespace

TEST(VideoRenderer, DeliversColourBarsStopsOnStopResumesOnRunAndPaintsOnceShown) {
  TRenderedSource s, other;
  EXPECT_TRUE(s.renderer->LastFrame().isNull());
  ASSERT_TRUE(s.RunUntil(3));
  EXPECT_EQ(s.renderer->FrameSize(), QSize(320, 240));
  const QImage frame = s.renderer->LastFrame();
  EXPECT_EQ(frame.format(), QImage::Format_RGB32);
  // Colour bars: light grey first, blue last.
  EXPECT_TRUE(qRed(frame.pixel(5, 5)) > 150 && qBlue(frame.pixel(5, 5)) > 150);
  const QRgb last = frame.pixel(315, 5);
  EXPECT_TRUE(qBlue(last) > 150 && qRed(last) < 60 && qGreen(last) < 60) << std::hex << last;
  ASSERT_TRUE(s.graph->Stop());
  const quint64 atStop = s.renderer->FramesRendered();
  // Real time passes while another graph streams; the stopped one renders nothing.
  ASSERT_TRUE(other.RunUntil(6));
  EXPECT_EQ(s.renderer->FramesRendered(), atStop);
  // The last picture stays, and a window made now starts with it.
  EXPECT_EQ(s.renderer->Window()->CurrentFrame().size(), QSize(320, 240));
  EXPECT_TRUE(s.RunUntil(atStop + 3));
  // The window is hidden and paints nothing until it is shown; then it paints frames, scaled or in place.
  TVideoWindow* window = s.renderer->Window();
  EXPECT_TRUE(window == s.renderer->Window() && !window->parentWidget() && !window->isVisible() &&
              window->FramesPainted() == 0);
  for (const QSize size : {QSize(160, 120), QSize(320, 240)}) {
    window->resize(size);
    window->show();
    const quint64 painted = window->FramesPainted();
    ASSERT_TRUE(test::WaitUntil([&] { return window->FramesPainted() >= painted + 3; }));
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.size(), size);
    EXPECT_GT(qRed(shot.pixel(3, 3)), 150) << "colour bars start light grey";
  }
}

// A stream that comes faster than it is shown (a file) is paced by the renderer, not thinned.
TEST(VideoRenderer, ShowsEveryPictureOfAStreamThatComesFasterThanRealTime) {
  TRenderedSource s(20);
  bool ended = false;
  s.graph->OnEvent = [&](const TGraphEvent& e) { ended = ended || e.kind == TGraphEvent::EndOfStream; };
  ASSERT_TRUE(s.graph->Run() && test::WaitUntil([&] { return ended; }));
  EXPECT_EQ(s.renderer->FramesRendered(), 20u);
}

TEST(VideoRenderer, WindowGoesWithTheRendererButNotWithItsOwnerAlsoWithFramesInFlight) {
  for (int round = 0; round < 5; ++round) {
    auto owner = std::make_unique<QWidget>();
    TRenderedSource s;
    QPointer<TVideoWindow> window = s.renderer->Window();
    window->SetOwner(owner.get());
    ASSERT_TRUE(s.RunUntil(1));
    owner.reset();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(s.RunUntil(s.renderer->FramesRendered() + 3));
    // A new window is made on demand and goes with the renderer, not staying in its owner.
    QWidget keeper;
    keeper.show();
    window = s.renderer->Window();
    window->SetOwner(&keeper);
    window->show();
    ASSERT_TRUE(test::WaitUntil([&] { return window->FramesPainted() >= 2; }));
    s.graph.reset();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(keeper.findChildren<TVideoWindow*>().isEmpty());
  }  // repaints queued by the streaming thread arrive in the next round, after the renderer went
}
