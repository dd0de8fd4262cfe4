#pragma once
// What a recording writes: container, codecs and their settings. The components fill one from
// the calls they were given; the session turns it into FFmpeg encoders and muxers.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>

#include "formats/RecordFormats.h"

namespace pvx::platform::media {

using formats::AudioCodec;
using formats::Container;
using formats::VideoCodec;

// What a recording's file says about itself, where its container keeps tags.
struct TRecordTags {
  QString station;  // the channel's name
  int channel = 0;  // its number; 0 for none
  QString title;    // the programme of an unattended recording
  QDateTime start;
};

struct TRecordProfile {
  Container container = Container::MpegSystem;
  QString path;       // the file; for Elementary the video file
  QString audioPath;  // Elementary only

  VideoCodec video = VideoCodec::None;
  int width = 0, height = 0;          // 0: as captured
  int fpsNum = 0, fpsDen = 1;         // 0: as captured
  qint64 videoBitRate = 0;
  qint64 maxRate = 0, minRate = 0, bufferSize = 0;  // 0: the encoder's choice
  int gop = 0;                        // 0: keyIntervalSeconds of frames
  double keyIntervalSeconds = 0.5;
  int maxBFrames = 0;
  int quality = 0;                    // 0 "Fastest" .. 6 "Highest"
  QByteArray videoTag;                // four characters, or empty for the container's own
  // H.264 and HEVC: encoded at this constant-quality factor, videoBitRate only a cap (0: none).
  int constantQuality = 0;
  bool keepFields = false;            // interlaced pictures are coded as fields, else deinterlaced
  bool softwareOnly = false;          // never the graphics card's encoder

  AudioCodec audio = AudioCodec::None;
  int sampleRate = 0, channels = 0;   // 0: as captured
  qint64 audioBitRate = 0;

  int packetSize = 0;     // program-stream pack size; 0: the muxer's
  qint64 muxRate = 0;     // bits per second; 0: the muxer's
  double preloadSeconds = 0;
  // Written data reaches the file after every packet instead of about once a second.
  bool flushEveryPacket = false;
  TRecordTags tags;
};

using formats::FrameRateOfCode;

// The MPEG recorder's settings as calls gave them.
struct TMpegSettings {
  int streamType = 2;
  int bitRate = 4000000;
  int quality = 0;
  int width = 640, height = 480;
  int sampleRate = 44100;
  int frameRateCode = 5;
  bool timeShift = false;
  bool programStream = true;
  // A disc (VCD, SVCD, DVD) or a plain stream; unset: the stream type's plain stream.
  std::optional<Container> container;
  // A row of the format table; unset: the stream type and container above decide.
  std::optional<formats::RecordFormat> format;
  int bitRateCap = 0;  // H.264 and HEVC: the most bits per second, 0 for no cap
  bool softwareOnly = false;
  TRecordTags tags;
};

// A program stream or time-shift profile from the recorder's settings. A disc container gets its
// standard's size, rates, audio and packs, PAL or NTSC by the frame height.
TRecordProfile MpegProfileOf(const TMpegSettings& settings, const QString& path);

// The profile of an "OKA MPEG Multiplexer" output type for raw input. Disc types are left
// without a frame size until the input shows whether it is PAL or NTSC.
TRecordProfile MultiplexerProfileOf(int outputType, const QString& path);
// Gives a disc profile left open its standard's size, rate and audio.
void CompleteDiscProfile(TRecordProfile& profile, bool pal);

}  // namespace pvx::platform::media
