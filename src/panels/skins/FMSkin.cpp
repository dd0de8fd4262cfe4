// The FM panel: a wide tuner front on a dark chassis, with a speaker grille, a backlit
// display, an amber dial window, a memory keypad and a round transport deck.

#include <QLinearGradient>
#include <QPainterPath>

#include "panels/FMPanelRules.h"
#include "panels/UIInfo.h"
#include "panels/skins/SkinPainter.h"

namespace pvx::panels {

namespace {

using namespace skins;

const QSize kSize(655, 175);
const QRect kChassis(8, 10, 639, 160);
constexpr int kChassisRadius = 24;
const QRectF kFace(12.5, 14.5, 630, 150);
const QRectF kDisplayPanel(68, 19, 220, 61);
const QRectF kDisplay(78, 25, 190, 50);
const QRectF kDialWindow(60, 84, 232, 37);
// The round deck around the transport keys, centred on Pause.
const QRectF kDeck(453, 34, 120, 120);
// The position bar is drawn 6 pixels taller above and below its item rectangle.
constexpr int kBarOverhang = 6;
constexpr double kBandLow = 76, kBandHigh = 108;
const QColor kAmber(0xff, 0xb0, 0x40);

QRect Item(int index) {
  const TUIItemDef& d = TUIInfo::FMTable()[size_t(index)];
  return {d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top};
}

const QVector<TKeySpec>& Keys() {
  static const QVector<TKeySpec> keys = WithDigitKeys(7, {
      {0, TKeyTone::Graphite, TGlyph::Minimise, nullptr, 8, true},
      {1, TKeyTone::Graphite, TGlyph::Close, nullptr, 8, true},
      {2, TKeyTone::Graphite, TGlyph::Help, nullptr, 8, true},
      {3, TKeyTone::Graphite, TGlyph::Calendar},
      {4, TKeyTone::Graphite, TGlyph::Text, "SETUP", 8},
      {5, TKeyTone::Graphite, TGlyph::Text, "MEMO", 8},
      {6, TKeyTone::Accent, TGlyph::Text, "TV", 9},
      {17, TKeyTone::Graphite, TGlyph::Enter},
      {18, TKeyTone::Graphite, TGlyph::Recall},
      {19, TKeyTone::Graphite, TGlyph::Next},
      {20, TKeyTone::Graphite, TGlyph::Previous},
      {21, TKeyTone::Graphite, TGlyph::Up},
      {22, TKeyTone::Graphite, TGlyph::Down},
      {25, TKeyTone::Graphite, TGlyph::SpeakerMuted},
      {26, TKeyTone::Silver, TGlyph::Play},
      {27, TKeyTone::Silver, TGlyph::Pause, nullptr, 8, true},
      {28, TKeyTone::Silver, TGlyph::Stop},
      {29, TKeyTone::Silver, TGlyph::Forward},
      {30, TKeyTone::Silver, TGlyph::Backward},
      {31, TKeyTone::Red, TGlyph::Record, nullptr, 8, true},
  });
  return keys;
}

qreal DialX(double mhz) {
  const QRect dial = Item(TUIInfo::kFMDial);
  return dial.left() + (mhz - kBandLow) / (kBandHigh - kBandLow) * dial.width();
}

// The chassis alone: the backdrop the panel may show under its skin.
QImage PaintUnderLayer(qreal dpr, const QVector<QRect>& outline) {
  QImage image = NewSurface(kSize, dpr);
  QPainter p(&image);
  PrepareForArt(p);
  FillOutline(p, outline, QColor(0x0d, 0x0e, 0x10));
  const QRectF chassis = QRectF(kChassis).adjusted(0.5, 0.5, -0.5, -0.5);
  const QLinearGradient shade =
      Ramp(chassis.topLeft(), chassis.bottomLeft(), {{0, QColor(0x3a, 0x3f, 0x46)}, {1, QColor(0x16, 0x18, 0x1b)}});
  p.setPen(QPen(QColor(0, 0, 0, 220), 1));
  p.setBrush(shade);
  p.drawRoundedRect(chassis, kChassisRadius, kChassisRadius);
  p.setPen(QPen(QColor(255, 255, 255, 60), 0.8));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(chassis.adjusted(1, 1, -1, -1), kChassisRadius - 1, kChassisRadius - 1);
  return image;
}

void PaintFace(QPainter& p) {
  const QLinearGradient shade =
      Ramp(kFace.topLeft(), kFace.bottomLeft(),
           {{0, QColor(0x5a, 0x62, 0x6d)}, {0.4, QColor(0x3f, 0x45, 0x4e)}, {1, QColor(0x27, 0x2b, 0x31)}});
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(shade);
  p.drawRoundedRect(kFace, kChassisRadius - 4, kChassisRadius - 4);
  // Fine horizontal brushing.
  for (qreal y = kFace.top() + 3; y < kFace.bottom() - 3; y += 2) {
    p.setPen(QPen(QColor(255, 255, 255, (int(y) % 3) ? 6 : 11), 0.5));
    p.drawLine(QPointF(kFace.left() + 14, y), QPointF(kFace.right() - 14, y));
  }
  const QLinearGradient bevel =
      Ramp(kFace.topLeft(), kFace.bottomLeft(),
           {{0, QColor(255, 255, 255, 130)}, {0.5, QColor(255, 255, 255, 15)}, {1, QColor(0, 0, 0, 150)}});
  p.setPen(QPen(QBrush(bevel), 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(kFace.adjusted(1.2, 1.2, -1.2, -1.2), kChassisRadius - 5, kChassisRadius - 5);
}

void PaintGrille(QPainter& p) {
  const QRectF area(20, 28, 38, 124);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x12, 0x14, 0x17));
  p.drawRoundedRect(area.adjusted(-3, -3, 3, 3), 8, 8);
  for (int row = 0; row < 17; ++row)
    for (int col = 0; col < 5; ++col) {
      const QPointF c(area.left() + 4 + col * 7.5 + (row % 2) * 3.75, area.top() + 4 + row * 7);
      if (c.x() > area.right() - 2) continue;
      p.setBrush(QColor(0, 0, 0));
      p.drawEllipse(c, 1.9, 1.9);
      p.setBrush(QColor(255, 255, 255, 26));
      p.drawEllipse(c + QPointF(0, 1.1), 1.3, 0.6);
    }
}

void PaintDialWindow(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x08, 0x09, 0x0a));
  p.drawRoundedRect(kDialWindow.adjusted(-1.5, -1.5, 1.5, 1.5), 5, 5);
  const QLinearGradient glass =
      Ramp(kDialWindow.topLeft(), kDialWindow.bottomLeft(),
           {{0, QColor(0x1c, 0x14, 0x0a)}, {0.6, QColor(0x2a, 0x1d, 0x0c)}, {1, QColor(0x18, 0x11, 0x08)}});
  p.setBrush(glass);
  p.drawRoundedRect(kDialWindow, 4, 4);
  // The printed scale: a tick per megahertz, long ticks and numbers every four.
  const QRect dial = Item(TUIInfo::kFMDial);
  for (int mhz = int(kBandLow); mhz <= int(kBandHigh); ++mhz) {
    const qreal x = DialX(mhz);
    const bool major = mhz % 4 == 0;
    QColor ink = kAmber;
    ink.setAlpha(major ? 240 : 150);
    p.setPen(QPen(ink, major ? 1.0 : 0.7));
    p.drawLine(QPointF(x, dial.top() - (major ? 6.5 : 3.5)), QPointF(x, dial.top() - 1));
    p.drawLine(QPointF(x, dial.bottom() + 2), QPointF(x, dial.bottom() + (major ? 5.5 : 3.5)));
    if (major && mhz >= int(kFMDialLow / 1000000))
      DrawLegend(p, QRectF(x - 12, 87, 24, 10), QString::number(mhz), 8, kAmber, Qt::AlignCenter, false);
  }
  DrawLegend(p, QRectF(64, 87, 40, 10), QStringLiteral("FM  MHz"), 7, QColor(0xc8, 0x8a, 0x30),
             Qt::AlignLeft | Qt::AlignVCenter);
  const QLinearGradient sheen = Ramp(kDialWindow.topLeft(), kDialWindow.bottomLeft(),
                                     {{0, QColor(255, 255, 255, 22)}, {0.45, QColor(255, 255, 255, 0)}});
  p.setPen(Qt::NoPen);
  p.setBrush(sheen);
  p.drawRoundedRect(kDialWindow, 4, 4);
}

