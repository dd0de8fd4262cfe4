#pragma once
// The video window as the capture engine sees it: no widget types, only what the engine does
// with the picture. The shell, which lays out widgets, reaches the widget through Widget().

#include <QImage>

class QWidget;

namespace pvx::platform::video {

// Where the shell wants video shown; the engine only hands it on.
struct TVideoHost {
  QWidget* Widget = nullptr;
};

class IVideoWindow {
 public:
  virtual ~IVideoWindow() = default;

  // Into the host, named "VideoWindow", filling it and shown; without a host it stays hidden.
  virtual void Attach(TVideoHost host, int cursorHideMs) = 0;
  // Fills the host again.
  virtual void DockFill() = 0;
  // A thumbnail at (left, top): a third of the host's size less `border` on each side.
  virtual void DockInset(int left, int top, int border) = 0;
  virtual void ShowStill(const QImage& image) = 0;
  virtual void ClearStill() = 0;
  virtual bool HasStill() const = 0;
  // The latest frame shown; null before the first.
  virtual QImage GrabFrame() const = 0;
  // For the shell's layout only.
  virtual QWidget* Widget() = 0;
};

// Answered by a renderer component that paints into a video window.
class IVideoWindowSource {
 public:
  virtual ~IVideoWindowSource() = default;
  virtual IVideoWindow* VideoWindow() = 0;
};

}  // namespace pvx::platform::video
