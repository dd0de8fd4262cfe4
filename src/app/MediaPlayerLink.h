#pragma once
// The running shell as a media player of the desktop (platform/MprisService.h): what the desktop
// asks goes through the command path, as the keys' commands do, and what plays is read from the
// models.

#include <QTimer>
#include <functional>

#include "platform/MprisService.h"

namespace pvx::app {

struct TShell;

class TMediaPlayerLink {
 public:
  // `post` hands a window message to the shell (a command, or activation).
  using Post = std::function<void(quint32 message, qint32 wParam)>;
  TMediaPlayerLink(TShell& shell, Post post);

  // What the desktop is shown: live TV and FM play, a time-shift pause is paused, a player is
  // as it is.
  platform::TMediaPlayerState State() const;

 private:
  void Command(int code) const;
  void PlayOrPause(bool play, bool pause) const;
  platform::TMediaPlayerControls Controls();

  TShell& shell_;
  Post post_;
  platform::TMprisService service_;
  QTimer poll_;
};

}  // namespace pvx::app
