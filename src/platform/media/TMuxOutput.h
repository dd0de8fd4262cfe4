#pragma once
// The files of a recording: one libavformat muxer (program stream, AVI, WAV, MP3, MP4,
// Matroska) or, for the time-shift pair, a video and an audio elementary file. Written data
// reaches the disk about once a second (the time-shift pair after every packet, MP4 and
// Matroska after every fragment or cluster), and always on a packet boundary, so a killed
// process leaves a file that plays up to its last second.

#include <QString>
#include <memory>

#include "platform/media/FfmpegSupport.h"
#include "platform/media/TOutputFile.h"
#include "platform/media/TRecordProfile.h"

namespace pvx::platform::media {

class TMuxOutput {
 public:
  ~TMuxOutput();

  bool Open(const TRecordProfile& profile, QString& error);
  // Whether the streams' headers must be kept apart from their packets.
  bool NeedsGlobalHeader() const;
  bool AddVideo(const AVCodecContext* codec, QString& error);
  bool AddAudio(const AVCodecContext* codec, QString& error);
  bool WriteHeader(QString& error);
  // Takes the packet's data; its times are in the codec's time base.
  bool Write(AVPacket* packet, bool video, AVRational codecTimeBase);
  // Writes the trailer (AVI index, WAV sizes, MP3 frame count) and closes the files.
  bool Finish();

 private:
  struct Output {
    AVFormatContext* context = nullptr;
    AVStream* stream = nullptr;  // elementary files: their one stream
    std::unique_ptr<TOutputFile> file;
  };
  bool OpenOutput(Output& part, const char* format, const QString& path, QString& error);
  bool AddStream(Output& part, const AVCodecContext* codec, AVStream*& stream, QString& error);
  void Close(Output& part);

  TRecordProfile profile_;
  Output main_;        // every stream, or the video elementary file
  Output audioFile_;   // the audio elementary file
  AVStream* video_ = nullptr;
  AVStream* audio_ = nullptr;
  bool headerWritten_ = false;
  int64_t lastFlushUs_ = 0;
  bool onDisk_ = false;
  int64_t committedAt_ = 0;
};

}  // namespace pvx::platform::media
