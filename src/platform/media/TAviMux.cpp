#include "platform/media/TAviMux.h"

#include "platform/media/CodecChoice.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

// A key frame every two seconds: a cut-off file and a seek lose at most that much.
constexpr double kKeyIntervalSeconds = 2.0;

}  // namespace

TAviMux::TAviMux() : TRecordingFilter(kAviMuxName) {
  AddInput("Input 01", MediaMajor::Video);
  AddInput("Input 02", MediaMajor::Audio);
  AddFileOutput("AVI Out");
}

bool TAviMux::MakeProfile(TRecordProfile& profile, QString& error) {
  profile.path = PeerFileName();
  if (profile.path.isEmpty()) {
    error = QStringLiteral("no file writer named a file");
    return false;
  }
  profile.container = Container::Avi;
  profile.video = VideoCodec::Raw;
  TFilter* up = Upstream("Input 01");
  if (const auto* choice = up ? up->As<IVideoCodecChoice>() : nullptr) {
    const TVideoCodecChoice c = choice->VideoChoice();
    profile.video = c.codec;
    profile.videoTag = c.tag;
    profile.videoBitRate = c.bitRate;
    profile.keyIntervalSeconds = kKeyIntervalSeconds;
  }
  profile.audio = AudioCodec::Pcm;
  up = Upstream("Input 02");
  if (const auto* choice = up ? up->As<IAudioCodecChoice>() : nullptr) {
    const TAudioCodecChoice c = choice->AudioChoice();
    profile.audio = c.codec;
    profile.audioBitRate = c.bitRate;
    profile.sampleRate = c.sampleRate;
    profile.channels = c.channels;
  }
  return true;
}

}  // namespace pvx::platform::media
