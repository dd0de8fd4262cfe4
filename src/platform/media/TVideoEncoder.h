#pragma once
// One video stream of a recording: deinterlaces frames for a progressive format, converts them
// to the encoder's pixel format and size, encodes them with libavcodec (H.264 and HEVC on the
// graphics card when it can) and hands the packets on. Runs on the session's worker thread.

#include <functional>
#include <memory>

#include "platform/media/FfmpegSupport.h"
#include "platform/media/TRecordProfile.h"

namespace pvx::platform::media {

class TDeinterlaceFilter;

struct TVideoInput {
  int width = 0;
  int height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;
  bool interlaced = false;  // the first picture's: an interlaced format codes its fields
};

// How one input picture was scanned.
struct TFieldOrder {
  bool interlaced = false;
  bool topFirst = true;
};

class TVideoEncoder {
 public:
  TVideoEncoder();
  ~TVideoEncoder();

  // The profile's size and rate must be filled in; globalHeader when the container wants the
  // stream headers apart.
  bool Open(const TRecordProfile& profile, const TVideoInput& input, bool globalHeader,
            QString& error);
  AVCodecContext* Context() const { return codec_.get(); }
  // The encoder's name, and whether it is the graphics card's.
  QString EncoderName() const;
  bool Hardware() const { return hwFrames_ != nullptr; }

  // Encodes one input frame as frame number `index` of the stream.
  bool Encode(const uint8_t* const planes[4], const int strides[4], TFieldOrder scan, int64_t index,
              const PacketSink& sink);
  // The last frame again, as frame number `index`.
  bool Repeat(int64_t index, const PacketSink& sink);
  bool HasFrame() const { return haveFrame_; }
  // Drains the deinterlacer's and the encoder's delayed frames.
  bool Flush(const PacketSink& sink);

 private:
  bool OpenCodec(const AVCodec* codec, const TRecordProfile& profile, bool globalHeader, bool hardware,
                 QString& error);
  void ApplyQuality(int quality);
  bool ConvertAndSend(const AVFrame* picture, int64_t index, const PacketSink& sink);
  bool Send(AVFrame* frame, const PacketSink& sink);
  bool FreshFrame(AVFrame* f, AVPixelFormat format) const;

  AVCodecContextPtr codec_;
  AVFramePtr frame_;    // what the encoder gets (software pictures)
  AVFramePtr input_;    // the deinterlacer's copy of the last input
  AVFramePtr hwFrame_;  // the graphics card's copy
  AVPacketPtr packet_;
  SwsContextPtr scaler_;
  AVBufferRef* hwFrames_ = nullptr;
  std::unique_ptr<TDeinterlaceFilter> deinterlacer_;
  TVideoInput in_;
  AVPixelFormat scaledFrom_ = AV_PIX_FMT_NONE;
  bool raw_ = false;
  bool keepFields_ = false;
  bool flipRows_ = false;  // bottom-up rows for RGB in AVI
  bool haveFrame_ = false;
};

}  // namespace pvx::platform::media
