#include "formats/RecordFormats.h"

#include <array>

namespace pvx::formats {
namespace {

using F = RecordFormat;
using C = Container;
using V = VideoCodec;
using A = AudioCodec;
using S = Standard;
using Z = TFrameSize;

constexpr Z kMpeg1Sizes[] = {{160, 120}, {240, 176}, {320, 240}, {320, 288}, {352, 240}, {352, 288}};
constexpr Z kMpeg2Sizes[] = {{160, 120}, {320, 240}, {320, 288}, {352, 288},
                             {640, 240}, {640, 480}, {720, 480}, {720, 576}};
constexpr Z kMpeg4Sizes[] = {{160, 120}, {320, 240}, {352, 240}, {352, 288},
                             {640, 240}, {640, 480}, {720, 480}, {720, 576}};
constexpr Z kModernSizes[] = {{320, 240}, {352, 288}, {640, 480}, {704, 576}, {720, 480}, {720, 576}};
constexpr Z kVcdNtsc[] = {{352, 240}};
constexpr Z kVcdPal[] = {{352, 288}};
constexpr Z kDvdNtsc[] = {{720, 480}};
constexpr Z kDvdPal[] = {{720, 576}};
constexpr Z kSvcdNtsc[] = {{480, 480}};
constexpr Z kSvcdPal[] = {{480, 576}};

// clang-format off
//  format, name, container, video, audio, standard, sizes, size, kbps, quality, rate, sample rate,
//  free: size, bit rate, quality, frame rate; keeps fields
constexpr TRecordFormatDef kFormats[] = {
  {F::Mpeg1, "MPEG 1", C::MpegSystem, V::Mpeg1, A::Mp2, S::Any, kMpeg1Sizes, {320, 240}, 1350, kQualityNormal, kRate30, 44100, true, true, true, true, false},
  {F::Mpeg2, "MPEG 2", C::MpegProgram, V::Mpeg2, A::Mp2, S::Any, kMpeg2Sizes, {640, 240}, 4000, kQualityFastest, kRate30, 44100, true, true, true, true, true},
  {F::Mpeg4Avi, "MPEG 4", C::Avi, V::Mpeg4, A::Pcm, S::Any, kMpeg4Sizes, {352, 240}, 2000, kQualityFastest, kRate30, 44100, true, false, false, true, false},
  {F::Avi, "AVI", C::Avi, V::Raw, A::Pcm, S::Any, kMpeg4Sizes, {352, 240}, 2000, kQualityFastest, kRate30, 44100, true, false, false, true, false},
  {F::VcdNtsc, "VCD (NTSC)", C::Vcd, V::Mpeg1, A::Mp2, S::Ntsc, kVcdNtsc, {352, 240}, 1150, kQualityNormal, kRate2997, 44100, false, false, false, false, false},
  {F::VcdPal, "VCD (PAL)", C::Vcd, V::Mpeg1, A::Mp2, S::Pal, kVcdPal, {352, 288}, 1150, kQualityNormal, kRate25, 44100, false, false, false, false, false},
  // NTSC DVDs carry AC-3 (or PCM); MPEG audio is a PAL-only option.
  {F::DvdNtsc, "DVD (NTSC)", C::Dvd, V::Mpeg2, A::Ac3, S::Ntsc, kDvdNtsc, {720, 480}, 3950, kQualityFastest, kRate2997, 48000, false, true, true, false, true},
  {F::DvdPal, "DVD (PAL)", C::Dvd, V::Mpeg2, A::Mp2, S::Pal, kDvdPal, {720, 576}, 3950, kQualityFastest, kRate25, 48000, false, true, true, false, true},
  {F::SvcdNtsc, "SVCD (NTSC)", C::Svcd, V::Mpeg2, A::Mp2, S::Ntsc, kSvcdNtsc, {480, 480}, 2300, kQualityNormal, kRate2997, 44100, false, false, false, false, true},
  {F::SvcdPal, "SVCD (PAL)", C::Svcd, V::Mpeg2, A::Mp2, S::Pal, kSvcdPal, {480, 576}, 2300, kQualityNormal, kRate25, 44100, false, false, false, false, true},
  // Constant quality at the card's own rate; the bit rate is an optional cap.
  {F::Mp4H264, "MP4 (H.264)", C::Mp4, V::H264, A::Aac, S::Any, kModernSizes, {720, 576}, 0, kQualityNormal, 0, 48000, true, true, true, false, false},
  {F::MatroskaH264, "Matroska (H.264)", C::Matroska, V::H264, A::Aac, S::Any, kModernSizes, {720, 576}, 0, kQualityNormal, 0, 48000, true, true, true, false, false},
  {F::MatroskaHevc, "Matroska (HEVC)", C::Matroska, V::Hevc, A::Opus, S::Any, kModernSizes, {720, 576}, 0, kQualityNormal, 0, 48000, true, true, true, false, false},
};

constexpr TAudioFormatDef kAudioFormats[] = {
  {AudioFormat::Wave, "Wave", C::Wav, A::Pcm},
  {AudioFormat::Mp3, "MP3", C::Mp3, A::Mp3},
};

constexpr TContainerDef kContainers[] = {
  {C::MpegSystem, "mpeg", "mpg"},
  {C::Vcd, "vcd", "mpg"},
  {C::Svcd, "svcd", "mpg"},
  {C::Dvd, "dvd", "mpg"},
  {C::MpegProgram, "vob", "mpg"},
  {C::Avi, "avi", "avi"},
  {C::Wav, "wav", "wav"},
  {C::Mp3, "mp3", "mp3"},
  {C::Elementary, "", "mpv"},
  {C::Mp4, "mp4", "mp4"},
  {C::Matroska, "matroska", "mkv"},
};
// clang-format on

// The stored numbers are the table's positions.
constexpr bool InStoredOrder() {
  for (int i = 0; i < int(std::size(kFormats)); ++i)
    if (static_cast<int>(kFormats[i].Format) != i) return false;
  for (int i = 0; i < int(std::size(kAudioFormats)); ++i)
    if (static_cast<int>(kAudioFormats[i].Format) != i) return false;
  for (int i = 0; i < int(std::size(kContainers)); ++i)
    if (static_cast<int>(kContainers[i].Container) != i) return false;
  return true;
}
static_assert(InStoredOrder());

}  // namespace

std::span<const TRecordFormatDef> RecordFormats() { return kFormats; }
std::span<const TAudioFormatDef> AudioFormats() { return kAudioFormats; }

const TRecordFormatDef* FindRecordFormat(int stored) {
  return stored >= 0 && stored < int(std::size(kFormats)) ? &kFormats[stored] : nullptr;
}

const TAudioFormatDef* FindAudioFormat(int stored) {
  return stored >= 0 && stored < int(std::size(kAudioFormats)) ? &kAudioFormats[stored] : nullptr;
}

const TRecordFormatDef& RecordFormatOrDefault(int stored) {
  const TRecordFormatDef* def = FindRecordFormat(stored);
  return def ? *def : kFormats[static_cast<int>(F::Mpeg2)];
}

const TRecordFormatDef* FindDiscFormat(Container container, Standard standard) {
  for (const TRecordFormatDef& def : kFormats)
    if (def.Container == container && def.Standard == standard) return &def;
  return nullptr;
}

const TContainerDef& ContainerOf(Container container) { return kContainers[static_cast<int>(container)]; }

void FrameRateOfCode(int code, int& num, int& den) {
  switch (code) {
    case kRate23976: num = 24000; den = 1001; break;
    case kRate24: num = 24; den = 1; break;
    case kRate25: num = 25; den = 1; break;
    case kRate2997: num = 30000; den = 1001; break;
    default: num = 30; den = 1; break;
  }
}

}  // namespace pvx::formats
