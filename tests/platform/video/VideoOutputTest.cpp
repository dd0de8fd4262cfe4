// What the program shows and plays: raw frames converted for the screen, the video window
// (painting, owners, alignment, the cursor, full screen), the video renderer, and where the audio
// renderer plays. (The audio renderer playing to the end and again after a stop: the file player
// in playback_tests.)

#include <gtest/gtest.h>

#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <cmath>
#include <functional>

#include "platform/Clock.h"
#include "platform/components/TestFilters.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/video/FrameToImage.h"
#include "platform/video/TAudioRenderer.h"
#include "platform/video/TVideoRenderer.h"
#include "platform/video/TVideoWindow.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::video;
using platform::graph::MediaMajor;
using platform::graph::TFilterGraph;
using platform::graph::TGraphEvent;

namespace {

// Within 2 of the exact studio-range formula the display conversion approximates.
bool NearFormula(QRgb got, int y, int u, int v) {
  const double c = 1.164 * (y - 16);
  const double want[3] = {c + 1.596 * (v - 128), c - 0.392 * (u - 128) - 0.813 * (v - 128),
                          c + 2.017 * (u - 128)};
  const int have[3] = {qRed(got), qGreen(got), qBlue(got)};
  for (int i = 0; i < 3; ++i)
    if (std::abs(have[i] - std::lround(std::clamp(want[i], 0.0, 255.0))) > 2) return false;
  return true;
}

QImage Filled(QColor colour, QSize size = {16, 12}) {
  QImage image(size, QImage::Format_RGB32);
  return image.fill(colour), image;
}

// Where the window is: its parent, geometry (when given) and whether it is seen.
void ExpectPlaced(TVideoWindow* w, QWidget* parent, QRect geometry, bool shown) {
  EXPECT_TRUE(w->parentWidget() == parent && w->isWindow() == !parent && w->isVisible() == shown &&
              (geometry.isNull() || w->geometry() == geometry)) << w->x() << "," << w->y();
}

QImage Shot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A shown 400x300 owner recording the mouse positions and keys it receives, with the video
// window inside it, shown at `inset`.
struct TOwnedWindow final : QWidget {
  explicit TOwnedWindow(QRect inset) {
    resize(400, 300), show();
    window = new TVideoWindow(this);
    window->setGeometry(inset), window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
  }
  bool event(QEvent* e) override {
    if (auto* mouse = dynamic_cast<QMouseEvent*>(e))
      seen[e->type()] = QString("%1,%2").arg(mouse->position().x()).arg(mouse->position().y());
    else if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease)
      seen[e->type()] = QKeySequence(static_cast<QKeyEvent*>(e)->key()).toString();
    else
      return QWidget::event(e);
    return true;
  }
  // The last press, release, double click, move, key press and key release, in the owner's terms.
  std::string Seen() const { return QStringList(seen.begin(), seen.end()).join(' ').toStdString(); }
  TVideoWindow* window;
  QMap<QEvent::Type, QString> seen;
};

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

// 57 = 3 x 16 + 8 + 1 pixels: every vector width the processor has, then the scalar tail;
// starting at column 1 also converts a lone second pixel of a pair.
TEST(FrameToImage, MatchesTheFormulaOnEveryPathGivesGoldenPixelsAndReusesOnlyAnUnsharedImage) {
  const int stride = 120, height = 3, count = 57;
  QByteArray yuy2(stride * height, 0), uyvy(stride * height, 0);
  for (int i = 0; i < yuy2.size(); ++i) yuy2[i] = char((i * 53 + i / stride * 37) % 256);
  for (int i = 0; i < uyvy.size(); ++i) uyvy[i] = yuy2[i ^ 1];
  const auto* in = reinterpret_cast<const uchar*>(yuy2.constData());
  for (const int first : {0, 1}) {
    QImage a(count, height, QImage::Format_RGB32), b(count, height, QImage::Format_RGB32);
    ConvertPacked(PackedFormat::YUY2, in, stride, first, count, height, a.bits(), a.bytesPerLine());
    ConvertPacked(PackedFormat::UYVY, reinterpret_cast<const uchar*>(uyvy.constData()), stride,
                  first, count, height, b.bits(), b.bytesPerLine());
    for (int p = 0; p < count * height; ++p) {
      const int i = p % count, row = p / count, x = first + i;
      const uchar* pair = in + row * stride + (x / 2) * 4;
      EXPECT_TRUE(NearFormula(a.pixel(i, row), pair[x % 2 ? 2 : 0], pair[1], pair[3])) << x << "," << row;
    }
    EXPECT_EQ(b, a) << "UYVY differs from YUY2";
  }
  // Exact at the ends of the range, and BGRx as it comes.
  const uchar white[4] = {235, 128, 235, 128}, black[4] = {16, 128, 16, 128};
  const uchar whiteUyvy[4] = {128, 235, 128, 235}, bgrx[8] = {10, 20, 30, 0, 40, 50, 60, 0};
  using enum PackedFormat;
  const std::tuple<PackedFormat, const uchar*, int, QRgb> rows[] = {
      {YUY2, white, 1, qRgb(255, 255, 255)}, {UYVY, whiteUyvy, 0, qRgb(255, 255, 255)},
      {YUY2, black, 0, qRgb(0, 0, 0)},       {BGRx, bgrx, 0, qRgb(30, 20, 10)},
      {BGRx, bgrx, 1, qRgb(60, 50, 40)}};
  for (const auto& [format, data, x, want] : rows)
    EXPECT_EQ(FrameToImage(TRawFrame{format, data, 8, QSize(2, 1), nullptr}).pixel(x, 0), want) << x;
  EXPECT_TRUE(FrameToImage(TRawFrame{}).isNull());
  // An unshared image is reused; a shared one must not be written.
  QImage spare(2, 1, QImage::Format_RGB32);
  const uchar* bits = spare.constBits();
  QImage out = FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, std::move(spare));
  EXPECT_EQ(out.constBits(), bits);
  QImage held = out;
  EXPECT_NE(FrameToImage(PackedFormat::YUY2, white, 4, 2, 1, out).constBits(), held.constBits());
}

