#include "app/BorderArtwork.h"

#include <QLinearGradient>
#include <QPainter>

namespace pvx::app {
namespace {

// Borders are uniform along their edge, so a short strip stretches without visible change.
constexpr int kStripLength = 32;

const QColor kFrameLight(0x6a, 0x6f, 0x78);
const QColor kFrameMid(0x3a, 0x3e, 0x45);
const QColor kFrameDark(0x12, 0x13, 0x16);

// Light on the outer edge fading to dark next to the picture: a bevelled metal frame.
QLinearGradient FrameGradient(QPointF outer, QPointF inner) {
  QLinearGradient gradient(outer, inner);
  gradient.setColorAt(0.0, kFrameLight);
  gradient.setColorAt(0.35, kFrameMid);
  gradient.setColorAt(1.0, kFrameDark);
  return gradient;
}

QPixmap Strip(QSize size, QPointF outer, QPointF inner) {
  QPixmap pixmap(size);
  QPainter painter(&pixmap);
  painter.fillRect(pixmap.rect(), FrameGradient(outer, inner));
  return pixmap;
}

void DrawButton(QPainter& painter, const QRect& box, int glyph, TBorderArtwork::MenuForm form) {
  const bool pressed = form == TBorderArtwork::Pressed;
  const bool hover = form == TBorderArtwork::Hover;
  QLinearGradient face(box.topLeft(), box.bottomLeft());
  face.setColorAt(0.0, pressed ? kFrameDark : hover ? QColor(0x7c, 0x9c, 0xc8) : kFrameLight);
  face.setColorAt(1.0, pressed ? kFrameMid : hover ? QColor(0x2c, 0x4a, 0x78) : kFrameDark);
  painter.fillRect(box, face);
  // Raised or sunken edge.
  painter.setPen(pressed ? kFrameDark.darker(150) : QColor(0xc8, 0xcc, 0xd2));
  painter.drawLine(box.topLeft(), box.topRight());
  painter.drawLine(box.topLeft(), box.bottomLeft());
  painter.setPen(pressed ? QColor(0xc8, 0xcc, 0xd2) : Qt::black);
  painter.drawLine(box.bottomLeft(), box.bottomRight());
  painter.drawLine(box.topRight(), box.bottomRight());

  const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
  const QColor ink = hover ? QColor(Qt::white) : QColor(0xe8, 0xe8, 0xe8);
  if (glyph == 0) {
    // Minimise: a bar along the bottom.
    painter.fillRect(QRect(box.left() + 3, box.bottom() - 4, 7, 2).translated(shift), ink);
  } else {
    // Full screen: a window outline with a heavy top edge.
    const QRect frame = QRect(box.left() + 3, box.top() + 3, 7, 6).translated(shift);
    painter.setPen(ink);
    painter.drawRect(frame);
    painter.drawLine(frame.topLeft() + QPoint(0, 1), frame.topRight() + QPoint(0, 1));
  }
}

}  // namespace

QPixmap TBorderArtwork::Border(Edge edge) {
  switch (edge) {
    case Top:
      return Strip({kStripLength, kTopHeight}, {0, 0}, {0, kTopHeight});
    case Bottom:
      return Strip({kStripLength, kBottomHeight}, {0, kBottomHeight}, {0, 0});
    case Left:
      return Strip({kSideWidth, kStripLength}, {0, 0}, {kSideWidth, 0});
    case Right:
      return Strip({kSideWidth, kStripLength}, {kSideWidth, 0}, {0, 0});
  }
  return {};
}

QPixmap TBorderArtwork::Menu(MenuForm form) {
  QPixmap pixmap(kMenuSize);
  QPainter painter(&pixmap);
  // The image lies on the top border: the same gradient behind the buttons.
  painter.fillRect(pixmap.rect(), FrameGradient({0, 0}, {0, kTopHeight}));
  DrawButton(painter, QRect(0, 0, 13, 13), 0, form);
  DrawButton(painter, QRect(14, 0, 13, 13), 1, form);
  return pixmap;
}

}  // namespace pvx::app
