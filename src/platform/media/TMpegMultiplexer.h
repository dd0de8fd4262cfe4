#pragma once
// "OKA MPEG Multiplexer": "Video" and "Audio" in, the program stream named by the writer on
// "Output". Its output type picks MPEG-1, VCD, MPEG-2, SVCD or DVD; raw video is encoded for
// that type, sound with the settings of the "OKA MPEG1 Audio Encoder" before it.

#include "platform/media/MediaInterfaces.h"
#include "platform/media/TRecordingFilter.h"

namespace pvx::platform::media {

class TMpegMultiplexer final : public TRecordingFilter, public IMpegMultiplexer {
 public:
  TMpegMultiplexer();

  int get_OutputType() const override { return type_; }
  bool put_OutputType(int type) override;

 protected:
  bool MakeProfile(TRecordProfile& profile, QString& error) override;

 private:
  int type_ = MpegOutput_Mpeg2;
};

}  // namespace pvx::platform::media
