#include "platform/media/TRecordSession.h"

#include <gst/audio/audio.h>
#include <gst/video/video.h>

#include <QFile>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/graph/GstPtr.h"
#include "platform/media/TAudioEncoder.h"
#include "platform/media/TMuxOutput.h"
#include "platform/media/TVideoEncoder.h"
#include "platform/media/WrittenFiles.h"

Q_LOGGING_CATEGORY(lcMedia, "pvx.media", QtWarningMsg)

namespace pvx::platform::media {

using graph::GstSamplePtr;

namespace {

constexpr size_t kMaxQueuedVideo = 90;     // about three seconds of pictures
constexpr size_t kMaxQueuedAudio = 300;    // sound buffers over the same few seconds
constexpr size_t kMaxQueued = 400;
constexpr gint64 kWaitForOtherStreamNs = 2 * GST_SECOND;
constexpr int64_t kMaxRepeatedFrames = 150;  // a longer gap stays a gap
constexpr double kAudioToleranceSeconds = 0.04;

struct Item {
  GstSamplePtr sample;
  bool video = false;
};

struct PixelName {
  GstVideoFormat gst;
  AVPixelFormat av;
};
constexpr PixelName kPixels[] = {
    {GST_VIDEO_FORMAT_I420, AV_PIX_FMT_YUV420P}, {GST_VIDEO_FORMAT_YUY2, AV_PIX_FMT_YUYV422},
    {GST_VIDEO_FORMAT_UYVY, AV_PIX_FMT_UYVY422}, {GST_VIDEO_FORMAT_BGR, AV_PIX_FMT_BGR24},
    {GST_VIDEO_FORMAT_RGB, AV_PIX_FMT_RGB24},    {GST_VIDEO_FORMAT_BGRx, AV_PIX_FMT_BGR0},
    {GST_VIDEO_FORMAT_RGBx, AV_PIX_FMT_RGB0},    {GST_VIDEO_FORMAT_NV12, AV_PIX_FMT_NV12},
    {GST_VIDEO_FORMAT_Y42B, AV_PIX_FMT_YUV422P}, {GST_VIDEO_FORMAT_GRAY8, AV_PIX_FMT_GRAY8},
};

AVPixelFormat AvFormatOf(GstVideoFormat f) {
  for (const PixelName& p : kPixels) {
    if (p.gst == f) return p.av;
  }
  return AV_PIX_FMT_NONE;
}

// Running time of the buffer's start in ns, or -1.
gint64 RunningTime(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  const GstSegment* segment = gst_sample_get_segment(sample);
  if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer)) return -1;
  if (!segment || segment->format != GST_FORMAT_TIME) return gint64(GST_BUFFER_PTS(buffer));
  const guint64 rt = gst_segment_to_running_time(segment, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
  return GST_CLOCK_TIME_IS_VALID(rt) ? gint64(rt) : -1;
}

// Interlaced by the caps, or by the buffer where the caps leave it open (a card that carries
// progressive and interlaced stations).
TFieldOrder ScanOf(const GstVideoInfo& info, GstBuffer* buffer) {
  TFieldOrder scan;
  const GstVideoInterlaceMode mode = GST_VIDEO_INFO_INTERLACE_MODE(&info);
  const bool flagged = buffer && GST_BUFFER_FLAG_IS_SET(buffer, GST_VIDEO_BUFFER_FLAG_INTERLACED);
  if (mode == GST_VIDEO_INTERLACE_MODE_INTERLEAVED) {
    scan.interlaced = true;
    scan.topFirst = GST_VIDEO_INFO_FIELD_ORDER(&info) != GST_VIDEO_FIELD_ORDER_BOTTOM_FIELD_FIRST;
  } else if (flagged) {
    scan.interlaced = true;
    scan.topFirst = GST_BUFFER_FLAG_IS_SET(buffer, GST_VIDEO_BUFFER_FLAG_TFF);
  }
  return scan;
}

}  // namespace

QueueRoom RoomFor(bool video, bool live, size_t queuedVideo, size_t queuedAudio) {
  const bool full = video ? queuedVideo >= kMaxQueuedVideo
                          : queuedAudio >= kMaxQueuedAudio || queuedVideo + queuedAudio >= kMaxQueued;
  if (!full) return QueueRoom::Take;
  // A live source cannot wait: what the worker cannot take in time is dropped.
  return live ? QueueRoom::Drop : QueueRoom::Wait;
}

