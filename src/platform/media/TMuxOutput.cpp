#include "platform/media/TMuxOutput.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <cstring>

#include <QFile>

namespace pvx::platform::media {
namespace {

constexpr int64_t kFlushIntervalUs = 1000000;

const char* MuxerOf(Container container) {
  const std::string_view muxer = formats::ContainerOf(container).Muxer;
  return muxer.empty() ? nullptr : muxer.data();
}

const char* ElementaryMuxerOf(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_MPEG1VIDEO: return "mpeg1video";
    case AV_CODEC_ID_MPEG2VIDEO: return "mpeg2video";
    case AV_CODEC_ID_MP2: return "mp2";
    case AV_CODEC_ID_AC3: return "ac3";
    case AV_CODEC_ID_MP3: return "mp3";
    default: return nullptr;
  }
}

// Where the container keeps each tag: MP4 only knows a fixed set of names.
void SetTags(AVFormatContext* context, const TRecordProfile& p) {
  const TRecordTags& t = p.tags;
  const auto set = [context](const char* key, const QString& value) {
    if (!value.isEmpty()) av_dict_set(&context->metadata, key, value.toUtf8().constData(), 0);
  };
  set("title", t.title.isEmpty() ? t.station : t.title);
  set("show", t.title);
  set("network", t.station);
  if (t.channel > 0) set("comment", QStringLiteral("CH %1").arg(t.channel));
  if (t.start.isValid()) set("creation_time", t.start.toUTC().toString(Qt::ISODateWithMs));
}

bool IsProgramStream(Container c) {
  return c == Container::MpegSystem || c == Container::Vcd || c == Container::Svcd ||
         c == Container::Dvd || c == Container::MpegProgram;
}

}  // namespace

TMuxOutput::~TMuxOutput() {
  Close(main_);
  Close(audioFile_);
}

bool TMuxOutput::Open(const TRecordProfile& profile, QString& error) {
  profile_ = profile;
  if (profile.container == Container::Elementary) return true;  // opened with their streams
  return OpenOutput(main_, MuxerOf(profile.container), profile.path, error);
}

bool TMuxOutput::OpenOutput(Output& part, const char* format, const QString& path, QString& error) {
  const QByteArray name = QFile::encodeName(path);
  if (!format || avformat_alloc_output_context2(&part.context, nullptr, format, name.constData()) < 0) {
    error = QStringLiteral("no muxer for ") + path;
    return false;
  }
  part.file = std::make_unique<TOutputFile>();
  if (!part.file->Open(path)) {
    error = QStringLiteral("cannot write ") + path;
    return false;
  }
  part.context->pb = part.file->Io();
  part.context->flags |= AVFMT_FLAG_CUSTOM_IO;
  return true;
}

bool TMuxOutput::NeedsGlobalHeader() const {
  return main_.context && (main_.context->oformat->flags & AVFMT_GLOBALHEADER);
}

bool TMuxOutput::AddStream(Output& part, const AVCodecContext* codec, AVStream*& stream,
                           QString& error) {
  stream = avformat_new_stream(part.context, nullptr);
  if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0) {
    error = QStringLiteral("cannot add a stream");
    return false;
  }
  stream->time_base = codec->time_base;
  if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
    stream->avg_frame_rate = codec->framerate;
    stream->sample_aspect_ratio = codec->sample_aspect_ratio;
  }
  // The encoder's buffer size tells the program-stream muxer how to size its buffers.
  for (int i = 0; i < codec->nb_coded_side_data; ++i) {
    const AVPacketSideData& side = codec->coded_side_data[i];
    uint8_t* copy = av_stream_new_side_data(stream, side.type, side.size);
    if (copy) memcpy(copy, side.data, side.size);
  }
  part.stream = stream;
  return true;
}

bool TMuxOutput::AddVideo(const AVCodecContext* codec, QString& error) {
  if (profile_.container == Container::Elementary &&
      !OpenOutput(main_, ElementaryMuxerOf(codec->codec_id), profile_.path, error))
    return false;
  return AddStream(main_, codec, video_, error);
}

