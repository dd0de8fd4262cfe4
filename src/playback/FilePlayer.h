#pragma once
// The file player the play list hands its entries to.

#include <QString>

namespace pvx::playback {

class IFilePlayer {
 public:
  virtual ~IFilePlayer() = default;
  // Stops any playback in progress, then starts the file; false when it cannot be played
  // (the player tells the user why).
  virtual bool PlayFile(const QString& path) = 0;
};

}  // namespace pvx::playback
