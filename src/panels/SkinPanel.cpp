#include "panels/SkinPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace pvx::panels {

TSkinPanel::TSkinPanel(TPainter painter, TUIItemRecord* items, int count, int commandCount, int muteIndicator,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      painter_(std::move(painter)),
      items_(items),
      count_(count),
      commandCount_(commandCount),
      muteIndicator_(muteIndicator),
      hot_(count) {
  setAttribute(Qt::WA_TranslucentBackground, false);
  skin_ = new TShapeImage(this);
  skin_->setObjectName(QStringLiteral("ShapeImageSkin"));
  skin_->Moveable = false;
  skin_->OnMouseDown = [this](QMouseEvent* e) { SkinMouseDown(e->position().toPoint(), e->button()); };
  skin_->OnMouseMove = [this](QMouseEvent* e) { SkinMouseMove(e->position().toPoint(), e->buttons()); };
  skin_->OnMouseUp = [this](QMouseEvent* e) { SkinMouseUp(e->position().toPoint(), e->button()); };
  skin_->HintAt = [this](QPoint) { return HotHint(); };
  PaintArt(devicePixelRatioF());
}

void TSkinPanel::PaintArt(qreal devicePixelRatio) {
  art_ = painter_(devicePixelRatio);
  skin_->SetPicture(art_.Disabled.copy());
  skin_->SetMask(TShapeRegion{art_.Outline});
}

void TSkinPanel::showEvent(QShowEvent* event) {
  // Moved to a screen of another scale: draw the skin crisp for it.
  if (!qFuzzyCompare(devicePixelRatioF(), art_.Disabled.devicePixelRatio())) {
    PaintArt(devicePixelRatioF());
    RedrawAll();
  }
  QWidget::showEvent(event);
}

int TSkinPanel::HitTest(QPoint p) const {
  for (int i = 0; i < count_; ++i)
    if (items_[i].Contains(p.x(), p.y())) return i;
  return count_;
}

void TSkinPanel::DrawLook(const QRect& skinRect, TLook look) { DrawLookAt(skinRect, skinRect, look); }

void TSkinPanel::DrawLookAt(const QRect& from, const QRect& to, TLook look) {
  if (from.isEmpty() || to.isEmpty()) return;
  const QImage* source[] = {&art_.Disabled, &art_.Enabled, &art_.Pressed, &art_.Hover};
  const qreal dpr = art_.Disabled.devicePixelRatio();
  const QRectF sourceRect(from.x() * dpr, from.y() * dpr, from.width() * dpr, from.height() * dpr);
  {
    QPainter painter(&skin_->Canvas());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(to), *source[look], sourceRect);
  }
  skin_->RepaintRect(to);
}

int TSkinPanel::SliderValue(const TUIItemRecord& item, QPoint p, bool vertical) {
  const int length = vertical ? item.Bottom - item.Top : item.Right - item.Left;
  if (length <= 0) return 0;
  const int position = std::clamp(vertical ? item.Bottom - p.y() : p.x() - item.Left, 0, length);
  return int(qint64(position) * 65536 / length);
}

QString TSkinPanel::HotHint() const {
  return IsCommandItem(hot_) && items_[hot_].Enabled ? items_[hot_].Hint : QString();
}

void TSkinPanel::SkinMouseMove(QPoint p, Qt::MouseButtons buttons) {
  if (buttons & Qt::LeftButton) {
    if (!pressed_) return;
    if (IsSliderItem(hot_)) {
      if (items_[hot_].Enabled) SliderInput(hot_, p, false);
    } else if (hot_ == count_ || (IsCommandItem(hot_) && !items_[hot_].Enabled)) {
      window()->move(window()->pos() + p - press_);
    }
    return;
  }
  const int item = HitTest(p);
  if (item == hot_ || item == muteIndicator_) return;
  if (IsCommandItem(hot_)) {
    if (hot_ == muteIndicator_) return;
    RedrawItem(hot_);
    skin_->unsetCursor();
  }
  hot_ = item;
  if (IsCommandItem(item) && items_[item].Enabled) {
    DrawItem(item, lkHover);
    skin_->setCursor(Qt::PointingHandCursor);
  }
}

void TSkinPanel::SkinMouseDown(QPoint p, Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  press_ = p;
  pressed_ = true;
  hot_ = HitTest(p);
  if (IsSliderItem(hot_)) {
    if (items_[hot_].Enabled) SliderInput(hot_, p, false);
  } else if (IsCommandItem(hot_) && hot_ != muteIndicator_ && items_[hot_].Enabled) {
    DrawItem(hot_, lkPressed);
  }
}

void TSkinPanel::SkinMouseUp(QPoint p, Qt::MouseButton button) {
  if (button != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  const int item = hot_;
  if (item == muteIndicator_) {
    if (items_[item].Enabled) RunItem(item);
  } else if (IsSliderItem(item)) {
    if (items_[item].Enabled) SliderInput(item, p, true);
  } else if (IsCommandItem(item) && items_[item].Enabled) {
    // The command may change what is enabled, so the look follows the flag afterwards.
    // and Exit may close the panel while it runs.
    QPointer<TSkinPanel> alive(this);
    if (HitTest(p) == item) RunItem(item);
    if (alive) RedrawItem(item);
  }
}

}  // namespace pvx::panels
