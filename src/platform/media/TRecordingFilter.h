#pragma once
// Base of the components that write recordings (the MPEG recorder, the multiplexers, the WAV
// writer): raw input pins backed by appsinks, and a recording session from Run to Stop. Where a
// component has a file output, that pin carries no data: the writer connected to it only names
// the file, and the component writes it itself with libavformat (AVI and WAV need a seekable
// file to complete their headers and index).

#include <QString>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/graph/TFilter.h"
#include "platform/media/MediaInterfaces.h"
#include "platform/media/TRecordProfile.h"
#include "platform/media/TRecordSession.h"

typedef struct _GstAppSink GstAppSink;

namespace pvx::platform::media {

class TRecordingFilter : public graph::TFilter, public IRecordingResult {
 public:
  ~TRecordingFilter() override;

  // Why the running or last recording refused to start or failed; empty when it goes well.
  QString LastError() const override;
  // The profile of the running (or last) recording.
  TRecordProfile CurrentProfile() const;

 protected:
  explicit TRecordingFilter(QString friendlyName);

  // Constructor helpers. Raw video or raw audio in; an output that only names the file.
  graph::TPin& AddInput(const QString& name, graph::MediaMajor major);
  graph::TPin& AddFileOutput(const QString& name);

  // The recording to make; false (with a reason) refuses to run.
  virtual bool MakeProfile(TRecordProfile& profile, QString& error) = 0;
  // The file named by the writer connected to the file output; empty when none.
  QString PeerFileName() const;
  // The filter feeding an input pin, or nullptr.
  graph::TFilter* Upstream(const QString& input) const;

  bool BeforeRun() override;
  void AfterStop() override;

 private:
  struct Input;
  static int OnSample(GstAppSink* sink, void* input);
  void EndSession();

  std::vector<std::unique_ptr<Input>> inputs_;
  mutable std::mutex mutex_;
  std::shared_ptr<TRecordSession> session_;  // under mutex_; streaming threads hold a copy
  TRecordProfile profile_;
  QString error_;
};

}  // namespace pvx::platform::media
