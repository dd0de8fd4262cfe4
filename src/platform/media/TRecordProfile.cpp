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
constexpr qint64 kAacRate = 160000;
constexpr qint64 kOpusRate = 128000;
// Constant-quality factors for "Fastest" .. "Highest"; HEVC reaches the same look at about
// four steps more than H.264.
constexpr int kH264Quality[] = {28, 26, 24, 22, 21, 20, 18};
constexpr int kHevcOffset = 4;

bool IsPalHeight(int height) { return height == 288 || height == 576; }

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

// A disc's picture, rate and sound come from its row of the format table; its rate limits,
// buffer and packs from its standard.
void MakeDisc(TRecordProfile& p, Container container, bool pal, qint64 bitRate) {
  const formats::TRecordFormatDef* disc =
      formats::FindDiscFormat(container, pal ? formats::Standard::Pal : formats::Standard::Ntsc);
  if (!disc) return;
  p.container = container;
  p.video = disc->Video;
  p.width = disc->Size.Width;
  p.height = disc->Size.Height;
  FrameRateOfCode(disc->FrameRate, p.fpsNum, p.fpsDen);
  UseMpegAudio(p, disc->SampleRate);
  p.audio = disc->Audio;
  if (p.audio == AudioCodec::Ac3) p.audioBitRate = kAc3Rate;
  switch (container) {
    case Container::Vcd:
      p.videoBitRate = p.maxRate = p.minRate = kVcdVideoRate;
      p.bufferSize = kVcdBuffer;
      p.packetSize = kCdPack;
      p.muxRate = kVcdMuxRate;
      p.preloadSeconds = kVcdPreload;
      break;
    case Container::Svcd:
      p.videoBitRate = qBound<qint64>(500000, bitRate, kSvcdVideoRate);
      p.maxRate = kSvcdMaxRate;
      p.bufferSize = kMainLevelBuffer;
      p.packetSize = kCdPack;
      break;
    default:
      p.videoBitRate = qBound<qint64>(500000, bitRate, kDvdMaxRate);
      p.maxRate = kDvdMaxRate;
      p.bufferSize = kMainLevelBuffer;
      p.packetSize = kDvdPack;
      p.muxRate = kDvdMuxRate;
      break;
  }
}

// A disc type whose standard the input will show.
void OpenDisc(TRecordProfile& p, Container container, qint64 bitRate) {
  p.container = container;
  p.video = container == Container::Vcd ? VideoCodec::Mpeg1 : VideoCodec::Mpeg2;
  p.videoBitRate = bitRate;
  UseMpegAudio(p, 0);
}

// Without a row of the table: the first row of the same container and codec says.
bool KeepsFields(const TMpegSettings& s) {
  const Container container = s.container.value_or(s.streamType == 1 ? Container::MpegSystem : Container::MpegProgram);
  const VideoCodec video = s.streamType == 1 ? VideoCodec::Mpeg1 : VideoCodec::Mpeg2;
  for (const formats::TRecordFormatDef& f : formats::RecordFormats())
    if (f.Container == container && f.Video == video) return f.KeepsFields;
  return false;
}

// H.264 or HEVC at a constant quality, at the card's own frame rate, a key picture every second
// so that a fragment of a killed MP4 file is never more than a second behind.
void MakeConstantQuality(TRecordProfile& p, const formats::TRecordFormatDef& format,
                         const TMpegSettings& s) {
  p.container = format.Container;
  p.video = format.Video;
  p.width = s.width;
  p.height = s.height;
  p.fpsNum = 0;
  p.videoBitRate = 0;
  p.maxRate = s.bitRateCap;
  p.bufferSize = 2 * s.bitRateCap;
  p.keyIntervalSeconds = 1.0;
  // A fragmented MP4 has no edit list to hide the delay B-pictures add: its pictures would
  // start late against the sound.
  p.maxBFrames = format.Container == Container::Mp4 ? 0 : 2;
  const int q = qBound(0, s.quality, 6);
  p.constantQuality = kH264Quality[q] + (format.Video == VideoCodec::Hevc ? kHevcOffset : 0);
  p.audio = format.Audio;
  p.sampleRate = format.SampleRate;
  p.channels = 2;
  p.audioBitRate = format.Audio == AudioCodec::Opus ? kOpusRate : kAacRate;
}

}  // namespace

TRecordProfile MpegProfileOf(const TMpegSettings& s, const QString& path) {
  TRecordProfile p;
  p.path = path;
  p.quality = s.quality;
  p.softwareOnly = s.softwareOnly;
  p.tags = s.tags;
  const formats::TRecordFormatDef* format = s.format ? formats::FindRecordFormat(int(*s.format)) : nullptr;
  if (!s.timeShift) p.keepFields = format ? format->KeepsFields : KeepsFields(s);
  if (format && format->IsConstantQuality() && !s.timeShift) {
    MakeConstantQuality(p, *format, s);
    return p;
  }
  const bool mpeg1 = s.streamType == 1;
  const Container container = s.timeShift ? Container::Elementary
                                          : s.container.value_or(mpeg1 ? Container::MpegSystem
                                                                       : Container::MpegProgram);
  switch (container) {
    case Container::Vcd:
    case Container::Svcd:
    case Container::Dvd: MakeDisc(p, container, IsPalHeight(s.height), s.bitRate); break;
    default:
      p.container = container;
      p.video = mpeg1 ? VideoCodec::Mpeg1 : VideoCodec::Mpeg2;
      p.width = s.width;
      p.height = s.height;
      FrameRateOfCode(s.frameRateCode, p.fpsNum, p.fpsDen);
      p.videoBitRate = s.bitRate;
      UseMpegAudio(p, s.sampleRate);
      if (container == Container::Elementary) {
        p.audioPath = path.isEmpty() ? path : path.left(path.size() - 1) + "a";
        p.flushEveryPacket = true;
      }
      break;
  }
  p.gop = GopOf(p.fpsNum, p.fpsDen);
  p.maxBFrames = s.quality >= 3 ? 2 : 0;
  return p;
}

void CompleteDiscProfile(TRecordProfile& p, bool pal) {
  if (p.height != 0) return;
  if (p.container != Container::Vcd && p.container != Container::Svcd && p.container != Container::Dvd) return;
  MakeDisc(p, p.container, pal, p.videoBitRate);
  p.gop = GopOf(p.fpsNum, p.fpsDen);
}

TRecordProfile MultiplexerProfileOf(int outputType, const QString& path) {
  TRecordProfile p;
  p.path = path;
  p.quality = 3;
  p.maxBFrames = 2;
  switch (outputType) {
    case MpegOutput_Vcd: OpenDisc(p, Container::Vcd, kVcdVideoRate); break;
    case MpegOutput_Svcd: OpenDisc(p, Container::Svcd, kSvcdVideoRate); break;
    case MpegOutput_Dvd: OpenDisc(p, Container::Dvd, 6000000); break;
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
