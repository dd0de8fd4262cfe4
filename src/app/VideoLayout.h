#pragma once
// The video windows inside the main window: the capture engine's live picture and a player's
// picture. Normally a window fills the inner area; with picture-in-picture one fills it and the
// other sits in the inset, and a swap exchanges their places.

#include <QPointer>
#include <QRect>

#include "platform/video/TVideoWindow.h"

namespace pvx::app {

class TVideoLayout {
 public:
  void SetEngineWindow(platform::video::TVideoWindow* window);
  platform::video::TVideoWindow* EngineWindow() const { return engine_; }

  // A file or time-shift player exists (with its window, when it shows pictures).
  void SetPlayer(bool exists, platform::video::TVideoWindow* window);
  bool PlayerExists() const { return playerExists_; }
  platform::video::TVideoWindow* PlayerWindow() const { return player_; }

  // 0: live picture fills, played picture in the inset; 1: the reverse.
  bool Swapped() const { return swapped_; }
  void SetSwapped(bool swapped) { swapped_ = swapped; }

  // Places the windows: `pip` when picture-in-picture is on.
  void Layout(const QRect& inner, const QRect& inset, bool pip) const;

 private:
  QPointer<platform::video::TVideoWindow> engine_;
  QPointer<platform::video::TVideoWindow> player_;
  bool playerExists_ = false;
  bool swapped_ = false;
};

}  // namespace pvx::app
