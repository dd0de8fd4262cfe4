#pragma once
// A media file played in a loop for a station that broadcasts it: one stream of it (picture or
// sound), decoded at its own pace in a pipeline of its own and converted to the caps the
// capture device draws, so the device takes the newest picture or the sound so far each time
// it makes a buffer of its own.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

namespace pvx::platform::devices {

class TVirtualFilePlayer {
 public:
  // Starts playing `path`'s first stream of `caps`' kind (video/x-raw or audio/x-raw) converted
  // to `caps`. A missing or undecodable file gives a player that has failed.
  TVirtualFilePlayer(const QString& path, GstCaps* caps);
  ~TVirtualFilePlayer();
  TVirtualFilePlayer(const TVirtualFilePlayer&) = delete;
  TVirtualFilePlayer& operator=(const TVirtualFilePlayer&) = delete;

  const QString& Path() const { return path_; }
  bool Failed() const { return failed_; }
  // The newest picture (a new reference), or null before the first.
  GstSample* Picture();
  // Moves up to `size` bytes of the sound decoded so far into `to`; the count moved.
  int TakeSound(char* to, int size);

  // What the streaming threads' callbacks share with the player.
  struct Shared;

 private:
  QString path_;
  std::atomic<bool> failed_ = false;
  std::shared_ptr<Shared> shared_;
  GstElement* pipeline_ = nullptr;
};

}  // namespace pvx::platform::devices
