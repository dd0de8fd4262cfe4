#include "platform/media/TWavDest.h"

#include "platform/media/CodecChoice.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

using namespace graph;

TWavDest::TWavDest() : TRecordingFilter(kWavDestName) {
  AddInput("In", MediaMajor::Audio);
  AddFileOutput("Out");
}

bool TWavDest::MakeProfile(TRecordProfile& profile, QString& error) {
  profile.path = PeerFileName();
  if (profile.path.isEmpty()) {
    error = QStringLiteral("no file writer named a file");
    return false;
  }
  TFilter* up = Upstream("In");
  const IAudioCodecChoice* choice = up ? up->As<IAudioCodecChoice>() : nullptr;
  if (choice && choice->AudioChoice().codec == AudioCodec::Mp3) {
    const TAudioCodecChoice c = choice->AudioChoice();
    profile.container = Container::Mp3;
    profile.audio = AudioCodec::Mp3;
    profile.audioBitRate = c.bitRate;
    profile.sampleRate = c.sampleRate;
    profile.channels = c.channels;
  } else {
    profile.container = Container::Wav;
    profile.audio = AudioCodec::Pcm;
  }
  return true;
}

}  // namespace pvx::platform::media
