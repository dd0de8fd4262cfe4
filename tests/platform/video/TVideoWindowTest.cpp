#include "platform/video/TVideoWindow.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

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
  EXPECT_EQ(w->parentWidget(), parent);
  EXPECT_EQ(w->isWindow(), parent == nullptr);
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
    const QEvent::Type t = e->type();
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
        t == QEvent::MouseButtonDblClick || t == QEvent::MouseMove)
      at[t] = static_cast<QMouseEvent*>(e)->position().toPoint();
    else if (t == QEvent::KeyPress || t == QEvent::KeyRelease)
      keys[t] = static_cast<QKeyEvent*>(e)->key();
    else
      return QWidget::event(e);
    return true;
  }
  TVideoWindow* window;
  QHash<int, QPoint> at;
  QHash<int, int> keys;
};

}  // namespace

TEST(VideoWindow, SetOwnerKeepsWhetherTheWindowIsShown) {
  TVideoWindow window;
  QWidget first, second;
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
  window.SetOwner(nullptr);  // the test, not `first`, owns it
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
  const platform::video::TRawFrame frame{platform::video::PackedFormat::YUY2,
                                         reinterpret_cast<const uchar*>(bytes.constData()),
                                         stride, size, nullptr};
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
  for (int y = 0; y < surface.height(); ++y) {
    for (int x = 0; x < surface.width(); ++x) {
      const QPoint p = QPoint(x, y) - at;
      ASSERT_EQ(surface.pixel(x, y), region.contains(p) ? want.pixel(p) : qRgb(255, 0, 255))
          << x << "," << y;
    }
  }
  EXPECT_EQ(window.FramesPainted(), 1u);
}

TEST(VideoWindow, AlignedFollowsTheParentsClientRectUnalignedKeepsTheCallersGeometry) {
  TOwnedWindow w;
  w.window->SetAligned(true);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 400, 300));
  w.resize(640, 480);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 640, 480));
  QWidget other;  // a new owner is followed too, the old one no longer
  other.resize(320, 200);
  other.show();
  w.window->SetOwner(&other);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 320, 200));
  w.resize(500, 400);
  other.resize(300, 100);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 300, 100));
  w.window->SetOwner(&w);  // returned so the owner deletes it
  w.window->SetAligned(false);
  w.window->setGeometry(10, 20, 120, 90);
  w.resize(640, 480);
  EXPECT_EQ(w.window->geometry(), QRect(10, 20, 120, 90));
}

TEST(VideoWindow, CursorHidesAfterTheDelayWithoutMovementAndReturnsOnMovement) {
  for (const int delay : {TVideoWindow::kDefaultCursorHideDelay, 50, 0}) {
    TOwnedWindow w({0, 0, 200, 150});
    if (delay != TVideoWindow::kDefaultCursorHideDelay) w.window->SetCursorHideDelay(delay);
    QTest::mouseMove(w.window, QPoint(20, 20));
    test::Clock().Advance((delay > 0 ? delay : 60000) - 1);  // 0: never
    EXPECT_FALSE(w.window->IsCursorHidden()) << delay;
    test::Clock().Advance(1);
    EXPECT_EQ(w.window->IsCursorHidden(), delay > 0) << delay;
    EXPECT_EQ(w.window->cursor().shape() == Qt::BlankCursor, delay > 0) << delay;
    QTest::mouseMove(w.window, QPoint(60, 40));
    EXPECT_FALSE(w.window->IsCursorHidden());
    EXPECT_NE(w.window->cursor().shape(), Qt::BlankCursor);
  }
}

TEST(VideoWindow, FullScreenRoundTripRestoresParentAndGeometry) {
  const QRect inset(20, 30, 160, 120);
  TOwnedWindow w(inset);
  w.window->SetFullScreen(true);
  EXPECT_TRUE(w.window->IsFullScreen() && w.window->windowFlags() & Qt::FramelessWindowHint);
  ExpectPlaced(w.window, nullptr, w.screen()->geometry(), true);
  EXPECT_EQ(w.window->Owner(), &w);
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

TEST(VideoWindow, OwnerGoneWhileFullScreenLeavesAHiddenWindow) {
  auto owner = std::make_unique<QWidget>();
  owner->show();
  TVideoWindow window;
  window.SetOwner(owner.get());
  window.show();
  window.SetFullScreen(true);
  owner.reset();
  window.SetFullScreen(false);
  EXPECT_FALSE(window.IsFullScreen());
  ExpectPlaced(&window, nullptr, {}, false);
}

TEST(VideoWindow, MouseAndKeyEventsReachTheOwnerInItsCoordinatesAlsoInFullScreen) {
  TOwnedWindow w({20, 30, 160, 120});
  w.setMouseTracking(true);
  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(5, 6));
  EXPECT_EQ(w.at.value(QEvent::MouseButtonPress), QPoint(25, 36));
  EXPECT_EQ(w.at.value(QEvent::MouseButtonRelease), QPoint(25, 36));
  QTest::mouseDClick(w.window, Qt::LeftButton, {}, QPoint(7, 8));
  EXPECT_EQ(w.at.value(QEvent::MouseButtonDblClick), QPoint(27, 38));
  QTest::mouseMove(w.window, QPoint(40, 50));
  EXPECT_EQ(w.at.value(QEvent::MouseMove), QPoint(60, 80));
  QTest::keyClick(w.window, Qt::Key_F);
  EXPECT_EQ(w.keys.value(QEvent::KeyPress), int(Qt::Key_F));
  EXPECT_EQ(w.keys.value(QEvent::KeyRelease), int(Qt::Key_F));

  w.window->SetFullScreen(true);
  const QPoint at(100, 90);
  QTest::mouseClick(w.window, Qt::LeftButton, {}, at);
  EXPECT_EQ(w.at.value(QEvent::MouseButtonPress), w.mapFromGlobal(w.window->mapToGlobal(at)));
  QTest::keyClick(w.window, Qt::Key_Escape);
  EXPECT_EQ(w.keys.value(QEvent::KeyPress), int(Qt::Key_Escape));
  w.window->SetFullScreen(false);
}
