#pragma once
// A skin is data plus a painter: the four full-size looks of a panel (disabled, enabled,
// pressed, hover) and the outline that shapes its window. The panels only copy item
// rectangles out of these pictures, so a later skin can replace the painter.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QVector>

namespace pvx::panels {

struct TSkinArt {
  QSize Size;                   // in skin pixels; every rectangle of the item tables lies inside
  QImage Disabled, Enabled, Pressed, Hover;  // Size x device-pixel ratio, with that ratio set
  QImage UnderLayer;            // optional backdrop shown under the skin (the FM panel's)
  QVector<QRect> Outline;       // the window's shape in skin pixels; empty keeps it rectangular
  QColor LabelColor = Qt::black;  // the panel's text labels, legible on this skin's display windows

  bool IsValid() const { return !Enabled.isNull(); }
};

// The built-in artwork, drawn by the program at the given device-pixel ratio.
TSkinArt PaintTVSkin(qreal devicePixelRatio);
TSkinArt PaintFMSkin(qreal devicePixelRatio);

}  // namespace pvx::panels
