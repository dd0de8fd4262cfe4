#include "panels/skins/SkinPainter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace pvx::panels::skins {

namespace {

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  return QColor::fromRgbF(
      float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
      float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

struct TCap {
  QColor Top, Bottom, Ink;
};

TCap BaseCap(TKeyTone tone) {
  switch (tone) {
    case TKeyTone::Silver: return {QColor(0xf2, 0xf4, 0xf6), QColor(0xaa, 0xb2, 0xbb), QColor(0x22, 0x27, 0x2d)};
    case TKeyTone::Red: return {QColor(0x5d, 0x65, 0x71), QColor(0x33, 0x39, 0x42), QColor(0xff, 0x4a, 0x3d)};
    case TKeyTone::Accent: return {QColor(0x4a, 0x9c, 0xdc), QColor(0x1d, 0x5a, 0x93), QColor(0xf6, 0xfb, 0xff)};
    case TKeyTone::Graphite: break;
  }
  return {QColor(0x5d, 0x65, 0x71), QColor(0x33, 0x39, 0x42), QColor(0xf3, 0xf6, 0xf9)};
}

// Shades a cap for a look: disabled is flat and washed out, pressed dark and inverted,
// hover brighter.
TCap LookCap(TKeyTone tone, TLook look) {
  TCap c = BaseCap(tone);
  switch (look) {
    case TLook::Disabled: {
      const bool silver = tone == TKeyTone::Silver;
      const QColor grey = silver ? QColor(0x6c, 0x72, 0x79) : QColor(0x4a, 0x4f, 0x56);
      c.Top = Mix(c.Top, grey, silver ? 0.72 : 0.6);
      c.Bottom = Mix(c.Bottom, grey, silver ? 0.72 : 0.6);
      c.Ink = Mix(c.Ink, Mix(c.Top, c.Bottom, 0.5), 0.62);
      break;
    }
    case TLook::Pressed: {
      const QColor top = c.Top;
      c.Top = c.Bottom.darker(125);
      c.Bottom = top.darker(118);
      c.Ink = c.Ink.darker(tone == TKeyTone::Silver ? 100 : 112);
      break;
    }
    case TLook::Hover:
      c.Top = c.Top.lighter(tone == TKeyTone::Silver ? 104 : 122);
      c.Bottom = c.Bottom.lighter(tone == TKeyTone::Silver ? 108 : 125);
      c.Ink = tone == TKeyTone::Red ? c.Ink.lighter(118) : c.Ink;
      break;
    case TLook::Enabled: break;
  }
  return c;
}

QPainterPath KeyPath(const QRectF& r, bool round) {
  QPainterPath path;
  const qreal radius =
      round ? std::min(r.width(), r.height()) / 2 : std::min(std::min(r.width(), r.height()) * 0.3, 5.0);
  if (round && std::abs(r.width() - r.height()) < 1.5)
    path.addEllipse(r);
  else
    path.addRoundedRect(r, radius, radius);
  return path;
}

}  // namespace

QVector<TKeySpec> WithDigitKeys(int firstItem, QVector<TKeySpec> keys) {
  static const char* const kDigits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
  for (int i = 0; i < 10; ++i) keys.append({firstItem + i, TKeyTone::Graphite, TGlyph::Text, kDigits[i], 11});
  return keys;
}

QImage NewSurface(const QSize& size, qreal devicePixelRatio) {
  QImage image(QSize(qRound(size.width() * devicePixelRatio), qRound(size.height() * devicePixelRatio)),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  return image;
}

void PrepareForArt(QPainter& p) {
  p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

QLinearGradient Ramp(const QPointF& from, const QPointF& to, std::initializer_list<std::pair<qreal, QColor>> stops) {
  QLinearGradient gradient(from, to);
  for (const auto& [at, color] : stops) gradient.setColorAt(at, color);
  return gradient;
}

QFont SkinFont(qreal pixelSize, bool bold, bool condensed) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, qRound(pixelSize)));
  font.setBold(bold);
  font.setStretch(condensed ? QFont::SemiCondensed : QFont::Unstretched);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

QVector<QRect> RoundedOutline(const QRect& body, int radius) {
  QVector<QRect> rows;
  const qreal left = body.left(), right = body.left() + body.width();
  const qreal top = body.top(), bottom = body.top() + body.height();
  auto span = [&](int y) {
    const qreal cy = y + 0.5;
    qreal dy = 0;
    if (cy < top + radius) dy = top + radius - cy;
    if (cy > bottom - radius) dy = cy - (bottom - radius);
    const qreal half = std::sqrt(std::max(0.0, qreal(radius) * radius - dy * dy));
    const int x0 = int(std::ceil(left + radius - half - 0.5));
    const int x1 = int(std::floor(right - radius + half - 0.5));
    return std::pair{x0, x1};
  };
  for (int y = body.top(); y < body.top() + body.height(); ++y) {
    const auto [x0, x1] = span(y);
    if (x1 < x0) continue;
    if (!rows.isEmpty() && rows.last().left() == x0 && rows.last().right() == x1 && rows.last().bottom() == y - 1)
      rows.last().setBottom(y);  // same span as the row above: grow that rectangle
    else
      rows.append(QRect(x0, y, x1 - x0 + 1, 1));
  }
  return rows;
}

void FillOutline(QPainter& p, const QVector<QRect>& outline, const QColor& color) {
  for (const QRect& r : outline) p.fillRect(r, color);
}

QColor LegendInk() { return {0xb4, 0xbc, 0xc6}; }
QColor GlowColor() { return {0x5c, 0xd0, 0xff}; }

void DrawLegend(QPainter& p, const QRectF& box, const QString& text, qreal px, const QColor& ink, Qt::Alignment align,
                bool condensed) {
  p.save();
  p.setFont(SkinFont(px, true, condensed));
  p.setPen(ink);
  p.drawText(box, int(align), text);
  p.restore();
}

void DrawKeyWell(QPainter& p, const QRect& item, bool round) {
  p.save();
  const QRectF r = QRectF(item).adjusted(-1.2, -1.2, 1.2, 1.4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawPath(KeyPath(r, round));
  p.setPen(QPen(QColor(255, 255, 255, 30), 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawPath(KeyPath(r.adjusted(-0.4, -0.4, 0.4, 0.4), round));
  p.restore();
}

void DrawKey(QPainter& p, const QRect& item, TLook look, const TKeySpec& key) {
  const bool round = key.Round;
  const TCap cap = LookCap(key.Tone, look);
  const QRectF r = QRectF(item).adjusted(0.5, 0.5, -0.5, -0.5);
  const QPainterPath path = KeyPath(r, round);
  p.save();
  p.setClipRect(item);
  const QLinearGradient face = Ramp(r.topLeft(), r.bottomLeft(), {{0, cap.Top}, {1, cap.Bottom}});
  p.setPen(QPen(QColor(0x10, 0x12, 0x15, 220), 1.0));
  p.setBrush(face);
  p.drawPath(path);

  // The rim: light from above on a raised cap, shadow on a sunken one.
  const QPainterPath inner = KeyPath(r.adjusted(1, 1, -1, -1), round);
  QLinearGradient rim(r.topLeft(), r.bottomLeft());
  if (look == TLook::Pressed) {
    rim.setColorAt(0, QColor(0, 0, 0, 150));
    rim.setColorAt(0.5, QColor(0, 0, 0, 0));
  } else {
    rim.setColorAt(0, QColor(255, 255, 255, look == TLook::Disabled ? 40 : 120));
    rim.setColorAt(0.45, QColor(255, 255, 255, 0));
    rim.setColorAt(1, QColor(0, 0, 0, 60));
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(rim), 1.0));
  p.drawPath(inner);
  if (look == TLook::Hover) {
    QColor glow = GlowColor();
    glow.setAlpha(230);
    p.setPen(QPen(glow, 1.2));
    p.drawPath(path);
    glow.setAlpha(70);
    p.setPen(QPen(glow, 1.6));
    p.drawPath(KeyPath(r.adjusted(1.4, 1.4, -1.4, -1.4), round));
  }
  const QRectF content = look == TLook::Pressed ? r.translated(1, 1) : r;
  DrawGlyph(p, key.Glyph, content, cap.Ink, key.Text, key.TextPx);
  p.restore();
}

void DrawKeys(QPainter& p, TLook look, const QVector<TKeySpec>& keys, const std::function<QRect(int item)>& rectOf) {
  for (const TKeySpec& key : keys) DrawKey(p, rectOf(key.Item), look, key);
}

void DrawDisplay(QPainter& p, const QRectF& box, qreal radius) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0a, 0x0c, 0x0e));
  p.drawRoundedRect(box.adjusted(-1.5, -1.5, 1.5, 1.5), radius + 1.5, radius + 1.5);
  const QLinearGradient glass =
      Ramp(box.topLeft(), box.bottomLeft(),
           {{0, QColor(0x0c, 0x26, 0x31)}, {0.55, QColor(0x11, 0x37, 0x45)}, {1, QColor(0x0b, 0x28, 0x33)}});
  p.setBrush(glass);
  p.drawRoundedRect(box, radius, radius);
  // Shadow under the bezel's top edge and a faint sheen across the glass.
  const QLinearGradient shade =
      Ramp(box.topLeft(), box.topLeft() + QPointF(0, 5), {{0, QColor(0, 0, 0, 130)}, {1, QColor(0, 0, 0, 0)}});
  p.setBrush(shade);
  p.drawRoundedRect(box, radius, radius);
  QPainterPath sheen;
  sheen.moveTo(box.topLeft());
  sheen.lineTo(box.left() + box.width() * 0.62, box.top());
  sheen.lineTo(box.left() + box.width() * 0.38, box.bottom());
  sheen.lineTo(box.bottomLeft());
  sheen.closeSubpath();
  QPainterPath clip;
  clip.addRoundedRect(box, radius, radius);
  p.setBrush(QColor(255, 255, 255, 10));
  p.drawPath(sheen.intersected(clip));
  p.setPen(QPen(QColor(255, 255, 255, 28), 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(box.adjusted(-1.9, -1.9, 1.9, 1.9), radius + 1.9, radius + 1.9);
  p.restore();
}

void DrawDeck(QPainter& p, const QRectF& oval) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawEllipse(oval.adjusted(-2, -2, 2, 3));
  QRadialGradient dish(oval.center() - QPointF(0, oval.height() * 0.16), std::max(oval.width(), oval.height()) * 0.6);
  dish.setColorAt(0, QColor(0x3a, 0x40, 0x49));
  dish.setColorAt(1, QColor(0x1c, 0x1f, 0x23));
  p.setBrush(dish);
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.drawEllipse(oval);
  p.setBrush(Qt::NoBrush);
  p.setPen(
      QPen(QBrush(Ramp(oval.topLeft(), oval.bottomLeft(), {{0, QColor(0, 0, 0, 120)}, {1, QColor(255, 255, 255, 60)}})),
           1.2));
  p.drawEllipse(oval.adjusted(1.2, 1.2, -1.2, -1.2));
  QColor accent = GlowColor();
  accent.setAlpha(60);
  p.setPen(QPen(accent, 0.8));
  p.drawEllipse(oval.adjusted(6, 5, -6, -5));
  p.restore();
}

void DrawGroove(QPainter& p, const QRectF& box, const QColor& bed) {
  p.save();
  const qreal radius = std::min(box.height() / 2, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(bed);
  p.drawRoundedRect(box, radius, radius);
  const QLinearGradient shade =
      Ramp(box.topLeft(), box.bottomLeft(),
           {{0, QColor(0, 0, 0, 120)}, {0.6, QColor(0, 0, 0, 0)}, {1, QColor(255, 255, 255, 30)}});
  p.setBrush(shade);
  p.drawRoundedRect(box, radius, radius);
  p.restore();
}

void DrawLed(QPainter& p, const QPointF& centre, qreal radius, const QColor& lit, qreal glow) {
  p.save();
  p.setPen(Qt::NoPen);
  if (glow > 0) {
    QRadialGradient halo(centre, radius * 2.4);
    QColor c = lit;
    c.setAlphaF(float(glow));
    halo.setColorAt(0, c);
    c.setAlpha(0);
    halo.setColorAt(1, c);
    p.setBrush(halo);
    p.drawEllipse(centre, radius * 2.4, radius * 2.4);
  }
  QRadialGradient body(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
  body.setColorAt(0, lit.lighter(170));
  body.setColorAt(0.45, lit);
  body.setColorAt(1, lit.darker(190));
  p.setBrush(body);
  p.setPen(QPen(QColor(0, 0, 0, 190), 0.7));
  p.drawEllipse(centre, radius, radius);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 150));
  p.drawEllipse(centre - QPointF(radius * 0.35, radius * 0.4), radius * 0.3, radius * 0.25);
  p.restore();
}

QColor BarColor(TLook look) {
  switch (look) {
    case TLook::Hover: return GlowColor();
    case TLook::Pressed: return QColor(0x1f, 0x7e, 0xb8);
    case TLook::Enabled: return QColor(0x2f, 0x3a, 0x45);
    case TLook::Disabled: break;
  }
  return QColor(0x16, 0x19, 0x1d);
}

void DrawBarTrack(QPainter& p, const QRectF& bar, TLook look) {
  DrawGroove(p, bar, BarColor(look));
  if (look == TLook::Hover || look == TLook::Pressed) {
    p.save();
    p.setPen(QPen(QColor(255, 255, 255, look == TLook::Hover ? 150 : 70), 0.8));
    p.drawLine(QPointF(bar.left(), bar.top() + 0.9), QPointF(bar.right(), bar.top() + 0.9));
    p.restore();
  }
}

void DrawVolumeRamp(QPainter& p, const QRect& slider, TLook look) {
  p.save();
  DrawGroove(p, QRectF(slider), QColor(0x0c, 0x0e, 0x10));
  const int bars = slider.width() / 5;
  const qreal step = slider.width() / qreal(bars);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < bars; ++i) {
    const qreal t = i / qreal(bars - 1);
    const qreal h = 2.5 + t * (slider.height() - 4.5);
    const QRectF bar(slider.left() + i * step + 1, slider.top() + slider.height() - 1 - h, step - 1.6, h);
    QColor c = QColor::fromHsvF(float(0.36 - 0.3 * t), 0.85f, 0.95f);
    if (look == TLook::Disabled) c = QColor(0x2b, 0x30, 0x36);
    if (look == TLook::Pressed) c = c.darker(140);
    if (look == TLook::Hover) c = c.lighter(125);
    p.setBrush(c);
    p.drawRoundedRect(bar, 0.6, 0.6);
  }
  if (look == TLook::Hover) {
    QColor glow = GlowColor();
    glow.setAlpha(120);
    p.setPen(QPen(glow, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(slider).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  }
  p.restore();
}

void DrawMuteLed(QPainter& p, const QRect& item, TLook look) {
  const QPointF centre = QRectF(item).center();
  switch (look) {
    case TLook::Disabled: DrawLed(p, centre, 3.4, QColor(0x4a, 0x16, 0x14), 0); break;
    case TLook::Enabled: DrawLed(p, centre, 3.4, QColor(0xff, 0x3a, 0x2c), 0.55); break;
    case TLook::Pressed: DrawLed(p, centre, 3.4, QColor(0xa8, 0x22, 0x1a), 0.25); break;
    case TLook::Hover: DrawLed(p, centre, 3.4, QColor(0xff, 0x6a, 0x50), 0.8); break;
  }
}

void Clipped(QPainter& p, const QRect& rect, const std::function<void()>& draw) {
  p.save();
  p.setClipRect(rect);
  draw();
  p.restore();
}

void PaintLooks(TSkinArt& art, const QImage& body, const TItemLayer& items) {
  for (const TLook look : kLooks) {
    QImage image = body.copy();
    image.setDevicePixelRatio(body.devicePixelRatio());
    {
      QPainter p(&image);
      PrepareForArt(p);
      items(p, look);
    }
    switch (look) {
      case TLook::Disabled: art.Disabled = image; break;
      case TLook::Enabled: art.Enabled = image; break;
      case TLook::Pressed: art.Pressed = image; break;
      case TLook::Hover: art.Hover = image; break;
    }
  }
}

}  // namespace pvx::panels::skins
