#include "platform/rtsp/TLiveFeed.h"

#include <gst/app/gstappsrc.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <algorithm>

namespace pvx::platform::rtsp {
namespace {

constexpr qint64 kSecondNs = 1000000000;
// A source without sound still needs an audio stream, or the media never gets ready.
constexpr qint64 kQuietBeforeSilenceNs = kSecondNs / 2;
constexpr int kSilenceRate = 48000;
constexpr qint64 kAheadLimitNs = kSecondNs / 2;
constexpr int kSoundFrameBytes = 4;  // s16 stereo

struct PictureLayout {
  const char* name;
  int bytesPerPixel;
};

// GStreamer's name for a Qt pixel layout; nullptr for layouts converted first.
PictureLayout LayoutOf(QImage::Format format) {
  const bool little = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
  switch (format) {
    case QImage::Format_RGB32:
      return {little ? "BGRx" : "xRGB", 4};
    case QImage::Format_ARGB32:
      return {little ? "BGRA" : "ARGB", 4};
    case QImage::Format_RGBX8888:
      return {"RGBx", 4};
    case QImage::Format_RGBA8888:
      return {"RGBA", 4};
    case QImage::Format_RGB888:
      return {"RGB", 3};
    case QImage::Format_Grayscale8:
      return {"GRAY8", 1};
    default:
      return {nullptr, 0};
  }
}

template <typename Held>
GstBuffer* WrapShared(const Held& value, const void* data, gsize size) {
  // The buffer keeps an implicitly shared copy: no pixels or samples are copied.
  auto* held = new Held(value);
  return gst_buffer_new_wrapped_full(GST_MEMORY_FLAG_READONLY, const_cast<void*>(data), size, 0, size, held,
                                     [](gpointer p) { delete static_cast<Held*>(p); });
}

void SetCaps(GstElement* source, GstCaps* caps) {
  gst_app_src_set_caps(GST_APP_SRC(source), caps);
  gst_caps_unref(caps);
}

using FeedPtr = std::shared_ptr<TLiveFeed>;

void OnUnprepared(GstRTSPMedia* media, gpointer feed) { (*static_cast<FeedPtr*>(feed))->Detach(media); }

}  // namespace

TLiveFeed::~TLiveFeed() { Clear(); }

void TLiveFeed::Attach(const std::shared_ptr<TLiveFeed>& feed, GstRTSPMedia* media) {
  GstElement* element = gst_rtsp_media_get_element(media);
  GstElement* video = gst_bin_get_by_name(GST_BIN(element), "vsrc");
  GstElement* audio = gst_bin_get_by_name(GST_BIN(element), "asrc");
  gst_object_unref(element);
  feed->Clear();
  std::lock_guard lock(feed->mutex_);
  feed->media_ = GST_RTSP_MEDIA(g_object_ref(media));
  feed->video_ = graph::Adopt(video);
  feed->audio_ = graph::Adopt(audio);
  g_signal_connect_data(
      media, "unprepared", G_CALLBACK(OnUnprepared), new FeedPtr(feed),
      [](gpointer data, GClosure*) { delete static_cast<FeedPtr*>(data); }, GConnectFlags(0));
}

void TLiveFeed::Detach(GstRTSPMedia* media) {
  {
    std::lock_guard lock(mutex_);
    if (media != media_) return;
  }
  Clear();
}

void TLiveFeed::Clear() {
  GstRTSPMedia* media = nullptr;
  {
    std::lock_guard lock(mutex_);
    std::swap(media, media_);
    video_.reset();
    audio_.reset();
    mapped_ = false;
    pictureFormat_ = QImage::Format_Invalid;
    pictureSize_ = QSize();
    soundRate_ = 0;
    firstPictureNs_ = lastSoundNs_ = soundEndNs_ = -1;
  }
  if (!media) return;
  g_signal_handlers_disconnect_matched(media, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                       reinterpret_cast<gpointer>(&OnUnprepared), nullptr);
  g_object_unref(media);
}

// The media's running time now; -1 while it is not playing, when its clock and base time are
// not to be trusted.
qint64 TLiveFeed::MediaNow() const {
  GstElement* source = video_.get();
  GST_OBJECT_LOCK(source);
  const bool playing = GST_STATE(source) == GST_STATE_PLAYING;
  GST_OBJECT_UNLOCK(source);
  GstClock* clock = playing ? gst_element_get_clock(source) : nullptr;
  if (!clock) return -1;
  const qint64 now = qint64(gst_clock_get_time(clock)) - qint64(gst_element_get_base_time(source));
  gst_object_unref(clock);
  return now;
}

qint64 TLiveFeed::RunningTime(qint64 ptsNs) {
  // The first push, of either kind, lands at the media's present and the rest keep their
  // distance from it, so pictures and sound stay in step. Pushes far ahead of the present (the
  // media paused, or was not yet playing) would make its sinks wait: they land anew. Late ones
  // are only sent at once.
  const qint64 now = MediaNow();
  if (!mapped_ || (now >= 0 && ptsNs + offsetNs_ > now + kAheadLimitNs)) {
    offsetNs_ = std::max<qint64>(now, 0) - ptsNs;
    mapped_ = true;
  }
  return ptsNs + offsetNs_;
}

void TLiveFeed::PushPicture(const QImage& picture, qint64 ptsNs) {
  std::lock_guard lock(mutex_);
  if (!video_ || picture.isNull()) return;
  QImage image = picture;
  PictureLayout layout = LayoutOf(image.format());
  if (!layout.name) {
    image = image.convertToFormat(QImage::Format_RGB32);
    layout = LayoutOf(image.format());
  }
  // GStreamer assumes rows padded to four bytes, as Qt allocates them; a picture over foreign
  // memory may differ.
  if (image.bytesPerLine() != ((image.width() * layout.bytesPerPixel + 3) & ~3)) image = image.copy();
  if (image.format() != pictureFormat_ || image.size() != pictureSize_) {
    pictureFormat_ = image.format();
    pictureSize_ = image.size();
    SetCaps(video_.get(), gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, layout.name, "width",
                                              G_TYPE_INT, image.width(), "height", G_TYPE_INT, image.height(),
                                              "framerate", GST_TYPE_FRACTION, 0, 1, nullptr));
  }
  const qint64 running = RunningTime(ptsNs);
  if (running >= 0) {
    GstBuffer* buffer = WrapShared(image, image.constBits(), gsize(image.sizeInBytes()));
    GST_BUFFER_PTS(buffer) = GstClockTime(running);
    gst_app_src_push_buffer(GST_APP_SRC(video_.get()), buffer);
  }
  if (firstPictureNs_ < 0) firstPictureNs_ = ptsNs;
  if (ptsNs - std::max(lastSoundNs_, firstPictureNs_) > kQuietBeforeSilenceNs) FillSilenceLocked(ptsNs);
}