struct TRecordSession::Impl {
  TRecordProfile profile;
  bool withVideo, withAudio;

  std::mutex mutex;
  std::condition_variable wake, room;
  std::deque<Item> queue;
  size_t queuedVideo = 0, queuedAudio = 0;
  QString error;  // under `mutex`: the worker writes it, any thread reads it
  // Written under `mutex` (so no wake-up is lost) and atomic besides: ThreadSanitizer reported
  // the wait predicate's read against Finish's write although both hold `mutex`.
  std::atomic<bool> finishing{false};
  bool started = false;
  std::thread worker;

  // Worker state.
  std::deque<Item> pending;  // until both streams have shown their first sample
  gint64 firstVideo = -1, firstAudio = -1;
  bool opened = false;
  bool failed = false;
  GstVideoInfo videoInfo{};
  int audioRate = 0, audioChannels = 0;
  gint64 origin = 0;
  int64_t nextFrame = 0;
  gint64 lastVideoTime = -1;
  int64_t audioPosition = 0;  // input samples written since the origin
  std::atomic<qint64> framesWritten{0}, samplesWritten{0};
  // Pictures written again to fill a gap in the source, and buffers a full queue turned away.
  qint64 framesRepeated = 0, droppedVideo = 0, droppedAudio = 0;
  TVideoEncoder video;
  TAudioEncoder audio;
  TMuxOutput mux;

  void Run();
  void Handle(Item item);
  bool ReadyToOpen() const;
  bool Open();
  void Process(const Item& item);
  bool ProcessVideo(GstSample* sample);
  bool ProcessAudio(GstSample* sample);
  bool Close();
  void Fail(const QString& why) {
    if (!failed) qCWarning(lcMedia) << "recording" << profile.path << "failed:" << why;
    failed = true;
    std::lock_guard lock(mutex);
    if (error.isEmpty()) error = why;
  }
  PacketSink VideoSink() {
    return [this](AVPacket* p) { return mux.Write(p, true, video.Context()->time_base); };
  }
  PacketSink AudioSink() {
    return [this](AVPacket* p) { return mux.Write(p, false, audio.Context()->time_base); };
  }
};

TRecordSession::TRecordSession(const TRecordProfile& profile, bool withVideo, bool withAudio)
    : impl_(std::make_unique<Impl>()) {
  impl_->profile = profile;
  impl_->withVideo = withVideo && profile.video != VideoCodec::None;
  impl_->withAudio = withAudio && profile.audio != AudioCodec::None;
}

TRecordSession::~TRecordSession() { Finish(); }

bool TRecordSession::Start(QString& error) {
  Impl& d = *impl_;
  RouteFfmpegLog();
  QStringList paths{d.profile.path};
  if (d.profile.container == Container::Elementary && d.withAudio) paths << d.profile.audioPath;
  for (const QString& path : paths) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      error = QStringLiteral("cannot create ") + path;
      return false;
    }
  }
  for (const QString& path : paths) BeginWriting(path);
  d.started = true;
  d.worker = std::thread([&d] { d.Run(); });
  return true;
}

void TRecordSession::Push(GstSample* sample, bool video, bool live) {
  Impl& d = *impl_;
  std::unique_lock lock(d.mutex);
  if (!d.started || d.finishing) return;
  const auto room = [&] { return RoomFor(video, live, d.queuedVideo, d.queuedAudio); };
  if (room() == QueueRoom::Drop) {
    ++(video ? d.droppedVideo : d.droppedAudio);
    return;
  }
  d.room.wait(lock, [&] { return room() == QueueRoom::Take || d.finishing; });
  if (d.finishing) return;
  d.queue.push_back({GstSamplePtr(gst_sample_ref(sample)), video});
  ++(video ? d.queuedVideo : d.queuedAudio);
  d.wake.notify_one();
}

bool TRecordSession::Finish() {
  Impl& d = *impl_;
  {
    std::lock_guard lock(d.mutex);
    if (!d.started) return false;
    d.finishing = true;
    d.wake.notify_all();
    d.room.notify_all();
  }
  if (d.worker.joinable()) d.worker.join();
  {
    // A streaming thread may still hold the session and ask whether it runs.
    std::lock_guard lock(d.mutex);
    d.started = false;
  }
  qCInfo(lcMedia, "recorded %s: %lld pictures (%lld repeated over gaps), %lld pictures and %lld sound "
         "buffers dropped by a full queue", qPrintable(d.profile.path), qint64(d.framesWritten), d.framesRepeated,
         d.droppedVideo, d.droppedAudio);
  EndWriting(d.profile.path);
  if (d.profile.container == Container::Elementary && d.withAudio) EndWriting(d.profile.audioPath);
  return !d.failed;
}

