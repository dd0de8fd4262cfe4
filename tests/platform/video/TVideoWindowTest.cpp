#include "platform/video/TVideoWindow.h"

#include <gtest/gtest.h>

#include <QScreen>
#include <QTest>
#include <functional>

#include "platform/Clock.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::video::TVideoWindow;

namespace {

QImage Filled(QColor colour, QSize size = {16, 12}) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Where the window is: its parent, geometry (when given) and whether it is seen.
void ExpectPlaced(TVideoWindow* w, QWidget* parent, QRect geometry, bool shown) {
  EXPECT_TRUE(w->parentWidget() == parent && w->isWindow() == !parent);
  EXPECT_TRUE(geometry.isNull() || w->geometry() == geometry) << w->geometry().x() << "," << w->geometry().y();
  EXPECT_EQ(w->isVisible(), shown);
}

QColor CentreOf(QWidget& widget) {
  const QImage shot = widget.grab().toImage();
  return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

// A shown 400x300 owner recording the mouse positions and keys it receives, with the video
// window inside it, shown at `inset` unless that is empty.
struct TOwnedWindow final : QWidget {
  explicit TOwnedWindow(QRect inset = {}) {
    resize(400, 300);
    show();
    window = new TVideoWindow(this);
    if (inset.isEmpty()) return;
    window->setGeometry(inset);
    window->show();
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

// SetOwner keeps whether the window is shown; an owner gone while it is full screen leaves a
// hidden top-level window.
TEST(VideoWindow, OwnerGoneWhileFullScreenLeavesAHiddenWindow) {
  TVideoWindow window;
  QWidget second;
  auto owner = std::make_unique<QWidget>();
  QWidget& first = *owner;
  first.show();
  second.show();
  window.SetOwner(&first);
  ExpectPlaced(&window, &first, {}, false);  // hidden until the caller shows it
  window.show();
  // Into another owner, out to a top-level window and back: shown all along.
  for (QWidget* owner : {&second, static_cast<QWidget*>(nullptr), &first}) {
    window.SetOwner(owner);
    EXPECT_EQ(window.Owner(), owner);
    ExpectPlaced(&window, owner, {}, true);
  }
  window.SetFullScreen(true);
  owner.reset();
  window.SetFullScreen(false);
  EXPECT_FALSE(window.IsFullScreen());
  ExpectPlaced(&window, nullptr, {}, false);
}

TEST(VideoWindow, PaintsBlackThenTheScaledFrameAndAStillImageUntilCleared) {
  TOwnedWindow w({0, 0, 200, 150});
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::black));
  EXPECT_EQ(w.window->FramesPainted(), 0u);
  w.window->ShowFrame(Filled(Qt::blue));
  const QImage shot = w.window->grab().toImage();
  EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::blue));
  EXPECT_EQ(shot.pixelColor(198, 148), QColor(Qt::blue));
  EXPECT_EQ(w.window->FramesPainted(), 1u);
  w.window->SetStillImage(Filled(Qt::red, {4, 4}));
  w.window->ShowFrame(Filled(Qt::green));
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::red));
  w.window->ClearStillImage();
  EXPECT_FALSE(w.window->HasStillImage());
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::green)) << "the latest frame that came meanwhile";
}

