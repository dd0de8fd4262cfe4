#include "platform/media/TAudioEncoder.h"

#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace pvx::platform::media {
namespace {

// Encoders without a frame size of their own (PCM) take this many samples at a time.
constexpr int kPcmFrame = 1024;

const AVCodec* EncoderOf(AudioCodec codec) {
  switch (codec) {
    case AudioCodec::Mp2: return avcodec_find_encoder(AV_CODEC_ID_MP2);
    case AudioCodec::Ac3: return avcodec_find_encoder(AV_CODEC_ID_AC3);
    case AudioCodec::Mp3: return avcodec_find_encoder_by_name("libmp3lame");
    case AudioCodec::Pcm: return avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    case AudioCodec::Aac: return avcodec_find_encoder(AV_CODEC_ID_AAC);
    case AudioCodec::Opus: return avcodec_find_encoder_by_name("libopus");
    case AudioCodec::None: break;
  }
  return nullptr;
}

}  // namespace

TAudioEncoder::~TAudioEncoder() {
  if (converted_) av_freep(&converted_[0]);
  av_freep(&converted_);
}

bool TAudioEncoder::Open(const TRecordProfile& profile, int inputRate, int inputChannels,
                         bool globalHeader, QString& error) {
  const AVCodec* codec = EncoderOf(profile.audio);
  codec_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!codec_ || !frame_ || !packet_) {
    error = QStringLiteral("no audio encoder");
    return false;
  }
  inputChannels_ = inputChannels;
  AVCodecContext* c = codec_.get();
  c->sample_rate = profile.sampleRate;
  av_channel_layout_default(&c->ch_layout, profile.channels);
  c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  // The MP3 encoder prefers a planar float form first; 16-bit input keeps its precision in s16p.
  if (profile.audio == AudioCodec::Mp3 && codec->sample_fmts) {
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
      if (*f == AV_SAMPLE_FMT_S16P) c->sample_fmt = *f;
  }
  c->bit_rate = profile.audio == AudioCodec::Pcm ? 0 : profile.audioBitRate;
  c->time_base = Rational(1, profile.sampleRate);
  c->thread_count = 1;
  if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int r = avcodec_open2(c, codec, nullptr); r < 0) {
    error = QStringLiteral("audio encoder: ") + AvErrorText(r);
    return false;
  }
  frameSize_ = c->frame_size > 0 ? c->frame_size : kPcmFrame;

  AVChannelLayout inLayout;
  av_channel_layout_default(&inLayout, inputChannels);
  SwrContext* swr = nullptr;
  if (swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &inLayout,
                          AV_SAMPLE_FMT_S16, inputRate, 0, nullptr) < 0 ||
      swr_init(swr) < 0) {
    swr_free(&swr);
    error = QStringLiteral("cannot resample the captured sound");
    return false;
  }
  resampler_.reset(swr);
  fifo_.reset(av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, frameSize_ * 4));
  return fifo_ != nullptr;
}

bool TAudioEncoder::Convert(const uint8_t* in, int count) {
  const int outMax = swr_get_out_samples(resampler_.get(), count);
  if (outMax <= 0) return true;
  if (outMax > convertedCapacity_) {
    if (converted_) av_freep(&converted_[0]);
    av_freep(&converted_);
    if (av_samples_alloc_array_and_samples(&converted_, nullptr, codec_->ch_layout.nb_channels,
                                           outMax, codec_->sample_fmt, 0) < 0)
      return false;
    convertedCapacity_ = outMax;
  }
  const uint8_t* planes[1] = {in};
  const int out = swr_convert(resampler_.get(), converted_, outMax, in ? planes : nullptr, count);
  if (out < 0) return false;
  return av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(converted_), out) == out;
}

bool TAudioEncoder::Push(const int16_t* samples, int count, const PacketSink& sink) {
  if (count <= 0) return true;
  return Convert(reinterpret_cast<const uint8_t*>(samples), count) && EncodeFull(sink, false);
}

bool TAudioEncoder::PushSilence(int count, const PacketSink& sink) {
  std::vector<int16_t> silence(size_t(std::min(count, 48000)) * inputChannels_, 0);
  while (count > 0) {
    const int n = std::min(count, 48000);
    if (!Push(silence.data(), n, sink)) return false;
    count -= n;
  }
  return true;
}

bool TAudioEncoder::EncodeFull(const PacketSink& sink, bool final) {
  AVAudioFifo* fifo = fifo_.get();
  while (av_audio_fifo_size(fifo) >= frameSize_ || (final && av_audio_fifo_size(fifo) > 0)) {
    const int available = av_audio_fifo_size(fifo);
    const bool smallLast = codec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME ||
                           codec_->frame_size == 0;
    const int take = std::min(available, frameSize_);
    AVFrame* f = frame_.get();
    av_frame_unref(f);
    f->nb_samples = smallLast ? take : frameSize_;
    f->format = codec_->sample_fmt;
    f->sample_rate = codec_->sample_rate;
    av_channel_layout_copy(&f->ch_layout, &codec_->ch_layout);
    if (av_frame_get_buffer(f, 0) < 0) return false;
    if (take < f->nb_samples)
      av_samples_set_silence(f->data, take, f->nb_samples - take, f->ch_layout.nb_channels,
                             codec_->sample_fmt);
    if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(f->data), take) != take) return false;
    f->pts = nextPts_;
    nextPts_ += f->nb_samples;
    if (!Send(f, sink)) return false;
  }
  return true;
}

bool TAudioEncoder::Flush(const PacketSink& sink) {
  if (!Convert(nullptr, 0) || !EncodeFull(sink, true)) return false;
  return Send(nullptr, sink);
}

bool TAudioEncoder::Send(AVFrame* frame, const PacketSink& sink) {
  return SendFrame(codec_.get(), frame, packet_.get(), sink);
}

}  // namespace pvx::platform::media