void PaintLegends(QPainter& p) {
  const QColor ink = LegendInk();
  DrawLegend(p, QRectF(301, 27, 80, 10), QStringLiteral("VOLUME"), 7, ink, Qt::AlignLeft | Qt::AlignVCenter);
  DrawGlyph(p, TGlyph::Speaker, QRectF(443, 37, 13, 14), ink);
  DrawLegend(p, QRectF(300, 59, 131, 10), QStringLiteral("MEMORY"), 7, ink);
  p.setPen(QPen(QColor(ink.red(), ink.green(), ink.blue(), 90), 0.8));
  p.drawLine(QPointF(302, 64.5), QPointF(342, 64.5));
  p.drawLine(QPointF(389, 64.5), QPointF(429, 64.5));
  DrawLegend(p, QRectF(196, 124, 42, 10), QStringLiteral("MUTE"), 7, ink, Qt::AlignRight | Qt::AlignVCenter);
  DrawLegend(p, QRectF(588, 107, 38, 9), QStringLiteral("REC"), 7, ink);
  DrawLegend(p, QRectF(574, 132, 64, 12), QStringLiteral("OKA PVX"), 10, QColor(0xe4, 0xe8, 0xec));
  DrawLegend(p, QRectF(574, 144, 64, 9), QStringLiteral("FM  TUNER"), 7, GlowColor());
}

