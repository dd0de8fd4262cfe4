#pragma once
// "WAV Dest": raw audio in ("In"), the file named by the writer on "Out". Writes a WAV file of
// the captured PCM, or an MP3 file when the sound comes through "MPEG Layer-3".

#include "platform/media/TRecordingFilter.h"

namespace pvx::platform::media {

class TWavDest final : public TRecordingFilter {
 public:
  TWavDest();

 protected:
  bool MakeProfile(TRecordProfile& profile, QString& error) override;
};

}  // namespace pvx::platform::media
