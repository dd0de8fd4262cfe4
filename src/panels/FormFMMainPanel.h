#pragma once
// The FM radio panel: the only window shown while the program plays FM radio. A skinned radio
// front with a tuning dial, memory-channel digit keys, seek and step keys, transport keys for
// recording and playing back, a volume slider and a mute indicator, and small display texts
// for the clock, the state, the memory channel and the frequency or the time.
//
// Its FM items in the environment's item table are the panel's buttons; their commands run
// through that table.
// The shell creates it hidden, shows and hides it with the FM mode, and relays the models'
// events to the receivers below.

#include <QMenu>

#include "panels/PanelEnvironment.h"
#include "panels/SkinPanel.h"
#include "platform/TTimer.h"
#include "settings/MainInfo.h"

class QLabel;

namespace pvx::panels {

class TFormFMMainPanel final : public TSkinPanel {
  Q_OBJECT
 public:
  TFormFMMainPanel(TSkinPanel::TPainter painter, TPanelEnvironment env, QWidget* parent = nullptr);

  // --- receivers of the shell's relays ----------------------------------------------------------
  // MainInfo.OnModeChange. While shown: the state text, the enabled keys and the menu follow
  // recording, playback and FM; other modes change nothing. Entering FM unmutes the card's line.
  void UpdateForMode(settings::TAppMode mode);
  // AudioAdjustInfo.OnVolumeChange (volume 0..65535). While shown: the slider and the indicator.
  void ShowVolume(qint32 volume, bool muted);
  // HotkeyControlInfo.OnTextChange and OnCommit: the digits typed so far, or the committed entry.
  void ShowEntryText(const QString& text);
  // ChannelInfo.OnChannelChange: the FM memory number, and the engine's frequency in MHz.
  void ShowChannel(int channel);
  // CaptureInfo.OnFMTuned: the knob on the dial and the frequency text.
  void ShowFMTuned(quint32 hertz, bool locked);
  // An FM seek starts or ends: the state text says "Seeking…" (in the panel's language) while
  // it runs, and the mode's own text again after it.
  void ShowSeeking(bool seeking);
  // CaptureInfo.OnCaptureProgress. While shown: the elapsed recording time.
  void ShowCaptureProgress(qint64 elapsedSeconds);
  // The file player's progress. While shown: the position and the played part of the bar.
  void ShowPlayPosition(qint64 positionSeconds, qint64 durationSeconds);
  // The player runs (Pause usable) or pauses (Play usable).
  void SetRunning(bool running);
  // The hints of the keys and the captions of the pop-up menu from the current language.
  void ApplyPanelLanguage();

  // Every second while shown: the clock; the state text blinks while recording.
  void TimerShowTimeTimer();
  platform::TTimer TimerShowTime;

  QMenu* PopupFMMainMenu() const { return menu_; }
  QAction* MenuItem(const QString& name) const;
  QLabel* LabelDVCRState = nullptr;
  QLabel* LabelTime = nullptr;
  QLabel* LabelCurretPos = nullptr;
  QLabel* LabelChannel = nullptr;

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
  void BuildLabels();
  void BuildMenu();
  settings::TAppMode CurrentMode() const;
  bool HasMixer() const;
  quint32 CurrentFrequency() const;
  void ShowFrequencyText(quint32 hertz);
  // The dial strip and the room the knob takes around it, cleared to the disabled look.
  void ClearDial();
  void DrawDial(quint32 hertz);
  void DrawVolume(qint32 volume, bool muted);
  void DrawPositionBar(qint64 positionSeconds, qint64 durationSeconds);
  // Draws a look over a rectangle, leaving the mute indicator to its own drawing.
  void DrawAroundIndicator(const QRect& from, const QRect& to, TLook look);

  TPanelEnvironment env_;
  TShapeImage* underLayer_;
  QMenu* menu_ = nullptr;
  bool dialAsked_ = false;  // the dial was tuned from the mouse press still held
  quint32 dialHertz_ = 0;
};

}  // namespace pvx::panels
