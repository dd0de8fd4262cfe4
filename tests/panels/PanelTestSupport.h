#pragma once
// A skin whose four looks are flat colours (disabled grey, enabled white, pressed blue, hover
// green), so a pixel tells which look an item shows.

#include <QImage>

#include "panels/SkinArt.h"
#include "panels/SkinPanel.h"

namespace pvx::panels::test {

inline TSkinPanel::TPainter FlatArt(QSize size) {
  return [size](qreal dpr) {
    TSkinArt art;
    art.Size = size;
    auto look = [&](Qt::GlobalColor colour) {
      QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(dpr);
      image.fill(colour);
      return image;
    };
    art.Disabled = look(Qt::gray);
    art.Enabled = look(Qt::white);
    art.Pressed = look(Qt::blue);
    art.Hover = look(Qt::green);
    return art;
  };
}

}  // namespace pvx::panels::test
