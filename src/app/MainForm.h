#pragma once
// The main window: a borderless window that frames the live video, a played file or the
// channel-preview grid with four border images and the two-button menu image. It owns the
// display modes (normal, full screen, the renderer's full screen), the aspect lock, always on
// top, dragging, the picture-in-picture layout and the pop-up menu, and hosts the OSD.

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/ChannelPreviewGrid.h"
#include "app/DisplayModes.h"
#include "app/MainMenu.h"
#include "app/OSDForm.h"
#include "app/RecordingBadge.h"
#include "app/SleepingTimerForm.h"
#include "app/VideoLayout.h"
#include "app/WindowBorders.h"
#include "settings/MainInfo.h"

namespace pvx::app {

class TFormMainWindow final : public QWidget, public IOSDHost {
  Q_OBJECT
 public:
  static constexpr QSize kDesignSize{480, 360};

  // `main` is the program's main model (modes, preferences); nullptr for a window on its own.
  explicit TFormMainWindow(settings::TMainInfo* main = nullptr, QWidget* parent = nullptr);
  ~TFormMainWindow() override;

  // --- hooks set by start-up -----------------------------------------------------------------
  std::function<void(commands::TCommand code)> ExecuteCommand;
  // Keys outside the channel preview: the key map and the number entry.
  std::function<void(int key, Qt::KeyboardModifiers modifiers)> KeyUp;
  std::function<void(QChar character)> KeyPress;
  // The engine shows a still snapshot instead of video; a still of the live picture.
  std::function<bool()> EngineStillShown;
  std::function<QImage()> GrabStill;
  // Camera selection of itemAuxMode (not a command); the line-in mute of the mixer.
  std::function<void()> SelectCamera;
  std::function<void(bool on)> SetLineMute;
  // The window was closed: the exit sequence.
  std::function<void()> FormClose;
  TPanelHooks Panels;
  TPreviewSource PreviewSource;

  // The screen the window fills in full screen and channel preview (default: the primary one).
  void SetScreenSize(std::function<QSize()> screen) { screen_ = std::move(screen); }

  // --- video windows -------------------------------------------------------------------------
  // The capture engine's window (OnVideoWindowCreated) and a file or time-shift player.
  void SetVideoWindow(platform::video::TVideoWindow* window);
  platform::video::TVideoWindow* VideoWindow() const { return videos_.EngineWindow(); }
  // `pip`: the player may take the inset (the time-shift player always fills the picture).
  void SetPlayer(bool exists, platform::video::TVideoWindow* window = nullptr, bool pip = true);
  // The play position over the picture while a file or the time-shift buffer plays.
  void ShowPlayProgress(int currentSeconds, int totalSeconds, bool paused = false);
  bool PIPPlaying() const;

  // --- display modes -------------------------------------------------------------------------
  void SetAspect(int mode) { display_.SetAspect(mode); }
  int Aspect() const { return display_.Aspect(); }
  // The aspect lock: the size a proposed size becomes.
  QSize FormCanResize(QSize proposed) const { return display_.FormCanResize(proposed); }
  void SetAlwaysOnTop(bool on) { display_.SetAlwaysOnTop(on); }
  void SetFullScreen(bool on) { display_.SetFullScreen(on); }
  void SetOverlayFullScreen(bool on) { display_.SetOverlayFullScreen(on); }
  int DisplayMode() const { return display_.DisplayMode(); }
  bool IsFullScreen() const override { return DisplayMode() == TDisplayModes::kFullScreen; }
  bool IsOverlayFullScreen() const override { return DisplayMode() == TDisplayModes::kOverlayFullScreen; }

  // --- mouse ---------------------------------------------------------------------------------
  void FormClick();
  void FormDblClick();
  // Message 6026: the picture-swap layout applied again.
  void RefreshPictureSwap();
  bool IsPictureSwapped() const { return videos_.Swapped(); }
  // Command 2001 in time-shifting: the small picture on or off.
  void ToggleTimeShiftingPreview();

  // --- channel preview -----------------------------------------------------------------------
  // False when there is no channel to show.
  bool EnterChannelPreview();
  void LeaveChannelPreview();
  void SelectPreviewCell(int cell);
  // Leaves with the selected cell (or with none); the mode returns to amTV.
  void LeavePreviewWithSelection();
  TChannelPreviewGrid* PreviewGrid() const { return grid_; }

  // --- keys ----------------------------------------------------------------------------------
  // In channel preview the grid's navigation, else the KeyUp hook.
  void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

  // --- menu ----------------------------------------------------------------------------------
  TMainMenu* PopupMainMenu() const { return menu_; }
  void PopupMenuAt(QPoint global);
  // OnModeChange: items per mode, the mode text on the OSD, the end of a picture swap.
  void UpdateForMode(settings::TAppMode mode);
  // A source change: source checks and items, the source word on the OSD.
  void UpdateForSource(int source, int tunerMode);
  // What the items also follow: a tuner, a camera input, a ready time-shift buffer, the
  // player running (Pause shows) or paused (Play shows), the mixer and its mute.
  void SetHasTuner(bool hasTuner) {
    menuState_.HasTuner = hasTuner;
    RefreshMenu();
  }
  void SetHasCamera(bool hasCamera) {
    menuState_.HasCamera = hasCamera;
    RefreshMenu();
  }
  void SetTimeShiftReady(bool ready) {
    menuState_.TimeShiftReady = ready;
    RefreshMenu();
  }
  // The menu's Pause or Play, and the badge's word while a player's position shows.
  void SetPlayerRunning(bool running);
  void SetMuteState(bool hasMixer, bool muted) {
    menuState_.HasMixer = hasMixer;
    menuState_.Muted = muted;
    RefreshMenu();
  }
  void ApplyLanguage();

  // --- recording ---------------------------------------------------------------------------
  // The engine's progress report: the figures shown over the picture while recording.
  void ShowRecordingProgress(bool timeShift, qint64 elapsedSeconds, qint64 bytes);
  TRecordingBadge* RecordingBadge() const { return badge_; }

  // --- OSD and sleeping timer ----------------------------------------------------------------
  TFormOSD* OSD() const { return osd_; }
  TSleepCountdown SleepCountdown;

  // --- IOSDHost ------------------------------------------------------------------------------
  QRect Bounds() const override { return geometry(); }
  QMargins BorderSizes() const override;
  QSize ScreenSize() const override;
  bool StillShown() const override { return EngineStillShown && EngineStillShown(); }
  bool PlayerExists() const override { return videos_.PlayerExists(); }

 protected:
  void setVisible(bool visible) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateComponents();
  void LayoutBorders();
  QRect InnerRect() const;
  QRect InsetRect() const;
  void LayoutVideo();
  void PlaceBadge();
  void RefreshMenu();
  void RestoreAfterPreview();  // message 4026
  void LeavePreviewWithCell(int cell);
  bool AtResizeEdge(QPoint point, Qt::Edges* edges) const;

  settings::TMainInfo* main_;
  TWindowBorders borders_;
  QLabel* ImageTimeShiftingPreview_;
  TRecordingBadge* badge_;
  TMainMenu* menu_;
  TFormOSD* osd_;
  TChannelPreviewGrid* grid_ = nullptr;
  std::function<QSize()> screen_;

  TDisplayModes display_;
  TVideoLayout videos_;
  TMenuState menuState_;
  QPoint dragOrigin_;
  bool dragging_ = false;
  bool clickPending_ = false;
  QPoint clickPosition_;
  bool previewActive_ = false;
  bool previewHidPanel_ = false;  // the preview hid the TV panel
  bool playerPip_ = true;
};

}  // namespace pvx::app
