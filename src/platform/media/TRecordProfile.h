#pragma once
// What a recording writes: container, codecs and their settings. The components fill one from
// the calls they were given; the session turns it into FFmpeg encoders and muxers.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace pvx::platform::media {

enum class Container {
  MpegSystem,  // MPEG-1 system stream ("mpeg")
  Vcd,
  Svcd,
  Dvd,
  MpegProgram,  // MPEG-2 program stream ("vob")
  Avi,
  Wav,
  Mp3,
  Elementary,  // a video elementary file and an audio elementary file
};

enum class VideoCodec { None, Mpeg1, Mpeg2, Mpeg4, MsMpeg4V3, MsMpeg4V2, Raw };
enum class AudioCodec { None, Mp2, Ac3, Mp3, Pcm };

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

  AudioCodec audio = AudioCodec::None;
  int sampleRate = 0, channels = 0;   // 0: as captured
  qint64 audioBitRate = 0;

  int packetSize = 0;     // program-stream pack size; 0: the muxer's
  qint64 muxRate = 0;     // bits per second; 0: the muxer's
  double preloadSeconds = 0;
  // Written data reaches the file after every packet instead of about once a second.
  bool flushEveryPacket = false;
};

// Frame rate of a recorder frame-rate code: 1 23.976, 2 24, 3 25, 4 29.97, else 30.
void FrameRateOfCode(int code, int& num, int& den);

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
};

// A program stream or time-shift profile from the recorder's settings. MPEG-1 at the VCD size
// and bit rate becomes VCD, MPEG-2 at an SVCD size with 44.1 kHz becomes SVCD, MPEG-2 at a DVD
// size with 48 kHz becomes DVD: those get their standard's rates, audio and packs.
TRecordProfile MpegProfileOf(const TMpegSettings& settings, const QString& path);

// The profile of an "OKA MPEG Multiplexer" output type for raw input. Disc types are left
// without a frame size until the input shows whether it is PAL or NTSC.
TRecordProfile MultiplexerProfileOf(int outputType, const QString& path);
// Gives a disc profile left open its standard's size, rate and audio.
void CompleteDiscProfile(TRecordProfile& profile, bool pal);

}  // namespace pvx::platform::media
