#pragma once
// "AVI Mux": video on "Input 01" and sound on "Input 02", the AVI file named by the writer on
// "AVI Out". Video coming through an MPEG-4 compressor is encoded with that codec, other video
// is stored uncompressed as captured; sound is stored as PCM (or MP3 through "MPEG Layer-3").

#include "platform/media/TRecordingFilter.h"

namespace pvx::platform::media {

class TAviMux final : public TRecordingFilter {
 public:
  TAviMux();

 protected:
  bool MakeProfile(TRecordProfile& profile, QString& error) override;
};

}  // namespace pvx::platform::media
