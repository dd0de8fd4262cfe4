#include "platform/media/TLiveMp4Stream.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/media/FfmpegSupport.h"

namespace pvx::platform::media {
namespace {

constexpr int kMaxWidth = 640;
constexpr int kFramesPerSecond = 25;
// A key picture about every half second: a new viewer waits no longer than that to start.
constexpr int kKeyInterval = 12;
constexpr int kRate = 48000;
constexpr int kIoBuffer = 64 * 1024;
constexpr qint64 kNs = 1'000'000'000;
// Without sound for this long behind the picture, silence keeps the sound track going: a
// browser waits for both tracks before it shows anything.
constexpr qint64 kSilenceAfterNs = 300'000'000;
// Sound further off its place than this is re-placed (ahead) or dropped (late).
constexpr int64_t kSoundSlack = kRate / 10;
constexpr size_t kMaxQueuedSound = 100;

int64_t SamplesOf(qint64 ns) { return ns * kRate / kNs; }

}  // namespace

struct TLiveMp4Stream::Impl {
  explicit Impl(TOutput out) : output(std::move(out)) {}
  ~Impl() { Close(); }

  void Run();
  bool Open(const QImage& first, QString& why);
  void Close();
  bool EncodePicture(const QImage& picture, qint64 ptsNs);
  bool EncodeSound(const QByteArray& s16, int rate, qint64 ptsNs);
  bool FillSilence(int64_t until);
  bool AppendSound(const uint8_t* const* planes, int samples);
  bool DrainSound();
  bool Write(AVPacket* p, AVStream* stream, const AVCodecContext* codec);
  void Fail(const QString& why);
  static int WriteTyped(void* opaque, uint8_t* data, int size, AVIODataMarkerType type, int64_t);
  static int WritePlain(void* opaque, uint8_t* data, int size);

  TOutput output;
  // Shared with the callers.
  mutable std::mutex mutex;
  std::condition_variable wake;
  bool stop = false;
  QImage picture;
  qint64 picturePts = -1;
  struct Sound {
    QByteArray bytes;
    int rate;
    qint64 ptsNs;
  };
  std::deque<Sound> sound;
  QString error;
  std::thread worker;

  // The encoding thread's own.
  bool failed = false;
  AVFormatContext* mux = nullptr;
  AVIOContext* io = nullptr;
  AVStream *videoStream = nullptr, *audioStream = nullptr;
  AVCodecContextPtr video, audio;
  SwsContextPtr scale;
  SwrContextPtr resample;
  int resampleRate = 0;
  AVAudioFifoPtr fifo;
  AVFramePtr videoFrame, audioFrame;
  AVPacketPtr packet;
  qint64 originNs = -1;
  int64_t lastVideoMs = -1;
  int64_t soundEnd = 0;  // samples placed in the sound track so far, silence included
  int64_t audioPts = 0;
  QByteArray header;
  bool headerOut = false;
};

TLiveMp4Stream::TLiveMp4Stream(TOutput output) : impl_(std::make_unique<Impl>(std::move(output))) {
  RouteFfmpegLog();
  impl_->worker = std::thread([impl = impl_.get()] { impl->Run(); });
}

TLiveMp4Stream::~TLiveMp4Stream() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stop = true;
  }
  impl_->wake.notify_all();
  impl_->worker.join();
}

void TLiveMp4Stream::PushPicture(const QImage& picture, qint64 ptsNs) {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->picture = picture;
    impl_->picturePts = ptsNs;
  }
  impl_->wake.notify_one();
}

void TLiveMp4Stream::PushSound(const QByteArray& s16Stereo, int rate, qint64 ptsNs) {
  if (rate <= 0 || s16Stereo.size() < 4) return;
  {
    std::lock_guard lock(impl_->mutex);
    if (impl_->sound.size() >= kMaxQueuedSound) impl_->sound.pop_front();
    impl_->sound.push_back({s16Stereo, rate, ptsNs});
  }
  impl_->wake.notify_one();
}

