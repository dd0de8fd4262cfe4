#include "panels/MainPanelSliders.h"

#include <algorithm>

#include "panels/SkinPanel.h"

namespace pvx::panels {

namespace {

// The knob's picture in the hover look; copies of it ride on the play position, in its rows.
const QRect kKnobPicture(30, 92, 6, 13);

// Everything the knob can cover, cleaned before each drawing of the bar.
QRect KnobBand(const TUIItemRecord& bar) {
  const int half = kKnobPicture.width() / 2;
  return QRect(QPoint(bar.Left - half, kKnobPicture.top()), QPoint(bar.Right + half, bar.Bottom - 1));
}

}  // namespace

void TMainPanelSliders::SetVolume(qint32 volume, bool muted) {
  volume_ = volume;
  muted_ = muted;
}

void TMainPanelSliders::SetPosition(qint64 position, qint64 duration) {
  position_ = position;
  duration_ = duration;
}

void TMainPanelSliders::Redraw() {
  if (panel_.Item(TUIInfo::kTVVolumeSlider).Enabled)
    DrawVolume();
  else
    for (int i : {TUIInfo::kTVMuteIndicator, TUIInfo::kTVVolumeSlider}) panel_.DrawItem(i, TSkinPanel::lkDisabled);
  if (panel_.Item(TUIInfo::kTVPositionBar).Enabled)
    DrawPosition();
  else
    panel_.DrawLook(KnobBand(panel_.Item(TUIInfo::kTVPositionBar)), TSkinPanel::lkDisabled);
}

void TMainPanelSliders::DrawVolume() {
  panel_.DrawItem(TUIInfo::kTVMuteIndicator, muted_ ? TSkinPanel::lkEnabled : TSkinPanel::lkDisabled);
  const TUIItemRecord& slider = panel_.Item(TUIInfo::kTVVolumeSlider);
  const int width = slider.Right - slider.Left;
  qint64 scaled = qint64(volume_) * width;
  if (scaled < 0) scaled += 65535;
  const int lit = int(std::clamp<qint64>(scaled / 65536, 0, width));
  panel_.DrawItem(TUIInfo::kTVVolumeSlider, TSkinPanel::lkDisabled);
  panel_.DrawLook(QRect(slider.Left, slider.Top, lit, slider.Bottom - slider.Top), TSkinPanel::lkEnabled);
}

void TMainPanelSliders::DrawPosition() {
  const TUIItemRecord& bar = panel_.Item(TUIInfo::kTVPositionBar);
  const int width = bar.Right - bar.Left;
  // Nothing is known of a stream without a length yet: the bar stays empty.
  const int played = duration_ > 0 ? int(std::clamp<qint64>(position_ * width / duration_, 0, width)) : 0;
  panel_.DrawLook(KnobBand(bar), TSkinPanel::lkEnabled);
  panel_.DrawLook(QRect(bar.Left, bar.Top, played, bar.Bottom - bar.Top), TSkinPanel::lkHover);
  QRect knob = kKnobPicture;
  knob.moveLeft(bar.Left + played - kKnobPicture.width() / 2);
  panel_.DrawLookAt(kKnobPicture, knob, TSkinPanel::lkHover);
}

}  // namespace pvx::panels
