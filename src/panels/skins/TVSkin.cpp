// The TV panel: a graphite remote control with a gloss-black head, a backlit display,
// a number pad, channel and volume keys and an oval transport deck.

#include <QLinearGradient>
#include <QPainterPath>

#include "panels/UIInfo.h"
#include "panels/skins/SkinPainter.h"

namespace pvx::panels {

namespace {

using namespace skins;

const QSize kSize(281, 303);
const QRect kBody(6, 4, 269, 295);
constexpr int kBodyRadius = 30;
const QRectF kHead(18.5, 17.5, 244, 84);
const QRectF kDisplay(41, 45, 170, 52);
const QRectF kChannelDisplay(178, 122, 42, 22);
const QRectF kDeck(82.5, 205, 120, 78);
// Where the position bar's knob picture lives in the hover look.
const QRect kKnobPicture(30, 92, 6, 13);

QRect Item(int index) {
  const TUIItemDef& d = TUIInfo::TVTable()[size_t(index)];
  return {d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top};
}

const QVector<TKeySpec>& Keys() {
  static const QVector<TKeySpec> keys = WithDigitKeys(12, {
      {0, TKeyTone::Graphite, TGlyph::Minimise, nullptr, 8, true},
      {1, TKeyTone::Graphite, TGlyph::Close, nullptr, 8, true},
      {2, TKeyTone::Graphite, TGlyph::Help, nullptr, 8, true},
      {3, TKeyTone::Graphite, TGlyph::Text, "SOURCE", 8},
      {4, TKeyTone::Graphite, TGlyph::Calendar},
      {5, TKeyTone::Graphite, TGlyph::Text, "SETUP", 7},
      {6, TKeyTone::Graphite, TGlyph::Preview},
      {7, TKeyTone::Graphite, TGlyph::Camera},
      {8, TKeyTone::Graphite, TGlyph::Moon},
      {9, TKeyTone::Graphite, TGlyph::Text, "SAP", 8},
      {11, TKeyTone::Accent, TGlyph::Text, "FM RADIO", 8},
      {22, TKeyTone::Graphite, TGlyph::Enter},
      {23, TKeyTone::Graphite, TGlyph::Recall},
      {24, TKeyTone::Graphite, TGlyph::Up},
      {25, TKeyTone::Graphite, TGlyph::Down},
      {26, TKeyTone::Graphite, TGlyph::Plus},
      {27, TKeyTone::Graphite, TGlyph::Minus},
      {28, TKeyTone::Graphite, TGlyph::SpeakerMuted, nullptr, 8, true},
      {29, TKeyTone::Silver, TGlyph::Play},
      {30, TKeyTone::Silver, TGlyph::Pause, nullptr, 8, true},
      {31, TKeyTone::Silver, TGlyph::Stop},
      {32, TKeyTone::Silver, TGlyph::Forward},
      {33, TKeyTone::Silver, TGlyph::Backward},
      {34, TKeyTone::Red, TGlyph::Record, nullptr, 8, true},
      {35, TKeyTone::Graphite, TGlyph::TimeShift, nullptr, 8, true},
  });
  return keys;
}

void PaintShell(QPainter& p, const QVector<QRect>& outline) {
  FillOutline(p, outline, QColor(0x16, 0x18, 0x1c));
  const QRectF body = QRectF(kBody).adjusted(0.5, 0.5, -0.5, -0.5);
  const QLinearGradient shade =
      Ramp(body.topLeft(), body.bottomLeft(),
           {{0, QColor(0x5c, 0x64, 0x6f)}, {0.35, QColor(0x40, 0x46, 0x4f)}, {1, QColor(0x24, 0x28, 0x2e)}});
  p.setPen(Qt::NoPen);
  p.setBrush(shade);
  p.drawRoundedRect(body, kBodyRadius, kBodyRadius);
  // A soft vertical sheen, as on brushed plastic.
  const QLinearGradient sheen = Ramp(body.topLeft(), body.topRight(),
                                     {{0, QColor(255, 255, 255, 0)},
                                      {0.3, QColor(255, 255, 255, 16)},
                                      {0.55, QColor(255, 255, 255, 4)},
                                      {1, QColor(0, 0, 0, 30)}});
  p.setBrush(sheen);
  p.drawRoundedRect(body, kBodyRadius, kBodyRadius);
  // Bevel: lit from the top left.
  const QLinearGradient bevel =
      Ramp(body.topLeft(), body.bottomRight(),
           {{0, QColor(255, 255, 255, 140)}, {0.5, QColor(255, 255, 255, 20)}, {1, QColor(0, 0, 0, 170)}});
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(bevel), 1.6));
  p.drawRoundedRect(body.adjusted(1.2, 1.2, -1.2, -1.2), kBodyRadius - 1, kBodyRadius - 1);
  // The infrared window on the top edge.
  const QLinearGradient lens =
      Ramp(QPointF(0, 6), QPointF(0, 13), {{0, QColor(0x6a, 0x10, 0x18)}, {1, QColor(0x25, 0x04, 0x08)}});
  p.setPen(QPen(QColor(0, 0, 0, 160), 0.8));
  p.setBrush(lens);
  p.drawRoundedRect(QRectF(112, 7.5, 57, 6), 3, 3);
}