// SetOwner keeps whether the window is shown; an owner gone while it is full screen leaves a
// hidden top-level window.
TEST(VideoWindow, OwnerGoneWhileFullScreenLeavesAHiddenWindow) {
  TVideoWindow window;
  auto first = std::make_unique<QWidget>();
  QWidget second;
  first->show(), second.show();
  window.SetOwner(first.get());
  ExpectPlaced(&window, first.get(), {}, false);  // hidden until the caller shows it
  window.show();
  // Into another owner, out to a top-level window and back: shown all along.
  for (QWidget* owner : {&second, static_cast<QWidget*>(nullptr), first.get()}) {
    window.SetOwner(owner);
    EXPECT_EQ(window.Owner(), owner);
    ExpectPlaced(&window, owner, {}, true);
  }
  window.SetFullScreen(true), first.reset(), window.SetFullScreen(false);
  EXPECT_FALSE(window.IsFullScreen());
  ExpectPlaced(&window, nullptr, {}, false);
}

// An unscaled raw frame is converted into the painted surface itself, only where repainted.
TEST(VideoWindow, RawFramePaintsInPlaceWithinTheRepaintedRegion) {
  const QSize size(37, 5);
  const int stride = size.width() * 2 + 2;  // an odd width and padded rows
  QByteArray bytes(stride * size.height(), 0);
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(16 + (i * 29 + i / stride * 53) % 220);
  const TRawFrame frame{
      PackedFormat::YUY2, reinterpret_cast<const uchar*>(bytes.constData()), stride, size, nullptr};
  const QImage want = FrameToImage(frame);
  TVideoWindow window;
  window.resize(size), window.ShowFrame(frame);
  EXPECT_EQ(window.CurrentFrame(), want);

  QImage surface(50, 10, QImage::Format_ARGB32_Premultiplied);
  surface.fill(Qt::magenta);
  const QPoint at(3, 2);
  const QRegion region = QRegion(0, 0, 37, 5) - QRegion(11, 1, 8, 3);  // a hole with odd edges
  window.render(&surface, at, region, {});
  for (int i = 0; i < surface.width() * surface.height(); ++i) {
    const QPoint p = QPoint(i % surface.width(), i / surface.width()) - at;
    ASSERT_EQ(surface.pixel(p + at), region.contains(p) ? want.pixel(p) : qRgb(255, 0, 255)) << i;
  }
  EXPECT_EQ(window.FramesPainted(), 1u);
}

