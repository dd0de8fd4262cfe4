#include "panels/ShapeImage.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QtEndian>
#include <stdexcept>

namespace pvx::panels {

namespace {

constexpr int kHeaderSize = 32;
constexpr int kRectSize = 16;
constexpr qint32 kRectangles = 1;

void Put(QByteArray& out, qint32 v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}

qint32 Get(const QByteArray& in, int at) { return qFromLittleEndian<qint32>(in.constData() + at); }

}  // namespace

QRegion TShapeRegion::Region() const {
  QRegion region;
  region.setRects(Rects.constData(), int(Rects.size()));
  return region;
}

QByteArray TShapeRegion::WriteData() const {
  QByteArray stream;
  if (Rects.isEmpty()) {
    Put(stream, 0);
    return stream;
  }
  const QRect bound = Region().boundingRect();
  QByteArray block;
  Put(block, kHeaderSize);
  Put(block, kRectangles);
  Put(block, qint32(Rects.size()));
  Put(block, qint32(Rects.size()) * kRectSize);
  for (qint32 v : {bound.left(), bound.top(), bound.right() + 1, bound.bottom() + 1}) Put(block, v);
  for (const QRect& r : Rects)
    for (qint32 v : {r.left(), r.top(), r.right() + 1, r.bottom() + 1}) Put(block, v);
  Put(stream, qint32(block.size()));
  return stream + block;
}

bool TShapeRegion::ReadData(const QByteArray& stream) {
  Rects.clear();
  if (stream.size() < 4) return false;
  const qint32 size = Get(stream, 0);
  if (size <= 0) return true;  // a stream without a region
  // The count and the block must agree with the bytes really there; anything else is refused
  // rather than read past the end.
  if (size > stream.size() - 4 || size < kHeaderSize) return false;
  const QByteArray block = stream.mid(4, size);
  const qint32 count = Get(block, 8);
  if (Get(block, 0) != kHeaderSize || Get(block, 4) != kRectangles || count < 0 ||
      count > (size - kHeaderSize) / kRectSize)
    return false;
  for (qint32 i = 0; i < count; ++i) {
    const int at = kHeaderSize + i * kRectSize;
    const qint32 l = Get(block, at), t = Get(block, at + 4), r = Get(block, at + 8), b = Get(block, at + 12);
    if (r > l && b > t) Rects.append(QRect(QPoint(l, t), QPoint(r - 1, b - 1)));
  }
  return true;
}

TShapeImage::TShapeImage(QWidget* form) : QWidget(form), form_(form) {
  if (!form || !form->isWindow()) throw std::invalid_argument("Please Drop ShapeImage on a Form");
  form->setWindowFlag(Qt::FramelessWindowHint, true);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TShapeImage::SetMask(const TShapeRegion& mask) {
  mask_ = mask;
  ApplyMask();
}

void TShapeImage::ApplyMask() {
  if (mask_.IsEmpty())
    form_->clearMask();
  else
    form_->setMask(mask_.Region());
}

void TShapeImage::SetPicture(const QImage& picture) {
  picture_ = picture;
  if (picture.isNull()) return;
  const QSize size = picture.deviceIndependentSize().toSize();
  setGeometry(0, 0, size.width(), size.height());
  form_->setFixedSize(size);
  update();
}

void TShapeImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setClipRegion(event->region());
  if (!picture_.isNull()) painter.drawImage(QPoint(0, 0), picture_);
}

void TShapeImage::mousePressEvent(QMouseEvent* event) {
  press_ = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(event);
}

void TShapeImage::mouseMoveEvent(QMouseEvent* event) {
  if (Moveable && event->buttons() == Qt::LeftButton) {
    form_->move(form_->pos() + event->position().toPoint() - press_);
    return;
  }
  if (OnMouseMove) OnMouseMove(event);
}

void TShapeImage::mouseReleaseEvent(QMouseEvent* event) {
  if (OnMouseUp) OnMouseUp(event);
}

bool TShapeImage::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = HintAt ? HintAt(help->pos()) : QString();
    if (text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), text, this, QRect());
    return true;
  }
  return QWidget::event(event);
}

}  // namespace pvx::panels
