#pragma once
// A video decoder for the recorder's own streams: an elementary MPEG-1/2 or MPEG-4 Visual
// video stream in, raw video out. One class serves every decoder name the engine looks for;
// the kind fixes the parser and decoder.

#include "platform/graph/TFilter.h"

namespace pvx::platform::components {

enum class VideoDecoderKind { Mpeg12, Mpeg4 };

class TVideoDecoder final : public graph::TFilter {
 public:
  TVideoDecoder(VideoDecoderKind kind, QString friendlyName);

  VideoDecoderKind Kind() const { return kind_; }

 private:
  VideoDecoderKind kind_;
};

}  // namespace pvx::platform::components
