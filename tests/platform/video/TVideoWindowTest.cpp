#include "platform/video/TVideoWindow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <vector>

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

QColor CentreOf(QWidget& widget) {
  const QImage shot = widget.grab().toImage();
  return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

// An owner that records the mouse and key events it receives.
class TRecordingOwner final : public QWidget {
 public:
  struct Seen {
    QEvent::Type type;
    QPoint position;
    int key = 0;
  };
  std::vector<Seen> seen;

  bool Saw(QEvent::Type type) const {
    for (const Seen& s : seen)
      if (s.type == type) return true;
    return false;
  }
  const Seen* Last(QEvent::Type type) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it)
      if (it->type == type) return &*it;
    return nullptr;
  }

 protected:
  bool event(QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        seen.push_back({event->type(), static_cast<QMouseEvent*>(event)->position().toPoint()});
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        seen.push_back({event->type(), {}, static_cast<QKeyEvent*>(event)->key()});
        return true;
      default:
        return QWidget::event(event);
    }
  }
};

// A shown top-level owner of 400x300 with the video window inside it.
struct TOwnedWindow {
  TOwnedWindow() {
    owner.resize(400, 300);
    owner.show();
    window = new TVideoWindow(&owner);
  }
  TRecordingOwner owner;
  TVideoWindow* window;
};

}  // namespace

TEST(VideoWindow, DefaultsAndHiddenUntilTheCallerShowsIt) {
  TOwnedWindow w;
  EXPECT_EQ(w.window->objectName(), "VideoWindow");
  EXPECT_EQ(w.window->Owner(), &w.owner);
  EXPECT_EQ(w.window->CursorHideDelay(), 2000);
  EXPECT_FALSE(w.window->IsAligned());
  EXPECT_FALSE(w.window->IsFullScreen());
  EXPECT_FALSE(w.window->HasStillImage());
  EXPECT_TRUE(w.window->testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_FALSE(w.window->isVisible());
  w.window->show();
  EXPECT_TRUE(w.window->isVisible());
}

TEST(VideoWindow, SetOwnerKeepsWhetherTheWindowIsShown) {
  TVideoWindow window;
  QWidget first, second;
  first.show();
  second.show();
  window.SetOwner(&first);
  EXPECT_EQ(window.parentWidget(), &first);
  EXPECT_FALSE(window.isVisible());
  window.show();
  window.SetOwner(&second);
  EXPECT_EQ(window.parentWidget(), &second);
  EXPECT_EQ(window.Owner(), &second);
  EXPECT_TRUE(window.isVisible());
  window.SetOwner(nullptr);
  EXPECT_TRUE(window.isWindow());
  EXPECT_TRUE(window.isVisible());
  // And back from a shown top-level window into an owner.
  window.SetOwner(&first);
  EXPECT_FALSE(window.isWindow());
  EXPECT_EQ(window.parentWidget(), &first);
  EXPECT_TRUE(window.isVisible());
  window.SetOwner(nullptr);  // the test, not `first`, owns it
}

TEST(VideoWindow, PaintsBlackWithoutAFrame) {
  TOwnedWindow w;
  w.window->setGeometry(0, 0, 80, 60);
  w.window->show();
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::black));
  EXPECT_EQ(w.window->FramesPainted(), 0u);
}

TEST(VideoWindow, FrameIsScaledToTheWholeWindow) {
  TOwnedWindow w;
  w.window->setGeometry(0, 0, 200, 150);
  w.window->show();
  w.window->ShowFrame(Filled(Qt::blue));
  const QImage shot = w.window->grab().toImage();
  EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::blue));
  EXPECT_EQ(shot.pixelColor(198, 148), QColor(Qt::blue));
  EXPECT_EQ(w.window->FramesPainted(), 1u);
}

TEST(VideoWindow, StillImageReplacesVideoUntilCleared) {
  TOwnedWindow w;
  w.window->setGeometry(0, 0, 80, 60);
  w.window->show();
  w.window->ShowFrame(Filled(Qt::blue));
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::blue));

  w.window->SetStillImage(Filled(Qt::red, {4, 4}));
  EXPECT_TRUE(w.window->HasStillImage());
  w.window->ShowFrame(Filled(Qt::green));
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::red));

  w.window->ClearStillImage();
  EXPECT_FALSE(w.window->HasStillImage());
  // The latest frame that arrived meanwhile shows.
  EXPECT_EQ(CentreOf(*w.window), QColor(Qt::green));
}

TEST(VideoWindow, AlignedFollowsTheParentsClientRect) {
  TOwnedWindow w;
  w.window->SetAligned(true);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 400, 300));
  w.owner.resize(640, 480);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 640, 480));

  // A new owner is followed too, the old one no longer.
  QWidget other;
  other.resize(320, 200);
  other.show();
  w.window->SetOwner(&other);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 320, 200));
  w.owner.resize(500, 400);
  other.resize(300, 100);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 300, 100));
  w.window->SetOwner(&w.owner);  // returned so the owner deletes it
}

TEST(VideoWindow, UnalignedKeepsTheCallersGeometry) {
  TOwnedWindow w;
  w.window->SetAligned(true);
  w.window->SetAligned(false);
  w.window->setGeometry(10, 20, 120, 90);
  w.owner.resize(640, 480);
  EXPECT_EQ(w.window->geometry(), QRect(10, 20, 120, 90));
}