TEST(VideoWindow, AlignedFollowsTheParentsClientRectUnalignedKeepsTheCallersGeometry) {
  TOwnedWindow w({10, 10, 100, 80});
  QWidget other;
  other.resize(320, 200), other.show();
  TVideoWindow* v = w.window;
  // clang-format off
  // A new owner is followed too, the old one no longer; returned so the owner deletes it, and
  // followed there; then no longer aligned.
  const std::pair<std::function<void()>, QRect> steps[] = {
      {[&] { v->SetAligned(true); }, {0, 0, 400, 300}}, {[&] { w.resize(640, 480); }, {0, 0, 640, 480}},
      {[&] { v->SetOwner(&other); }, {0, 0, 320, 200}}, {[&] { w.resize(500, 400); }, {0, 0, 320, 200}},
      {[&] { other.resize(300, 100); }, {0, 0, 300, 100}}, {[&] { v->SetOwner(&w); }, {0, 0, 500, 400}},
      {[&] { v->SetAligned(false); }, {0, 0, 500, 400}},
      {[&] { v->setGeometry(10, 20, 120, 90); }, {10, 20, 120, 90}},
      {[&] { w.resize(640, 480); }, {10, 20, 120, 90}}};
  // clang-format on
  for (size_t i = 0; i < std::size(steps); ++i) {
    steps[i].first();
    EXPECT_EQ(v->geometry(), steps[i].second) << "step " << i;
  }
}

TEST(VideoWindow, CursorHidesAfterTheDelayWithoutMovementAndReturnsOnMovement) {
  for (const int delay : {TVideoWindow::kDefaultCursorHideDelay, 50, 0}) {
    TOwnedWindow w({0, 0, 200, 150});
    if (delay != TVideoWindow::kDefaultCursorHideDelay) w.window->SetCursorHideDelay(delay);
    QTest::mouseMove(w.window, QPoint(20, 20));
    test::Clock().Advance((delay > 0 ? delay : 60000) - 1);  // 0: never
    EXPECT_FALSE(w.window->IsCursorHidden()) << delay;
    test::Clock().Advance(1);
    EXPECT_EQ(std::pair(w.window->IsCursorHidden(), w.window->cursor().shape() == Qt::BlankCursor),
              std::pair(delay > 0, delay > 0)) << delay;
    QTest::mouseMove(w.window, QPoint(60, 40));
    EXPECT_FALSE(w.window->IsCursorHidden() || w.window->cursor().shape() == Qt::BlankCursor);
  }
}

// It paints black, then the scaled frame, and a still image until that is cleared. Mouse and key
// events reach the owner in its coordinates, also in full screen.
TEST(VideoWindow, PaintsFramesAndStillsAndAFullScreenRoundTripRestoresParentAndGeometry) {
  const QRect inset(20, 30, 160, 120);
  TOwnedWindow w(inset);
  const auto shows = [&](QColor colour, quint64 painted) {
    return Shot(*w.window) == Filled(colour, inset.size()) && w.window->FramesPainted() == painted;
  };
  EXPECT_TRUE(shows(Qt::black, 0));
  w.window->ShowFrame(Filled(Qt::blue));
  EXPECT_TRUE(shows(Qt::blue, 1));
  w.window->SetStillImage(Filled(Qt::red, {4, 4})), w.window->ShowFrame(Filled(Qt::green));
  EXPECT_EQ(Shot(*w.window), Filled(Qt::red, inset.size()));
  w.window->ClearStillImage();
  EXPECT_FALSE(w.window->HasStillImage());
  EXPECT_EQ(Shot(*w.window), Filled(Qt::green, inset.size())) << "the latest frame that came meanwhile";
  w.setMouseTracking(true);
  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseDClick(w.window, Qt::LeftButton, {}, QPoint(7, 8));
  QTest::mouseMove(w.window, QPoint(40, 50));
  QTest::keyClick(w.window, Qt::Key_F);
  EXPECT_EQ(w.Seen(), "25,36 25,36 27,38 60,80 F F");
  // Two clicks as the window system reports them, with their own times: the owner sees a double click.
  w.seen.clear();
  const QPoint local = w.window->mapTo(&w, QPoint(9, 9));
  int time = 100000;
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
                                  QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    qt_handleMouseEvent(w.windowHandle(), local, w.mapToGlobal(local), held, Qt::LeftButton, type, {}, time += 40);
  }
  EXPECT_EQ(w.seen.value(QEvent::MouseButtonDblClick).toStdString(), "29,39");
  w.window->SetFullScreen(true);
  EXPECT_TRUE(w.window->IsFullScreen() && w.window->windowFlags() & Qt::FramelessWindowHint &&
              w.window->Owner() == &w);
  ExpectPlaced(w.window, nullptr, w.screen()->geometry(), true);
  const QPoint at = w.mapFromGlobal(w.window->mapToGlobal(QPoint(100, 90)));
  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(100, 90)), QTest::keyClick(w.window, Qt::Key_Escape);
  EXPECT_EQ(w.Seen(), QString("%1,%2 %1,%2 29,39 29,39 Esc Esc").arg(at.x()).arg(at.y()).toStdString());
  w.window->SetFullScreen(false);
  EXPECT_FALSE(w.window->IsFullScreen());
  ExpectPlaced(w.window, &w, inset, true);
  // Aligned, parent resizes are ignored while full screen and followed after.
  w.window->SetAligned(true), w.window->SetFullScreen(true), w.resize(500, 350);
  ExpectPlaced(w.window, nullptr, w.screen()->geometry(), true);
  w.window->SetFullScreen(false);
  ExpectPlaced(w.window, &w, QRect(0, 0, 500, 350), true);
  // A hidden window stays hidden.
  w.window->hide(), w.window->SetFullScreen(true), w.window->SetFullScreen(false);
  ExpectPlaced(w.window, &w, {}, false);
}

