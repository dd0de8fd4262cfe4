#pragma once
// One video stream of a recording: converts raw frames to the encoder's pixel format and size,
// encodes them with libavcodec and hands the packets on. Runs on the session's worker thread.

#include <functional>

#include "platform/media/FfmpegSupport.h"
#include "platform/media/TRecordProfile.h"

namespace pvx::platform::media {

struct TVideoInput {
  int width = 0;
  int height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;
};

class TVideoEncoder {
 public:
  // The profile's size and rate must be filled in; globalHeader when the container wants the
  // stream headers apart.
  bool Open(const TRecordProfile& profile, const TVideoInput& input, bool globalHeader,
            QString& error);
  AVCodecContext* Context() const { return codec_.get(); }

  // Encodes one input frame as frame number `index` of the stream.
  bool Encode(const uint8_t* const planes[4], const int strides[4], int64_t index,
              const PacketSink& sink);
  // The last frame again, as frame number `index`.
  bool Repeat(int64_t index, const PacketSink& sink);
  bool HasFrame() const { return haveFrame_; }
  // Drains the encoder's delayed frames.
  bool Flush(const PacketSink& sink);

 private:
  bool Send(AVFrame* frame, const PacketSink& sink);
  void ApplyQuality(int quality);

  AVCodecContextPtr codec_;
  AVFramePtr frame_;
  AVPacketPtr packet_;
  SwsContextPtr scaler_;
  TVideoInput input_;
  bool raw_ = false;
  bool flipRows_ = false;  // bottom-up rows for RGB in AVI
  bool haveFrame_ = false;
};

}  // namespace pvx::platform::media