QString TLiveMp4Stream::Error() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->error;
}

void TLiveMp4Stream::Impl::Run() {
  for (;;) {
    QImage nextPicture;
    qint64 nextPts = -1;
    std::deque<Sound> nextSound;
    {
      std::unique_lock lock(mutex);
      wake.wait(lock, [this] { return stop || !picture.isNull() || !sound.empty(); });
      if (stop) return;
      std::swap(nextPicture, picture);
      nextPts = picturePts;
      nextSound.swap(sound);
    }
    if (failed) continue;
    QString why;
    if (!mux && !nextPicture.isNull()) {
      if (!Open(nextPicture, why)) {
        Fail(why);
        continue;
      }
      originNs = nextPts;  // the stream's time 0, for the sound of this round too
    }
    if (!mux) continue;  // sound before the first picture has no place yet
    bool ok = true;
    for (const Sound& s : nextSound) ok = ok && EncodeSound(s.bytes, s.rate, s.ptsNs);
    if (ok && !nextPicture.isNull()) ok = EncodePicture(nextPicture, nextPts);
    // A finished fragment goes out now, not when the buffer fills.
    if (ok) avio_flush(io);
    if (!ok && !failed) Fail(QStringLiteral("the live stream could not be encoded"));
  }
}

void TLiveMp4Stream::Impl::Fail(const QString& why) {
  failed = true;
  qCWarning(lcMedia).noquote() << "live stream for browsers stopped:" << why;
  {
    std::lock_guard lock(mutex);
    error = why;
  }
  output({}, TLivePiece::End);
}

bool TLiveMp4Stream::Impl::Open(const QImage& first, QString& why) {
  const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
  const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (!h264 || !aac) {
    why = QStringLiteral("FFmpeg has no libx264 or AAC encoder");
    return false;
  }
  // The first picture's shape, at most kMaxWidth wide, in even numbers as 4:2:0 needs.
  const int width = qMin(kMaxWidth, first.width()) & ~1;
  const int height = int(qint64(width) * first.height() / qMax(1, first.width())) & ~1;
  if (width < 16 || height < 16) {
    why = QStringLiteral("the picture is too small");
    return false;
  }
  if (avformat_alloc_output_context2(&mux, nullptr, "mp4", nullptr) < 0 || !mux) {
    why = QStringLiteral("no MP4 muxer");
    return false;
  }
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
  io = avio_alloc_context(buffer, kIoBuffer, 1, this, nullptr, &WritePlain, nullptr);
  if (!io) {
    av_free(buffer);
    why = QStringLiteral("out of memory");
    return false;
  }
  io->write_data_type = &WriteTyped;
  mux->pb = io;
  mux->flags |= AVFMT_FLAG_CUSTOM_IO;

  video.reset(avcodec_alloc_context3(h264));
  AVCodecContext* v = video.get();
  v->width = width;
  v->height = height;
  v->pix_fmt = AV_PIX_FMT_YUV420P;
  v->time_base = Rational(1, 1000);
  v->framerate = Rational(kFramesPerSecond, 1);
  v->gop_size = kKeyInterval;
  v->keyint_min = kKeyInterval;
  v->max_b_frames = 0;
  v->thread_count = 2;
  // Capped, so a phone on Wi-Fi keeps up with heavy motion.
  v->rc_max_rate = 2'500'000;
  v->rc_buffer_size = 2'500'000;
  av_opt_set(v->priv_data, "preset", "veryfast", 0);
  av_opt_set(v->priv_data, "tune", "zerolatency", 0);
  av_opt_set_double(v->priv_data, "crf", 23, 0);
  if (mux->oformat->flags & AVFMT_GLOBALHEADER) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

  audio.reset(avcodec_alloc_context3(aac));
  AVCodecContext* a = audio.get();
  a->sample_rate = kRate;
  av_channel_layout_default(&a->ch_layout, 2);
  a->sample_fmt = AV_SAMPLE_FMT_FLTP;
  a->bit_rate = 128'000;
  a->time_base = Rational(1, kRate);
  if (mux->oformat->flags & AVFMT_GLOBALHEADER) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

  int r = avcodec_open2(v, h264, nullptr);
  if (r >= 0) r = avcodec_open2(a, aac, nullptr);
  if (r < 0) {
    why = QStringLiteral("cannot open the encoders: ") + AvErrorText(r);
    return false;
  }
  videoStream = avformat_new_stream(mux, nullptr);
  audioStream = avformat_new_stream(mux, nullptr);
  if (!videoStream || !audioStream || avcodec_parameters_from_context(videoStream->codecpar, v) < 0 ||
      avcodec_parameters_from_context(audioStream->codecpar, a) < 0) {
    why = QStringLiteral("cannot add the streams");
    return false;
  }
  videoStream->time_base = v->time_base;
  audioStream->time_base = a->time_base;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
  r = avformat_write_header(mux, &options);
  av_dict_free(&options);
  if (r < 0) {
    why = QStringLiteral("cannot start the stream: ") + AvErrorText(r);
    return false;
  }
  fifo.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, a->frame_size * 8));
  videoFrame.reset(av_frame_alloc());
  audioFrame.reset(av_frame_alloc());
  packet.reset(av_packet_alloc());
  videoFrame->format = v->pix_fmt;
  videoFrame->width = width;
  videoFrame->height = height;
  audioFrame->format = a->sample_fmt;
  audioFrame->nb_samples = a->frame_size;
  av_channel_layout_copy(&audioFrame->ch_layout, &a->ch_layout);
  if (!fifo || av_frame_get_buffer(videoFrame.get(), 0) < 0 || av_frame_get_buffer(audioFrame.get(), 0) < 0) {
    why = QStringLiteral("out of memory");
    return false;
  }
  return true;
}