bool TMuxOutput::AddAudio(const AVCodecContext* codec, QString& error) {
  if (profile_.container != Container::Elementary) return AddStream(main_, codec, audio_, error);
  return OpenOutput(audioFile_, ElementaryMuxerOf(codec->codec_id), profile_.audioPath, error) &&
         AddStream(audioFile_, codec, audio_, error);
}

bool TMuxOutput::WriteHeader(QString& error) {
  for (Output* part : {&main_, &audioFile_}) {
    if (!part->context) continue;
    AVDictionary* options = nullptr;
    if (IsProgramStream(profile_.container)) {
      if (profile_.packetSize > 0) part->context->packet_size = unsigned(profile_.packetSize);
      if (profile_.muxRate > 0) av_dict_set_int(&options, "muxrate", profile_.muxRate, 0);
      if (profile_.preloadSeconds > 0)
        av_dict_set_int(&options, "preload", int64_t(profile_.preloadSeconds * 1e6), 0);
    }
    if (profile_.container == Container::Avi) av_dict_set_int(&options, "flipped_raw_rgb", 1, 0);
    // A fragment at least every half second, announced before its data: a killed recording
    // plays up to its last complete fragment.
    if (profile_.container == Container::Mp4) {
      av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
      av_dict_set_int(&options, "frag_duration", 500000, 0);
    }
    // Clusters of half a second, so a killed recording loses no more than that.
    if (profile_.container == Container::Matroska) av_dict_set_int(&options, "cluster_time_limit", 500, 0);
    if (profile_.container == Container::Mp4 || profile_.container == Container::Matroska)
      SetTags(part->context, profile_);
    const int r = avformat_write_header(part->context, &options);
    av_dict_free(&options);
    if (r < 0) {
      error = QStringLiteral("cannot start the file: ") + AvErrorText(r);
      return false;
    }
    part->file->Commit();
  }
  headerWritten_ = true;
  return true;
}

bool TMuxOutput::Write(AVPacket* packet, bool video, AVRational codecTimeBase) {
  AVStream* stream = video ? video_ : audio_;
  if (!stream || !headerWritten_) return false;
  Output& part = (profile_.container == Container::Elementary && !video) ? audioFile_ : main_;
  av_packet_rescale_ts(packet, codecTimeBase, stream->time_base);
  packet->stream_index = stream->index;
  int r = 0;
  if (profile_.container == Container::Elementary) {
    r = av_write_frame(part.context, packet);
  } else {
    r = av_interleaved_write_frame(part.context, packet);
  }
  if (r < 0) {
    qCWarning(lcMedia) << "cannot write to" << profile_.path << AvErrorText(r);
    return false;
  }
  if (profile_.flushEveryPacket) return part.file->Commit();
  // A fragment or cluster the muxer has just closed goes to the disk at once: it is whole.
  if (profile_.container == Container::Mp4 || profile_.container == Container::Matroska) {
    const int64_t at = avio_tell(part.context->pb);
    if (at == committedAt_) return true;
    committedAt_ = at;
    return part.file->Commit();
  }
  // Until the muxer has put out its first bytes every packet is flushed, so a new recording
  // shows on disk as soon as it has anything; then once a second.
  const int64_t us = av_gettime_relative();
  if (!onDisk_ || us - lastFlushUs_ >= kFlushIntervalUs) {
    lastFlushUs_ = us;
    onDisk_ = avio_tell(part.context->pb) > 0;
    return part.file->Commit();
  }
  return true;
}

bool TMuxOutput::Finish() {
  bool ok = true;
  for (Output* part : {&main_, &audioFile_}) {
    if (!part->context) continue;
    if (headerWritten_ && av_write_trailer(part->context) < 0) ok = false;
    if (!part->file->Close()) ok = false;
    Close(*part);
  }
  headerWritten_ = false;
  return ok;
}

void TMuxOutput::Close(Output& part) {
  if (!part.context) return;
  part.context->pb = nullptr;
  avformat_free_context(part.context);
  if (part.file && !part.file->Close()) qCWarning(lcMedia) << "cannot complete" << profile_.path;
  part.file.reset();
  part.context = nullptr;
  part.stream = nullptr;
}

}  // namespace pvx::platform::media
