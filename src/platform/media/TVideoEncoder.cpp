#include "platform/media/TVideoEncoder.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace pvx::platform::media {
namespace {

struct CodecChoice {
  VideoCodec codec;
  AVCodecID id;
};
constexpr CodecChoice kCodecs[] = {
    {VideoCodec::Mpeg1, AV_CODEC_ID_MPEG1VIDEO}, {VideoCodec::Mpeg2, AV_CODEC_ID_MPEG2VIDEO},
    {VideoCodec::Mpeg4, AV_CODEC_ID_MPEG4},      {VideoCodec::MsMpeg4V3, AV_CODEC_ID_MSMPEG4V3},
    {VideoCodec::MsMpeg4V2, AV_CODEC_ID_MSMPEG4V2}, {VideoCodec::Raw, AV_CODEC_ID_RAWVIDEO},
};

AVCodecID CodecIdOf(VideoCodec codec) {
  for (const CodecChoice& c : kCodecs) {
    if (c.codec == codec) return c.id;
  }
  return AV_CODEC_ID_NONE;
}

uint32_t Tag(const QByteArray& fourcc) {
  if (fourcc.size() != 4) return 0;
  return MKTAG(fourcc[0], fourcc[1], fourcc[2], fourcc[3]);
}

}  // namespace

bool TVideoEncoder::Open(const TRecordProfile& profile, const TVideoInput& input,
                         bool globalHeader, QString& error) {
  input_ = input;
  raw_ = profile.video == VideoCodec::Raw;
  const AVCodec* codec = avcodec_find_encoder(CodecIdOf(profile.video));
  codec_.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!codec_ || !frame_ || !packet_) {
    error = QStringLiteral("no video encoder");
    return false;
  }
  AVCodecContext* c = codec_.get();
  c->width = profile.width;
  c->height = profile.height;
  c->time_base = Rational(profile.fpsDen, profile.fpsNum);
  c->framerate = Rational(profile.fpsNum, profile.fpsDen);
  // One encoding thread per recording keeps its cost on one core, next to the capture.
  c->thread_count = 1;
  if (raw_) {
    // Uncompressed AVI keeps the captured layout; RGB is stored bottom-up, as bitmaps are.
    c->pix_fmt = input.format;
    flipRows_ = input.format == AV_PIX_FMT_BGR24;
    if (!flipRows_) c->codec_tag = avcodec_pix_fmt_to_codec_tag(input.format);
  } else {
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->bit_rate = profile.videoBitRate;
    c->rc_max_rate = profile.maxRate;
    c->rc_min_rate = profile.minRate;
    c->rc_buffer_size = int(profile.bufferSize);
    c->gop_size = profile.gop > 0 ? profile.gop
                                  : std::max(1, int(profile.keyIntervalSeconds * profile.fpsNum /
                                                    profile.fpsDen));
    c->max_b_frames = profile.video == VideoCodec::MsMpeg4V3 ||
                              profile.video == VideoCodec::MsMpeg4V2
                          ? 0
                          : profile.maxBFrames;
    c->codec_tag = Tag(profile.videoTag);
    // Television pictures are 4:3 whatever the stored size.
    av_reduce(&c->sample_aspect_ratio.num, &c->sample_aspect_ratio.den, 4LL * profile.height,
              3LL * profile.width, 255);
    if (profile.container == Container::Svcd) av_opt_set_int(c, "scan_offset", 1, AV_OPT_SEARCH_CHILDREN);
    if (profile.video == VideoCodec::Mpeg2 && profile.maxRate > 0) {
      // Fine detail in fast motion needs the coarser non-linear scale to stay under a disc's
      // peak rate; a stream above its multiplex rate runs its clock ahead and seeks land late.
      av_opt_set_int(c, "non_linear_quant", 1, AV_OPT_SEARCH_CHILDREN);
      c->qmax = 28;
    }
    ApplyQuality(profile.quality);
  }
  if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int r = avcodec_open2(c, codec, nullptr); r < 0) {
    error = QStringLiteral("video encoder: ") + AvErrorText(r);
    return false;
  }
  frame_->format = c->pix_fmt;
  frame_->width = c->width;
  frame_->height = c->height;
  if (av_frame_get_buffer(frame_.get(), 0) < 0) {
    error = QStringLiteral("no memory for frames");
    return false;
  }
  if (!raw_) {
    scaler_.reset(sws_getContext(input.width, input.height, input.format, c->width, c->height,
                                 c->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler_) {
      error = QStringLiteral("cannot convert the captured pictures");
      return false;
    }
  }
  return true;
}

void TVideoEncoder::ApplyQuality(int quality) {
  // "Fastest" and "Faster" decide macroblocks by the simplest measure; "Fast" and "Normal" by
  // bits; "High" and above by rate-distortion, adding trellis quantisation and finer compares.
  AVCodecContext* c = codec_.get();
  const char* decision = quality >= 4 ? "rd" : quality >= 2 ? "bits" : "simple";
  av_opt_set(c, "mbd", decision, AV_OPT_SEARCH_CHILDREN);
  if (quality >= 5) av_opt_set_int(c, "trellis", 1, AV_OPT_SEARCH_CHILDREN);
  if (quality >= 6) {
    av_opt_set(c, "cmp", "satd", AV_OPT_SEARCH_CHILDREN);
    av_opt_set(c, "subcmp", "satd", AV_OPT_SEARCH_CHILDREN);
  }
}

bool TVideoEncoder::Encode(const uint8_t* const planes[4], const int strides[4], int64_t index,
                           const PacketSink& sink) {
  // The encoder may still hold the previous picture: write into a fresh buffer then (no copy
  // of the old picture, as av_frame_make_writable would make).
  AVFrame* f = frame_.get();
  if (!av_frame_is_writable(f)) {
    av_frame_unref(f);
    f->format = codec_->pix_fmt;
    f->width = codec_->width;
    f->height = codec_->height;
    if (av_frame_get_buffer(f, 0) < 0) return false;
  }
  if (raw_) {
    const uint8_t* src[4] = {planes[0], planes[1], planes[2], planes[3]};
    int srcStrides[4] = {strides[0], strides[1], strides[2], strides[3]};
    if (flipRows_) {
      src[0] = planes[0] + ptrdiff_t(strides[0]) * (input_.height - 1);
      srcStrides[0] = -strides[0];
    }
    av_image_copy(f->data, f->linesize, src, srcStrides, input_.format, input_.width,
                  input_.height);
  } else {
    sws_scale(scaler_.get(), planes, strides, 0, input_.height, f->data, f->linesize);
  }
  haveFrame_ = true;
  f->pts = index;
  return Send(f, sink);
}

bool TVideoEncoder::Repeat(int64_t index, const PacketSink& sink) {
  if (!haveFrame_) return true;
  frame_->pts = index;
  return Send(frame_.get(), sink);
}

bool TVideoEncoder::Flush(const PacketSink& sink) { return Send(nullptr, sink); }

bool TVideoEncoder::Send(AVFrame* frame, const PacketSink& sink) {
  return SendFrame(codec_.get(), frame, packet_.get(), sink);
}

}  // namespace pvx::platform::media
