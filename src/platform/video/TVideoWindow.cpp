#include "platform/video/TVideoWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <memory>

namespace pvx::platform::video {

TVideoWindow::TVideoWindow(QWidget* owner) : QWidget(owner), owner_(owner) {
  setObjectName("VideoWindow");
  // Every pixel is painted each time, so resizes need no background erase (no flicker).
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Movement must be seen without a button held, for the cursor and for the owner.
  setMouseTracking(true);
  cursorTimer_ = new QTimer(this);
  cursorTimer_->setSingleShot(true);
  connect(cursorTimer_, &QTimer::timeout, this, [this] {
    cursorHidden_ = true;
    setCursor(Qt::BlankCursor);
  });
  // A child would otherwise appear with its parent; the caller decides when it is seen.
  hide();
}

TVideoWindow::~TVideoWindow() = default;

void TVideoWindow::SetOwner(QWidget* owner) {
  owner_ = owner;
  if (fullScreen_) {
    // Leaving full screen returns to the new owner.
    restore_.parent = owner;
    restore_.flags = owner ? Qt::Widget : Qt::Window;
    return;
  }
  if (owner == parentWidget() && (owner || isWindow())) {
    WatchParent(owner);
    FollowParent();
    return;
  }
  const bool shown = !isHidden();
  Reparent(owner, owner ? Qt::Widget : Qt::Window);
  WatchParent(owner);
  FollowParent();
  // Reparenting hides a widget; keep the caller's choice instead.
  if (shown)
    show();
  else
    hide();
}

void TVideoWindow::Reparent(QWidget* parent, Qt::WindowFlags flags) {
  // A child paints into its parent's window: release our own native window first instead of
  // reparenting it, which not every platform supports.
  if (parent && isWindow() && testAttribute(Qt::WA_WState_Created)) {
    hide();
    destroy();
  }
  setParent(parent, flags);
}

void TVideoWindow::SetAligned(bool aligned) {
  aligned_ = aligned;
  WatchParent(parentWidget());
  FollowParent();
}

void TVideoWindow::WatchParent(QWidget* parent) {
  if (watched_) watched_->removeEventFilter(this);
  watched_ = nullptr;
  if (aligned_ && parent) {
    parent->installEventFilter(this);
    watched_ = parent;
  }
}

void TVideoWindow::FollowParent() {
  if (!aligned_ || fullScreen_) return;
  if (QWidget* parent = parentWidget()) setGeometry(parent->rect());
}

bool TVideoWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watched_ && event->type() == QEvent::Resize) FollowParent();
  return QWidget::eventFilter(watched, event);
}

void TVideoWindow::SetStillImage(const QImage& image) {
  still_ = image;
  update();
}

void TVideoWindow::ClearStillImage() {
  still_ = QImage();
  update();
}

void TVideoWindow::ShowFrame(const QImage& frame) {
  frame_ = frame;
  ++frameSerial_;
  if (still_.isNull()) update();
}

void TVideoWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool still = !still_.isNull();
  const QImage& image = still ? still_ : frame_;
  if (image.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image);
  if (!still && paintedSerial_ != frameSerial_) {
    paintedSerial_ = frameSerial_;
    ++framesPainted_;
  }
}

void TVideoWindow::SetCursorHideDelay(int ms) {
  cursorHideDelay_ = ms;
  ShowCursorAgain();
  RestartCursorTimer();
}

bool TVideoWindow::IsCursorHidden() const { return cursorHidden_; }

void TVideoWindow::RestartCursorTimer() {
  if (cursorHideDelay_ <= 0 || !isVisible()) {
    cursorTimer_->stop();
    return;
  }
  cursorTimer_->start(cursorHideDelay_);
}

void TVideoWindow::ShowCursorAgain() {
  if (!cursorHidden_) return;
  cursorHidden_ = false;
  unsetCursor();
}

void TVideoWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RestartCursorTimer();
}

void TVideoWindow::SetFullScreen(bool fullScreen) {
  if (fullScreen == fullScreen_) return;
  if (fullScreen) {
    QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    restore_.parent = parentWidget();
    restore_.geometry = geometry();
    restore_.flags = windowFlags();
    restore_.shown = !isHidden();
    fullScreen_ = true;
    setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    // Placing it on the screen's geometry puts it on that screen.
    if (target) setGeometry(target->geometry());
    showFullScreen();
    activateWindow();
    return;
  }
  fullScreen_ = false;
  setWindowState(windowState() & ~Qt::WindowFullScreen);
  QWidget* parent = restore_.parent;
  const bool parentGone = !parent && !(restore_.flags & Qt::Window);
  Reparent(parent, parentGone ? Qt::Window : restore_.flags);
  setGeometry(restore_.geometry);
  WatchParent(parent);
  FollowParent();
  // A window whose parent went away meanwhile stays hidden rather than pop up on its own.
  if (restore_.shown && !parentGone)
    show();
  else
    hide();
}

void TVideoWindow::ForwardMouse(QMouseEvent* event) {
  QWidget* owner = owner_;
  if (!owner) {
    event->ignore();
    return;
  }
  const QPointF global = event->globalPosition();
  QMouseEvent copy(event->type(), owner->mapFromGlobal(global), owner->window()->mapFromGlobal(global),
                   global, event->button(), event->buttons(), event->modifiers(),
                   event->pointingDevice());
  QCoreApplication::sendEvent(owner, &copy);
  // Delivered once, to the owner; no second copy through parent propagation.
  event->accept();
}

void TVideoWindow::ForwardKey(QKeyEvent* event) {
  QWidget* owner = owner_;
  if (!owner) {
    event->ignore();
    return;
  }
  std::unique_ptr<QKeyEvent> copy(event->clone());
  QCoreApplication::sendEvent(owner, copy.get());
  event->accept();
}

void TVideoWindow::mousePressEvent(QMouseEvent* event) { ForwardMouse(event); }

void TVideoWindow::mouseReleaseEvent(QMouseEvent* event) { ForwardMouse(event); }

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent* event) { ForwardMouse(event); }

void TVideoWindow::mouseMoveEvent(QMouseEvent* event) {
  ShowCursorAgain();
  RestartCursorTimer();
  ForwardMouse(event);
}

void TVideoWindow::keyPressEvent(QKeyEvent* event) { ForwardKey(event); }

void TVideoWindow::keyReleaseEvent(QKeyEvent* event) { ForwardKey(event); }

}  // namespace pvx::platform::video
