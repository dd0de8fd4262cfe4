#include "platform/media/TRecordProfile.h"

#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {
namespace {

// Video CD, Super Video CD and DVD-Video: pack sizes, multiplex rates, decoder buffer sizes and
// rate limits of those standards.
constexpr qint64 kVcdVideoRate = 1150000;
constexpr qint64 kVcdBuffer = 40 * 1024 * 8;
constexpr qint64 kVcdMuxRate = 2352 * 75 * 8;
constexpr int kCdPack = 2324;
constexpr double kVcdPreload = (36000 + 3 * 1200) / 90000.0;
constexpr qint64 kSvcdMaxRate = 2516000;
constexpr qint64 kSvcdVideoRate = 2300000;
constexpr qint64 kDvdMaxRate = 9000000;
constexpr qint64 kDvdMuxRate = 10080000;
constexpr int kDvdPack = 2048;
constexpr qint64 kMainLevelBuffer = 224 * 1024 * 8;
constexpr qint64 kMpegAudioRate = 224000;
constexpr qint64 kAc3Rate = 192000;

bool IsPalHeight(int height) { return height == 288 || height == 576; }

void SetStandardRate(TRecordProfile& p) {
  p.fpsNum = IsPalHeight(p.height) ? 25 : 30000;
  p.fpsDen = IsPalHeight(p.height) ? 1 : 1001;
}

// Groups of pictures of half a second, as the disc standards allow (15 PAL, 18 NTSC).
int GopOf(int num, int den) {
  const double fps = double(num) / den;
  if (fps < 24.5) return 12;
  if (fps < 26) return 15;
  return 18;
}

void UseMpegAudio(TRecordProfile& p, int rate) {
  p.audio = AudioCodec::Mp2;
  p.sampleRate = rate;
  p.channels = 2;
  p.audioBitRate = kMpegAudioRate;
}

void MakeVcd(TRecordProfile& p, int height) {
  p.container = Container::Vcd;
  p.video = VideoCodec::Mpeg1;
  p.width = 352;
  p.height = height;
  SetStandardRate(p);
  p.videoBitRate = p.maxRate = p.minRate = kVcdVideoRate;
  p.bufferSize = kVcdBuffer;
  p.packetSize = kCdPack;
  p.muxRate = kVcdMuxRate;
  p.preloadSeconds = kVcdPreload;
  UseMpegAudio(p, 44100);
}

void MakeSvcd(TRecordProfile& p, int height, qint64 bitRate) {
  p.container = Container::Svcd;
  p.video = VideoCodec::Mpeg2;
  p.width = 480;
  p.height = height;
  SetStandardRate(p);
  p.videoBitRate = qBound<qint64>(500000, bitRate, kSvcdVideoRate);
  p.maxRate = kSvcdMaxRate;
  p.bufferSize = kMainLevelBuffer;
  p.packetSize = kCdPack;
  UseMpegAudio(p, 44100);
}

void MakeDvd(TRecordProfile& p, int height, qint64 bitRate) {
  p.container = Container::Dvd;
  p.video = VideoCodec::Mpeg2;
  p.width = 720;
  p.height = height;
  SetStandardRate(p);
  p.videoBitRate = qBound<qint64>(500000, bitRate, kDvdMaxRate);
  p.maxRate = kDvdMaxRate;
  p.bufferSize = kMainLevelBuffer;
  p.packetSize = kDvdPack;
  p.muxRate = kDvdMuxRate;
  UseMpegAudio(p, 48000);
  // NTSC discs carry AC-3 (or PCM); MPEG audio is a PAL-only option.
  if (!IsPalHeight(height)) {
    p.audio = AudioCodec::Ac3;
    p.audioBitRate = kAc3Rate;
  }
}

}  // namespace

void FrameRateOfCode(int code, int& num, int& den) {
  switch (code) {
    case 1: num = 24000; den = 1001; break;
    case 2: num = 24; den = 1; break;
    case 3: num = 25; den = 1; break;
    case 4: num = 30000; den = 1001; break;
    default: num = 30; den = 1; break;
  }
}

TRecordProfile MpegProfileOf(const TMpegSettings& s, const QString& path) {
  TRecordProfile p;
  p.path = path;
  p.quality = s.quality;
  const bool mpeg1 = s.streamType == 1;
  if (!s.timeShift && mpeg1 && s.width == 352 && (s.height == 240 || s.height == 288) &&
      s.bitRate == kVcdVideoRate) {
    MakeVcd(p, s.height);
  } else if (!s.timeShift && !mpeg1 && s.width == 480 && (s.height == 480 || s.height == 576) &&
             s.sampleRate == 44100) {
    MakeSvcd(p, s.height, s.bitRate);
  } else if (!s.timeShift && !mpeg1 && s.width == 720 && (s.height == 480 || s.height == 576) &&
             s.sampleRate == 48000) {
    MakeDvd(p, s.height, s.bitRate);
  } else {
    p.video = mpeg1 ? VideoCodec::Mpeg1 : VideoCodec::Mpeg2;
    p.width = s.width;
    p.height = s.height;
    FrameRateOfCode(s.frameRateCode, p.fpsNum, p.fpsDen);
    p.videoBitRate = s.bitRate;
    UseMpegAudio(p, s.sampleRate);
    if (s.timeShift) {
      p.container = Container::Elementary;
      p.audioPath = path.isEmpty() ? path : path.left(path.size() - 1) + "a";
      p.flushEveryPacket = true;
    } else {
      p.container = mpeg1 ? Container::MpegSystem : Container::MpegProgram;
    }
  }
  p.gop = GopOf(p.fpsNum, p.fpsDen);
  p.maxBFrames = s.quality >= 3 ? 2 : 0;
  return p;
}

void CompleteDiscProfile(TRecordProfile& p, bool pal) {
  if (p.height != 0) return;
  const qint64 bitRate = p.videoBitRate;
  switch (p.container) {
    case Container::Vcd: MakeVcd(p, pal ? 288 : 240); break;
    case Container::Svcd: MakeSvcd(p, pal ? 576 : 480, bitRate); break;
    case Container::Dvd: MakeDvd(p, pal ? 576 : 480, bitRate); break;
    default: return;
  }
  p.gop = GopOf(p.fpsNum, p.fpsDen);
}

TRecordProfile MultiplexerProfileOf(int outputType, const QString& path) {
  TRecordProfile p;
  p.path = path;
  p.quality = 3;
  p.maxBFrames = 2;
  switch (outputType) {
    case MpegOutput_Vcd: MakeVcd(p, 0); break;
    case MpegOutput_Svcd: MakeSvcd(p, 0, kSvcdVideoRate); break;
    case MpegOutput_Dvd: MakeDvd(p, 0, 6000000); break;
    case MpegOutput_Mpeg2:
      p.container = Container::MpegProgram;
      p.video = VideoCodec::Mpeg2;
      p.videoBitRate = 4000000;
      UseMpegAudio(p, 0);
      break;
    default:
      p.container = Container::MpegSystem;
      p.video = VideoCodec::Mpeg1;
      p.videoBitRate = 1350000;
      UseMpegAudio(p, 0);
      break;
  }
  return p;
}

}  // namespace pvx::platform::media
