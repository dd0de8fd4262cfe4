#include "platform/media/TMpegMultiplexer.h"

#include "platform/graph/TFilterGraph.h"
#include "platform/media/CodecChoice.h"

namespace pvx::platform::media {

using namespace graph;

TMpegMultiplexer::TMpegMultiplexer() : TRecordingFilter(kMpegMultiplexerName) {
  AddInput("Video", MediaMajor::Video);
  AddInput("Audio", MediaMajor::Audio);
  AddFileOutput("Output");
}

bool TMpegMultiplexer::put_OutputType(int type) {
  if (type < MpegOutput_Mpeg1 || type > MpegOutput_Dvd) return false;
  if (Graph() && Graph()->State() != GraphState::Stopped) return false;
  type_ = type;
  return true;
}

bool TMpegMultiplexer::MakeProfile(TRecordProfile& profile, QString& error) {
  const QString path = PeerFileName();
  if (path.isEmpty()) {
    error = QStringLiteral("no file writer named a file");
    return false;
  }
  profile = MultiplexerProfileOf(type_, path);
  // The disc standards fix their sound; the free types take the audio encoder's settings.
  const bool disc = type_ == MpegOutput_Vcd || type_ == MpegOutput_Svcd || type_ == MpegOutput_Dvd;
  TFilter* up = Upstream("Audio");
  if (const auto* choice = up ? up->As<IAudioCodecChoice>() : nullptr; choice && !disc) {
    const TAudioCodecChoice c = choice->AudioChoice();
    profile.audioBitRate = c.bitRate;
    profile.sampleRate = c.sampleRate;
    profile.channels = c.channels;
  }
  return true;
}

}  // namespace pvx::platform::media
