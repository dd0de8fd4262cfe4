#include "app/MenuImage.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/BorderArtwork.h"

namespace pvx::app {

TMenuImage::TMenuImage(QWidget* form) : QWidget(form) {
  setObjectName("ImageMenu");
  setGeometry(QRect(QPoint(11, 0), TBorderArtwork::kMenuSize));
  setMouseTracking(true);
  for (int form = 0; form < 3; ++form)
    bitmaps_[form] = TBorderArtwork::Menu(static_cast<TBorderArtwork::MenuForm>(form));
  picture_ = bitmaps_[TBorderArtwork::Normal];
}

QRect TMenuImage::ItemRect(int item) {
  // (0, 0, 13, 13) and (14, 0, 27, 13), right and bottom exclusive.
  return item == 0 ? QRect(0, 0, 13, 13) : QRect(14, 0, 13, 13);
}

int TMenuImage::HitTestMenu(QPoint point) {
  for (int item = 0; item < kNoItem; ++item)
    if (ItemRect(item).contains(point)) return item;
  return kNoItem;
}

bool TMenuImage::IsEnabled(int item) const { return !ItemEnabled || ItemEnabled(item); }

void TMenuImage::CopyArtwork(int form, int item) {
  if (item >= kNoItem) return;
  QPainter painter(&picture_);
  const QRect area = ItemRect(item);
  painter.drawPixmap(area, bitmaps_[form], area);
}

void TMenuImage::CopyWholeArtwork(int form) { picture_ = bitmaps_[form]; }

void TMenuImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
}

void TMenuImage::mouseMoveEvent(QMouseEvent* event) {
  tag_ = true;
  if (pressed_) return;
  const int hit = HitTestMenu(event->position().toPoint());
  if (hit == hotItem_) return;
  CopyArtwork(TBorderArtwork::Normal, hotItem_);
  hotItem_ = hit;
  if (hit != kNoItem) CopyArtwork(TBorderArtwork::Hover, hit);
  update();
}

void TMenuImage::FormMouseMove() {
  if (!tag_) return;
  hotItem_ = kNoItem;
  CopyWholeArtwork(TBorderArtwork::Normal);
  tag_ = false;
  update();
}

void TMenuImage::leaveEvent(QEvent* event) {
  // The image touches the window's top edge: the mouse can leave without crossing the form.
  if (!pressed_) FormMouseMove();
  QWidget::leaveEvent(event);
}

void TMenuImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = true;
  hotItem_ = HitTestMenu(event->position().toPoint());
  if (hotItem_ != kNoItem && IsEnabled(hotItem_)) {
    CopyArtwork(TBorderArtwork::Pressed, hotItem_);
    update();
  }
}

void TMenuImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int item = hotItem_;
  if (pressed_ && item != kNoItem) {
    pressed_ = false;
    if (IsEnabled(item)) {
      CopyArtwork(TBorderArtwork::Normal, item);
      update();
      if (HitTestMenu(event->position().toPoint()) == item && RunCommand) RunCommand(ItemCommand(item));
    }
  }
  pressed_ = false;
}

}  // namespace pvx::app
