#pragma once
// What the shell does with whichever player runs, a played file or the time-shift buffer: both
// take the same transport commands.

#include <functional>

namespace pvx::playback {

class IPlayer {
 public:
  // Positions run from 0 to this, the whole length.
  static constexpr int kPositionScale = 100;

  virtual ~IPlayer() = default;
  virtual bool Play() = 0;
  virtual bool Pause() = 0;
  virtual bool Stop() = 0;
  virtual bool IsPlaying() const = 0;
  virtual int GetPosition() = 0;
  virtual void SetPosition(int position) = 0;
  // By the step that follows the length.
  virtual void Forward() = 0;
  virtual void Backward() = 0;
  // An index of the rates 1x, 2x, 4x, 8x, 1/2, 1/4, 1/8 (a player without rates ignores it).
  virtual void SetRate(int index) = 0;
  // Picture-in-picture: an inset over live TV, or filling the window.
  virtual void SetPip(bool on) = 0;
};

struct TPlaybackSession;

// The player that runs now, the file player before the time-shift one; nullptr when none does.
IPlayer* ActivePlayer(TPlaybackSession& session);
// Frees both players, running or not, and forgets the hooks start-up gave them.
void ReleasePlayers(TPlaybackSession& session);
// Each player there is, the file player first.
void ForEachPlayer(TPlaybackSession& session, const std::function<void(IPlayer&)>& command);

}  // namespace pvx::playback
