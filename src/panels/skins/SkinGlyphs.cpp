#include "panels/skins/SkinGlyphs.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include "panels/skins/SkinPainter.h"

namespace pvx::panels::skins {

namespace {

// The largest centred square of the box, shrunk by a margin proportion.
QRectF Square(const QRectF& box, qreal fill) {
  const qreal s = std::min(box.width(), box.height()) * fill;
  return {box.center().x() - s / 2, box.center().y() - s / 2, s, s};
}

QPolygonF Triangle(const QRectF& r, Qt::ArrowType dir) {
  switch (dir) {
    case Qt::RightArrow: return QPolygonF{{r.left(), r.top()}, {r.right(), r.center().y()}, {r.left(), r.bottom()}};
    case Qt::LeftArrow: return QPolygonF{{r.right(), r.top()}, {r.left(), r.center().y()}, {r.right(), r.bottom()}};
    case Qt::UpArrow: return QPolygonF{{r.left(), r.bottom()}, {r.center().x(), r.top()}, {r.right(), r.bottom()}};
    default: return QPolygonF{{r.left(), r.top()}, {r.center().x(), r.bottom()}, {r.right(), r.top()}};
  }
}

void Fill(QPainter& p, const QPolygonF& poly, const QColor& ink) {
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPolygon(poly);
}

QPen Stroke(const QColor& ink, qreal width) { return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void DoubleTriangle(QPainter& p, const QRectF& s, bool forward, const QColor& ink) {
  const qreal w = s.width() / 2;
  const QRectF first(s.left(), s.top(), w, s.height()), second(s.left() + w, s.top(), w, s.height());
  const Qt::ArrowType dir = forward ? Qt::RightArrow : Qt::LeftArrow;
  Fill(p, Triangle(first, dir), ink);
  Fill(p, Triangle(second, dir), ink);
}

void Speaker(QPainter& p, const QRectF& s, const QColor& ink, bool muted) {
  const qreal u = s.width() / 10;
  QPolygonF cone{{s.left() + u, s.center().y() - 1.6 * u},
                 {s.left() + 3 * u, s.center().y() - 1.6 * u},
                 {s.left() + 5.5 * u, s.top() + u},
                 {s.left() + 5.5 * u, s.bottom() - u},
                 {s.left() + 3 * u, s.center().y() + 1.6 * u},
                 {s.left() + u, s.center().y() + 1.6 * u}};
  Fill(p, cone, ink);
  p.setBrush(Qt::NoBrush);
  p.setPen(Stroke(ink, std::max(0.9, u * 0.9)));
  if (muted) {
    p.drawLine(QPointF(s.left() + 6.8 * u, s.center().y() - 1.8 * u),
               QPointF(s.left() + 10 * u, s.center().y() + 1.8 * u));
    p.drawLine(QPointF(s.left() + 6.8 * u, s.center().y() + 1.8 * u),
               QPointF(s.left() + 10 * u, s.center().y() - 1.8 * u));
    return;
  }
  for (int i = 1; i <= 2; ++i) {
    const qreal r = 2.2 * u * i;
    p.drawArc(QRectF(s.left() + 5.2 * u - r, s.center().y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
  }
}

void Camera(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  QRectF body(s.left(), s.top() + 2.5 * u, s.width(), s.height() - 3.5 * u);
  QPainterPath path;
  path.addRoundedRect(body, 1.2 * u, 1.2 * u);
  path.addRect(QRectF(s.center().x() - 1.8 * u, s.top() + 1 * u, 3.6 * u, 2 * u));
  QPainterPath lens;
  lens.addEllipse(QPointF(s.center().x(), body.center().y()), 2.4 * u, 2.4 * u);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(path.united(path).subtracted(lens));
  p.drawEllipse(QPointF(s.center().x(), body.center().y()), 1.2 * u, 1.2 * u);
}

void Calendar(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  const QRectF page(s.left() + u, s.top() + 1.5 * u, 8 * u, 7.5 * u);
  p.setPen(Stroke(ink, std::max(0.9, 0.8 * u)));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(page, u, u);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawRect(QRectF(page.left(), page.top(), page.width(), 2 * u));
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 3; ++col)
      p.drawRect(QRectF(page.left() + (1.4 + 2.2 * col) * u, page.top() + (3.2 + 2 * row) * u, 1.2 * u, 1.2 * u));
}

void Preview(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  for (int row = 0; row < 2; ++row)
    for (int col = 0; col < 2; ++col)
      p.drawRoundedRect(QRectF(s.left() + (0.5 + 4.8 * col) * u, s.top() + (1.2 + 4 * row) * u, 4.2 * u, 3.4 * u),
                        0.6 * u, 0.6 * u);
}

void Moon(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  QPainterPath disc, bite;
  disc.addEllipse(QRectF(s.left(), s.top() + u, 7.5 * u, 7.5 * u));
  bite.addEllipse(QRectF(s.left() + 2.6 * u, s.top() - 0.2 * u, 6.5 * u, 6.5 * u));
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawPath(disc.subtracted(bite));
  p.setPen(Stroke(ink, std::max(0.8, 0.7 * u)));
  const QPointF z(s.left() + 6.6 * u, s.top() + 5.6 * u);
  p.drawPolyline(QPolygonF{z, z + QPointF(2.6 * u, 0), z + QPointF(0, 2.6 * u), z + QPointF(2.6 * u, 2.6 * u)});
}

void Recall(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  const QRectF ring = s.adjusted(1.5 * u, 1.5 * u, -1.5 * u, -1.5 * u);
  p.setPen(Stroke(ink, std::max(1.0, 1.1 * u)));
  p.setBrush(Qt::NoBrush);
  p.drawArc(ring, 100 * 16, 290 * 16);
  // The arrow head at the arc's open end, pointing along it.
  const qreal a = qDegreesToRadians(100.0);
  const QPointF tip(ring.center().x() + std::cos(a) * ring.width() / 2,
                    ring.center().y() - std::sin(a) * ring.height() / 2);
  Fill(p,
       QPolygonF{tip + QPointF(2.6 * u, -2.2 * u), tip + QPointF(2.8 * u, 2.0 * u), tip + QPointF(-0.6 * u, 0.2 * u)},
       ink);
}

void Enter(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  p.setPen(Stroke(ink, std::max(1.0, 1.1 * u)));
  p.setBrush(Qt::NoBrush);
  const QPointF corner(s.left() + 8.5 * u, s.top() + 6 * u);
  p.drawPolyline(QPolygonF{QPointF(corner.x(), s.top() + 2 * u), corner, QPointF(s.left() + 3 * u, corner.y())});
  Fill(p,
       QPolygonF{{s.left() + 0.8 * u, corner.y()},
                 {s.left() + 3.6 * u, corner.y() - 2.4 * u},
                 {s.left() + 3.6 * u, corner.y() + 2.4 * u}},
       ink);
}

void TimeShift(QPainter& p, const QRectF& s, const QColor& ink) {
  const qreal u = s.width() / 10;
  const QRectF face = s.adjusted(u, u, -u, -u);
  p.setPen(Stroke(ink, std::max(0.9, 0.9 * u)));
  p.setBrush(Qt::NoBrush);
  p.drawArc(face, 120 * 16, 300 * 16);
  p.drawLine(face.center(), face.center() + QPointF(0, -2.6 * u));
  p.drawLine(face.center(), face.center() + QPointF(2.0 * u, 1.0 * u));
  const QPointF end(face.center().x() + std::cos(qDegreesToRadians(120.0)) * face.width() / 2,
                    face.center().y() - std::sin(qDegreesToRadians(120.0)) * face.height() / 2);
  Fill(p,
       QPolygonF{end + QPointF(-2.2 * u, -0.6 * u), end + QPointF(1.6 * u, -1.4 * u), end + QPointF(0.2 * u, 2.0 * u)},
       ink);
}

// Each family draws its own glyphs and answers false to the others.
bool DrawLettering(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink, const char* text, qreal px) {
  switch (glyph) {
    case TGlyph::Text: {
      // Long words are narrowed until they leave a pixel of margin on each side.
      const QString word = QString::fromLatin1(text);
      QFont font = SkinFont(px, true, word.size() > 3);
      const qreal room = box.width() - 5;
      const qreal width = QFontMetricsF(font).horizontalAdvance(word);
      if (width > room) font.setStretch(std::max(60, int(font.stretch() * room / width)));
      p.setPen(ink);
      p.setFont(font);
      p.drawText(box, Qt::AlignCenter, word);
      return true;
    }
    case TGlyph::Help:
      p.setPen(ink);
      p.setFont(SkinFont(std::min(box.height() * 0.8, 10.0)));
      p.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
      return true;
    default: return false;
  }
}

bool DrawTransport(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink) {
  switch (glyph) {
    case TGlyph::Play: Fill(p, Triangle(Square(box, 0.62).adjusted(1, 0, 0, 0), Qt::RightArrow), ink); return true;
    case TGlyph::Pause: {
      const QRectF s = Square(box, 0.62);
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawRect(QRectF(s.left() + s.width() * 0.12, s.top(), s.width() * 0.28, s.height()));
      p.drawRect(QRectF(s.left() + s.width() * 0.6, s.top(), s.width() * 0.28, s.height()));
      return true;
    }
    case TGlyph::Stop:
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawRoundedRect(Square(box, 0.52), 0.8, 0.8);
      return true;
    case TGlyph::Forward:
    case TGlyph::Backward: {
      const QRectF s = Square(box, 0.56);
      DoubleTriangle(p, s.adjusted(-s.width() * 0.2, 0, s.width() * 0.2, 0), glyph == TGlyph::Forward, ink);
      return true;
    }
    case TGlyph::Record:
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawEllipse(Square(box, 0.62));
      return true;
    default: return false;
  }
}

// Arrows, plus and minus: the stepping keys.
bool DrawStepping(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink) {
  switch (glyph) {
    case TGlyph::Up: Fill(p, Triangle(Square(box, 0.5).adjusted(-1, 0, 1, 0), Qt::UpArrow), ink); return true;
    case TGlyph::Down: Fill(p, Triangle(Square(box, 0.5).adjusted(-1, 0, 1, 0), Qt::DownArrow), ink); return true;
    case TGlyph::Previous: Fill(p, Triangle(Square(box, 0.5), Qt::LeftArrow), ink); return true;
    case TGlyph::Next: Fill(p, Triangle(Square(box, 0.5), Qt::RightArrow), ink); return true;
    case TGlyph::Plus:
    case TGlyph::Minus: {
      const QRectF s = Square(box, 0.56);
      p.setPen(Stroke(ink, std::max(1.4, s.width() * 0.2)));
      p.drawLine(QPointF(s.left(), s.center().y()), QPointF(s.right(), s.center().y()));
      if (glyph == TGlyph::Plus) p.drawLine(QPointF(s.center().x(), s.top()), QPointF(s.center().x(), s.bottom()));
      return true;
    }
    default: return false;
  }
}

bool DrawPicture(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink) {
  switch (glyph) {
    case TGlyph::TimeShift: TimeShift(p, Square(box, 1.0), ink); return true;
    case TGlyph::Speaker: Speaker(p, Square(box, 0.86), ink, false); return true;
    case TGlyph::SpeakerMuted: Speaker(p, Square(box, 0.86), ink, true); return true;
    case TGlyph::Enter: Enter(p, Square(box, 0.8), ink); return true;
    case TGlyph::Recall: Recall(p, Square(box, 0.8), ink); return true;
    case TGlyph::Camera: Camera(p, Square(box, 0.78), ink); return true;
    case TGlyph::Calendar: Calendar(p, Square(box, 0.84), ink); return true;
    case TGlyph::Preview: Preview(p, Square(box, 0.84), ink); return true;
    case TGlyph::Moon: Moon(p, Square(box, 0.84), ink); return true;
    default: return false;
  }
}

bool DrawWindowControl(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink) {
  switch (glyph) {
    case TGlyph::Minimise: {
      const QRectF s = Square(box, 0.5);
      p.setPen(Stroke(ink, 1.5));
      p.drawLine(QPointF(s.left(), s.bottom()), QPointF(s.right(), s.bottom()));
      return true;
    }
    case TGlyph::Close: {
      const QRectF s = Square(box, 0.44);
      p.setPen(Stroke(ink, 1.5));
      p.drawLine(s.topLeft(), s.bottomRight());
      p.drawLine(s.bottomLeft(), s.topRight());
      return true;
    }
    default: return false;
  }
}

}  // namespace

void DrawGlyph(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink, const char* text, qreal px) {
  p.save();
  // Only one family draws a glyph; TGlyph::None none.
  if (!DrawLettering(p, glyph, box, ink, text, px))
    for (auto* family : {DrawTransport, DrawStepping, DrawPicture, DrawWindowControl})
      if (family(p, glyph, box, ink)) break;
  p.restore();
}

}  // namespace pvx::panels::skins
