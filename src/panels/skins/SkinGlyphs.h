#pragma once
// The printed symbols of the skin keys, drawn as vector shapes so they stay crisp at any
// device-pixel ratio.

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace pvx::panels::skins {

enum class TGlyph {
  // clang-format off
  None, Text, Play, Pause, Stop, Forward, Backward, Record, TimeShift, Speaker, SpeakerMuted,
  Up, Down, Previous, Next, Plus, Minus, Enter, Recall, Camera, Calendar, Preview, Moon, Help,
  Minimise, Close
  // clang-format on
};

// Draws the glyph centred in the box in the ink colour; `text` and `px` serve TGlyph::Text.
void DrawGlyph(QPainter& p, TGlyph glyph, const QRectF& box, const QColor& ink, const char* text = nullptr,
               qreal px = 8);

}  // namespace pvx::panels::skins
