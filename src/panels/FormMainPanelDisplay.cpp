// The TV panel's display: what the program's events do to the items and the labels.

#include "panels/FormMainPanel.h"

#include <algorithm>

#include "engine/AudioAdjustInfo.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "util/TimeFormat.h"

namespace pvx::panels {

using namespace settings;

namespace {

// The knob's picture in the hover look; copies of it ride on the play position, in its rows.
const QRect kKnobPicture(30, 92, 6, 13);

// Everything the knob can cover, cleaned before each drawing of the bar.
QRect KnobBand(const TUIItemRecord& bar) {
  const int half = kKnobPicture.width() / 2;
  return QRect(QPoint(bar.Left - half, kKnobPicture.top()), QPoint(bar.Right + half, bar.Bottom - 1));
}

bool Playing(TAppMode mode) { return mode == amPlayback || mode == amTimeShiftPlayback; }

}  // namespace

std::array<bool, TUIInfo::kTVCount> TFormMainPanel::EnabledFlags(TAppMode mode) const {
  const bool t = mode == amTV, tp = t && TunerSource(), p = Playing(mode), m = HasMixer();
  const bool channelKeys = tp || Asks(env_.PIPPlaying);
  std::array<bool, TUIInfo::kTVCount> on{};
  for (int i : {0, 1, 2, 4, 36}) on[size_t(i)] = true;
  for (int i : {3, 5, 8, 11, 34, 35}) on[size_t(i)] = t;
  on[6] = tp;
  on[7] = t || p;
  on[9] = channelKeys;
  for (int i = 12; i <= 25; ++i) on[size_t(i)] = channelKeys;
  for (int i : {26, 27, 28, 39}) on[size_t(i)] = m;
  on[29] = t || (mode == amTimeShifting && Asks(env_.TimeShiftReady));
  on[30] = p;
  on[31] = mode != amTV && mode != amChannelPreview;
  for (int i : {32, 33, 38}) on[size_t(i)] = p;
  return on;  // 10 (iEPG) and 37 (the mute indicator) never
}

void TFormMainPanel::UpdateForMode(TAppMode mode) {
  if (!isVisible() || mode == amFMRadio) return;
  switch (mode) {
    case amTV:
      Label(lbDVCRState)->setText(SourceText());
      Label(lbDuration)->setText(QStringLiteral(" 0MB"));
      Label(lbCurretPos)->setText(QStringLiteral("0:00:00"));
      break;
    case amCapture:
    case amScheduledCapture:
      Label(lbDVCRState)->setText(QStringLiteral("REC"));
      break;
    case amPlayback:
      Label(lbDVCRState)->setText(QStringLiteral("Play"));
      break;
    case amTimeShifting:
    case amTimeShiftPlayback:
      Label(lbDVCRState)->setText(QStringLiteral("Time-Shifting"));
      break;
    default:
      break;
  }
  // The sound mode means something only for a channel on the tuner.
  Label(lbTVChannelAudio)->setVisible(mode == amTV && TunerSource());
  const auto on = EnabledFlags(mode);
  for (int i = 0; i < TUIInfo::kTVCount; ++i) Item(i).Enabled = on[size_t(i)];
  for (int i = 0; i < TUIInfo::kTVMuteIndicator; ++i) RedrawItem(i);
  // A playback starts from an empty bar.
  if (!Playing(mode)) position_ = duration_ = 0;
  RedrawSliders();
  UpdateFMItem();
}

void TFormMainPanel::RedrawAll() {
  for (int i = 0; i < TUIInfo::kTVMuteIndicator; ++i) RedrawItem(i);
  RedrawSliders();
}

// The indicator, the volume slider and the position bar, which show values beside their flags.
void TFormMainPanel::RedrawSliders() {
  if (Item(TUIInfo::kTVVolumeSlider).Enabled)
    DrawVolume(volume_, muted_);
  else
    for (int i : {TUIInfo::kTVMuteIndicator, TUIInfo::kTVVolumeSlider}) DrawItem(i, lkDisabled);
  if (Item(TUIInfo::kTVPositionBar).Enabled)
    DrawPosition(position_, duration_);
  else
    DrawLook(KnobBand(Item(TUIInfo::kTVPositionBar)), lkDisabled);
}

void TFormMainPanel::ShowVolume(qint32 volume, bool muted) {
  volume_ = volume;
  muted_ = muted;
  if (isVisible()) DrawVolume(volume, muted);
}

void TFormMainPanel::DrawVolume(qint32 volume, bool muted) {
  DrawItem(TUIInfo::kTVMuteIndicator, muted ? lkEnabled : lkDisabled);
  const TUIItemRecord& slider = Item(TUIInfo::kTVVolumeSlider);
  const int width = slider.Right - slider.Left;
  qint64 scaled = qint64(volume) * width;
  if (scaled < 0) scaled += 65535;
  const int lit = int(std::clamp<qint64>(scaled / 65536, 0, width));
  DrawItem(TUIInfo::kTVVolumeSlider, lkDisabled);
  DrawLook(QRect(slider.Left, slider.Top, lit, slider.Bottom - slider.Top), lkEnabled);
}

void TFormMainPanel::ShowPlayPosition(bool timeShift, qint64 positionSeconds, qint64 durationSeconds) {
  position_ = positionSeconds;
  duration_ = durationSeconds;
  if (!isVisible()) return;
  const QString position = util::FormatSeconds(positionSeconds), duration = util::FormatSeconds(durationSeconds);
  if (timeShift) {
    Label(lbCurretPos)->setText(position + '/' + duration);
  } else {
    Label(lbDuration)->setText(duration);
    Label(lbCurretPos)->setText(position);
  }
  if (Item(TUIInfo::kTVPositionBar).Enabled) DrawPosition(positionSeconds, durationSeconds);
}

void TFormMainPanel::DrawPosition(qint64 position, qint64 duration) {
  const TUIItemRecord& bar = Item(TUIInfo::kTVPositionBar);
  const int width = bar.Right - bar.Left;
  // Nothing is known of a stream without a length yet: the bar stays empty.
  const int played = duration > 0 ? int(std::clamp<qint64>(position * width / duration, 0, width)) : 0;
  DrawLook(KnobBand(bar), lkEnabled);
  DrawLook(QRect(bar.Left, bar.Top, played, bar.Bottom - bar.Top), lkHover);
  QRect knob = kKnobPicture;
  knob.moveLeft(bar.Left + played - kKnobPicture.width() / 2);
  DrawLookAt(kKnobPicture, knob, lkHover);
}

void TFormMainPanel::ShowCaptureProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes, qint64 third) {
  if (!isVisible()) return;
  const QString elapsed = util::FormatSeconds(elapsedSeconds);
  if (timeShift) {
    // A base of 0 or less (a full disk) has no share to show.
    Label(lbDuration)->setText(bytes > 0 && third > 0 ? QString::asprintf("%.2f %%", double(bytes) * 100 / third)
                                                      : QString());
    if (MainInfo->Mode != amTimeShiftPlayback) Label(lbCurretPos)->setText(elapsed);
  } else {
    Label(lbDuration)->setText(QString::asprintf("%.2f MB", double(bytes) / 1000000));
    Label(lbCurretPos)->setText(elapsed);
  }
}

