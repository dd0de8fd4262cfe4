#pragma once
// Owning handles for FFmpeg objects and the media log category. Platform code only.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QLoggingCategory>
#include <QString>
#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcMedia)

namespace pvx::platform::media {

struct CodecContextFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsFree {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrFree {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct FifoFree {
  void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using AVCodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using AVFramePtr = std::unique_ptr<AVFrame, FrameFree>;
using AVPacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrFree>;
using AVAudioFifoPtr = std::unique_ptr<AVAudioFifo, FifoFree>;

// The text of an FFmpeg error code.
QString AvErrorText(int code);

// Sends FFmpeg's messages to the media log category (once per process).
void RouteFfmpegLog();

// Takes each encoded packet; false stops the encoding.
using PacketSink = std::function<bool(AVPacket*)>;

// Hands a frame (nullptr: end of stream) to an encoder and passes on every packet it has
// ready; false on an encoder error or when the sink refuses a packet.
bool SendFrame(AVCodecContext* codec, AVFrame* frame, AVPacket* packet, const PacketSink& sink);

// An AVRational in a form that can be written inline.
inline AVRational Rational(int num, int den) { return AVRational{num, den}; }

}  // namespace pvx::platform::media