void TLiveFeed::PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs) {
  std::lock_guard lock(mutex_);
  if (!audio_) return;
  lastSoundNs_ = ptsNs;
  PushSoundLocked(s16Stereo, rate, ptsNs);
}

void TLiveFeed::PushSoundLocked(const QByteArray& s16Stereo, int rate, qint64 ptsNs) {
  const qint64 frames = s16Stereo.size() / kSoundFrameBytes;
  if (rate <= 0 || frames == 0) return;
  if (rate != soundRate_) {
    soundRate_ = rate;
    const char* format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "S16LE" : "S16BE";
    SetCaps(audio_.get(),
            gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, format, "layout", G_TYPE_STRING,
                                "interleaved", "rate", G_TYPE_INT, rate, "channels", G_TYPE_INT, 2,
                                "channel-mask", GST_TYPE_BITMASK, guint64(0x3), nullptr));
  }
  const qint64 duration = frames * kSecondNs / rate;
  soundEndNs_ = ptsNs + duration;
  const qint64 running = RunningTime(ptsNs);
  if (running < 0) return;
  GstBuffer* buffer = WrapShared(s16Stereo, s16Stereo.constData(), gsize(frames * kSoundFrameBytes));
  GST_BUFFER_PTS(buffer) = GstClockTime(running);
  GST_BUFFER_DURATION(buffer) = GstClockTime(duration);
  gst_app_src_push_buffer(GST_APP_SRC(audio_.get()), buffer);
}

void TLiveFeed::FillSilenceLocked(qint64 untilNs) {
  const qint64 from = std::max(soundEndNs_, untilNs - kQuietBeforeSilenceNs);
  const int rate = soundRate_ > 0 ? soundRate_ : kSilenceRate;
  const qint64 frames = (untilNs - from) * rate / kSecondNs;
  if (frames <= 0) return;
  PushSoundLocked(QByteArray(int(frames * kSoundFrameBytes), '\0'), rate, from);
}

}  // namespace pvx::platform::rtsp
