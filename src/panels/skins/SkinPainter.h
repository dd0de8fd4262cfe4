#pragma once
// Drawing pieces shared by the built-in skins: the surfaces at a device-pixel ratio, the
// four looks, keys, display windows, grooves, LEDs and the stair-stepped window outline.
// Everything is vector drawing in skin pixels, so a 2x picture is as crisp as its screen.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRect>
#include <QVector>
#include <array>
#include <functional>

#include "panels/SkinArt.h"
#include "panels/skins/SkinGlyphs.h"

namespace pvx::panels::skins {

enum class TLook { Disabled, Enabled, Pressed, Hover };
inline constexpr std::array<TLook, 4> kLooks{TLook::Disabled, TLook::Enabled, TLook::Pressed, TLook::Hover};

// The cap colours of a key family; the look shades them.
enum class TKeyTone { Graphite, Silver, Red, Accent };

// One key of a skin: the item it sits on, its cap and what is printed on it.
struct TKeySpec {
  int Item;
  TKeyTone Tone;
  TGlyph Glyph;
  const char* Text = nullptr;  // for TGlyph::Text
  int TextPx = 8;
  bool Round = false;
};

// The keys plus ten graphite digit keys "1" to "9" and "0" on the items from `firstItem` on.
QVector<TKeySpec> WithDigitKeys(int firstItem, QVector<TKeySpec> keys);

// A transparent ARGB picture of size x ratio device pixels that paints in skin pixels.
QImage NewSurface(const QSize& size, qreal devicePixelRatio);
// Antialiased painting with the shared render hints.
void PrepareForArt(QPainter& p);

// A linear gradient from `from` to `to` through the given stops.
QLinearGradient Ramp(const QPointF& from, const QPointF& to, std::initializer_list<std::pair<qreal, QColor>> stops);

QFont SkinFont(qreal pixelSize, bool bold = true, bool condensed = false);

// The outline of a rounded rectangle as pixel rows: one rectangle per row in the corner
// zones (a pixel belongs when its centre lies inside), one for the straight middle.
QVector<QRect> RoundedOutline(const QRect& body, int radius);
// Fills the outline rectangles, so antialiased edges never leave see-through pixels inside.
void FillOutline(QPainter& p, const QVector<QRect>& outline, const QColor& color);

// The ink of printed legends on the body.
QColor LegendInk();
void DrawLegend(QPainter& p, const QRectF& box, const QString& text, qreal px, const QColor& ink,
                Qt::Alignment align = Qt::AlignCenter, bool condensed = true);

// A key cap filling the item's rectangle in the given look; what is printed goes on top,
// shifted by one pixel when pressed.
void DrawKey(QPainter& p, const QRect& item, TLook look, const TKeySpec& key);
// Every key of a list in one look; `rectOf` answers an item's rectangle.
void DrawKeys(QPainter& p, TLook look, const QVector<TKeySpec>& keys, const std::function<QRect(int item)>& rectOf);
// The dark keyhole ring painted into the body under every key (the same in every look).
void DrawKeyWell(QPainter& p, const QRect& item, bool round = false);

// A backlit display window with a glass sheen.
void DrawDisplay(QPainter& p, const QRectF& box, qreal radius);
// A dished oval deck for the transport keys, lit from above.
void DrawDeck(QPainter& p, const QRectF& oval);
// A thin groove for sliders and bars.
void DrawGroove(QPainter& p, const QRectF& box, const QColor& bed);
// A round indicator lamp: lit or dark, with a halo when lit.
void DrawLed(QPainter& p, const QPointF& centre, qreal radius, const QColor& lit, qreal glow);

// A bar's track: dark when disabled, empty when enabled, the played colour in the hover look.
void DrawBarTrack(QPainter& p, const QRectF& bar, TLook look);
// A volume ramp of bars growing to the right: dark when disabled, lit when enabled.
void DrawVolumeRamp(QPainter& p, const QRect& slider, TLook look);
// The mute lamp: lit in the enabled look (muted), dark when disabled.
void DrawMuteLed(QPainter& p, const QRect& item, TLook look);

// Paints a look's item layer; each item draws only inside its own rectangle.
using TItemLayer = std::function<void(QPainter& p, TLook look)>;
// Builds the four looks from a shared body picture and the item layer.
void PaintLooks(TSkinArt& art, const QImage& body, const TItemLayer& items);

// Runs `draw` clipped to the rectangle, restoring the painter afterwards.
void Clipped(QPainter& p, const QRect& rect, const std::function<void()>& draw);

// The accent glow colour of hovered items.
QColor GlowColor();

}  // namespace pvx::panels::skins
