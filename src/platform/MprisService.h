#pragma once
// The program as a media player on the session bus (MPRIS 2, "org.mpris.MediaPlayer2.okapvx"):
// desktop panels, media keys and playerctl see what it plays and drive it. Best effort: without
// a session bus nothing is offered and the program runs as before.

#include <QString>
#include <functional>
#include <memory>

namespace pvx::platform {

struct TMediaPlayerState {
  enum class Status { Playing, Paused, Stopped };
  Status Playback = Status::Stopped;
  QString Title;        // the station's name, or the file played
  int Track = 0;        // the channel number (FM: the memory), 0 for none
  QString Url;          // the file played, if any
  double Volume = 1.0;  // 0..1
  bool operator==(const TMediaPlayerState&) const = default;
};

// What the desktop may ask of the program, and how it reads the program's state.
struct TMediaPlayerControls {
  std::function<void()> PlayPause, Play, Pause, Stop, Next, Previous, Raise, Quit;
  std::function<void(double volume)> SetVolume;
  std::function<TMediaPlayerState()> State;
};

class TMprisService {
 public:
  explicit TMprisService(TMediaPlayerControls controls);
  ~TMprisService();
  TMprisService(const TMprisService&) = delete;
  TMprisService& operator=(const TMprisService&) = delete;

  // Takes the player's name on the session bus; false without a bus or when the name is taken.
  bool Register();
  // Reads the state again and tells the listeners what changed since the last time.
  void Refresh();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pvx::platform