// Everything that never changes: chassis, face, grille, windows, wells and legends.
QImage PaintBody(const QImage& underLayer) {
  QImage image = underLayer.copy();
  image.setDevicePixelRatio(underLayer.devicePixelRatio());
  QPainter p(&image);
  PrepareForArt(p);
  PaintFace(p);
  PaintGrille(p);
  p.setPen(QPen(QColor(0, 0, 0, 200), 1));
  p.setBrush(QColor(0x0b, 0x0c, 0x0e));
  p.drawRoundedRect(kDisplayPanel, 9, 9);
  DrawDisplay(p, kDisplay, 4);
  PaintDialWindow(p);
  DrawDeck(p, kDeck);
  for (const TKeySpec& key : Keys()) DrawKeyWell(p, Item(key.Item), key.Round);
  DrawGroove(p, QRectF(Item(TUIInfo::kFMVolumeSlider)).adjusted(-1, -1, 1, 1), QColor(0x0e, 0x10, 0x12));
  DrawGroove(p, QRectF(Item(TUIInfo::kFMPositionBar)).adjusted(-1, -1, 1, 1), QColor(0x0e, 0x10, 0x12));
  PaintLegends(p);
  return image;
}

// The position bar with its overhang: a track, faint ticks when enabled, a glow when hovered.
void PaintPositionBar(QPainter& p, TLook look) {
  const QRect bar = Item(TUIInfo::kFMPositionBar);
  const QRect drawn = bar.adjusted(0, -kBarOverhang, 0, kBarOverhang);
  Clipped(p, drawn, [&] {
    if (look == TLook::Hover) {
      QColor glow = GlowColor();
      QLinearGradient halo(drawn.topLeft(), drawn.bottomLeft());
      glow.setAlpha(0);
      halo.setColorAt(0, glow);
      glow.setAlpha(90);
      halo.setColorAt(0.5, glow);
      glow.setAlpha(0);
      halo.setColorAt(1, glow);
      p.fillRect(drawn, halo);
    }
    if (look == TLook::Enabled) {
      p.setPen(QPen(QColor(255, 255, 255, 60), 0.8));
      for (int x = bar.left() + 1; x < bar.right(); x += 11) {
        p.drawLine(QPointF(x + 0.5, bar.top() - 4), QPointF(x + 0.5, bar.top() - 2));
        p.drawLine(QPointF(x + 0.5, bar.bottom() + 3), QPointF(x + 0.5, bar.bottom() + 5));
      }
    }
    DrawBarTrack(p, QRectF(bar), look);
  });
}

// The tuning strip: dark when disabled (the panel's clean dial), lit amber otherwise.
void PaintDial(QPainter& p, TLook look) {
  const QRect dial = Item(TUIInfo::kFMDial);
  Clipped(p, dial, [&] {
    QColor bed = kAmber;
    switch (look) {
      case TLook::Disabled: bed = QColor(0x3a, 0x2a, 0x14); break;
      case TLook::Pressed: bed = kAmber.darker(170); break;
      case TLook::Hover: bed = kAmber.lighter(125); break;
      case TLook::Enabled: break;
    }
    DrawGroove(p, QRectF(dial), bed);
  });
}

// The red needle the panel moves along the dial; the disabled look leaves its place empty.
void PaintNeedle(QPainter& p, TLook look) {
  if (look == TLook::Disabled) return;
  const QRect knob = Item(TUIInfo::kFMDialKnob);
  Clipped(p, knob, [&] {
    const qreal x = QRectF(knob).center().x();
    QColor red(0xff, 0x2e, 0x22);
    if (look == TLook::Pressed) red = red.darker(140);
    QColor halo = look == TLook::Hover ? QColor(0xff, 0x8a, 0x60, 140) : QColor(0xff, 0x40, 0x20, 70);
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawRoundedRect(QRectF(x - 2.6, knob.top() + 1, 5.2, knob.height() - 2), 2.6, 2.6);
    p.setBrush(red);
    p.drawRect(QRectF(x - 0.8, knob.top() + 1, 1.6, knob.height() - 2));
    p.drawPolygon(QPolygonF{{x - 3.2, qreal(knob.top())}, {x + 3.2, qreal(knob.top())}, {x, knob.top() + 4.0}});
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawRect(QRectF(x - 0.3, knob.top() + 4, 0.5, knob.height() - 6));
  });
}

}  // namespace

TSkinArt PaintFMSkin(qreal devicePixelRatio) {
  TSkinArt art;
  art.Size = kSize;
  art.Outline = RoundedOutline(kChassis, kChassisRadius);
  art.LabelColor = QColor(0x9c, 0xec, 0xff);
  art.UnderLayer = PaintUnderLayer(devicePixelRatio, art.Outline);
  const QImage body = PaintBody(art.UnderLayer);
  PaintLooks(art, body, [](QPainter& p, TLook look) {
    DrawKeys(p, look, Keys(), Item);
    PaintPositionBar(p, look);
    Clipped(p, Item(TUIInfo::kFMVolumeSlider), [&] { DrawVolumeRamp(p, Item(TUIInfo::kFMVolumeSlider), look); });
    Clipped(p, Item(TUIInfo::kFMMuteIndicator), [&] { DrawMuteLed(p, Item(TUIInfo::kFMMuteIndicator), look); });
    PaintDial(p, look);
    PaintNeedle(p, look);
  });
  return art;
}

}  // namespace pvx::panels
