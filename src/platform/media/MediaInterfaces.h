#pragma once
// What the capture engine and the players call on the recorder, compressor, multiplexer, writer,
// splitter and source components, and the friendly names those components are registered
// under. Free of GStreamer and FFmpeg: engine code includes this.

#include <QString>

#include "formats/RecordFormats.h"
#include "platform/graph/GraphTypes.h"
#include "platform/graph/Interfaces.h"

namespace pvx::platform::media {

// Friendly names. The ones the engine finds by name are the system's own; components it
// creates by class identifier get names of our choosing, none containing another's.
inline constexpr const char* kMpegRecorderName = "OKA Mpeg1/2 Recorder Filter";
inline constexpr const char* kDivxName = "Divx";
inline constexpr const char* kMsMpeg4V3Name = "Microsoft MPEG-4 Video Codec V3";
inline constexpr const char* kMsMpeg4V2Name = "Microsoft MPEG-4 Video Codec V2";
inline constexpr const char* kAviMuxName = "AVI Mux";
inline constexpr const char* kFileWriterName = "File Writer";
inline constexpr const char* kWavDestName = "WAV Dest";
inline constexpr const char* kMp3CompressorName = "MPEG Layer-3";
inline constexpr const char* kMpegMultiplexerName = "OKA MPEG Multiplexer";
inline constexpr const char* kMpegAudioEncoderName = "OKA MPEG1 Audio Encoder";
inline constexpr const char* kMpegWriterName = "OKA MPEG Writer";  // the writer object
inline constexpr const char* kTimeShiftSplitterName = "OKA MPEG TimeShift";
inline constexpr const char* kMpegAudioDecoderName = "OKA MPEG Audio Decoder";
inline constexpr const char* kSingleFileSourceName = "OKA TimeShift File Source";
inline constexpr const char* kGrowingFileSourceName = "OKA Growing File Source";
inline constexpr const char* kStoredFileSourceName = "File Source (Async.)";
inline constexpr const char* kMediaSplitterName = "OKA Media Splitter";

// The settings of "OKA Mpeg1/2 Recorder Filter", one call per setting, in the order the
// recording graph makes them. Each returns false for a value it cannot record, changing nothing.
struct TRecordTags;

class IMpegRecorderSettings {
 public:
  virtual ~IMpegRecorderSettings() = default;
  // 1 MPEG-1, 2 MPEG-2.
  virtual bool SetStreamType(int type) = 0;
  virtual bool SetVideoBitRate(int bitsPerSecond) = 0;
  // 0 "Fastest" .. 6 "Highest".
  virtual bool SetQuality(int quality) = 0;
  virtual bool SetFrameSize(int width, int height) = 0;
  virtual bool SetAudioSampleRate(int hertz) = 0;
  // 1 23.976, 2 24, 3 25, 4 29.97, any other value 30 frames/s.
  virtual bool SetFrameRateCode(int code) = 0;
  // timeShift: the elementary pair (the named .mpv file and its ".mpa" companion), flushed as
  // written so it can be played while it grows. programStream: one MPEG program stream file.
  virtual bool SetFlags(bool timeShift, bool programStream) = 0;
  // A disc (VCD, SVCD, DVD) or a plain MPEG-1 system or MPEG-2 program stream: said, not
  // guessed from the size and rates. Without it the stream type's plain stream is written.
  virtual bool SetContainer(formats::Container container) = 0;
  // Any row of the format table, the H.264 and HEVC ones included: its container and codecs.
  virtual bool SetRecordFormat(formats::RecordFormat format) = 0;
  // softwareOnly: never the graphics card's encoder. The tags go where the container keeps them.
  virtual bool SetEncoding(bool softwareOnly, const TRecordTags& tags) = 0;
};

// "OKA MPEG Multiplexer": the kind of file it writes (its second method sets it).
enum MpegOutputType : int {
  MpegOutput_Mpeg1 = 0,
  MpegOutput_Vcd = 1,
  MpegOutput_Mpeg2 = 2,
  MpegOutput_Svcd = 3,
  MpegOutput_Dvd = 4,
};

class IMpegMultiplexer {
 public:
  virtual ~IMpegMultiplexer() = default;
  virtual int get_OutputType() const = 0;
  virtual bool put_OutputType(int type) = 0;
};

// "OKA MPEG1 Audio Encoder" (and "MPEG Layer-3"): the puts are its second, fourth and sixth
// methods.
class IMpegAudioEncoder {
 public:
  virtual ~IMpegAudioEncoder() = default;
  virtual int get_BitRate() const = 0;
  virtual bool put_BitRate(int bitsPerSecond) = 0;
  virtual int get_SampleRate() const = 0;
  virtual bool put_SampleRate(int hertz) = 0;
  virtual int get_Channels() const = 0;
  virtual bool put_Channels(int channels) = 0;
};

// The file writers: a file name (IFileSink) and the mode (0: overwrite).
class IFileSinkFilter2 : public graph::IFileSink {
 public:
  virtual bool SetMode(int mode) = 0;
  virtual int GetMode() const = 0;
};

// The components that write a recording: why the running (or last) one failed; empty while
// it goes well.
class IRecordingResult {
 public:
  virtual ~IRecordingResult() = default;
  virtual QString LastError() const = 0;
};

// The file sources: the file to read. A type of nullptr means "find out from the file".
class IFileSourceFilter {
 public:
  virtual ~IFileSourceFilter() = default;
  virtual bool Load(const QString& path, const graph::TMediaType* type = nullptr) = 0;
  virtual QString GetCurFile() const = 0;
};

// The growing-file source: at the end of the file it waits for more instead of ending the
// stream, until the writer has stopped. A writer in this process is noticed by itself; a writer
// elsewhere is announced with WriterStopped.
class IGrowingFileSource {
 public:
  virtual ~IGrowingFileSource() = default;
  virtual void WriterStopped() = 0;
  virtual bool IsFollowing() const = 0;
};

}  // namespace pvx::platform::media
