#pragma once
// The TV panel: the remote control that sits beside the main window in every mode but FM.
// A shaped skin with the TV rows of the item table, a small display (TMainPanelDisplay: clock,
// state, channel, TV sound, recorded size and time), the volume slider and the play-position
// bar (TMainPanelSliders) and the input-source pop-up. The panel decides which items are
// usable and when each part is updated. Buttons run their commands through the environment's
// item table; everything else the panel needs comes from TPanelEnvironment too.

#include <QMenu>
#include <array>
#include <memory>

#include "panels/MainPanelDisplay.h"
#include "panels/MainPanelSliders.h"
#include "panels/PanelEnvironment.h"
#include "panels/SkinPanel.h"
#include "settings/MainInfo.h"

namespace pvx::platform {
class TTimer;
}

namespace pvx::panels {

class TFormMainPanel final : public TSkinPanel {
  Q_OBJECT
 public:
  // A tool window: no task-bar entry, no frame; shaped by the painter's outline.
  TFormMainPanel(TSkinPanel::TPainter painter, TPanelEnvironment env, QWidget* parent = nullptr);
  ~TFormMainPanel() override;

  // --- receivers of the program's events. Those marked (shown) act only while the panel is
  // --- visible; showing it draws the current mode, source, channel and volume anew.
  // (shown) MainInfo.OnModeChange: state text, which items are enabled, the source pop-up's
  // FM item. Nothing in amFMRadio.
  void UpdateForMode(settings::TAppMode mode);
  // (shown) AudioAdjustInfo.OnVolumeChange: the slider's lit part (0..65535 over its width) and the
  // mute indicator, lit while muted.
  void ShowVolume(qint32 volume, bool muted);
  // HotkeyControlInfo.OnTextChange: the digits typed so far replace the channel number.
  void ShowEntryText(const QString& text);
  // ChannelInfo.OnChannelChange: the channel number, one leading space below 10 (" 7").
  void ShowChannel(int channel);
  // ChannelInfo.OnTableChange (0 antenna, 1 cable, 2 memory): in amTV the state text names it.
  void ShowTableChange(int table);
  // The channel model's OnSourceChange: reads its VideoSource() and CurrentTable; the channel
  // keys follow the source.
  void ShowSourceChange();
  // ChannelInfo.OnAudioModeChange's name ("Mono", "Stereo" ...).
  void ShowTVAudioText(const QString& text);
  // ChannelInfo.OnStandardChange, as text (the label stays hidden, as designed).
  void ShowVideoStandardText(const QString& text);
  // (shown) CaptureInfo.OnCaptureProgress: `third` is the engine's third count (free space less
  // 500000 bytes), the base of the time-shift fill percentage.
  void ShowCaptureProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes, qint64 third);
  // (shown) CaptureInfo.OnTimeShiftReady: Play follows it.
  void SetTimeShiftReady(bool ready);
  // (shown) The players' one-second reports, in whole seconds; a duration of 0 leaves the bar empty.
  void ShowPlayPosition(bool timeShift, qint64 positionSeconds, qint64 durationSeconds);
  // A player started running (Pause usable) or paused (Play usable).
  void SetRunning(bool running);
  // Start-up's device check: the source pop-up offers FM only with a tuner.
  void ShowCapabilities(bool hasTuner);
  // The sleep timer was set (minutes above 0) or cleared.
  void ShowSleepLabel(bool visible);
  // Language texts for the item hints, the source captions and the display font.
  void ApplyPanelLanguage();
  // Over the full-screen picture: on shows the panel topmost and focused, off hides it.
  void SetFloating(bool on);
  bool Floating() const { return floating_; }

  // The state text in live TV: the list, input or "Live".
  QString SourceText() const;
  QMenu* PopupMenuInputSource() const { return popupSource_; }
  // The one-second clock; runs while the panel is shown.
  platform::TTimer& TimerShowTime() { return *timerShowTime_; }

 protected:
  bool IsSliderItem(int index) const override;
  void SliderInput(int index, QPoint p, bool released) override;
  void RunItem(int index) override;
  void RedrawAll() override;

  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void CreateSourceMenu();
  void FormShow();
  void TimerShowTimeTimer();
  void ShowMainMenu(QPoint skinPoint);

  // The enabled flag of every TV item in a mode, by the current source, mixer and players.
  std::array<bool, TUIInfo::kTVCount> EnabledFlags(settings::TAppMode mode) const;
  bool HasMixer() const;
  bool TunerSource() const;
  bool Asks(const std::function<bool()>& question) const { return question && question(); }
  // The source pop-up's caption for a source or tuner table.
  QString SourceCaption(int menuIndex) const;
  void UpdateFMItem();

  TPanelEnvironment env_;
  TMainPanelDisplay display_;
  TMainPanelSliders sliders_;
  QMenu* popupSource_ = nullptr;
  std::unique_ptr<platform::TTimer> timerShowTime_;
  bool floating_ = false;
  bool hasTuner_ = false;
};

}  // namespace pvx::panels
