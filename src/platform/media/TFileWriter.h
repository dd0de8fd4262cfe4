#pragma once
// "File Writer" and the MPEG writer object: the end of a recording branch that names its file.
// The multiplexer or WAV writer connected to it writes the file itself (see TRecordingFilter);
// the writer's input carries no data.

#include "platform/graph/TFilter.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

class TFileWriter final : public graph::TFilter, public IFileSinkFilter2 {
 public:
  TFileWriter(QString friendlyName, QString inputName);

  bool SetFileName(const QString& path) override;
  QString GetCurFile() const override { return path_; }
  // 0 overwrites the file; AM_FILE_OVERWRITE (1) is the same for our writers.
  bool SetMode(int mode) override;
  int GetMode() const override { return mode_; }

 private:
  QString path_;
  int mode_ = 0;
};

}  // namespace pvx::platform::media