TEST(VideoWindow, CursorHidesAfterTheDelayAndReturnsOnMovement) {
  TOwnedWindow w;
  w.window->setGeometry(0, 0, 200, 150);
  w.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.owner));
  w.window->SetCursorHideDelay(50);
  QTest::mouseMove(w.window, QPoint(20, 20));
  test::Clock().Advance(49);
  EXPECT_FALSE(w.window->IsCursorHidden());
  test::Clock().Advance(1);
  ASSERT_TRUE(w.window->IsCursorHidden());
  EXPECT_EQ(w.window->cursor().shape(), Qt::BlankCursor);

  QTest::mouseMove(w.window, QPoint(60, 40));
  EXPECT_FALSE(w.window->IsCursorHidden());
  EXPECT_NE(w.window->cursor().shape(), Qt::BlankCursor);
}

TEST(VideoWindow, ZeroDelayNeverHidesTheCursor) {
  TOwnedWindow w;
  w.window->setGeometry(0, 0, 200, 150);
  w.window->show();
  w.window->SetCursorHideDelay(0);
  QTest::mouseMove(w.window, QPoint(20, 20));
  QTest::qWait(100);
  EXPECT_FALSE(w.window->IsCursorHidden());
}

TEST(VideoWindow, FullScreenRoundTripRestoresParentAndGeometry) {
  TOwnedWindow w;
  const QRect inset(20, 30, 160, 120);
  w.window->setGeometry(inset);
  w.window->show();

  w.window->SetFullScreen(true);
  EXPECT_TRUE(w.window->IsFullScreen());
  EXPECT_TRUE(w.window->isWindow());
  EXPECT_EQ(w.window->parentWidget(), nullptr);
  EXPECT_TRUE(w.window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w.window->isVisible());
  EXPECT_EQ(w.window->geometry(), w.owner.screen()->geometry());
  EXPECT_EQ(w.window->Owner(), &w.owner);

  w.window->SetFullScreen(false);
  EXPECT_FALSE(w.window->IsFullScreen());
  EXPECT_EQ(w.window->parentWidget(), &w.owner);
  EXPECT_FALSE(w.window->isWindow());
  EXPECT_EQ(w.window->geometry(), inset);
  EXPECT_TRUE(w.window->isVisible());
}

TEST(VideoWindow, AlignedWindowIgnoresParentResizesWhileFullScreen) {
  TOwnedWindow w;
  w.window->SetAligned(true);
  w.window->show();
  w.window->SetFullScreen(true);
  w.owner.resize(500, 350);
  EXPECT_EQ(w.window->geometry(), w.window->screen()->geometry());
  w.window->SetFullScreen(false);
  EXPECT_EQ(w.window->geometry(), QRect(0, 0, 500, 350));
}

TEST(VideoWindow, HiddenWindowStaysHiddenAfterFullScreen) {
  TOwnedWindow w;
  w.window->SetFullScreen(true);
  w.window->SetFullScreen(false);
  EXPECT_EQ(w.window->parentWidget(), &w.owner);
  EXPECT_FALSE(w.window->isVisible());
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
  EXPECT_EQ(window.parentWidget(), nullptr);
  EXPECT_FALSE(window.isVisible());
}

TEST(VideoWindow, MouseAndKeyEventsReachTheOwnerInItsCoordinates) {
  TOwnedWindow w;
  w.owner.setMouseTracking(true);
  w.window->setGeometry(20, 30, 160, 120);
  w.window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.owner));

  QTest::mouseClick(w.window, Qt::LeftButton, {}, QPoint(5, 6));
  ASSERT_NE(w.owner.Last(QEvent::MouseButtonPress), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::MouseButtonPress)->position, QPoint(25, 36));
  ASSERT_NE(w.owner.Last(QEvent::MouseButtonRelease), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::MouseButtonRelease)->position, QPoint(25, 36));

  QTest::mouseDClick(w.window, Qt::LeftButton, {}, QPoint(7, 8));
  EXPECT_TRUE(w.owner.Saw(QEvent::MouseButtonDblClick));

  QTest::mouseMove(w.window, QPoint(40, 50));
  ASSERT_NE(w.owner.Last(QEvent::MouseMove), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::MouseMove)->position, QPoint(60, 80));

  QTest::keyClick(w.window, Qt::Key_F);
  ASSERT_NE(w.owner.Last(QEvent::KeyPress), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::KeyPress)->key, int(Qt::Key_F));
  EXPECT_TRUE(w.owner.Saw(QEvent::KeyRelease));
}

TEST(VideoWindow, EventsStillReachTheOwnerInFullScreen) {
  TOwnedWindow w;
  w.window->setGeometry(20, 30, 160, 120);
  w.window->show();
  w.window->SetFullScreen(true);
  const QPoint at(100, 90);
  QTest::mouseClick(w.window, Qt::LeftButton, {}, at);
  ASSERT_NE(w.owner.Last(QEvent::MouseButtonPress), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::MouseButtonPress)->position,
            w.owner.mapFromGlobal(w.window->mapToGlobal(at)));
  QTest::keyClick(w.window, Qt::Key_Escape);
  ASSERT_NE(w.owner.Last(QEvent::KeyPress), nullptr);
  EXPECT_EQ(w.owner.Last(QEvent::KeyPress)->key, int(Qt::Key_Escape));
  w.window->SetFullScreen(false);
}
