#pragma once
// A skin whose four looks are flat colours (disabled grey, enabled white, pressed blue, hover
// green), so a pixel tells which look an item shows.

#include <QImage>

#include "panels/SkinArt.h"
#include "panels/SkinPanel.h"
#include "panels/UIInfo.h"

namespace pvx::panels::test {

inline const QColor kGrey(Qt::gray), kWhite(Qt::white), kBlue(Qt::blue), kGreen(Qt::green);

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

// A bare panel over the TV items of `ui`, the position bar and the volume slider its sliders;
// it logs the items it runs and the slider values it is given.
class TTestPanel final : public TSkinPanel {
 public:
  explicit TTestPanel(TUIInfo& ui)
      : TSkinPanel(FlatArt({281, 303}), ui.TVItems.data(), TUIInfo::kTVCount, 38,
                   TUIInfo::kTVMuteIndicator) {}
  QColor Look(QPoint p) const { return Shown().pixelColor(p); }
  QColor LookOf(int item) const { return Look(Item(item).Rect().center()); }

  std::vector<int> ran;
  std::vector<std::pair<int, bool>> slid;

 protected:
  bool IsSliderItem(int index) const override {
    return index == TUIInfo::kTVPositionBar || index == TUIInfo::kTVVolumeSlider;
  }
  void SliderInput(int index, QPoint p, bool released) override {
    slid.push_back({SliderValue(Item(index), p), released});
  }
  void RunItem(int index) override { ran.push_back(index); }
  void RedrawAll() override {}
};

}  // namespace pvx::panels::test