void TLiveMp4Stream::Impl::Close() {
  if (mux) avformat_free_context(mux);
  mux = nullptr;
  if (io) av_freep(&io->buffer);
  avio_context_free(&io);
}

bool TLiveMp4Stream::Impl::EncodePicture(const QImage& picture, qint64 ptsNs) {
  const int64_t ms = (ptsNs - originNs) / 1'000'000;
  if (ms <= lastVideoMs) return true;  // two pictures in one millisecond: the second is dropped
  lastVideoMs = ms;
  if (!FillSilence(SamplesOf(ptsNs - originNs - kSilenceAfterNs))) return false;

  const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
  // Qt's RGB32 is B, G, R, X in memory on a little-endian machine.
  scale.reset(sws_getCachedContext(scale.release(), rgb.width(), rgb.height(), AV_PIX_FMT_BGRA, video->width,
                                   video->height, video->pix_fmt, SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!scale || av_frame_make_writable(videoFrame.get()) < 0) return false;
  const uint8_t* planes[] = {rgb.constBits()};
  const int strides[] = {int(rgb.bytesPerLine())};
  sws_scale(scale.get(), planes, strides, 0, rgb.height(), videoFrame->data, videoFrame->linesize);
  videoFrame->pts = ms;
  return SendFrame(video.get(), videoFrame.get(), packet.get(),
                   [this](AVPacket* p) { return Write(p, videoStream, video.get()); });
}

bool TLiveMp4Stream::Impl::EncodeSound(const QByteArray& s16, int rate, qint64 ptsNs) {
  if (ptsNs < originNs) return true;  // from before the stream began
  if (rate != resampleRate) {
    SwrContext* swr = nullptr;
    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    if (swr_alloc_set_opts2(&swr, &audio->ch_layout, AV_SAMPLE_FMT_FLTP, kRate, &stereo, AV_SAMPLE_FMT_S16, rate, 0,
                            nullptr) < 0 ||
        swr_init(swr) < 0) {
      swr_free(&swr);
      return false;
    }
    resample.reset(swr);
    resampleRate = rate;
  }
  const int in = int(s16.size() / 4);
  const int64_t at = SamplesOf(ptsNs - originNs);
  const int64_t length = int64_t(in) * kRate / rate;
  if (at + length < soundEnd - kSoundSlack) return true;  // late: that stretch already went out
  if (at > soundEnd + kSoundSlack && !FillSilence(at)) return false;
  const int room = swr_get_out_samples(resample.get(), in);
  uint8_t* out[2] = {};
  if (av_samples_alloc(out, nullptr, 2, room, AV_SAMPLE_FMT_FLTP, 0) < 0) return false;
  const auto* data = reinterpret_cast<const uint8_t*>(s16.constData());
  const int made = swr_convert(resample.get(), out, room, &data, in);
  const bool ok = made >= 0 && AppendSound(out, made);
  av_freep(&out[0]);
  return ok && DrainSound();
}

bool TLiveMp4Stream::Impl::FillSilence(int64_t until) {
  if (until <= soundEnd) return true;
  const int samples = int(qMin<int64_t>(until - soundEnd, kRate * 2));
  uint8_t* silence[2] = {};
  if (av_samples_alloc(silence, nullptr, 2, samples, AV_SAMPLE_FMT_FLTP, 0) < 0) return false;
  av_samples_set_silence(silence, 0, samples, 2, AV_SAMPLE_FMT_FLTP);
  const bool ok = AppendSound(silence, samples);
  av_freep(&silence[0]);
  soundEnd = qMax(soundEnd, until);  // a gap over two seconds is skipped, not filled
  return ok && DrainSound();
}

bool TLiveMp4Stream::Impl::AppendSound(const uint8_t* const* planes, int samples) {
  if (samples <= 0) return true;
  if (av_audio_fifo_write(fifo.get(), reinterpret_cast<void**>(const_cast<uint8_t**>(planes)), samples) <
      samples)
    return false;
  soundEnd += samples;
  return true;
}

bool TLiveMp4Stream::Impl::DrainSound() {
  const int frameSize = audio->frame_size;
  while (av_audio_fifo_size(fifo.get()) >= frameSize) {
    if (av_frame_make_writable(audioFrame.get()) < 0) return false;
    av_audio_fifo_read(fifo.get(), reinterpret_cast<void**>(audioFrame->data), frameSize);
    audioFrame->pts = audioPts;
    audioPts += frameSize;
    if (!SendFrame(audio.get(), audioFrame.get(), packet.get(),
                   [this](AVPacket* p) { return Write(p, audioStream, audio.get()); }))
      return false;
  }
  return true;
}

bool TLiveMp4Stream::Impl::Write(AVPacket* p, AVStream* stream, const AVCodecContext* codec) {
  av_packet_rescale_ts(p, codec->time_base, stream->time_base);
  p->stream_index = stream->index;
  return av_interleaved_write_frame(mux, p) >= 0;
}

int TLiveMp4Stream::Impl::WritePlain(void* opaque, uint8_t* data, int size) {
  return WriteTyped(opaque, data, size, AVIO_DATA_MARKER_UNKNOWN, 0);
}

// The muxer marks where its header ends and where each fragment starts, and whether that
// fragment opens with a key picture.
int TLiveMp4Stream::Impl::WriteTyped(void* opaque, uint8_t* data, int size, AVIODataMarkerType type, int64_t) {
  auto* self = static_cast<Impl*>(opaque);
  const QByteArray bytes(reinterpret_cast<const char*>(data), size);
  if (type == AVIO_DATA_MARKER_HEADER) {
    self->header += bytes;
    return size;
  }
  if (type == AVIO_DATA_MARKER_TRAILER) return size;
  if (!self->headerOut) {
    self->headerOut = true;
    self->output(self->header, TLivePiece::Header);
  }
  const TLivePiece piece = type == AVIO_DATA_MARKER_SYNC_POINT       ? TLivePiece::KeyStart
                           : type == AVIO_DATA_MARKER_BOUNDARY_POINT ? TLivePiece::Start
                                                                     : TLivePiece::More;
  self->output(bytes, piece);
  return size;
}

}  // namespace pvx::platform::media
