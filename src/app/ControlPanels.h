#pragma once
// The TV and FM panels as the program holds them: created, placed, shown and hidden with the
// modes, fed by the models' relays, and what the main window and the commands ask of them.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include "app/DisplayModes.h"
#include "app/ShellContext.h"
#include "panels/UIInfo.h"
#include "settings/MainInfo.h"

namespace pvx::panels {
class TFormMainPanel;
class TFormFMMainPanel;
struct TPanelEnvironment;
}  // namespace pvx::panels

namespace pvx::app {

// Where the TV panel goes the first time: centred in the free space right of the main window,
// or against the screen's right edge when that space is narrower than the panel.
QPoint TVPanelFirstPosition(QSize screen, QRect mainWindow, QSize panel);
// Where the FM panel goes at every showing: centred, two thirds down the screen.
QPoint FMPanelPosition(QSize screen, QSize panel);

class TControlPanels final : public QObject {
 public:
  explicit TControlPanels(TShell& shell);
  ~TControlPanels() override;

  panels::TFormMainPanel* TV() const;
  panels::TFormFMMainPanel* FM() const;
  // The panels' buttons: rectangles, enabled flags and hints.
  const panels::TUIInfo& UI() const { return ui_; }

  // Created hidden at the start-up continuation.
  void CreateFMPanel();
  void ShowMainPanel();
  void HideMainPanel();
  void ShowFMMainPanel();
  // Starting straight into FM: beside where the main window would stand.
  void PlaceFMPanelForStart();
  void HideFMMainPanel();
  void ApplyLanguage();
  // The program as a whole goes to the task bar: the FM panel in FM radio, else the main
  // window, whose TV panel hides with it and comes back when it is restored.
  void Minimise();
  // What the main window and the commands ask of the panels.
  void FillHooks(TPanelHooks& hooks);
  QList<QRect> VisiblePanelRects() const;

  // The models' events, passed on to the panels that exist.
  void ModeChanged(settings::TAppMode mode);
  void VolumeChanged(qint32 volume, bool muted);
  void EntryText(const QString& text);
  void ChannelChanged(int channel);
  void TableChanged(int table);
  void SourceChanged();
  void TVAudioText(const QString& text);
  void VideoStandardText(const QString& text);
  void CaptureProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes, qint64 third);
  void TimeShiftReady(bool ready);
  void PlayPosition(bool timeShift, qint64 positionSeconds, qint64 durationSeconds);
  void PlayerRunning(bool running);
  void FMTuned(quint32 hertz, bool locked);
  void Capabilities(bool hasTuner);
  void SleepLabel(bool visible);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  panels::TPanelEnvironment Environment();
  QSize ScreenSize() const;

  TShell& shell_;
  panels::TUIInfo ui_;
  QPointer<panels::TFormMainPanel> tv_;
  QPointer<panels::TFormFMMainPanel> fm_;
  bool tvPlaced_ = false;
  bool tvHiddenWithWindow_ = false;
  QPoint mainWindowPos_;
};

}  // namespace pvx::app
