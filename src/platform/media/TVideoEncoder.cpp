#include "platform/media/TVideoEncoder.h"

extern "C" {
#include <libavutil/hwcontext.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "platform/media/HardwareEncoder.h"
#include "platform/media/TDeinterlaceFilter.h"

Q_LOGGING_CATEGORY(lcEncoder, "pvx.encoder", QtInfoMsg)

namespace pvx::platform::media {
namespace {

struct CodecChoice {
  VideoCodec codec;
  AVCodecID id;
  const char* software;  // by name where FFmpeg has several encoders
  const char* hardware;
};
constexpr CodecChoice kCodecs[] = {
    {VideoCodec::Mpeg1, AV_CODEC_ID_MPEG1VIDEO, nullptr, nullptr},
    {VideoCodec::Mpeg2, AV_CODEC_ID_MPEG2VIDEO, nullptr, nullptr},
    {VideoCodec::Mpeg4, AV_CODEC_ID_MPEG4, nullptr, nullptr},
    {VideoCodec::MsMpeg4V3, AV_CODEC_ID_MSMPEG4V3, nullptr, nullptr},
    {VideoCodec::MsMpeg4V2, AV_CODEC_ID_MSMPEG4V2, nullptr, nullptr},
    {VideoCodec::Raw, AV_CODEC_ID_RAWVIDEO, nullptr, nullptr},
    {VideoCodec::H264, AV_CODEC_ID_H264, "libx264", "h264_vaapi"},
    {VideoCodec::Hevc, AV_CODEC_ID_HEVC, "libx265", "hevc_vaapi"},
};

const CodecChoice* ChoiceOf(VideoCodec codec) {
  for (const CodecChoice& c : kCodecs) {
    if (c.codec == codec) return &c;
  }
  return nullptr;
}

uint32_t Tag(const QByteArray& fourcc) {
  if (fourcc.size() != 4) return 0;
  return MKTAG(fourcc[0], fourcc[1], fourcc[2], fourcc[3]);
}

// Presets that keep 720x576 in real time on two cores next to the capture: HEVC's analysis
// costs several times H.264's, so it takes the fastest.
void ApplyConstantQuality(AVCodecContext* c, const TRecordProfile& p, bool hardware) {
  const qint64 cap = p.maxRate;
  if (hardware) {
    av_opt_set(c->priv_data, "rc_mode", cap > 0 ? "QVBR" : "CQP", 0);
    av_opt_set_int(c->priv_data, "qp", p.constantQuality, 0);
    c->global_quality = p.constantQuality;
    c->bit_rate = cap;
  } else if (p.video == VideoCodec::H264) {
    av_opt_set(c->priv_data, "preset", "veryfast", 0);
    // Both cores, in slices: frame threads would hold back more pictures.
    c->thread_count = 2;
    c->thread_type = FF_THREAD_SLICE;
    av_opt_set_double(c->priv_data, "crf", p.constantQuality, 0);
    // Pictures held for rate control are pictures a killed recording loses: a fifth of a second.
    av_opt_set_int(c->priv_data, "rc-lookahead", 5, 0);
  } else {
    av_opt_set(c->priv_data, "preset", "ultrafast", 0);
    av_opt_set_double(c->priv_data, "crf", p.constantQuality, 0);
    av_opt_set(c->priv_data, "x265-params", "log-level=error:pools=2:frame-threads=1", 0);
  }
  c->rc_max_rate = cap;
  c->rc_buffer_size = int(p.bufferSize);
}

bool HasHardwareDevice() {
  AVBufferRef* device = HardwareDevice();
  const bool found = device != nullptr;
  av_buffer_unref(&device);
  return found;
}

}  // namespace

TVideoEncoder::TVideoEncoder() = default;

TVideoEncoder::~TVideoEncoder() { av_buffer_unref(&hwFrames_); }

bool TVideoEncoder::Open(const TRecordProfile& profile, const TVideoInput& input,
                         bool globalHeader, QString& error) {
  in_ = input;
  raw_ = profile.video == VideoCodec::Raw;
  frame_.reset(av_frame_alloc());
  input_.reset(av_frame_alloc());
  hwFrame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  const CodecChoice* choice = ChoiceOf(profile.video);
  if (!choice || !frame_ || !input_ || !hwFrame_ || !packet_) {
    error = QStringLiteral("no video encoder");
    return false;
  }
  scaledFrom_ = input.format;
  if (!raw_) {
    // Fields are kept only where the format codes them and no scaling blends them.
    keepFields_ = profile.keepFields && input.interlaced && profile.height == input.height;
    if (!keepFields_) {
      deinterlacer_ = std::make_unique<TDeinterlaceFilter>();
      if (!deinterlacer_->Open(input.width, input.height, input.format,
                               Rational(profile.fpsDen, profile.fpsNum), error))
        return false;
      scaledFrom_ = deinterlacer_->OutputFormat();
    }
  }
  bool opened = false;
  QString hardwareWhy;
  if (choice->hardware && !profile.softwareOnly) {
    const AVCodec* hw = avcodec_find_encoder_by_name(choice->hardware);
    if (!hw) {
      hardwareWhy = QStringLiteral("no %1 in this FFmpeg").arg(QLatin1String(choice->hardware));
    } else if (!HasHardwareDevice()) {
      hardwareWhy = HardwareDeviceText();
    } else {
      opened = OpenCodec(hw, profile, globalHeader, true, hardwareWhy);
    }
  } else if (choice->hardware) {
    hardwareWhy = QStringLiteral("software chosen");
  }
  if (!opened) {
    const AVCodec* codec = choice->software ? avcodec_find_encoder_by_name(choice->software)
                                            : avcodec_find_encoder(choice->id);
    if (!codec) {
      error = QStringLiteral("no video encoder");
      return false;
    }
    if (!OpenCodec(codec, profile, globalHeader, false, error)) return false;
  }
  if (choice->hardware) {
    const QString how = Hardware() ? QStringLiteral("VA-API on %1").arg(HardwareDeviceText())
                                   : QStringLiteral("software; VA-API: %1").arg(hardwareWhy);
    qCInfo(lcEncoder).noquote() << QStringLiteral("video encoder for %1: %2 (%3)").arg(profile.path, EncoderName(), how);
  }
  frame_->format = Hardware() ? AV_PIX_FMT_NV12 : codec_->pix_fmt;
  frame_->width = codec_->width;
  frame_->height = codec_->height;
  if (av_frame_get_buffer(frame_.get(), 0) < 0) {
    error = QStringLiteral("no memory for frames");
    return false;
  }
  if (!raw_) {
    scaler_.reset(sws_getContext(input.width, input.height, scaledFrom_, codec_->width, codec_->height,
                                 AVPixelFormat(frame_->format), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler_) {
      error = QStringLiteral("cannot convert the captured pictures");
      return false;
    }
  }
  return true;
}

bool TVideoEncoder::OpenCodec(const AVCodec* codec, const TRecordProfile& profile, bool globalHeader,
                              bool hardware, QString& error) {
  codec_.reset(avcodec_alloc_context3(codec));
  av_buffer_unref(&hwFrames_);
  if (!codec_) {
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
    c->pix_fmt = in_.format;
    flipRows_ = in_.format == AV_PIX_FMT_BGR24;
    if (!flipRows_) c->codec_tag = avcodec_pix_fmt_to_codec_tag(in_.format);
  } else {
    c->pix_fmt = hardware ? AV_PIX_FMT_VAAPI : AV_PIX_FMT_YUV420P;
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
    if (keepFields_) {
      c->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
      c->field_order = AV_FIELD_TT;
    }
    if (profile.constantQuality > 0) {
      ApplyConstantQuality(c, profile, hardware);
    } else {
      c->bit_rate = profile.videoBitRate;
      c->rc_max_rate = profile.maxRate;
      c->rc_min_rate = profile.minRate;
      c->rc_buffer_size = int(profile.bufferSize);
      if (profile.container == Container::Svcd) av_opt_set_int(c, "scan_offset", 1, AV_OPT_SEARCH_CHILDREN);
      if (profile.video == VideoCodec::Mpeg2 && profile.maxRate > 0) {
        // Fine detail in fast motion needs the coarser non-linear scale to stay under a disc's
        // peak rate; a stream above its multiplex rate runs its clock ahead and seeks land late.
        av_opt_set_int(c, "non_linear_quant", 1, AV_OPT_SEARCH_CHILDREN);
        c->qmax = 28;
      }
      ApplyQuality(profile.quality);
    }
  }
  if (hardware) {
    AVBufferRef* device = HardwareDevice();
    hwFrames_ = device ? av_hwframe_ctx_alloc(device) : nullptr;
    av_buffer_unref(&device);
    if (!hwFrames_) {
      error = QStringLiteral("no frames on the graphics card");
      return false;
    }
    auto* frames = reinterpret_cast<AVHWFramesContext*>(hwFrames_->data);
    frames->format = AV_PIX_FMT_VAAPI;
    frames->sw_format = AV_PIX_FMT_NV12;
    frames->width = c->width;
    frames->height = c->height;
    frames->initial_pool_size = 16;
    if (const int r = av_hwframe_ctx_init(hwFrames_); r < 0) {
      error = QStringLiteral("frames on the graphics card: ") + AvErrorText(r);
      av_buffer_unref(&hwFrames_);
      return false;
    }
    c->hw_frames_ctx = av_buffer_ref(hwFrames_);
  }
  if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int r = avcodec_open2(c, codec, nullptr); r < 0) {
    error = QStringLiteral("video encoder %1: %2").arg(QLatin1String(codec->name), AvErrorText(r));
    av_buffer_unref(&hwFrames_);
    return false;
  }
  return true;
}

QString TVideoEncoder::EncoderName() const {
  return codec_ && codec_->codec ? QLatin1String(codec_->codec->name) : QString();
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

bool TVideoEncoder::FreshFrame(AVFrame* f, AVPixelFormat format) const {
  // The encoder or the deinterlacer may still hold the previous picture: write into a fresh
  // buffer then (no copy of the old picture, as av_frame_make_writable would make).
  if (av_frame_is_writable(f)) return true;
  const int width = f->width, height = f->height;
  av_frame_unref(f);
  f->format = format;
  f->width = width;
  f->height = height;
  return av_frame_get_buffer(f, 0) >= 0;
}

bool TVideoEncoder::Encode(const uint8_t* const planes[4], const int strides[4], TFieldOrder scan,
                           int64_t index, const PacketSink& sink) {
  if (raw_) {
    AVFrame* f = frame_.get();
    if (!FreshFrame(f, codec_->pix_fmt)) return false;
    const uint8_t* src[4] = {planes[0], planes[1], planes[2], planes[3]};
    int srcStrides[4] = {strides[0], strides[1], strides[2], strides[3]};
    if (flipRows_) {
      src[0] = planes[0] + ptrdiff_t(strides[0]) * (in_.height - 1);
      srcStrides[0] = -strides[0];
    }
    av_image_copy(f->data, f->linesize, src, srcStrides, in_.format, in_.width, in_.height);
    haveFrame_ = true;
    f->pts = index;
    return Send(f, sink);
  }
  if (!deinterlacer_) {
    AVFrame view{};
    for (int i = 0; i < 4; ++i) {
      view.data[i] = const_cast<uint8_t*>(planes[i]);
      view.linesize[i] = strides[i];
    }
    view.interlaced_frame = scan.interlaced;
    view.top_field_first = scan.topFirst;
    return ConvertAndSend(&view, index, sink);
  }
  AVFrame* in = input_.get();
  if (in->width == 0) {
    in->format = in_.format;
    in->width = in_.width;
    in->height = in_.height;
    if (av_frame_get_buffer(in, 0) < 0) return false;
  } else if (!FreshFrame(in, in_.format)) {
    return false;
  }
  av_image_copy(in->data, in->linesize, const_cast<const uint8_t**>(planes), strides, in_.format, in_.width,
                in_.height);
  in->interlaced_frame = scan.interlaced;
  in->top_field_first = scan.topFirst;
  in->pts = index;
  haveFrame_ = true;
  return deinterlacer_->Push(in, [&](AVFrame* out) { return ConvertAndSend(out, out->pts, sink); });
}

bool TVideoEncoder::ConvertAndSend(const AVFrame* picture, int64_t index, const PacketSink& sink) {
  AVFrame* f = frame_.get();
  if (!FreshFrame(f, AVPixelFormat(f->format))) return false;
  sws_scale(scaler_.get(), picture->data, picture->linesize, 0, in_.height, f->data, f->linesize);
  f->interlaced_frame = keepFields_ && picture->interlaced_frame;
  f->top_field_first = picture->top_field_first;
  f->pts = index;
  haveFrame_ = true;
  return Send(f, sink);
}

bool TVideoEncoder::Repeat(int64_t index, const PacketSink& sink) {
  if (!haveFrame_) return true;
  if (deinterlacer_) {
    input_->pts = index;
    return deinterlacer_->Push(input_.get(),
                               [&](AVFrame* out) { return ConvertAndSend(out, out->pts, sink); });
  }
  frame_->pts = index;
  return Send(frame_.get(), sink);
}

bool TVideoEncoder::Flush(const PacketSink& sink) {
  if (deinterlacer_ &&
      !deinterlacer_->Push(nullptr, [&](AVFrame* out) { return ConvertAndSend(out, out->pts, sink); }))
    return false;
  return Send(nullptr, sink);
}

bool TVideoEncoder::Send(AVFrame* frame, const PacketSink& sink) {
  if (!frame || !hwFrames_) return SendFrame(codec_.get(), frame, packet_.get(), sink);
  AVFrame* hw = hwFrame_.get();
  av_frame_unref(hw);
  if (av_hwframe_get_buffer(hwFrames_, hw, 0) < 0 || av_hwframe_transfer_data(hw, frame, 0) < 0 ||
      av_frame_copy_props(hw, frame) < 0)
    return false;
  return SendFrame(codec_.get(), hw, packet_.get(), sink);
}

}  // namespace pvx::platform::media
