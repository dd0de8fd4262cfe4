#pragma once
// A recording in progress. Samples from the components' appsinks are queued by the streaming
// threads; one worker thread places them on a single time line (the GStreamer running time of
// their buffers, shared by audio and video), encodes them and writes the files.

#include <QString>
#include <cstddef>
#include <memory>

typedef struct _GstSample GstSample;

namespace pvx::platform::media {

struct TRecordProfile;

// Whether a sample pushed now is queued, dropped or waits for room, given what is queued.
// Live sources drop (video and sound each have a cap); file sources wait.
enum class QueueRoom { Take, Drop, Wait };
QueueRoom RoomFor(bool video, bool live, size_t queuedVideo, size_t queuedAudio);

class TRecordSession {
 public:
  TRecordSession(const TRecordProfile& profile, bool withVideo, bool withAudio);
  ~TRecordSession();
  TRecordSession(const TRecordSession&) = delete;
  TRecordSession& operator=(const TRecordSession&) = delete;

  // Creates the files, so that a folder that cannot be written fails the run at once, and
  // starts the worker.
  bool Start(QString& error);
  // Queues a sample (adds a reference). From a live source, video that finds the worker more
  // than a few seconds behind is dropped (the previous picture repeats in its place); from a
  // file, the streaming thread waits for room.
  void Push(GstSample* sample, bool video, bool live);
  // Encodes everything queued, completes the files and ends the worker. False when the
  // recording failed or nothing reached it.
  bool Finish();
  QString Error() const;

  // Frames and audio samples written so far (taken from the worker; for figures and checks).
  qint64 VideoFrames() const;
  qint64 AudioSamples() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pvx::platform::media