void TFormMainPanel::ShowEntryText(const QString& text) { Label(lbChannel)->setText(text); }

void TFormMainPanel::ShowChannel(int channel) {
  Label(lbChannel)->setText(QString::number(channel).rightJustified(2, ' '));
}

void TFormMainPanel::ShowTableChange(int table) {
  if (table < TChannelInfo::kAntenna || table > TChannelInfo::kMemory) return;
  // Elsewhere the state text tells the mode.
  if (MainInfo->Mode == amTV) Label(lbDVCRState)->setText(SourceCaption(table));
}

void TFormMainPanel::ShowSourceChange() {
  const bool tuner = TunerSource();
  if (MainInfo->Mode == amTV) Label(lbDVCRState)->setText(SourceText());
  Label(lbChannel)->setVisible(tuner);
  Label(lbTVChannelAudio)->setVisible(tuner && MainInfo->Mode == amTV);
  // The channel keys follow the source; the mode's rule also keeps them for a picture-in-picture.
  const auto on = EnabledFlags(MainInfo->Mode);
  for (int i : {6, 9}) Item(i).Enabled = on[size_t(i)];
  for (int i = 12; i <= 25; ++i) Item(i).Enabled = on[size_t(i)];
  for (int i = 6; i <= 35; ++i) RedrawItem(i);
}

void TFormMainPanel::ShowTVAudioText(const QString& text) { Label(lbTVChannelAudio)->setText(text); }

void TFormMainPanel::ShowVideoStandardText(const QString& text) { Label(lbVideoStandard)->setText(text); }

void TFormMainPanel::SetTimeShiftReady(bool ready) {
  if (!isVisible()) return;
  Item(TUIInfo::kTVPlay).Enabled = ready;
  RedrawItem(TUIInfo::kTVPlay);
}

void TFormMainPanel::SetRunning(bool running) {
  Item(TUIInfo::kTVPlay).Enabled = !running;
  Item(TUIInfo::kTVPause).Enabled = running;
  RedrawItem(TUIInfo::kTVPlay);
  RedrawItem(TUIInfo::kTVPause);
}

}  // namespace pvx::panels
