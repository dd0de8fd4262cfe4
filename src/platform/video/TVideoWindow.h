#pragma once
// The window a video renderer paints into. It sits in its owner's client area (aligned, or as an
// inset the caller positions), can show a still image instead of video, hides the cursor while
// the mouse rests over it, and can take the whole screen.
//
// Mouse presses, releases, double-clicks, moves and key events over the window are forwarded to
// the owner widget, positions mapped to the owner, so the owner handles them as its own (also in
// full screen, where the window has no parent). Without an owner they are ignored.

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <memory>

#include "platform/video/FrameToImage.h"
#include "platform/video/IVideoWindow.h"

class QPainter;

namespace pvx::platform {
class TTimer;
}

namespace pvx::platform::video {

class TVideoWindow final : public QWidget, public IVideoWindow {
  Q_OBJECT

 public:
  static constexpr int kDefaultCursorHideDelay = 2000;

  // Hidden until the caller shows it; `owner` becomes its parent and the receiver of its events.
  explicit TVideoWindow(QWidget* owner = nullptr);
  ~TVideoWindow() override;

  // Reparents into `owner` (nullptr: a top-level window); a shown window stays shown.
  void SetOwner(QWidget* owner);
  QWidget* Owner() const { return owner_; }

  // Aligned: fills the parent's client rect and follows every parent resize. Not aligned
  // (the default): the caller positions it with setGeometry.
  void SetAligned(bool aligned);
  bool IsAligned() const { return aligned_; }

  void SetStillImage(const QImage& image);
  void ClearStillImage();
  bool HasStillImage() const { return !still_.isNull(); }

  // Hides the cursor after `ms` without mouse movement over the window; 0 never hides it.
  void SetCursorHideDelay(int ms);
  int CursorHideDelay() const { return cursorHideDelay_; }
  bool IsCursorHidden() const;

  // Full screen: a frameless top-level window filling the screen the window is on; leaving it
  // returns to the previous parent and geometry.
  void SetFullScreen(bool fullScreen);
  bool IsFullScreen() const { return fullScreen_; }

  // IVideoWindow
  void Attach(TVideoHost host, int cursorHideMs) override {
    setObjectName("VideoWindow");
    SetOwner(host.Widget);
    SetAligned(true);
    SetCursorHideDelay(cursorHideMs);
    if (host.Widget) show();
  }
  void DockFill() override {
    if (owner_) SetAligned(true);
  }
  void DockInset(int left, int top, int border) override {
    if (!owner_) return;
    SetAligned(false);
    const QSize client = owner_->size();
    setGeometry(left, top, client.width() / 3 - 2 * border, client.height() / 3 - 2 * border);
  }
  void ShowStill(const QImage& image) override { SetStillImage(image); }
  void ClearStill() override { ClearStillImage(); }
  bool HasStill() const override { return HasStillImage(); }
  QImage GrabFrame() const override { return CurrentFrame(); }
  QWidget* Widget() override { return this; }

  // Takes the latest video frame (UI thread); painted on the next update. A raw frame is
  // converted as it is painted.
  void ShowFrame(const QImage& frame);
  void ShowFrame(const TRawFrame& frame);
  QImage CurrentFrame() const;
  // Distinct video frames that reached the screen.
  quint64 FramesPainted() const { return framesPainted_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Reparent(QWidget* parent, Qt::WindowFlags flags);
  void FollowParent();
  void WatchParent(QWidget* parent);
  void RestartCursorTimer();
  void ShowCursorAgain();
  void ForwardMouse(QMouseEvent* event);
  void ForwardKey(QKeyEvent* event);
  bool PaintInPlace(QPainter& painter, const QRegion& region);

  QPointer<QWidget> owner_;
  QPointer<QWidget> watched_;
  bool aligned_ = false;
  // The frame shown: raw_ when set, else image_; image_ caches raw_ once converted.
  TRawFrame raw_;
  mutable QImage image_;
  mutable quint64 imageSerial_ = 0;
  QImage still_;
  quint64 frameSerial_ = 0;
  quint64 paintedSerial_ = 0;
  quint64 framesPainted_ = 0;
  int cursorHideDelay_ = kDefaultCursorHideDelay;
  std::unique_ptr<TTimer> cursorTimer_;
  bool cursorHidden_ = false;

  bool fullScreen_ = false;
  struct {
    QPointer<QWidget> parent;
    QRect geometry;
    Qt::WindowFlags flags;
    bool shown = false;
  } restore_;
};

}  // namespace pvx::platform::video
