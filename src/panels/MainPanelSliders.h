#pragma once
// The TV panel's value-showing items: the volume slider with its mute indicator, and the
// play-position bar with its knob. Remembers what they show, so a mode change or a new skin
// draws them again, and draws them on the panel's skin in the looks their flags call for.

#include <QtGlobal>

namespace pvx::panels {

class TSkinPanel;

class TMainPanelSliders {
 public:
  // `panel` holds the TV rows of the item table and outlives this.
  explicit TMainPanelSliders(TSkinPanel& panel) : panel_(panel) {}

  // Volume 0..65535 over the slider's width; the indicator is lit while muted.
  void SetVolume(qint32 volume, bool muted);
  void DrawVolume();
  // Whole seconds; a duration of 0 leaves the bar empty.
  void SetPosition(qint64 position, qint64 duration);
  void DrawPosition();
  // Each by its enabled flag: the values, or the disabled look.
  void Redraw();

 private:
  TSkinPanel& panel_;
  qint32 volume_ = 0;
  bool muted_ = false;
  qint64 position_ = 0, duration_ = 0;
};

}  // namespace pvx::panels
