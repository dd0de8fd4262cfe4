#pragma once
// The main window's display state: the aspect lock and minimum sizes, always on top, full
// screen (the window covers the screen, borders hidden) and the overlay full screen (the
// renderer's own full screen), with what each saves to restore the window exactly.

#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

namespace pvx::platform::video {
class TVideoWindow;
}

namespace pvx::settings {
class TMainInfo;
}

namespace pvx::app {

// The TV and FM panels as the main window needs them; unset members mean no panel.
struct TPanelHooks {
  std::function<bool()> TVPanelExists;
  std::function<bool()> TVPanelVisible;
  std::function<bool()> TVPanelFloating;
  // Floating: topmost above the full-screen picture; not floating: not topmost and hidden.
  std::function<void(bool floating)> SetTVPanelFloating;
  std::function<void()> ShowTVPanelNotTopmost;
  std::function<bool()> FMPanelVisible;
  // Switching between TV and FM radio: the TV panel goes while the FM panel shows.
  std::function<void()> ShowTVPanel;
  std::function<void()> HideTVPanel;
  std::function<void()> ShowFMPanel;
  std::function<void()> HideFMPanel;
};

class TDisplayModes {
 public:
  enum Mode { kNormal = 0, kFullScreen = 1, kOverlayFullScreen = 2 };

  // `main` keeps the always-on-top choice; nullptr for a form on its own.
  TDisplayModes(QWidget& form, TPanelHooks& panels, settings::TMainInfo* main);

  // --- what the form supplies ---------------------------------------------------------------
  std::function<QSize()> ScreenSize;
  std::function<void(bool visible)> ShowBorders;
  std::function<bool()> InChannelPreview;
  std::function<platform::video::TVideoWindow*()> VideoWindow;
  std::function<bool()> PIPPlaying;
  // The display changed: lay the video out and refresh the menu.
  std::function<void()> Changed;

  // --- aspect lock ------------------------------------------------------------------------
  int Aspect() const { return aspect_; }
  void SetAspect(int mode);
  // The size a proposed size becomes (the height follows the width when locked).
  QSize FormCanResize(QSize proposed) const;
  QSize MinimumSize() const;
  // Applies the minimum size, then the aspect to the current size.
  void ApplyConstraints();
  void FollowAspect();

  // --- always on top ----------------------------------------------------------------------
  // Applies the flag and stores it in the main settings.
  void SetAlwaysOnTop(bool on);
  // The flag alone.
  void ApplyTopmost(bool on);

  // --- full screen ------------------------------------------------------------------------
  int DisplayMode() const { return displayMode_; }
  void SetFullScreen(bool on);
  void SetOverlayFullScreen(bool on);

  // --- channel preview: the aspect and bounds it saves and restores -----------------------------
  void SaveForPreview();
  void RestoreAspectAfterPreview() { aspect_ = savedAspect_; }
  // Message 4026: the saved bounds, then the aspect.
  void RestoreBoundsAfterPreview();

 private:
  void PostFollowAspect();

  QWidget& form_;
  TPanelHooks& panels_;
  settings::TMainInfo* main_;
  int aspect_ = 0;
  int savedAspect_ = 0;
  int displayMode_ = kNormal;
  bool savedTopmost_ = false;
  QRect savedBounds_;
};

}  // namespace pvx::app
