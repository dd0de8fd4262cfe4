#pragma once
// Every kind of file the program records, in one table: the video formats a person picks in the
// settings dialog or the scheduler ("MPEG 1" .. "SVCD (PAL)"), the two audio-only formats, and
// the containers underneath them. The settings dialog, the scheduler, the engine and the
// recorder components all read it, so a format is defined once. Plain C++: every layer links it.

#include <span>
#include <string_view>

namespace pvx::formats {

// The stored numbers of QDVCR.cfg and Relay.rec: never renumber, add new ones at the end.
enum class RecordFormat : int {
  Mpeg1 = 0,
  Mpeg2 = 1,
  Mpeg4Avi = 2,
  Avi = 3,
  VcdNtsc = 4,
  VcdPal = 5,
  DvdNtsc = 6,
  DvdPal = 7,
  SvcdNtsc = 8,
  SvcdPal = 9,
  Mp4H264 = 10,
  MatroskaH264 = 11,
  MatroskaHevc = 12,
};

// The stored audio format of an audio-only recording.
enum class AudioFormat : int { Wave = 0, Mp3 = 1 };

enum class Container {
  MpegSystem,   // MPEG-1 system stream
  Vcd,
  Svcd,
  Dvd,
  MpegProgram,  // MPEG-2 program stream
  Avi,
  Wav,
  Mp3,
  Elementary,   // a video elementary file and an audio elementary file (time-shift)
  Mp4,          // fragmented, so a killed recording still plays
  Matroska,
};

enum class VideoCodec { None, Mpeg1, Mpeg2, Mpeg4, MsMpeg4V3, MsMpeg4V2, Raw, H264, Hevc };
enum class AudioCodec { None, Mp2, Ac3, Mp3, Pcm, Aac, Opus };

// The TV standard a disc format is made for; free formats take what the card sends.
enum class Standard { Any, Ntsc, Pal };

// Recorder frame-rate codes, as stored: the settings' frame-rate list is code - 1.
enum FrameRateCode : int { kRate23976 = 1, kRate24 = 2, kRate25 = 3, kRate2997 = 4, kRate30 = 5 };

// Quality 0 "Fastest" .. 6 "Highest".
inline constexpr int kQualityFastest = 0;
inline constexpr int kQualityNormal = 3;

struct TFrameSize {
  int Width = 0, Height = 0;
  constexpr bool operator==(const TFrameSize&) const = default;
};

struct TRecordFormatDef {
  RecordFormat Format;
  std::string_view Name;  // as the lists show it and the scheduler's command line takes it
  formats::Container Container;
  VideoCodec Video;       // Mpeg4: the user's MPEG-4 compressor choice
  AudioCodec Audio;
  formats::Standard Standard;
  std::span<const TFrameSize> Sizes;  // offered; a disc format offers its one size
  TFrameSize Size;                    // chosen with the format
  int BitRateKbps;                    // a constant-quality format: its cap, 0 for none
  int Quality;
  int FrameRate;                      // a FrameRateCode; 0: the card's own rate
  int SampleRate;                     // of the captured sound
  bool SizeFree, BitRateFree, QualityFree, FrameRateFree;  // the user may change them
  // Interlaced pictures stay interlaced, their field order flagged (MPEG-2 at full height);
  // every other format is deinterlaced first.
  bool KeepsFields;

  int Index() const { return static_cast<int>(Format); }
  bool IsDisc() const { return Standard != formats::Standard::Any; }
  // Encoded at a constant quality, the bit rate only a cap (H.264, HEVC).
  bool IsConstantQuality() const { return Video == VideoCodec::H264 || Video == VideoCodec::Hevc; }
};

struct TAudioFormatDef {
  AudioFormat Format;
  std::string_view Name;
  formats::Container Container;
  AudioCodec Audio;
};

struct TContainerDef {
  formats::Container Container;
  std::string_view Muxer;      // libavformat's name; empty for the elementary pair
  std::string_view Extension;  // of the (video) file
};

std::span<const TRecordFormatDef> RecordFormats();
std::span<const TAudioFormatDef> AudioFormats();

// nullptr for a number no format has (a damaged file, a newer program's format).
const TRecordFormatDef* FindRecordFormat(int stored);
const TAudioFormatDef* FindAudioFormat(int stored);
// The stored default, "MPEG 2", for anything unknown.
const TRecordFormatDef& RecordFormatOrDefault(int stored);
// The disc format of a VCD, SVCD or DVD container for a standard; nullptr for other containers.
const TRecordFormatDef* FindDiscFormat(Container container, Standard standard);
const TContainerDef& ContainerOf(Container container);

// Frames per second of a frame-rate code as a fraction; unknown codes are 30.
void FrameRateOfCode(int code, int& num, int& den);

}  // namespace pvx::formats
