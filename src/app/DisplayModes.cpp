#include "app/DisplayModes.h"

#include "platform/video/TVideoWindow.h"
#include "settings/MainInfo.h"

namespace pvx::app {
namespace {

bool Ask(const std::function<bool()>& hook) { return hook && hook(); }

}  // namespace

TDisplayModes::TDisplayModes(QWidget& form, TPanelHooks& panels, settings::TMainInfo* main)
    : form_(form), panels_(panels), main_(main) {}

void TDisplayModes::SetAspect(int mode) {
  aspect_ = (mode >= 0 && mode <= 2) ? mode : 0;
  form_.setMinimumSize(MinimumSize());
  if (displayMode_ != kFullScreen) FollowAspect();
  if (Changed) Changed();
}

QSize TDisplayModes::FormCanResize(QSize proposed) const {
  if (Ask(InChannelPreview)) return proposed;
  if (aspect_ == 1) proposed.setHeight(proposed.width() * 3 / 4);
  if (aspect_ == 2) proposed.setHeight(proposed.width() * 9 / 16);
  return proposed;
}

QSize TDisplayModes::MinimumSize() const {
  if (Ask(InChannelPreview)) return {600, 400};
  return {200, aspect_ == 1 ? 150 : aspect_ == 2 ? 112 : 200};
}

void TDisplayModes::ApplyConstraints() {
  form_.setMinimumSize(MinimumSize());
  FollowAspect();
}

void TDisplayModes::FollowAspect() {
  const QSize wanted = FormCanResize(form_.size()).expandedTo(form_.minimumSize());
  if (wanted != form_.size()) form_.resize(wanted);
}

void TDisplayModes::PostFollowAspect() {
  QMetaObject::invokeMethod(
      &form_, [this] { FollowAspect(); }, Qt::QueuedConnection);
}

void TDisplayModes::ApplyTopmost(bool on) {
  if (form_.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
  // Changing a window's flags hides it; it comes back where it was.
  const bool shown = form_.isVisible();
  const QRect bounds = form_.geometry();
  form_.setWindowFlag(Qt::WindowStaysOnTopHint, on);
  form_.setGeometry(bounds);
  if (shown) form_.show();
}

void TDisplayModes::SetAlwaysOnTop(bool on) {
  // Stored first: showing the window again applies the stored value.
  if (main_) main_->SetAlwaysOnTop(on);
  ApplyTopmost(on);
  if (Changed) Changed();
}

void TDisplayModes::SetFullScreen(bool on) {
  if (on == (displayMode_ == kFullScreen)) return;
  if (on) {
    savedBounds_ = form_.geometry();
    savedAspect_ = aspect_;
    aspect_ = 0;
    savedTopmost_ = main_ && main_->Prefs().AlwaysOnTop;
    if (Ask(panels_.TVPanelExists) && panels_.SetTVPanelFloating) panels_.SetTVPanelFloating(false);
    if (ShowBorders) ShowBorders(false);
    displayMode_ = kFullScreen;
    form_.setMinimumSize(MinimumSize());
    const QSize screen = ScreenSize ? ScreenSize() : QSize(1024, 768);
    form_.setGeometry(-4, -4, screen.width() + 8, screen.height() + 8);
    // In front once, then not topmost, so other windows can still come over it.
    form_.raise();
    SetAlwaysOnTop(false);
  } else {
    aspect_ = savedAspect_;
    if (ShowBorders) ShowBorders(true);
    displayMode_ = kNormal;
    form_.setMinimumSize(MinimumSize());
    form_.setGeometry(savedBounds_);
    if (aspect_ != 0) PostFollowAspect();
    if (!Ask(panels_.FMPanelVisible) && Ask(panels_.TVPanelExists) && panels_.TVPanelVisible &&
        !panels_.TVPanelVisible() && panels_.ShowTVPanelNotTopmost)
      panels_.ShowTVPanelNotTopmost();
    SetAlwaysOnTop(savedTopmost_);
  }
  if (Changed) Changed();
}

void TDisplayModes::SetOverlayFullScreen(bool on) {
  platform::video::TVideoWindow* video = VideoWindow ? VideoWindow() : nullptr;
  if (Ask(PIPPlaying) || on == (displayMode_ == kOverlayFullScreen) || !video) return;
  if (on) {
    video->SetFullScreen(true);
    form_.hide();
  } else {
    video->SetFullScreen(false);
    form_.show();
  }
  // The renderer tells which state it reached.
  displayMode_ = video->IsFullScreen() ? kOverlayFullScreen : kNormal;
  if (main_ && main_->Prefs().AlwaysOnTop) ApplyTopmost(true);
  if (Changed) Changed();
}

void TDisplayModes::SaveForPreview() {
  savedAspect_ = aspect_;
  aspect_ = 0;
  savedBounds_ = form_.geometry();
}

void TDisplayModes::RestoreBoundsAfterPreview() {
  form_.setMinimumSize(MinimumSize());
  form_.setGeometry(savedBounds_);
  if (aspect_ != 0) PostFollowAspect();
}

}  // namespace pvx::app