QString TRecordSession::Error() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->error;
}
qint64 TRecordSession::VideoFrames() const { return impl_->framesWritten; }
qint64 TRecordSession::AudioSamples() const { return impl_->samplesWritten; }

void TRecordSession::Impl::Run() {
  for (;;) {
    Item item;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [&] { return !queue.empty() || finishing; });
      if (queue.empty()) break;
      item = std::move(queue.front());
      queue.pop_front();
      --(item.video ? queuedVideo : queuedAudio);
      room.notify_one();
    }
    Handle(std::move(item));
  }
  if (!opened && !pending.empty() && !failed) {
    // The stream that never came is left out.
    withVideo = withVideo && firstVideo >= 0;
    withAudio = withAudio && firstAudio >= 0;
    if (Open()) {
      for (const Item& p : pending) Process(p);
    }
  }
  pending.clear();
  if (!opened) Fail(QStringLiteral("nothing was recorded"));
  Close();
}

void TRecordSession::Impl::Handle(Item item) {
  if (failed) return;
  if (opened) {
    Process(item);
    return;
  }
  const gint64 t = RunningTime(item.sample.get());
  gint64& first = item.video ? firstVideo : firstAudio;
  if (first < 0 && t >= 0) first = t;
  pending.push_back(std::move(item));
  if (!ReadyToOpen()) return;
  if (firstVideo < 0) withVideo = false;
  if (firstAudio < 0) withAudio = false;
  if (!Open()) return;
  for (const Item& p : pending) Process(p);
  pending.clear();
}

bool TRecordSession::Impl::ReadyToOpen() const {
  const bool videoReady = !withVideo || firstVideo >= 0;
  const bool audioReady = !withAudio || firstAudio >= 0;
  if (videoReady && audioReady) return true;
  // One stream alone for a while: the other is not coming.
  const gint64 first = std::max(firstVideo, firstAudio);
  const gint64 last = RunningTime(pending.back().sample.get());
  return first >= 0 && last - first > kWaitForOtherStreamNs;
}

bool TRecordSession::Impl::Open() {
  for (const Item& p : pending) {
    GstCaps* caps = gst_sample_get_caps(p.sample.get());
    if (p.video && withVideo && videoInfo.finfo == nullptr) {
      if (!caps || !gst_video_info_from_caps(&videoInfo, caps)) videoInfo = GstVideoInfo{};
    }
    if (!p.video && withAudio && audioRate == 0) {
      GstAudioInfo info;
      if (caps && gst_audio_info_from_caps(&info, caps)) {
        audioRate = GST_AUDIO_INFO_RATE(&info);
        audioChannels = GST_AUDIO_INFO_CHANNELS(&info);
      }
    }
  }
  QString why;
  TVideoInput input;
  if (withVideo) {
    input.width = GST_VIDEO_INFO_WIDTH(&videoInfo);
    input.height = GST_VIDEO_INFO_HEIGHT(&videoInfo);
    input.format = videoInfo.finfo ? AvFormatOf(GST_VIDEO_INFO_FORMAT(&videoInfo)) : AV_PIX_FMT_NONE;
    for (const Item& p : pending) {
      if (!p.video) continue;
      input.interlaced = ScanOf(videoInfo, gst_sample_get_buffer(p.sample.get())).interlaced;
      break;
    }
    if (input.format == AV_PIX_FMT_NONE || input.width <= 0) {
      Fail(QStringLiteral("unusable picture format"));
      return false;
    }
    int num = GST_VIDEO_INFO_FPS_N(&videoInfo), den = GST_VIDEO_INFO_FPS_D(&videoInfo);
    if (num <= 0 || den <= 0) num = 25, den = 1;
    CompleteDiscProfile(profile, num == 25 * den);
    if (profile.width <= 0 || profile.height <= 0) {
      profile.width = input.width;
      profile.height = input.height;
    }
    if (profile.fpsNum <= 0) {
      profile.fpsNum = num;
      profile.fpsDen = den;
    }
  }
  if (withAudio) {
    if (audioRate <= 0 || audioChannels <= 0) {
      Fail(QStringLiteral("unusable sound format"));
      return false;
    }
    if (profile.sampleRate <= 0) profile.sampleRate = audioRate;
    if (profile.channels <= 0) profile.channels = audioChannels;
  }
  opened = true;  // from here on the files exist and Close completes them
  if (!mux.Open(profile, why) ||
      (withVideo && (!video.Open(profile, input, mux.NeedsGlobalHeader(), why) ||
                     !mux.AddVideo(video.Context(), why))) ||
      (withAudio && (!audio.Open(profile, audioRate, audioChannels, mux.NeedsGlobalHeader(), why) ||
                     !mux.AddAudio(audio.Context(), why))) ||
      !mux.WriteHeader(why)) {
    Fail(why);
    return false;
  }
  // The later of the two starts is the common zero, so both streams begin together.
  origin = std::max(withVideo ? firstVideo : 0, withAudio ? firstAudio : 0);
  return true;
}

