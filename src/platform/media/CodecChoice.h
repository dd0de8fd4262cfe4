#pragma once
// How the compressor components tell the multiplexer or writer downstream what to encode: they
// pass raw samples through and the writer's worker thread does the encoding, so that every
// stream of a file is encoded on one time line.

#include <QByteArray>

#include "platform/media/TRecordProfile.h"

namespace pvx::platform::media {

struct TVideoCodecChoice {
  VideoCodec codec = VideoCodec::None;
  QByteArray tag;  // the AVI four-character code
  qint64 bitRate = 0;
};

struct TAudioCodecChoice {
  AudioCodec codec = AudioCodec::None;
  qint64 bitRate = 0;
  int sampleRate = 0;  // 0: as captured
  int channels = 0;    // 0: as captured
};

class IVideoCodecChoice {
 public:
  virtual ~IVideoCodecChoice() = default;
  virtual TVideoCodecChoice VideoChoice() const = 0;
};

class IAudioCodecChoice {
 public:
  virtual ~IAudioCodecChoice() = default;
  virtual TAudioCodecChoice AudioChoice() const = 0;
};

}  // namespace pvx::platform::media
