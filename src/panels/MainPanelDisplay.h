#pragma once
// The TV panel's small display: the labels for the clock, the state, the recorded size and
// time, the play position, the channel, the TV sound, the video standard and "Sleep". It
// turns what it is told into their texts and visibility; which event calls what, and when,
// is the panel's business. It reads no globals.

#include <QColor>
#include <QLabel>
#include <QString>
#include <array>

#include "settings/MainInfo.h"

class QDateTime;
class QWidget;

namespace pvx::panels {

class TMainPanelDisplay {
 public:
  // Creates the labels on `parent`, which owns them, in the skin's label colour.
  TMainPanelDisplay(QWidget* parent, const QColor& color);
  TMainPanelDisplay(const TMainPanelDisplay&) = delete;
  TMainPanelDisplay& operator=(const TMainPanelDisplay&) = delete;

  // The state text a mode shows ("REC", "Play", "Time-Shifting"); live TV shows `sourceText`
  // and empty counters. Other modes leave the display as it is.
  void ShowMode(settings::TAppMode mode, const QString& sourceText);
  void ShowStateText(const QString& text);
  // The language's font size (points) sets the state text's, in the display's pixels.
  void SetStateFontSize(int languagePointSize);

  // A recording's size in MB, or the time-shift buffer's fill against `third`; the elapsed
  // time unless `keepPosition` (a time-shift playback shows its own position there).
  void ShowCaptureProgress(bool timeShift, bool keepPosition, qint64 elapsedSeconds, qint64 bytes, qint64 third);
  // A playback's position and length; time-shift shows both as "position/length".
  void ShowPlayTimes(bool timeShift, qint64 positionSeconds, qint64 durationSeconds);

  // The channel number, one leading space below 10 (" 7"), or the digits typed so far.
  void ShowChannel(int channel);
  void ShowChannelText(const QString& text);
  void SetChannelShown(bool shown);
  void ShowTVAudioText(const QString& text);
  void SetTVAudioShown(bool shown);
  void ShowVideoStandardText(const QString& text);

  void ShowClock(const QDateTime& now);
  // The one-second tick: the clock; the state text blinks while recording and "Sleep" while
  // the sleep timer runs.
  void Tick(const QDateTime& now, bool recording, bool sleepRunning);
  void SetSleepShown(bool shown);

 private:
  enum TLabel { lbTime, lbDuration, lbCurretPos, lbDVCRState, lbVideoStandard, lbTVChannelAudio,
                lbChannel, lbSleep, kLabelCount };

  QLabel* Label(TLabel which) const { return labels_[which]; }

  std::array<QLabel*, kLabelCount> labels_{};
};

}  // namespace pvx::panels