void PaintHead(QPainter& p) {
  const QLinearGradient gloss =
      Ramp(kHead.topLeft(), kHead.bottomLeft(),
           {{0, QColor(0x2a, 0x2e, 0x34)}, {0.5, QColor(0x12, 0x14, 0x17)}, {1, QColor(0x0b, 0x0c, 0x0e)}});
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(gloss);
  p.drawRoundedRect(kHead, 16, 16);
  p.setPen(QPen(QColor(255, 255, 255, 45), 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(kHead.adjusted(1, 1, -1, -1), 15, 15);

  p.setFont(SkinFont(11, true));
  p.setPen(QColor(0xe8, 0xec, 0xf0));
  p.drawText(QRectF(30, 25, 48, 17), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("OKA"));
  p.setPen(GlowColor());
  p.drawText(QRectF(58, 25, 50, 17), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PVX"));
  DrawLegend(p, QRectF(172, 27, 78, 8), QStringLiteral("TV  RECORDER"), 7, QColor(0x9a, 0xa3, 0xae),
             Qt::AlignRight | Qt::AlignVCenter);
  DrawLegend(p, QRectF(172, 35, 78, 7), QStringLiteral("VIRTUAL TUNER"), 6, QColor(0x6c, 0x75, 0x80),
             Qt::AlignRight | Qt::AlignVCenter);

  DrawDisplay(p, kDisplay, 4);
  // A speaker grille to the right of the display.
  p.setPen(Qt::NoPen);
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 4; ++col) {
      const QPointF c(223 + col * 7.5 + (row % 2) * 3.75, 52 + row * 7.5);
      if (c.x() > 252) continue;
      p.setBrush(QColor(0, 0, 0, 230));
      p.drawEllipse(c, 1.8, 1.8);
      p.setBrush(QColor(255, 255, 255, 22));
      p.drawEllipse(c + QPointF(0, 0.9), 1.2, 0.7);
    }
}

// Moulded finger grips down both sides of the lower body.
void PaintGrips(QPainter& p) {
  for (const qreal x : {13.0, 256.0})
    for (int i = 0; i < 9; ++i) {
      const QRectF rib(x, 204 + i * 7, 12, 3);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0, 0, 0, 110));
      p.drawRoundedRect(rib, 1.5, 1.5);
      p.setPen(QPen(QColor(255, 255, 255, 30), 0.8));
      p.drawLine(QPointF(rib.left() + 1.5, rib.bottom() + 0.6), QPointF(rib.right() - 1.5, rib.bottom() + 0.6));
    }
}

