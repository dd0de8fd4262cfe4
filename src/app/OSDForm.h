#pragma once
// The on-screen display: a short text (mode, channel, source, volume, mute) over the video for
// two seconds. The window is frameless and translucent, so only the outlined text covers the
// picture, and it never takes input.

#include <QLabel>
#include <QList>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

#include "platform/TTimer.h"
#include "platform/video/TVideoWindow.h"

namespace pvx::settings {
class TMainInfo;
}

namespace pvx::app {

// What Show needs to know about the main window.
class IOSDHost {
 public:
  virtual ~IOSDHost() = default;
  virtual bool IsFullScreen() const = 0;
  virtual bool IsOverlayFullScreen() const = 0;
  // The window's bounds on the screen and its border sizes (left, top, right, bottom).
  virtual QRect Bounds() const = 0;
  virtual QMargins BorderSizes() const = 0;
  virtual QSize ScreenSize() const = 0;
  // The engine shows a still snapshot instead of video.
  virtual bool StillShown() const = 0;
  // A file or time-shift player exists.
  virtual bool PlayerExists() const = 0;
};

// Where and how a text is shown.
struct TOSDPlacement {
  QRect Bounds;
  Qt::Alignment Alignment;
  int FontSize = 12;
};

class TFormOSD final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShowMs = 2000;

  // `owner` is the main window: it must be visible for a text to show. `main` gives the mode and
  // the overlay preference; nullptr reads as live TV with the overlay on.
  TFormOSD(QWidget* owner, IOSDHost* host, const settings::TMainInfo* main = nullptr);
  ~TFormOSD() override;

  // Placement rules for a text at the top or at the bottom of the picture.
  static TOSDPlacement PlaceOSD(const IOSDHost& host, bool atTop);

  // Shows a text (at the top, or at the bottom) when the rules allow it.
  void Show(const QString& text, bool atTop);
  void ShowText(const QString& text);
  void HideOSD();

  bool Showing() const { return showing_; }
  // The shell's OSD switch: off at creation, during channel preview, FM and the start-up.
  void EnableOSD(bool on) { enabled_ = on; }
  bool IsOSDEnabled() const { return enabled_; }

  void SetVideoWindow(platform::video::TVideoWindow* window) { videoWindow_ = window; }

  QLabel* LabelOSD() const { return LabelOSD_; }

  platform::TTimer TimerShowOSD;

  // Rectangles of other visible windows the OSD must not cover (the TV panel, the snapshot
  // browser); set by start-up.
  std::function<QList<QRect>()> CoveringWindows;
  // Keys that reach the OSD go to the main window's number entry and key map (outside
  // channel preview).
  std::function<void(QChar)> KeyPress;
  std::function<void(int key, Qt::KeyboardModifiers)> KeyUp;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  QPointer<QWidget> owner_;
  IOSDHost* host_;
  const settings::TMainInfo* main_;
  QLabel* LabelOSD_;
  QPointer<platform::video::TVideoWindow> videoWindow_;
  bool showing_ = false;
  bool enabled_ = false;
};

}  // namespace pvx::app
