#include "platform/media/TDeinterlaceFilter.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/pixdesc.h>
}

namespace pvx::platform::media {

TDeinterlaceFilter::~TDeinterlaceFilter() { avfilter_graph_free(&graph_); }

bool TDeinterlaceFilter::Open(int width, int height, AVPixelFormat format, AVRational timeBase,
                              QString& error) {
  timeBase_ = timeBase;
  graph_ = avfilter_graph_alloc();
  if (!graph_ || !out_) {
    error = QStringLiteral("no memory for the deinterlacer");
    return false;
  }
  // One thread: the encoder beside it has the other core.
  graph_->nb_threads = 1;
  const QByteArray source = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=1/1")
                                .arg(width)
                                .arg(height)
                                .arg(QLatin1String(av_get_pix_fmt_name(format)))
                                .arg(timeBase.num)
                                .arg(timeBase.den)
                                .toLatin1();
  int r = avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", source.constData(),
                                       nullptr, graph_);
  if (r >= 0)
    r = avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph_);
  AVFilterInOut* outputs = avfilter_inout_alloc();
  AVFilterInOut* inputs = avfilter_inout_alloc();
  if (r >= 0 && outputs && inputs) {
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source_;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink_;
    // Frames the source marks as interlaced only; the field order is the frame's own.
    r = avfilter_graph_parse_ptr(graph_, "bwdif=mode=send_frame:parity=auto:deint=interlaced", &inputs,
                                 &outputs, nullptr);
    if (r >= 0) r = avfilter_graph_config(graph_, nullptr);
  } else if (r >= 0) {
    r = AVERROR(ENOMEM);
  }
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  if (r < 0) {
    error = QStringLiteral("deinterlacer: ") + AvErrorText(r);
    return false;
  }
  return true;
}

AVPixelFormat TDeinterlaceFilter::OutputFormat() const {
  return AVPixelFormat(av_buffersink_get_format(sink_));
}

bool TDeinterlaceFilter::Push(AVFrame* frame, const std::function<bool(AVFrame*)>& sink) {
  if (av_buffersrc_add_frame_flags(source_, frame, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) return false;
  for (;;) {
    const int r = av_buffersink_get_frame(sink_, out_.get());
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
    if (r < 0) return false;
    // The filter counts in fields: back to the frames' time base.
    if (out_->pts != AV_NOPTS_VALUE) out_->pts = av_rescale_q(out_->pts, av_buffersink_get_time_base(sink_), timeBase_);
    const bool ok = sink(out_.get());
    av_frame_unref(out_.get());
    if (!ok) return false;
  }
}

}  // namespace pvx::platform::media
