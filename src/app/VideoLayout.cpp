#include "app/VideoLayout.h"

#include "platform/video/TVideoWindow.h"

namespace pvx::app {

void TVideoLayout::SetEngineWindow(platform::video::TVideoWindow* window) {
  engine_ = window;
  // Aligned would cover the whole client area, borders included; the layout places it instead.
  if (window) window->SetAligned(false);
}

void TVideoLayout::SetPlayer(bool exists, platform::video::TVideoWindow* window) {
  playerExists_ = exists;
  player_ = exists ? window : nullptr;
  if (player_) player_->SetAligned(false);
  if (!exists) swapped_ = false;
}

void TVideoLayout::Layout(const QRect& inner, const QRect& inset, bool pip) const {
  platform::video::TVideoWindow* engine = engine_;
  platform::video::TVideoWindow* player = player_;
  if (!pip || !player) {
    if (engine && !engine->IsFullScreen()) engine->setGeometry(inner);
    if (player && !player->IsFullScreen()) {
      // Without picture-in-picture the played picture replaces the live one.
      player->setGeometry(inner);
      player->raise();
    }
    return;
  }
  platform::video::TVideoWindow* filler = swapped_ ? player : engine;
  platform::video::TVideoWindow* small = swapped_ ? engine : player;
  if (filler) filler->setGeometry(inner);
  if (small) {
    small->setGeometry(inset);
    small->raise();
  }
}

}  // namespace pvx::app
