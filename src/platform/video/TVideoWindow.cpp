#include "platform/video/TVideoWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <memory>

#include "platform/TTimer.h"

namespace pvx::platform::video {

TVideoWindow::TVideoWindow(QWidget* owner) : QWidget(owner), owner_(owner) {
  setObjectName("VideoWindow");
  // Every pixel is painted each time, so resizes need no background erase (no flicker).
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Movement must be seen without a button held, for the cursor and for the owner.
  setMouseTracking(true);
  cursorTimer_ = std::make_unique<TTimer>();
  cursorTimer_->OnTimer = [this](TTimer& timer) {
    timer.SetEnabled(false);
    cursorHidden_ = true;
    setCursor(Qt::BlankCursor);
  };
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
  raw_ = {};
  image_ = frame;
  imageSerial_ = ++frameSerial_;
  if (still_.isNull()) update();
}

void TVideoWindow::ShowFrame(const TRawFrame& frame) {
  raw_ = frame;
  ++frameSerial_;
  // Frames come one posted event apart already: painting now spares a second event round.
  if (still_.isNull()) repaint();
}

QImage TVideoWindow::CurrentFrame() const {
  if (!raw_.IsNull() && imageSerial_ != frameSerial_) {
    image_ = FrameToImage(raw_, std::move(image_));
    imageSerial_ = frameSerial_;
  }
  return image_;
}

// An unscaled raw frame is converted straight into the surface being painted, within the
// region being repainted: one pass, no intermediate image. False when that cannot be done.
bool TVideoWindow::PaintInPlace(QPainter& painter, const QRegion& region) {
  if (raw_.IsNull() || raw_.size != size()) return false;
  QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return false;
  auto* target = static_cast<QImage*>(device);
  const QImage::Format format = target->format();
  if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
      format != QImage::Format_ARGB32_Premultiplied)
    return false;
  // Writing must not make the surface a copy of itself behind the painter's back.
  const QTransform transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate || !target->isDetached()) return false;
  const QPoint offset(qRound(transform.dx()), qRound(transform.dy()));
  QRegion area = region & rect() & target->rect().translated(-offset);
  const QRegion clip = painter.paintEngine()->systemClip();
  if (!clip.isEmpty()) area &= clip.translated(-offset);
  for (const QRect& r : area) {
    ConvertPacked(raw_.format, raw_.data + qsizetype(r.y()) * raw_.stride, raw_.stride, r.x(),
                  r.width(), r.height(), target->scanLine(r.y() + offset.y()) + (r.x() + offset.x()) * 4,
                  target->bytesPerLine());
  }
  return true;
}

void TVideoWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const bool still = !still_.isNull();
  if (!still && PaintInPlace(painter, event->region())) {
    // painted
  } else if (const QImage image = still ? still_ : CurrentFrame(); !image.isNull()) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image);
  } else {
    painter.fillRect(rect(), Qt::black);
    return;
  }
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
  cursorTimer_->SetEnabled(false);
  if (cursorHideDelay_ <= 0 || !isVisible()) return;
  cursorTimer_->SetInterval(cursorHideDelay_);
  cursorTimer_->SetEnabled(true);
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
  // Building the copy writes its time into the device's press record; without the original
  // time the next press never counts as the second click of a double click.
  copy.setTimestamp(event->timestamp());
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
