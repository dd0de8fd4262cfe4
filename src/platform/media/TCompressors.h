#pragma once
// The compressor components: "Divx", "Microsoft MPEG-4 Video Codec V3" and "V2" in the video
// compressor category, "MPEG Layer-3" in the audio compressor category and "OKA MPEG1 Audio
// Encoder". Each passes raw samples from "XForm In" to "XForm Out" and tells the writer
// downstream which codec and settings to encode them with.

#include "platform/graph/TFilter.h"
#include "platform/media/CodecChoice.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

class TVideoCompressor final : public graph::TFilter, public IVideoCodecChoice {
 public:
  TVideoCompressor(QString friendlyName, VideoCodec codec, QByteArray tag);
  TVideoCodecChoice VideoChoice() const override { return choice_; }

 private:
  TVideoCodecChoice choice_;
};

class TAudioCompressor final : public graph::TFilter,
                               public IAudioCodecChoice,
                               public IMpegAudioEncoder {
 public:
  TAudioCompressor(QString friendlyName, TAudioCodecChoice defaults);
  TAudioCodecChoice AudioChoice() const override { return choice_; }

  int get_BitRate() const override { return int(choice_.bitRate); }
  bool put_BitRate(int bitsPerSecond) override;
  int get_SampleRate() const override { return choice_.sampleRate; }
  bool put_SampleRate(int hertz) override;
  int get_Channels() const override { return choice_.channels; }
  bool put_Channels(int channels) override;

 private:
  TAudioCodecChoice choice_;
};

}  // namespace pvx::platform::media