// An unscaled raw frame is converted into the painted surface itself, only where repainted.
TEST(VideoWindow, RawFramePaintsInPlaceWithinTheRepaintedRegion) {
  const QSize size(37, 5);
  const int stride = size.width() * 2 + 2;  // an odd width and padded rows
  QByteArray bytes(stride * size.height(), 0);
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(16 + (i * 29 + i / stride * 53) % 220);
  const platform::video::TRawFrame frame{
      platform::video::PackedFormat::YUY2, reinterpret_cast<const uchar*>(bytes.constData()), stride, size, nullptr};
  const QImage want = platform::video::FrameToImage(frame);
  TVideoWindow window;
  window.resize(size);
  window.ShowFrame(frame);
  EXPECT_EQ(window.CurrentFrame(), want);

  QImage surface(50, 10, QImage::Format_ARGB32_Premultiplied);
  surface.fill(Qt::magenta);
  const QPoint at(3, 2);
  const QRegion region = QRegion(0, 0, 37, 5) - QRegion(11, 1, 8, 3);  // a hole with odd edges
  window.render(&surface, at, region, {});
  for (int i = 0; i < surface.width() * surface.height(); ++i) {
    const QPoint p = QPoint(i % surface.width(), i / surface.width()) - at;
    ASSERT_EQ(surface.pixel(p + at), region.contains(p) ? want.pixel(p) : qRgb(255, 0, 255)) << p.x() << "," << p.y();
  }
  EXPECT_EQ(window.FramesPainted(), 1u);
}

TEST(VideoWindow, AlignedFollowsTheParentsClientRectUnalignedKeepsTheCallersGeometry) {
  TOwnedWindow w;
  QWidget other;
  other.resize(320, 200);
  other.show();
  TVideoWindow* v = w.window;
  // clang-format off
  const std::pair<std::function<void()>, QRect> steps[] = {
      {[&] { v->SetAligned(true); }, {0, 0, 400, 300}},
      {[&] { w.resize(640, 480); }, {0, 0, 640, 480}},
      {[&] { v->SetOwner(&other); }, {0, 0, 320, 200}},  // a new owner is followed too, the old one no longer
      {[&] { w.resize(500, 400); other.resize(300, 100); }, {0, 0, 300, 100}},
      // Returned so the owner deletes it, and no longer aligned.
      {[&] { v->SetOwner(&w); v->SetAligned(false); v->setGeometry(10, 20, 120, 90); w.resize(640, 480); }, {10, 20, 120, 90}}};
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

// Mouse and key events reach the owner in its coordinates, also in full screen.
TEST(VideoWindow, FullScreenRoundTripRestoresParentAndGeometryAndEventsReachTheOwner) {
  const QRect inset(20, 30, 160, 120);
  TOwnedWindow w(inset);
  w.setMouseTracking(true);
  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseDClick(w.window, Qt::LeftButton, {}, QPoint(7, 8));
  QTest::mouseMove(w.window, QPoint(40, 50));
  QTest::keyClick(w.window, Qt::Key_F);
  EXPECT_EQ(w.Seen(), "25,36 25,36 27,38 60,80 F F");
  w.window->SetFullScreen(true);
  EXPECT_TRUE(w.window->IsFullScreen() && w.window->windowFlags() & Qt::FramelessWindowHint);
  ExpectPlaced(w.window, nullptr, w.screen()->geometry(), true);
  EXPECT_EQ(w.window->Owner(), &w);
  const QPoint at = w.mapFromGlobal(w.window->mapToGlobal(QPoint(100, 90)));
  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(100, 90));
  QTest::keyClick(w.window, Qt::Key_Escape);
  EXPECT_EQ(w.Seen(), QString("%1,%2 %1,%2 27,38 60,80 Esc Esc").arg(at.x()).arg(at.y()).toStdString());
  w.window->SetFullScreen(false);
  EXPECT_FALSE(w.window->IsFullScreen());
  ExpectPlaced(w.window, &w, inset, true);
  // Aligned, parent resizes are ignored while full screen and followed after.
  w.window->SetAligned(true);
  w.window->SetFullScreen(true);
  w.resize(500, 350);
  ExpectPlaced(w.window, nullptr, w.screen()->geometry(), true);
  w.window->SetFullScreen(false);
  ExpectPlaced(w.window, &w, QRect(0, 0, 500, 350), true);
  // A hidden window stays hidden.
  w.window->hide();
  w.window->SetFullScreen(true);
  w.window->SetFullScreen(false);
  ExpectPlaced(w.window, &w, {}, false);
}


}  // namespace
