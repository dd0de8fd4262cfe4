#pragma once
// Feeds the program's pictures and sound into the appsrcs of the shared live media while that
// media exists; drops them otherwise. Safe from any thread.

#include <QByteArray>
#include <QImage>
#include <memory>
#include <mutex>

#include "platform/graph/GstPtr.h"

typedef struct _GstRTSPMedia GstRTSPMedia;

namespace pvx::platform::rtsp {

class TLiveFeed {
 public:
  ~TLiveFeed();
  // The live media was configured: take its sources "vsrc" and "asrc". The media keeps the
  // feed alive while it may still report its end.
  static void Attach(const std::shared_ptr<TLiveFeed>& feed, GstRTSPMedia* media);
  // That media is gone: let its sources go.
  void Detach(GstRTSPMedia* media);
  void Clear();

  void PushPicture(const QImage& picture, qint64 ptsNs);
  void PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs);

 private:
  // The caller's time as the media's running time; negative before the media's start.
  qint64 RunningTime(qint64 ptsNs);
  qint64 MediaNow() const;
  void PushSoundLocked(const QByteArray& s16Stereo, int rate, qint64 ptsNs);
  void FillSilenceLocked(qint64 untilNs);

  mutable std::mutex mutex_;
  GstRTSPMedia* media_ = nullptr;  // identity only
  graph::GstPtr<GstElement> video_;
  graph::GstPtr<GstElement> audio_;
  bool mapped_ = false;
  qint64 offsetNs_ = 0;
  QImage::Format pictureFormat_ = QImage::Format_Invalid;
  QSize pictureSize_;
  int soundRate_ = 0;
  qint64 firstPictureNs_ = -1;
  qint64 lastSoundNs_ = -1;  // when the program last gave sound
  qint64 soundEndNs_ = -1;   // where the sound stream has got to
};

}  // namespace pvx::platform::rtsp