// A stream that comes faster than it is shown (a file, here the other graph's) is paced by the
// renderer, not thinned.
TEST(VideoRenderer, DeliversColourBarsStopsOnStopResumesOnRunPaintsOnceShownAndPacesAFile) {
  TRenderedSource s, other(20);
  bool ended = false;
  other.graph->OnEvent = [&](const TGraphEvent& e) { ended = ended || e.kind == TGraphEvent::EndOfStream; };
  ASSERT_TRUE(s.renderer->LastFrame().isNull() && s.RunUntil(3));
  const QImage frame = s.renderer->LastFrame();
  EXPECT_TRUE(s.renderer->FrameSize() == QSize(320, 240) && frame.format() == QImage::Format_RGB32);
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
    window->resize(size), window->show();
    const quint64 painted = window->FramesPainted();
    ASSERT_TRUE(test::WaitUntil([&] { return window->FramesPainted() >= painted + 3; }));
    const QImage shot = Shot(*window);
    EXPECT_TRUE(shot.size() == size && qRed(shot.pixel(3, 3)) > 150) << "colour bars start light grey";
  }
  ASSERT_TRUE(test::WaitUntil([&] { return ended; }));
  EXPECT_EQ(other.renderer->FramesRendered(), 20u);
}

TEST(VideoRenderer, WindowGoesWithTheRendererButNotWithItsOwnerAlsoWithFramesInFlight) {
  for (int round = 0; round < 5; ++round) {
    auto owner = std::make_unique<QWidget>();
    TRenderedSource s;
    QPointer<TVideoWindow> window = s.renderer->Window();
    window->SetOwner(owner.get());
    ASSERT_TRUE(s.RunUntil(1));
    owner.reset();
    EXPECT_TRUE(window.isNull() && s.RunUntil(s.renderer->FramesRendered() + 3));
    // A new window is made on demand and goes with the renderer, not staying in its owner.
    QWidget keeper;
    keeper.show(), window = s.renderer->Window();
    window->SetOwner(&keeper), window->show();
    ASSERT_TRUE(test::WaitUntil([&] { return window->FramesPainted() >= 2; }));
    s.graph.reset();
    EXPECT_TRUE(window.isNull() && keeper.findChildren<TVideoWindow*>().isEmpty());
  }  // repaints queued by the streaming thread arrive in the next round, after the renderer went
}

TEST(SoundOutput, EnvironmentThenServerSocketThenACardLineStartingWithADigit) {
  // clang-format off
  const std::pair<const char*, bool> cardLists[] = {
      {"", false}, {"--- no soundcards ---\n", false}, {"card 0\n", false}, {"\t[0]\n", false},
      {" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n        HDA Intel PCH at 0xf7f10000 irq 32\n", true},
      {"1 [USB]: USB-Audio - Headset\n", true}, {"\n\n   9 [Loopback]: Loopback\n", true}};
  // clang-format on
  for (const auto& [text, card] : cardLists) EXPECT_EQ(ListsSoundCard(text), card) << text;
  // The environment's choice wins; otherwise a sound server's socket or a card means sound, and
  // without sound the renderer plays into a null sink.
  const QString socket = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native";
  const bool hasCard = ListsSoundCard(test::ReadFile("/proc/asound/cards"));
  const std::tuple<const char*, bool, bool> rows[] = {
      {"", false, hasCard}, {"", true, true}, {"null", true, false}, {"auto", false, true}};
  for (const auto& [choice, server, sound] : rows) {
    qputenv("OKA_PVX_AUDIO_SINK", choice), server ? test::WriteFile(socket, "") : void(QFile::remove(socket));
    EXPECT_EQ(std::pair(SoundOutputAvailable(), TAudioRenderer().UsesNullSink()), std::pair(sound, !sound))
        << choice << server;
  }
  qunsetenv("OKA_PVX_AUDIO_SINK");
}