void TRecordSession::Impl::Process(const Item& item) {
  if (failed) return;
  const bool ok = item.video ? (!withVideo || ProcessVideo(item.sample.get()))
                             : (!withAudio || ProcessAudio(item.sample.get()));
  if (!ok) Fail(QStringLiteral("cannot encode or write"));
}

bool TRecordSession::Impl::ProcessVideo(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (!buffer) return true;
  const double frameNs = 1e9 * profile.fpsDen / profile.fpsNum;
  gint64 t = RunningTime(sample);
  if (t < 0) t = lastVideoTime < 0 ? origin : lastVideoTime + gint64(frameNs);
  lastVideoTime = t;
  const int64_t index = std::llround(double(t - origin) / frameNs);
  if (index < nextFrame) return true;  // faster than the recorded rate: this one is left out
  if (index - nextFrame <= kMaxRepeatedFrames) {
    for (; nextFrame < index; ++nextFrame) {
      if (!video.Repeat(nextFrame, VideoSink())) return false;
      if (video.HasFrame()) ++framesWritten, ++framesRepeated;
    }
  }
  GstVideoFrame frame;
  // A buffer that does not hold the picture its caps describe is a broken stream.
  if (!gst_video_frame_map(&frame, &videoInfo, buffer, GST_MAP_READ)) return false;
  const uint8_t* planes[4] = {};
  int strides[4] = {};
  for (guint i = 0; i < GST_VIDEO_FRAME_N_PLANES(&frame) && i < 4; ++i) {
    planes[i] = static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, i));
    strides[i] = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, i);
  }
  const bool ok = video.Encode(planes, strides, ScanOf(videoInfo, buffer), index, VideoSink());
  gst_video_frame_unmap(&frame);
  nextFrame = index + 1;
  ++framesWritten;
  return ok;
}

bool TRecordSession::Impl::ProcessAudio(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  if (!buffer) return true;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return false;
  const int frameBytes = 2 * audioChannels;
  int count = int(map.size / frameBytes);
  const auto* samples = reinterpret_cast<const int16_t*>(map.data);
  const gint64 t = RunningTime(sample);
  bool ok = true;
  if (t >= 0) {
    // Where the buffer belongs on the common time line; small jitter is ignored, a gap is
    // filled with silence and an overlap is cut, so sound keeps its place next to the picture.
    const int64_t at = std::llround(double(t - origin) * audioRate / 1e9);
    const int64_t tolerance = std::llround(audioRate * kAudioToleranceSeconds);
    const bool first = samplesWritten == 0 && audioPosition == 0;
    if (at > audioPosition && (first || at - audioPosition > tolerance)) {
      const int64_t gap = at - audioPosition;
      ok = audio.PushSilence(int(std::min<int64_t>(gap, audioRate * 10)), AudioSink());
      audioPosition = at;
    } else if (at < audioPosition && (first || audioPosition - at > tolerance)) {
      const int64_t cut = std::min<int64_t>(audioPosition - at, count);
      samples += cut * audioChannels;
      count -= int(cut);
    }
  }
  if (ok && count > 0) {
    ok = audio.Push(samples, count, AudioSink());
    audioPosition += count;
    samplesWritten += count;
  }
  gst_buffer_unmap(buffer, &map);
  return ok;
}

bool TRecordSession::Impl::Close() {
  if (!opened) return false;
  bool ok = !failed;
  if (withVideo && video.Context() && !video.Flush(VideoSink())) ok = false;
  if (withAudio && audio.Context() && !audio.Flush(AudioSink())) ok = false;
  if (!mux.Finish()) ok = false;
  if (!ok) Fail(QStringLiteral("cannot complete the file"));
  return ok;
}

}  // namespace pvx::platform::media
