#include "platform/media/FfmpegSupport.h"

#include <map>
#include <mutex>

namespace pvx::platform::media {
namespace {

constexpr int kRepeatsShown = 3;

// An encoder or muxer at its limits repeats one complaint for every frame: shown a few times
// only, so the log stays readable and a writer that blocks on a full stderr pipe does not stall
// the recording.
bool ShownBefore(const char* format) {
  static std::mutex mutex;
  static std::map<const char*, int> seen;
  std::lock_guard lock(mutex);
  const int count = ++seen[format];
  if (count == kRepeatsShown + 1) qCWarning(lcMedia).noquote() << "(the message above repeats; not shown again)";
  return count > kRepeatsShown;
}

// FFmpeg's own messages go to our log: errors as warnings, the rest only when debugging.
void LogLine(void* object, int level, const char* format, va_list args) {
  if (level > AV_LOG_VERBOSE || ShownBefore(format)) return;
  char line[1024];
  int prefix = 1;
  av_log_format_line2(object, level, format, args, line, sizeof line, &prefix);
  const QString text = QString::fromUtf8(line).trimmed();
  if (text.isEmpty()) return;
  if (level <= AV_LOG_ERROR) {
    qCWarning(lcMedia).noquote() << text;
  } else {
    qCDebug(lcMedia).noquote() << text;
  }
}

}  // namespace

void RouteFfmpegLog() {
  // GStreamer's libav plugin takes FFmpeg's log for itself when it loads: take it back each time.
  av_log_set_callback(&LogLine);
}

QString AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromUtf8(text);
}

bool SendFrame(AVCodecContext* codec, AVFrame* frame, AVPacket* packet, const PacketSink& sink) {
  int r = avcodec_send_frame(codec, frame);
  if (r < 0 && r != AVERROR_EOF) return false;
  while ((r = avcodec_receive_packet(codec, packet)) >= 0) {
    if (!sink(packet)) return false;
    av_packet_unref(packet);
  }
  return r == AVERROR(EAGAIN) || r == AVERROR_EOF;
}

}  // namespace pvx::platform::media
