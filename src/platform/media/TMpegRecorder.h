#pragma once
// "OKA Mpeg1/2 Recorder Filter": raw video ("Video") and raw audio ("Audio") in, an MPEG-1 or
// MPEG-2 program stream out (VCD, SVCD and DVD where the settings are those standards'), or,
// for time-shifting, an MPEG video elementary file and its MPEG audio companion that grow while
// they are written. The engine names the file through IFileSink.

#include "platform/graph/Interfaces.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TRecordingFilter.h"

namespace pvx::platform::media {

class TMpegRecorder final : public TRecordingFilter,
                            public IMpegRecorderSettings,
                            public graph::IFileSink {
 public:
  TMpegRecorder();

  bool SetStreamType(int type) override;
  bool SetVideoBitRate(int bitsPerSecond) override;
  bool SetQuality(int quality) override;
  bool SetFrameSize(int width, int height) override;
  bool SetAudioSampleRate(int hertz) override;
  bool SetFrameRateCode(int code) override;
  bool SetFlags(bool timeShift, bool programStream) override;
  bool SetContainer(formats::Container container) override;
  bool SetRecordFormat(formats::RecordFormat format) override;
  bool SetEncoding(bool softwareOnly, const TRecordTags& tags) override;

  bool SetFileName(const QString& path) override;
  QString GetCurFile() const override;

  const TMpegSettings& Settings() const { return settings_; }

 protected:
  bool MakeProfile(TRecordProfile& profile, QString& error) override;

 private:
  TMpegSettings settings_;
  QString path_;
};

}  // namespace pvx::platform::media