void PaintLegends(QPainter& p) {
  const QColor ink = LegendInk();
  DrawGlyph(p, TGlyph::Speaker, QRectF(132, 108, 14, 13), ink);
  DrawLegend(p, QRectF(150, 165, 30, 9), QStringLiteral("VOL"), 7, ink);
  DrawLegend(p, QRectF(218, 165, 30, 9), QStringLiteral("VOL"), 7, ink);
  DrawLegend(p, QRectF(151, 142.5, 28, 7), QStringLiteral("CH"), 6, ink);
  DrawLegend(p, QRectF(218, 142.5, 28, 7), QStringLiteral("CH"), 6, ink);
  DrawLegend(p, QRectF(52, 238, 34, 9), QStringLiteral("REC"), 7, ink);
  DrawLegend(p, QRectF(198, 239, 38, 9), QStringLiteral("T-SHIFT"), 6, ink);
  DrawLegend(p, QRectF(100, 285, 84, 9), QStringLiteral("OKA  PVX"), 7, QColor(0x8c, 0x95, 0xa0));
}

// The body with everything that never changes: shell, head, display windows, wells, legends.
QImage PaintBody(qreal dpr, const QVector<QRect>& outline) {
  QImage image = NewSurface(kSize, dpr);
  QPainter p(&image);
  PrepareForArt(p);
  PaintShell(p, outline);
  PaintHead(p);
  DrawDeck(p, kDeck);
  PaintGrips(p);
  DrawDisplay(p, kChannelDisplay, 3);
  for (const TKeySpec& key : Keys()) DrawKeyWell(p, Item(key.Item), key.Round);
  DrawGroove(p, QRectF(Item(TUIInfo::kTVPositionBar)).adjusted(-1, -1, 1, 1), QColor(0x0e, 0x10, 0x12));
  DrawGroove(p, QRectF(Item(TUIInfo::kTVVolumeSlider)).adjusted(-1, -1, 1, 1), QColor(0x0e, 0x10, 0x12));
  PaintLegends(p);
  return image;
}

// The position bar: an empty track when enabled, the played colour in the hover look.
void PaintPositionBar(QPainter& p, TLook look) {
  const QRect bar = Item(TUIInfo::kTVPositionBar);
  Clipped(p, bar, [&] { DrawBarTrack(p, QRectF(bar), look); });
  if (look != TLook::Hover) return;
  Clipped(p, kKnobPicture, [&] {
    const QRectF knob = QRectF(kKnobPicture).adjusted(0.5, 0.5, -0.5, -0.5);
    const QLinearGradient face =
        Ramp(knob.topLeft(), knob.topRight(),
             {{0, QColor(0xe9, 0xf8, 0xff)}, {0.5, GlowColor()}, {1, QColor(0x1f, 0x7e, 0xb8)}});
    p.setPen(QPen(QColor(0x06, 0x2a, 0x40), 0.8));
    p.setBrush(face);
    p.drawRoundedRect(knob, 2.4, 2.4);
    p.setPen(QPen(QColor(0x06, 0x2a, 0x40, 160), 0.7));
    for (qreal y : {97.0, 98.5, 100.0}) p.drawLine(QPointF(knob.left() + 1.5, y), QPointF(knob.right() - 1.5, y));
  });
}

}  // namespace

TSkinArt PaintTVSkin(qreal devicePixelRatio) {
  TSkinArt art;
  art.Size = kSize;
  art.Outline = RoundedOutline(kBody, kBodyRadius);
  art.LabelColor = QColor(0x9c, 0xec, 0xff);
  const QImage body = PaintBody(devicePixelRatio, art.Outline);
  PaintLooks(art, body, [](QPainter& p, TLook look) {
    DrawKeys(p, look, Keys(), Item);
    PaintPositionBar(p, look);
    Clipped(p, Item(TUIInfo::kTVVolumeSlider), [&] { DrawVolumeRamp(p, Item(TUIInfo::kTVVolumeSlider), look); });
    Clipped(p, Item(TUIInfo::kTVMuteIndicator), [&] { DrawMuteLed(p, Item(TUIInfo::kTVMuteIndicator), look); });
  });
  return art;
}

}  // namespace pvx::panels
