#pragma once
// Motion-adaptive deinterlacing (libavfilter's bwdif) in front of an encoder of progressive
// pictures. Frames marked interlaced are deinterlaced at their own rate, progressive ones pass
// untouched; either way each comes out one frame later, when the next one has gone in.

#include "platform/media/FfmpegSupport.h"

struct AVFilterGraph;
struct AVFilterContext;

namespace pvx::platform::media {

class TDeinterlaceFilter {
 public:
  ~TDeinterlaceFilter();

  bool Open(int width, int height, AVPixelFormat format, AVRational timeBase, QString& error);
  // The format pictures leave in (the filter's own planar form of the input's).
  AVPixelFormat OutputFormat() const;

  // Takes a reference to `frame` (nullptr: the end) and hands on every picture ready.
  bool Push(AVFrame* frame, const std::function<bool(AVFrame*)>& sink);

 private:
  AVFilterGraph* graph_ = nullptr;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  AVFramePtr out_{av_frame_alloc()};
  AVRational timeBase_{1, 25};
};

}  // namespace pvx::platform::media
