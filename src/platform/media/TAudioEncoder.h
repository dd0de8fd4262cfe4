#pragma once
// One audio stream of a recording: takes interleaved 16-bit samples at the captured rate,
// resamples them to the encoder's rate, channels and sample format, cuts them into the
// encoder's frames and encodes them. Runs on the session's worker thread.

#include "platform/media/FfmpegSupport.h"
#include "platform/media/TRecordProfile.h"
#include "platform/media/TVideoEncoder.h"

namespace pvx::platform::media {

class TAudioEncoder {
 public:
  // The profile's rate and channels must be filled in.
  bool Open(const TRecordProfile& profile, int inputRate, int inputChannels, bool globalHeader,
            QString& error);
  AVCodecContext* Context() const { return codec_.get(); }

  bool Push(const int16_t* samples, int count, const PacketSink& sink);
  bool PushSilence(int count, const PacketSink& sink);
  // Encodes what is left, the last frame padded with silence where the encoder needs it.
  bool Flush(const PacketSink& sink);

 private:
  bool Convert(const uint8_t* in, int count);
  bool EncodeFull(const PacketSink& sink, bool final);
  bool Send(AVFrame* frame, const PacketSink& sink);

  AVCodecContextPtr codec_;
  SwrContextPtr resampler_;
  AVAudioFifoPtr fifo_;
  AVFramePtr frame_;
  AVPacketPtr packet_;
  int inputChannels_ = 0;
  int frameSize_ = 0;
  int64_t nextPts_ = 0;
  uint8_t** converted_ = nullptr;  // scratch planes for one conversion
  int convertedCapacity_ = 0;

 public:
  ~TAudioEncoder();
};

}  // namespace pvx::platform::media
